#include "store/thumbnail.h"

#include <windows.h>

#include "app/app_state.h"
#include "exchange/image/images_win.h"
#include "ui/layer/drawing.h"
#include "ui/main_window.h"

namespace {

// The text panel right of the text icon.
constexpr int kPanelWidth = 210;
constexpr int kPanelHeight = 54;
constexpr int kPanelX = 65;
constexpr int kPanelY = 3;
constexpr int kWrapWidth = 190;

// A new thumbnail image filled with the background colour, drawing begun on it.
int BeginThumbnail(HDC& dc) {
  const int thumbnail = NewImage(-1, ThumbWidth, ThumbHeight);
  dc = thumbnail ? BeginDrawing(thumbnail) : nullptr;
  if (!dc) {
    DisposeImage(thumbnail);
    return 0;
  }
  DrawBox(0, 0, ThumbWidth, ThumbHeight, BackgroundColour);
  return thumbnail;
}

void DrawCaption(int font, int red, int green, int blue, int x, int y, const std::string& text) {
  SetDrawFont(FontHandle(font));
  SetDrawColour(red, green, blue);
  MoveDrawCursor(x, y);
  DrawString(text);
}

// Draws the text into a panel of its own, so that nothing spills over the icon or the frame, and
// copies the panel into the thumbnail.
void DrawTextPanel(HDC thumbnail, const std::string& text, TextColour colour) {
  HDC panel = CreateCompatibleDC(thumbnail);
  HBITMAP bitmap = panel ? CreateCompatibleBitmap(thumbnail, kPanelWidth, kPanelHeight) : nullptr;
  if (!bitmap) {
    if (panel) DeleteDC(panel);
    return;
  }
  HGDIOBJ oldBitmap = SelectObject(panel, bitmap);
  HGDIOBJ oldFont = SelectObject(panel, App.ThumbFont ? static_cast<HGDIOBJ>(App.ThumbFont)
                                                      : GetStockObject(DEFAULT_GUI_FONT));
  HBRUSH background = CreateSolidBrush(BackgroundColour);
  RECT whole{0, 0, kPanelWidth, kPanelHeight};
  FillRect(panel, &whole, background);
  DeleteObject(background);
  SetBkMode(panel, TRANSPARENT);
  SetTextColor(panel, RGB(colour.red, colour.green, colour.blue));
  // "&" is part of the text, never a mnemonic prefix.
  const int length = static_cast<int>(text.size());
  if (IsOneLineText(text)) {
    RECT area{0, 0, kWrapWidth, kPanelHeight};
    DrawTextA(panel, text.data(), length, &area, DT_WORDBREAK | DT_NOPREFIX);
  } else {
    // Each line as it is, from the top left corner, unwrapped; the panel cuts off the rest.
    RECT area{0, 0, 0, 0};
    DrawTextA(panel, text.data(), length, &area, DT_CALCRECT | DT_NOPREFIX);
    DrawTextA(panel, text.data(), length, &area, DT_NOPREFIX);
  }
  BitBlt(thumbnail, kPanelX, kPanelY, kPanelWidth, kPanelHeight, panel, 0, 0, SRCCOPY);
  SelectObject(panel, oldFont);
  SelectObject(panel, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(panel);
}

}  // namespace

int DrawImageThumbnail(int picture, int width, int height, const std::string& captureTime) {
  HDC dc = nullptr;
  const int thumbnail = BeginThumbnail(dc);
  if (!thumbnail) return 0;
  const ThumbPicture place = PlaceThumbPicture(width, height);
  PaintImage(ImageBitmap(picture), place.x, place.y, place.width, place.height);
  SetDrawMode(DrawTransparent);
  DrawCaption(App.CaptionFontBold, 50, 120, 50, 66, 13, "Bitmap");
  DrawCaption(App.CaptionFont, 100, 150, 100, 66, 32, PictureSizeCaption(width, height));
  DrawCaption(App.CaptionFont, 100, 150, 100, 166, 32, captureTime);
  EndDrawing();
  return thumbnail;
}

int DrawTextThumbnail(const std::string& text, TextColour colour) {
  HDC dc = nullptr;
  const int thumbnail = BeginThumbnail(dc);
  if (!thumbnail) return 0;
  PaintImage(ImageBitmap(Ui.TextIcon), 0, 0, 0, 0);
  DrawTextPanel(dc, text, colour);
  EndDrawing();
  return thumbnail;
}
