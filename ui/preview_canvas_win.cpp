#include "ui/preview_canvas_win.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/code_page_win.h"
#include "core/file_bytes.h"
#include "core/texts.h"
#include "core/unicode_text.h"
#include "exchange/image/alpha_picture.h"
#include "exchange/image/images_win.h"
#include "store/collection_win.h"
#include "store/thumbnail_win.h"
#include "ui/layer/drawing_win.h"
#include "ui/preview_rules.h"

namespace {

// The picture kept with its transparency, over the thumbnails' lavender; 0 when there is none.
int TransparentPicture(const Item& item) {
  std::vector<unsigned char> png;
  AlphaPicture pixels;
  PixelImage flat;
  if (!ReadItemExtra(item, ExtraKind::AlphaPicture, png) ||
      DecodePngWithAlpha(png.data(), png.size(), pixels) != DecodeStatus::Ok ||
      !CompositeOver(pixels, GetRValue(BackgroundColour), GetGValue(BackgroundColour), GetBValue(BackgroundColour),
                     flat)) {
    return 0;
  }
  return ImageFromPixels(-1, flat);
}

void PaintPicture(HDC canvas, const Item& item) {
  int picture = TransparentPicture(item);
  if (!picture) picture = LoadImageFile(ItemFilePath(item, ItemFile::Content));
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

// The text as it was copied: the Unicode text the item keeps, else its ANSI text.
std::wstring ReadItemText(const Item& item) {
  std::vector<unsigned char> utf8;
  std::u16string unicode;
  if (ReadItemExtra(item, ExtraKind::UnicodeText, utf8) &&
      Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()), unicode)) {
    return std::wstring(unicode.begin(), unicode.begin() + std::min(unicode.size(), PreviewTextLimit));
  }
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(ItemFilePath(item, ItemFile::Content), bytes, PreviewTextLimit)) return {};
  return AnsiToWide(PreviewText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
}

// The text is drawn into a bitmap of the content area's size, so that nothing reaches the margin.
void PaintText(HDC canvas, const std::wstring& text) {
  TextPanel panel;
  panel.area = RECT{PreviewMargin, PreviewMargin, PreviewMargin + PreviewContentSize, PreviewMargin + PreviewContentSize};
  panel.wrap = IsOneLineText(text);
  panel.wrapWidth = PreviewContentSize;
  panel.background = PreviewBackground;
  panel.ink = RGB(0, 0, 0);
  panel.font = Thumbs.TextFont;
  DrawTextPanel(canvas, panel, text);
}

// What the preview says about the item beyond its content: that it is pinned, and the program it
// was copied from.
std::string ItemNote(const Item& item) {
  const std::string program = ItemSourceProgram(item);
  std::string note = item.pinned ? Text(PinnedText) : std::string();
  if (!program.empty()) note += (note.empty() ? "" : ", ") + WithName(Text(CopiedFromText), program);
  return note;
}

// One line along the bottom of the content area, over whatever the content shows there.
void PaintNote(HDC canvas, const std::string& note) {
  constexpr int kNoteHeight = 15;
  TextPanel panel;
  panel.area = RECT{PreviewMargin, PreviewMargin + PreviewContentSize - kNoteHeight, PreviewMargin + PreviewContentSize,
                    PreviewMargin + PreviewContentSize};
  panel.background = RGB(255, 248, 200);
  panel.ink = RGB(60, 60, 60);
  DrawTextPanel(canvas, panel, L" " + Wide(note));
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
    PaintPicture(dc, item);
  } else if (item.kind == TextItem) {
    PaintText(dc, ReadItemText(item));
  }
  if (const std::string note = ItemNote(item); !note.empty()) PaintNote(dc, note);
  EndDrawing();
  return canvas;
}
