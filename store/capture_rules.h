// Decisions of capture that need no window system: text limits, one-line texts, where the picture
// goes in an image thumbnail, the colour of a text thumbnail, how long to wait for the clipboard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Texts live in a 64,000-byte workspace with room for the terminating zero: 63,999 bytes at most.
// A longer text, from the clipboard or from a file, makes no item.
inline constexpr size_t TextWorkspaceSize = 64000;
inline constexpr size_t MaxTextBytes = TextWorkspaceSize - 1;
inline bool TextFitsWorkspace(size_t length) { return length <= MaxTextBytes; }

// Length of a zero-terminated text held in a buffer of `size` bytes; the whole buffer when it
// holds no zero (a damaged clipboard entry must not be read past its end).
size_t BoundedTextLength(const char* data, size_t size);

// A text is drawn word-wrapped when it is one line (no CR and no LF), else line by line.
bool IsOneLineText(const std::string& text);
bool IsOneLineText(std::wstring_view text);

// The area of a thumbnail that shows a picture: the picture fitted into 56 x 56 and centred in
// the 60 x 60 square at the left.
struct ThumbPicture {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
};
inline constexpr int32_t ThumbPictureBox = 56;
ThumbPicture PlaceThumbPicture(int32_t pictureWidth, int32_t pictureHeight);

// "width * height", as an image thumbnail's caption shows the picture's size.
std::string PictureSizeCaption(int32_t width, int32_t height);

struct TextColour {
  int32_t red;
  int32_t green;
  int32_t blue;
};
// Successive text thumbnails alternate between two colours: blue while the toggle is 1, red
// while it is 0. Returns the colour for this thumbnail and flips the toggle.
TextColour NextTextColour(int& toggle);

// Another program may hold the clipboard open for a moment; it is asked again every 10 ms, for at
// most two seconds, so that the program never hangs on a clipboard that stays taken.
inline constexpr uint32_t ClipboardRetryMs = 10;
inline constexpr uint32_t ClipboardWaitMs = 2000;
