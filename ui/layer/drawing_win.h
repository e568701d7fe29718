// Drawing on images through a memory device context, and numbered fonts.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// SetDrawMode flags.
constexpr int DrawTransparent = 0x1;
constexpr int DrawOutlined = 0x4;

// LoadPointFont flags.
constexpr int FontBold = 0x100;

// Starts drawing on the image (text at the current position, black). 0 when it cannot.
HDC BeginDrawing(int image);
void EndDrawing();
void DrawBox(int x, int y, int width, int height, COLORREF colour);
void SetDrawMode(int flags);
void SetDrawFont(HFONT font);
void SetDrawColour(int r, int g, int b);
void MoveDrawCursor(int x, int y);
// Draws a program string (UTF-8) at the cursor.
void DrawString(const std::string& text);
// width and height 0 copy the bitmap at its own size, else it is stretched.
void PaintImage(HBITMAP bitmap, int x, int y, int width, int height);

// A memory device context with a bitmap of its own selected into it, both released with it.
class MemoryCanvas {
 public:
  // Compatible with `like`, `width` x `height`; check Ready().
  MemoryCanvas(HDC like, int width, int height);
  ~MemoryCanvas();
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  bool Ready() const { return bitmap_ != nullptr; }
  HDC Dc() const { return dc_; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

// How a text panel looks and where it goes.
struct TextPanel {
  RECT area;           // where the panel lands on the target; its size is the panel's
  bool wrap = false;   // word-wrapped to wrapWidth, else each line as it is from the top left
  int wrapWidth = 0;
  COLORREF background = 0;
  COLORREF ink = 0;
  HFONT font = nullptr;  // nullptr: the default GUI font
};
// Draws the text into an off-screen panel of its own and copies it onto `target`, so that
// nothing spills past the panel. "&" is part of the text, never a mnemonic prefix.
void DrawTextPanel(HDC target, const TextPanel& panel, std::wstring_view text);

// Returns a fresh font number, 0 on failure.
int LoadPointFont(const std::string& face, int points, int flags);
HFONT FontHandle(int number);
