// Pictures of the item list's rows: which thumbnail slot a row shows, and the thumbnail read back
// from an item's file.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "exchange/image/pixel_image.h"

// The thumbnail slot row `row` shows, -1 when the row does not exist.
int RowSlot(int row);
// Makes row `row` show thumbnail slot `slot`.
void SetRowSlot(int row, int slot);
// The 278 x 60 thumbnail stored at `path` as an image; when the file is missing, damaged or of
// another size, a blank one in the background colour, so that a row never shows another item's
// picture. 0 only when no image can be made at all.
int LoadThumbnailOrBlank(const std::string& path);

// One 278 x 60 bitmap, reused to put decoded thumbnails into an image list: making a display
// bitmap for each costs as much as decoding it.
class ThumbnailCanvas {
 public:
  ThumbnailCanvas();
  ~ThumbnailCanvas();
  ThumbnailCanvas(const ThumbnailCanvas&) = delete;
  ThumbnailCanvas& operator=(const ThumbnailCanvas&) = delete;

  // Puts the pixels (278 x 60) into slot `slot` of the list. False when they have another size,
  // the bitmap could not be made or the list refused.
  bool Replace(HIMAGELIST list, int slot, const PixelImage& pixels);
  // Appends the pixels to the list; the new slot, or -1.
  int Add(HIMAGELIST list, const PixelImage& pixels);

 private:
  bool Paint(const PixelImage& pixels);

  HBITMAP bitmap_ = nullptr;
  uint8_t* bits_ = nullptr;
};
