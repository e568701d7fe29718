// Saving items as picture and text files for the user.
#pragma once

#include <cstdint>
#include <string>

#include "exchange/image/image_codecs.h"

// Saves the item of that name through a save requester. The item is found again by its name once
// the requester closes: copies that came in meanwhile change nothing, and an item deleted
// meanwhile is not saved.
void SaveItemAs(const std::string& item);
// Copies the named item's stored picture or text file. isFullPath 0: `target` is a folder ending
// in a backslash and the stored file's name is appended; else it is the whole path.
int SaveItemFile(const std::string& item, const std::string& target, int isFullPath);
// Writes the named (image) item's picture: format 0 BMP, 1 JPEG, 2 PNG. The format's extension
// is appended unless the target already ends in it.
int SaveImageItemAs(const std::string& item, const std::string& target, int format);
// Saves every checked text item into a chosen folder.
void SaveCheckedTexts();
// Saves every checked image item into a chosen folder in the encoding given.
void SaveCheckedImages(ImageEncoding encoding);
