// Deleting items: the row, the slot, the files and the list element go together.
#include <windows.h>
#include <commctrl.h>

#include "app/app_state.h"
#include "settings/settings.h"
#include "store/item_actions.h"
#include "store/item_store.h"
#include "store/picture_writes.h"
#include "app/items_file.h"
#include "ui/layer/controls.h"
#include "ui/item_rows.h"
#include "ui/main_window.h"

namespace {

void DeleteItemFiles(const Item& item) {
  CancelPictureWrite(item.name);
  // A name that could point outside the working directory never reaches DeleteFile.
  if (!IsSafeItemName(item.name)) return;
  DeleteFileA(WorkingPath(item.name + ".clt").c_str());
  if (item.kind == ImageItem) {
    const std::string& extension = App.ImageExtensions[Settings.CompressImages != 0 ? 1 : 0];
    DeleteFileA(WorkingPath(item.name + extension).c_str());
  } else {
    DeleteFileA(WorkingPath(item.name + ".txt").c_str());
  }
}

}  // namespace

void MakeRowCurrent(int32_t row) {
  Store.Items.SelectPosition(row);
}

void DeleteCurrentItem() {
  const Item* current = Store.Items.Current();
  if (!current) return;
  const int row = Store.Items.CurrentPosition();
  const int slot = RowSlot(row);
  if (slot >= 0) ReleaseSlot(Store.FreeSlots, slot);
  RemoveRow(Ui.ItemList, row);
  DeleteItemFiles(*current);
  Store.Items.DeleteCurrent();
  Store.HighlightedIndex = -1;
}

void DeleteCheckedItems() {
  Store.Items.Reset();
  // Deletion moves the cursor back one element, so the next step reaches the following item.
  while (Store.Items.Next()) {
    if (GetRowState(Ui.ItemList, Store.Items.CurrentPosition()) & RowChecked) DeleteCurrentItem();
  }
  FitColumnWidth();
}
