// The detailed preview's decisions that need no window: where the popup goes, how large a picture
// is shown, where it sits, which text is drawn, and when the gesture that opened it is over.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The popup is a square of this many pixels; its content area is PreviewContentSize square at
// (PreviewMargin, PreviewMargin).
inline constexpr int PreviewSize = 300;
inline constexpr int PreviewContentSize = 280;
inline constexpr int PreviewMargin = 10;
// Pictures whose width and height are both below this are shown at their own size.
inline constexpr int PreviewUnscaledLimit = 260;

// The three ways the preview is opened; each closes differently.
inline constexpr int32_t PreviewFromMenu = 0;     // closes when the primary button goes down
inline constexpr int32_t PreviewFromKey = 1;      // closes when the D key is up
inline constexpr int32_t PreviewFromButtons = 2;  // closes when the primary button is up

// Virtual keys the closing conditions read.
inline constexpr int PreviewKeyLeftButton = 0x01;
inline constexpr int PreviewKeyRightButton = 0x02;
inline constexpr int PreviewKeyD = 0x44;

struct PreviewPoint {
  int x = 0;
  int y = 0;
};

struct PreviewExtent {
  int width = 0;
  int height = 0;
};

// Top-left corner for a cursor at (x, y): to the lower right of the cursor, moved to its left or
// above it where the popup would pass the right or bottom edge of the screen.
PreviewPoint PlacePreview(int cursorX, int cursorY, int screenWidth, int screenHeight);

// A picture below the unscaled limit in both directions keeps its size; any other is fitted into
// the content area.
PreviewExtent ShownPictureSize(int width, int height);

// Top-left corner of a picture of the shown size, centred in the content area.
PreviewPoint PicturePosition(PreviewExtent shown);

// The text a text item's file gives: up to the first NUL byte, and no longer than the longest
// text the program holds.
std::string PreviewText(std::string_view fileBytes);

// Longest text drawn; a text item never holds more.
inline constexpr size_t PreviewTextLimit = 63999;

// A one-line text has neither a carriage return nor a line feed; it is word-wrapped to the content
// width. Other texts are drawn line by line as they are.
bool IsOneLineText(std::string_view text);

// The primary mouse button's virtual key: the left button, or the right one when the user has
// swapped them.
int PrimaryButtonKey(int buttonsSwapped);

// Reads a key's asynchronous state the way GetAsyncKeyState answers: the high bit while it is down,
// the low bit when it was pressed since the previous read.
using KeyStateReader = std::function<int16_t(int virtualKey)>;

// One check of the closing condition of the mode; reads the key states it needs (the primary
// button twice, the first read discarding the pressed-since bit). An unknown mode closes at once.
bool PreviewShouldClose(int32_t mode, int primaryButton, const KeyStateReader& readKey);
