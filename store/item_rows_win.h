// The thumbnail read back from an item's file for the row that shows it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "store/thumbnail_win.h"

// An empty image list for 278 x 60 thumbnails with room for `capacity` of them.
HIMAGELIST NewThumbImageList(int capacity = 0);
// The 278 x 60 thumbnail stored at `path` as an image; when the file is missing, damaged or of
// another size, a blank one in the background colour, so that a row never shows another item's
// picture. 0 only when no image can be made at all.
int LoadThumbnailOrBlank(const std::string& path);
