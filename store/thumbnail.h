// The 278 x 60 thumbnails of new items, drawn on images of the image services.
#pragma once

#include <string>

#include "store/capture_rules.h"

// A lavender thumbnail with the picture fitted into the left square, "Bitmap", the picture's
// size and the capture time. Returns the image number, 0 when it could not be made.
int DrawImageThumbnail(int picture, int width, int height, const std::string& captureTime);
// A lavender thumbnail with the text icon and the start of the text in the colour given.
// Returns the image number, 0 when it could not be made.
int DrawTextThumbnail(const std::string& text, TextColour colour);
