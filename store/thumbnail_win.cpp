#include "store/thumbnail_win.h"

#include <windows.h>

#include "core/app_state.h"
#include "exchange/image/images_win.h"
#include "ui/layer/drawing_win.h"

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
void DrawTextPanel(HDC thumbnail, const std::wstring& text, TextColour colour) {
  TextPanel panel;
  panel.area = RECT{kPanelX, kPanelY, kPanelX + kPanelWidth, kPanelY + kPanelHeight};
  panel.wrap = IsOneLineText(text);
  panel.wrapWidth = kWrapWidth;
  panel.background = BackgroundColour;
  panel.ink = RGB(colour.red, colour.green, colour.blue);
  panel.font = Thumbs.TextFont;
  DrawTextPanel(thumbnail, panel, text);
}

int MakeTextIcon() {
  int icon = NewImage(-1, 60, 60);
  if (!icon || !BeginDrawing(icon)) return icon;
  DrawBox(0, 0, 60, 60, BackgroundColour);
  SetDrawMode(DrawTransparent);
  int font = LoadPointFont("Times New Roman", 20, 0);
  SetDrawFont(FontHandle(font));
  SetDrawColour(0, 0, 0);
  MoveDrawCursor(5, 15);
  DrawString("Text");
  EndDrawing();
  return icon;
}

}  // namespace

ThumbnailLook Thumbs;

void MakeThumbnailLook() {
  Thumbs.TextFont = CreateFontA(13, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
  Thumbs.CaptionFontBold = LoadPointFont("Arial", 12, FontBold);
  Thumbs.CaptionFont = LoadPointFont("Arial", 10, 0);
  Thumbs.TextIcon = MakeTextIcon();
}

int DrawImageThumbnail(int picture, int width, int height, const std::string& captureTime) {
  HDC dc = nullptr;
  const int thumbnail = BeginThumbnail(dc);
  if (!thumbnail) return 0;
  const ThumbPicture place = PlaceThumbPicture(width, height);
  PaintImage(ImageBitmap(picture), place.x, place.y, place.width, place.height);
  SetDrawMode(DrawTransparent);
  DrawCaption(Thumbs.CaptionFontBold, 50, 120, 50, 66, 13, "Bitmap");
  DrawCaption(Thumbs.CaptionFont, 100, 150, 100, 66, 32, PictureSizeCaption(width, height));
  DrawCaption(Thumbs.CaptionFont, 100, 150, 100, 166, 32, captureTime);
  EndDrawing();
  return thumbnail;
}

int DrawTextThumbnail(const std::wstring& text, TextColour colour) {
  HDC dc = nullptr;
  const int thumbnail = BeginThumbnail(dc);
  if (!thumbnail) return 0;
  PaintImage(ImageBitmap(Thumbs.TextIcon), 0, 0, 0, 0);
  DrawTextPanel(dc, text, colour);
  EndDrawing();
  return thumbnail;
}
