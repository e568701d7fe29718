#include "app/stored_items.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/items_file.h"
#include "app/thumbnail_reader.h"
#include "exchange/image/images_win.h"
#include "store/item_store.h"
#include "ui/layer/controls.h"
#include "ui/item_rows.h"
#include "ui/main_window.h"

namespace {

// Thumbnails go into the image list this many at a time.
constexpr int kSheetCells = 50;

// Puts row `row`'s thumbnail into cell `cell`: as the reader decoded it, else from the general
// loader (a bitmap, an icon, a missing or damaged file: blank). False when no picture could be
// made at all.
bool PaintThumbnail(ThumbnailReader& reader, ThumbnailSheet& sheet, int cell, size_t row, const std::string& path) {
  PixelImage pixels;
  if (reader.Take(row, pixels) && sheet.Paint(cell, pixels)) return true;
  const int image = LoadThumbnailOrBlank(path);
  const bool drawn = image && sheet.Draw(cell, ImageBitmap(image));
  if (image) DisposeImage(image);
  return drawn;
}

// An image list grown an add at a time copies all its pictures again and again: an empty one is
// made anew, of the same kind as NewThumbImageList's, with room for every row.
void MakeRoomForThumbnails(size_t count) {
  if (ImageList_GetImageCount(Ui.ThumbImageList) != 0 || count > static_cast<size_t>(INT_MAX)) return;
  HIMAGELIST roomy = ImageList_Create(ThumbWidth, ThumbHeight, ILC_COLORDDB | ILC_MASK, static_cast<int>(count), 0);
  if (!roomy) return;
  // The list lets go of the old image list before it is destroyed; it is given the new one at the end.
  SendMessageA(Ui.ItemListHandle, LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  ImageList_Destroy(Ui.ThumbImageList);
  Ui.ThumbImageList = roomy;
}

// Makes the rows first .. first + cells - 1 of the list; their thumbnails go in through the sheet
// of `cells` cells with one add and take consecutive slots, as adding them one by one would give.
void AddRows(const StoredItems& stored, const std::vector<std::string>& paths, ThumbnailReader& reader, size_t first,
             int cells, ThumbnailSheet& sheet) {
  std::vector<bool> drawn(static_cast<size_t>(cells));
  for (int cell = 0; cell < cells; ++cell) {
    const size_t row = first + static_cast<size_t>(cell);
    drawn[static_cast<size_t>(cell)] = PaintThumbnail(reader, sheet, cell, row, paths[row]);
  }
  const int firstSlot = sheet.AddTo(Ui.ThumbImageList);
  for (int cell = 0; cell < cells; ++cell) {
    int slot = firstSlot < 0 ? -1 : firstSlot + cell;
    // A cell without a picture still took its slot: that slot is free for the next capture.
    if (slot >= 0 && !drawn[static_cast<size_t>(cell)]) {
      ReleaseSlot(Store.FreeSlots, slot);
      slot = -1;
    }
    const StoredItem& record = stored.items[first + static_cast<size_t>(cell)];
    // Insert goes after the current element, so file order becomes list order.
    Store.Items.Insert(Item{record.kind, 0, record.name});
    InsertItemRow(static_cast<int>(first) + cell, slot, record.checked != 0);
  }
}

}  // namespace

StoredItemsReading::StoredItemsReading() {
  loaded_ = LoadItemsFile(WorkingPath("items.dat"), stored_);
  if (!loaded_) return;
  thumbnails_.reserve(stored_.items.size());
  for (const StoredItem& record : stored_.items) thumbnails_.push_back(WorkingPath(record.name + ".clt"));
  reader_ = std::make_unique<ThumbnailReader>(thumbnails_, ThumbWidth, ThumbHeight);
}

StoredItemsReading::~StoredItemsReading() = default;

void LoadStoredItems(StoredItemsReading& reading) {
  if (reading.loaded_) {
    const StoredItems& stored = reading.stored_;
    const std::vector<std::string>& paths = reading.thumbnails_;
    ThumbnailReader& reader = *reading.reader_;
    Store.Items.Reset();
    const size_t count = stored.items.size();
    MakeRoomForThumbnails(count);
    // The list is not redrawn for every row: with drawing on, each insertion cost milliseconds.
    SendMessageA(Ui.ItemListHandle, WM_SETREDRAW, FALSE, 0);
    // One sheet for every full batch: a new bitmap each time would cost its fresh memory again.
    const int fullCells = static_cast<int>(std::min<size_t>(kSheetCells, count));
    ThumbnailSheet sheet(fullCells);
    for (size_t first = 0; first < count; first += kSheetCells) {
      const int cells = static_cast<int>(std::min<size_t>(kSheetCells, count - first));
      if (cells == fullCells) {
        AddRows(stored, paths, reader, first, cells, sheet);
      } else {
        ThumbnailSheet rest(cells);
        AddRows(stored, paths, reader, first, cells, rest);
      }
    }
    SendMessageA(Ui.ItemListHandle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Ui.ItemListHandle, nullptr, TRUE);
    // The helpers are done: their threads end now rather than when the start-up ends.
    reading.reader_.reset();
  }
  SendMessageA(Ui.ItemListHandle, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(Ui.ThumbImageList));
  // Only with the thumbnails in place do the rows have their height, which sets how many fit.
  FitColumnWidth();
  SendMessageA(Ui.ItemListHandle, LVM_SCROLL, 0, 0);
}

void LoadStoredItems() {
  StoredItemsReading reading;
  LoadStoredItems(reading);
}

std::vector<StoredItem> CurrentStoredItems() {
  std::vector<StoredItem> records;
  records.reserve(static_cast<size_t>(Store.Items.Count()));
  for (int32_t row = 0; row < Store.Items.Count(); ++row) {
    const Item& item = Store.Items.At(row);
    const int32_t checked = (GetRowState(Ui.ItemList, row) & RowChecked) ? 1 : 0;
    records.push_back(StoredItem{item.kind, checked, item.name});
  }
  return records;
}

void WriteStoredItems() { SaveItemsFile(WorkingPath("items.dat"), CurrentStoredItems()); }

void EmptyWorkingDirectory() {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(WorkingPath("*.*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    DeleteFileA(WorkingPath(found.cFileName).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}
