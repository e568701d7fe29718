// Saving items as picture and text files for the user.
#pragma once

#include <cstdint>
#include <string>

#include "exchange/image/image_codecs.h"

// Saves the item of row `row` through a save requester.
void SaveItemAs(int32_t row);
// Copies the current item's stored picture or text file. isFullPath 0: `target` is a folder
// ending in a backslash and the stored file's name is appended; else it is the whole path.
int SaveItemFile(const std::string& target, int isFullPath);
// Writes the current (image) item's picture: format 0 BMP, 1 JPEG, 2 PNG. The format's extension
// is appended unless the target already ends in it.
int SaveImageItemAs(const std::string& target, int format);
// Saves every checked text item into a chosen folder.
void SaveCheckedTexts();
// Saves every checked image item into a chosen folder in the encoding given.
void SaveCheckedImages(ImageEncoding encoding);
