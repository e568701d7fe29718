// Drawing on images: a memory device context holding the image's bitmap, and numbered fonts.
#include "ui/layer/drawing_win.h"

#include "core/code_page_win.h"
#include "exchange/image/images_win.h"
#include "ui/layer/layer_state_win.h"

namespace {

struct DrawingState {
  HDC dc = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  HGDIOBJ oldPen = nullptr;
  HGDIOBJ oldBrush = nullptr;
  HGDIOBJ oldFont = nullptr;
  HPEN pen = nullptr;      // made by SetDrawColour
  HBRUSH brush = nullptr;  // made by SetDrawColour
  int mode = 0;
};
DrawingState Drawing;

// Selects a new pen and brush and frees the ones made before.
void UsePenAndBrush(HPEN pen, HBRUSH brush) {
  SelectObject(Drawing.dc, pen ? static_cast<HGDIOBJ>(pen) : GetStockObject(BLACK_PEN));
  SelectObject(Drawing.dc, brush ? static_cast<HGDIOBJ>(brush) : GetStockObject(NULL_BRUSH));
  if (Drawing.pen && Drawing.pen != pen) DeleteObject(Drawing.pen);
  if (Drawing.brush && Drawing.brush != brush) DeleteObject(Drawing.brush);
  Drawing.pen = pen;
  Drawing.brush = brush;
}

}  // namespace

HDC BeginDrawing(int image) {
  if (Drawing.dc) EndDrawing();
  HBITMAP bitmap = ImageBitmap(image);
  if (!bitmap || ImageIsIcon(image)) return nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return nullptr;
  Drawing = DrawingState{};
  Drawing.dc = dc;
  Drawing.oldBitmap = SelectObject(dc, bitmap);
  Drawing.oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  Drawing.oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  Drawing.oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetTextAlign(dc, TA_UPDATECP);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, OPAQUE);
  return dc;
}

void EndDrawing() {
  if (!Drawing.dc) return;
  // Put the originals back before anything made here is deleted.
  SelectObject(Drawing.dc, Drawing.oldPen);
  SelectObject(Drawing.dc, Drawing.oldBrush);
  SelectObject(Drawing.dc, Drawing.oldFont);
  SelectObject(Drawing.dc, Drawing.oldBitmap);
  if (Drawing.pen) DeleteObject(Drawing.pen);
  if (Drawing.brush) DeleteObject(Drawing.brush);
  DeleteDC(Drawing.dc);
  Drawing = DrawingState{};
}

void DrawBox(int x, int y, int width, int height, COLORREF colour) {
  if (!Drawing.dc || width <= 0 || height <= 0) return;
  // A box too small to have an inside is all outline; GDI's Rectangle draws nothing for 1 x 1.
  if (!(Drawing.mode & DrawOutlined) || width <= 2 || height <= 2) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT rect{x, y, x + width, y + height};
    FillRect(Drawing.dc, &rect, brush);
    DeleteObject(brush);
    return;
  }
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldPen = SelectObject(Drawing.dc, pen);
  HGDIOBJ oldBrush = SelectObject(Drawing.dc, GetStockObject(NULL_BRUSH));
  Rectangle(Drawing.dc, x, y, x + width, y + height);
  SelectObject(Drawing.dc, oldPen);
  SelectObject(Drawing.dc, oldBrush);
  DeleteObject(pen);
}

void SetDrawMode(int flags) {
  Drawing.mode = flags;
  if (!Drawing.dc) return;
  SetBkMode(Drawing.dc, (flags & DrawTransparent) ? TRANSPARENT : OPAQUE);
  if (flags & DrawOutlined) SelectObject(Drawing.dc, GetStockObject(NULL_BRUSH));
}

void SetDrawFont(HFONT font) {
  if (Drawing.dc && font) SelectObject(Drawing.dc, font);
}

void SetDrawColour(int r, int g, int b) {
  if (!Drawing.dc) return;
  COLORREF colour = RGB(r, g, b);
  SetTextColor(Drawing.dc, colour);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HBRUSH brush = (Drawing.mode & DrawOutlined) ? nullptr : CreateSolidBrush(colour);
  UsePenAndBrush(pen, brush);
}

void MoveDrawCursor(int x, int y) {
  if (Drawing.dc) MoveToEx(Drawing.dc, x, y, nullptr);
}

void DrawString(const std::string& text) {
  if (!Drawing.dc || text.empty()) return;
  const std::wstring wide = Wide(text);
  TextOutW(Drawing.dc, 0, 0, wide.data(), static_cast<int>(wide.size()));
}

void PaintImage(HBITMAP bitmap, int x, int y, int width, int height) {
  if (!Drawing.dc || !bitmap) return;
  HDC source = CreateCompatibleDC(Drawing.dc);
  if (!source) return;
  HGDIOBJ old = SelectObject(source, bitmap);
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  if (width == 0 && height == 0) {
    BitBlt(Drawing.dc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(Drawing.dc, HALFTONE);
    SetBrushOrgEx(Drawing.dc, 0, 0, nullptr);
    StretchBlt(Drawing.dc, x, y, width, height, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  }
  SelectObject(source, old);
  DeleteDC(source);
}

int LoadPointFont(const std::string& face, int points, int flags) {
  HDC screen = GetDC(nullptr);
  int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  HFONT font = CreateFontA(height, 0, 0, 0, (flags & FontBold) ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  if (!font) return 0;
  int number = FreshNumber(Layer.fonts);
  Layer.fonts[number] = font;
  return number;
}

HFONT FontHandle(int number) {
  auto it = Layer.fonts.find(number);
  return it == Layer.fonts.end() ? nullptr : it->second;
}

MemoryCanvas::MemoryCanvas(HDC like, int width, int height) : dc_(CreateCompatibleDC(like)) {
  bitmap_ = dc_ ? CreateCompatibleBitmap(like, width, height) : nullptr;
  if (bitmap_) previous_ = SelectObject(dc_, bitmap_);
}

MemoryCanvas::~MemoryCanvas() {
  if (bitmap_) {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
  }
  if (dc_) DeleteDC(dc_);
}

void DrawTextPanel(HDC target, const TextPanel& panel, std::wstring_view text) {
  const int width = panel.area.right - panel.area.left;
  const int height = panel.area.bottom - panel.area.top;
  MemoryCanvas canvas(target, width, height);
  if (!canvas.Ready()) return;
  HDC dc = canvas.Dc();
  const HGDIOBJ oldFont = SelectObject(dc, panel.font ? static_cast<HGDIOBJ>(panel.font) : GetStockObject(DEFAULT_GUI_FONT));
  RECT whole{0, 0, width, height};
  HBRUSH background = CreateSolidBrush(panel.background);
  FillRect(dc, &whole, background);
  DeleteObject(background);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, panel.ink);
  const int length = static_cast<int>(text.size());
  if (panel.wrap) {
    RECT area{0, 0, panel.wrapWidth, height};
    DrawTextW(dc, text.data(), length, &area, DT_WORDBREAK | DT_NOPREFIX);
  } else {
    // Measured first, then drawn unwrapped; the panel's edges cut off the rest.
    RECT area{0, 0, 0, 0};
    DrawTextW(dc, text.data(), length, &area, DT_CALCRECT | DT_NOPREFIX);
    DrawTextW(dc, text.data(), length, &area, DT_NOPREFIX);
  }
  BitBlt(target, panel.area.left, panel.area.top, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldFont);
}
