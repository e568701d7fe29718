// Pictures of the item list's rows: which thumbnail slot a row shows, and the thumbnail read back
// from an item's file.
#pragma once

#include <string>

// The thumbnail slot row `row` shows, -1 when the row does not exist.
int RowSlot(int row);
// Makes row `row` show thumbnail slot `slot`.
void SetRowSlot(int row, int slot);
// The 278 x 60 thumbnail stored at `path` as an image; when the file is missing, damaged or of
// another size, a blank one in the background colour, so that a row never shows another item's
// picture. 0 only when no image can be made at all.
int LoadThumbnailOrBlank(const std::string& path);
