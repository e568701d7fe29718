// The item list's rows as the collection makes them: which thumbnail slot a row shows, the
// thumbnail read back from an item's file, and strips of thumbnails added to the image list at once.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "exchange/image/pixel_image.h"
#include "store/thumbnail_win.h"

// An empty image list for 278 x 60 thumbnails with room for `capacity` of them.
HIMAGELIST NewThumbImageList(int capacity = 0);
// The thumbnail slot row `row` shows, -1 when the row does not exist.
int RowSlot(HWND list, int row);
// The 278 x 60 thumbnail stored at `path` as an image; when the file is missing, damaged or of
// another size, a blank one in the background colour, so that a row never shows another item's
// picture. 0 only when no image can be made at all.
int LoadThumbnailOrBlank(const std::string& path);

// Puts row `row` into the item list with its thumbnail slot (-1: none) and check mark; the slot
// goes in with the insertion, as every later change of a row costs a round of notifications.
// Returns the row made, -1 when the list refused.
int InsertItemRow(HWND list, int row, int slot, bool checked);

// A strip of 278 x 60 thumbnail cells side by side in one 32-bit bitmap. An image list splits a
// bitmap wider than its pictures into one picture per cell, so a whole strip goes in with one add,
// which costs little more than adding a single picture. A strip may be filled and added again.
class ThumbnailSheet {
 public:
  explicit ThumbnailSheet(int cells);
  ~ThumbnailSheet();
  ThumbnailSheet(const ThumbnailSheet&) = delete;
  ThumbnailSheet& operator=(const ThumbnailSheet&) = delete;

  // Cells of the strip; 0 when its bitmap could not be made.
  int Cells() const { return bits_ ? cells_ : 0; }
  // Puts the pixels (278 x 60) into cell `cell`. False when they have another size or the cell
  // does not exist.
  bool Paint(int cell, const PixelImage& pixels);
  // Copies a 278 x 60 bitmap into cell `cell`. False when it has another size, cannot be read or
  // the cell does not exist.
  bool Draw(int cell, HBITMAP picture);
  // Appends every cell to the list, in order; the first new slot, or -1 when the list refused.
  int AddTo(HIMAGELIST list);

 private:
  uint8_t* Cell(int cell, int y) const;

  int cells_ = 0;
  HBITMAP bitmap_ = nullptr;
  HBITMAP mask_ = nullptr;  // 0 for every pixel: opaque
  uint8_t* bits_ = nullptr;
};
