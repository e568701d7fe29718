// The 278 x 60 thumbnails of new items, drawn on images of the image services, and the look they
// share with the list that shows them.
#pragma once

#include <windows.h>

#include <string>

#include "store/capture_rules.h"

// Colours of the list, thumbnails and text icon, and of the selection frame.
constexpr COLORREF BackgroundColour = RGB(230, 230, 250);
constexpr COLORREF SelectionColour = RGB(200, 0, 0);

// Thumbnail size of every row.
constexpr int ThumbWidth = 278;
constexpr int ThumbHeight = 60;

struct ThumbnailLook {
  HFONT TextFont = nullptr;  // Arial 13 pixels, the start of a text
  int CaptionFontBold = 0;   // layer font numbers: Arial 12 pt bold, Arial 10 pt
  int CaptionFont = 0;
  int TextIcon = 0;          // 60 x 60 image painted left of every text thumbnail
};
extern ThumbnailLook Thumbs;

// Makes the fonts and the text icon (at start-up, before the first thumbnail).
void MakeThumbnailLook();

// A lavender thumbnail with the picture fitted into the left square, "Bitmap", the picture's
// size and the capture time. Returns the image number, 0 when it could not be made.
int DrawImageThumbnail(int picture, int width, int height, const std::string& captureTime);
// A lavender thumbnail with the text icon and the start of the text in the colour given.
// Returns the image number, 0 when it could not be made.
int DrawTextThumbnail(const std::wstring& text, TextColour colour);
