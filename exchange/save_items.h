// Saving items as picture and text files for the user.
#pragma once

#include <cstdint>

// Saves the item of row Loop.ClickedIndex through a save requester.
void SaveItemAs();
// Saves every checked text item into a chosen folder.
void SaveCheckedTexts();
// Saves every checked image item into a chosen folder: format 0 BMP, 1 JPEG, 2 PNG.
void SaveCheckedImages(int32_t format);
