// Drawing on images through a memory device context, and numbered fonts.
#pragma once

#include <windows.h>

#include <string>

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
void DrawString(const std::string& text);
// width and height 0 copy the bitmap at its own size, else it is stretched.
void PaintImage(HBITMAP bitmap, int x, int y, int width, int height);

// Returns a fresh font number, 0 on failure.
int LoadPointFont(const std::string& face, int points, int flags);
HFONT FontHandle(int number);
