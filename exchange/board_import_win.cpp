#include "exchange/board_import.h"

#include <windows.h>
#include <commctrl.h>

#include "app/app_state.h"
#include "app/texts.h"
#include "exchange/board_format.h"
#include "exchange/board_reader.h"
#include "exchange/image/images_win.h"
#include "exchange/progress_window.h"
#include "settings/settings.h"
#include "store/item_actions.h"
#include "store/item_store.h"
#include "ui/layer/controls.h"
#include "ui/layer/drawing.h"
#include "ui/layer/requesters.h"
#include "ui/item_rows.h"
#include "ui/main_window.h"

namespace {

bool CanOpen(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

void AttachThumbImageList() {
  SendMessageA(Ui.ItemListHandle, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(Ui.ThumbImageList));
}

std::string ContentPath(const BoardEntry& entry) {
  const bool image = entry.kind == BoardKindImage;
  return WorkingPath(entry.name + (image ? App.ImageExtensions[Settings.CompressImages != 0 ? 1 : 0] : ".txt"));
}

// Writes the entry's files and adds its item and row at `row`. An entry whose picture or text
// cannot be written is left out (it would be an item without contents); a thumbnail that cannot
// be written only costs the row its picture.
bool AddEntry(const BoardEntry& entry, int row) {
  const std::string content = ContentPath(entry);
  if (!CreateBoardItemFile(content, entry.content)) {
    DeleteFileA(content.c_str());
    return false;
  }
  const std::string thumbnailPath = WorkingPath(entry.name + ".clt");
  CreateBoardItemFile(thumbnailPath, entry.thumbnail);

  // Insert goes after the current element, so board order becomes list order.
  Store.Items.Insert(Item{entry.kind == BoardKindImage ? ImageItem : TextItem, 0, entry.name});
  const int thumbnail = LoadThumbnailOrBlank(thumbnailPath);
  const int slot = thumbnail ? ImageList_Add(Ui.ThumbImageList, ImageBitmap(thumbnail), nullptr) : -1;
  InsertRow(Ui.ItemList, row, "");
  SetRowSlot(row, slot);
  if (entry.checked) SetRowState(Ui.ItemList, row, RowChecked);
  FitColumnWidth();
  if (thumbnail) DisposeImage(thumbnail);
  return true;
}

}  // namespace

void ImportBoard(const std::string& givenPath) {
  std::string path = givenPath;
  if (path.empty()) path = AskOpenFile(Text(24), Settings.LastBoardFile, Text(27) + "|*.ksb", 0, false);
  if (path.empty() || !CanOpen(path)) return;

  // The whole board is read and checked before anything changes: a refused board leaves the
  // collection, the item limit and the working directory as they were.
  Board board;
  if (!ReadBoardFile(path, board).Ok()) {
    AttachThumbImageList();
    ProcessPendingEvents();
    return;
  }

  Settings.LastBoardFile = path;
  ResetStore();
  if (board.itemLimit > Settings.ItemLimit) Settings.ItemLimit = board.itemLimit;
  Store.Items.Reset();
  int row = 0;
  for (const BoardEntry& entry : board.entries) {
    if (AddEntry(entry, row)) ++row;
  }
  AttachThumbImageList();
  ProcessPendingEvents();
}
