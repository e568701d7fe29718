#include "app/stored_items.h"

#include <windows.h>
#include <commctrl.h>

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

// Puts row `row`'s thumbnail into the image list: into slot `slot` when the list was sized for all
// rows, else appended. The thumbnail comes from the reader when it could decode the file, else
// from the general loader (a bitmap, an icon, a missing or damaged file: blank). The row's slot,
// or -1 when it has no picture.
int PutThumbnail(ThumbnailReader& reader, ThumbnailCanvas& canvas, size_t row, int slot, const std::string& path) {
  PixelImage pixels;
  if (reader.Take(row, pixels)) {
    if (slot < 0) return canvas.Add(Ui.ThumbImageList, pixels);
    if (canvas.Replace(Ui.ThumbImageList, slot, pixels)) return slot;
  }
  const int image = LoadThumbnailOrBlank(path);
  int put = -1;
  if (slot < 0) {
    if (image) put = ImageList_Add(Ui.ThumbImageList, ImageBitmap(image), nullptr);
  } else if (image && ImageList_Replace(Ui.ThumbImageList, slot, ImageBitmap(image), nullptr)) {
    put = slot;
  }
  if (image) DisposeImage(image);
  return put;
}

}  // namespace

void LoadStoredItems() {
  StoredItems stored;
  if (LoadItemsFile(WorkingPath("items.dat"), stored)) {
    Store.Items.Reset();
    // The image list is sized once: grown one add at a time it copies all its pictures again and
    // again, which made a start with many items take seconds. Rows take slots in order, as adding
    // them would give.
    const int firstSlot = ImageList_GetImageCount(Ui.ThumbImageList);
    const bool sized =
        ImageList_SetImageCount(Ui.ThumbImageList, static_cast<UINT>(firstSlot + stored.items.size())) != FALSE;
    std::vector<std::string> paths;
    paths.reserve(stored.items.size());
    for (const StoredItem& record : stored.items) paths.push_back(WorkingPath(record.name + ".clt"));
    // Helper threads read and decode the thumbnails while the rows are made here.
    ThumbnailReader reader(paths, ThumbWidth, ThumbHeight);
    ThumbnailCanvas canvas;
    // The list is not redrawn for every row: with drawing on, each insertion cost milliseconds.
    SendMessageA(Ui.ItemListHandle, WM_SETREDRAW, FALSE, 0);
    int row = 0;
    for (const StoredItem& record : stored.items) {
      // Insert goes after the current element, so file order becomes list order.
      Store.Items.Insert(Item{record.kind, 0, record.name});
      const int wanted = sized ? firstSlot + row : -1;
      const int slot = PutThumbnail(reader, canvas, static_cast<size_t>(row), wanted, paths[static_cast<size_t>(row)]);
      if (sized && slot < 0) ReleaseSlot(Store.FreeSlots, wanted);
      InsertRow(Ui.ItemList, row, "");
      SetRowSlot(row, slot);
      if (record.checked) SetRowState(Ui.ItemList, row, RowChecked);
      ++row;
    }
    FitColumnWidth();
    SendMessageA(Ui.ItemListHandle, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Ui.ItemListHandle, nullptr, TRUE);
  }
  SendMessageA(Ui.ItemListHandle, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(Ui.ThumbImageList));
  SendMessageA(Ui.ItemListHandle, LVM_SCROLL, 0, 0);
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
