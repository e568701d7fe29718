#include "ui/preview_canvas_win.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_bytes.h"
#include "exchange/image/images_win.h"
#include "store/collection_win.h"
#include "store/thumbnail_win.h"
#include "ui/layer/drawing_win.h"
#include "ui/preview_rules.h"

namespace {

void PaintPicture(HDC canvas, const std::string& path) {
  const int picture = LoadImageFile(path);
  if (!picture) return;
  const int width = WidthOfImage(picture);
  const int height = HeightOfImage(picture);
  const PreviewExtent shown = ShownPictureSize(width, height);
  const PreviewPoint at = PicturePosition(shown);
  if (ImageIsIcon(picture)) {
    DrawIconEx(canvas, at.x, at.y, reinterpret_cast<HICON>(ImageBitmap(picture)), shown.width, shown.height, 0,
               nullptr, DI_NORMAL);
  } else if (shown.width == width && shown.height == height) {
    PaintImage(ImageBitmap(picture), at.x, at.y, 0, 0);
  } else {
    PaintImage(ImageBitmap(picture), at.x, at.y, shown.width, shown.height);
  }
  DisposeImage(picture);
}

std::string ReadItemText(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes, PreviewTextLimit)) return {};
  return PreviewText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// The text is drawn into a bitmap of the content area's size, so that nothing reaches the margin.
void PaintText(HDC canvas, const std::string& text) {
  TextPanel panel;
  panel.area = RECT{PreviewMargin, PreviewMargin, PreviewMargin + PreviewContentSize, PreviewMargin + PreviewContentSize};
  panel.wrap = IsOneLineText(text);
  panel.wrapWidth = PreviewContentSize;
  panel.background = PreviewBackground;
  panel.ink = RGB(0, 0, 0);
  panel.font = Thumbs.TextFont;
  DrawTextPanel(canvas, panel, text);
}

}  // namespace

HRGN NewPreviewShape() {
  return CreateRoundRectRgn(0, 0, PreviewSize - 1, PreviewSize - 1, 20, 20);
}

int DrawPreviewCanvas(const Item& item, HRGN shape) {
  const int canvas = NewImage(-1, PreviewSize, PreviewSize);
  if (!canvas) return 0;
  HDC dc = BeginDrawing(canvas);
  if (!dc) {
    DisposeImage(canvas);
    return 0;
  }
  DrawBox(0, 0, PreviewSize, PreviewSize, PreviewBackground);
  if (shape) {
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    FrameRgn(dc, shape, black, 1, 1);
    DeleteObject(black);
  }
  if (item.kind == ImageItem) {
    PaintPicture(dc, ItemFilePath(item, ItemFile::Content));
  } else if (item.kind == TextItem) {
    PaintText(dc, ReadItemText(ItemFilePath(item, ItemFile::Content)));
  }
  EndDrawing();
  return canvas;
}
