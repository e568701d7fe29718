// Putting items back on the clipboard and pasting them into the window behind the program.
#include "store/item_actions.h"

#include <windows.h>

#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/file_bytes.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture.h"
#include "store/clipboard_open.h"
#include "store/item_store.h"
#include "store/neighbour_row.h"
#include "store/picture_writes.h"
#include "ui/layer/controls.h"
#include "ui/layer/windows.h"
#include "ui/main_window.h"

namespace {

constexpr DWORD kFocusReturnMs = 250;
constexpr DWORD kPasteSettleMs = 125;

HWND Main() { return WindowHandle(Ui.MainWindow); }

// A moveable block holding the bytes and one zero after them; nullptr when it cannot be had.
HGLOBAL TextBlock(const std::vector<uint8_t>& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes.size() + 1);
  if (!block) return nullptr;
  auto* data = static_cast<char*>(GlobalLock(block));
  if (!data) {
    GlobalFree(block);
    return nullptr;
  }
  std::copy(bytes.begin(), bytes.end(), data);
  data[bytes.size()] = 0;
  GlobalUnlock(block);
  return block;
}

// The clipboard takes the block only when SetClipboardData succeeds; until then it is ours.
void PutText(const std::string& name) {
  std::vector<uint8_t> bytes;
  // A missing or empty text file leaves the clipboard as it was.
  if (!ReadFileBytes(WorkingPath(name + ".txt"), bytes) || bytes.empty()) return;
  HGLOBAL block = TextBlock(bytes);
  if (!block) return;
  ClipboardSession clipboard(Main());
  if (!clipboard.IsOpen() || !EmptyClipboard()) {
    GlobalFree(block);
    return;
  }
  HANDLE placed = SetClipboardData(CF_TEXT, block);
  if (!placed) {
    GlobalFree(block);
    return;
  }
  Capture.LastOwnText = placed;
}

void PutPicture(const std::string& name) {
  FinishPictureWrites();
  const std::string& extension = App.ImageExtensions[Settings.CompressImages != 0 ? 1 : 0];
  const int picture = LoadImageFile(WorkingPath(name + extension));
  // A picture that cannot be read leaves the clipboard as it was, like a missing text.
  if (!picture) return;
  HANDLE copy = ImageIsIcon(picture) ? nullptr : CopyImage(ImageBitmap(picture), IMAGE_BITMAP, 0, 0, 0);
  DisposeImage(picture);
  if (!copy) return;
  ClipboardSession clipboard(Main());
  if (!clipboard.IsOpen() || !EmptyClipboard()) {
    DeleteObject(copy);
    return;
  }
  HANDLE placed = SetClipboardData(CF_BITMAP, copy);
  if (!placed) {
    DeleteObject(copy);
    return;
  }
  Capture.LastOwnBitmap = static_cast<HBITMAP>(placed);
}

void PressCtrlV() {
  keybd_event(VK_CONTROL, 0, 0, 0);
  keybd_event('V', 0, 0, 0);
  keybd_event('V', 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
}

// The pasted item, found again by name: the row it had may have moved meanwhile.
bool MakeNamedItemCurrent(const std::string& name) {
  Store.Items.Reset();
  while (Store.Items.Next()) {
    if (Store.Items.Current()->name == name) return true;
  }
  return false;
}

}  // namespace

void PutItemToClipboard() {
  const Item* current = Store.Items.Current();
  if (!current) return;
  if (current->kind == ImageItem) {
    PutPicture(current->name);
  } else {
    PutText(current->name);
  }
}

void PasteItem(int32_t row) {
  if (row < 0 || row >= Store.Items.Count()) return;
  MakeRowCurrent(row);
  const std::string name = Store.Items.Current()->name;
  PutItemToClipboard();
  ShowWindow(Main(), SW_HIDE);
  Sleep(kFocusReturnMs);
  PressCtrlV();
  Sleep(kPasteSettleMs);
  bool deleted = false;
  if (Settings.DeleteAfterPaste == 1 && (GetRowState(Ui.ItemList, row) & RowChecked) && MakeNamedItemCurrent(name) &&
      Store.Items.CurrentPosition() == row) {
    DeleteCurrentItem();
    FitColumnWidth();
    deleted = true;
  }
  Store.HighlightedIndex = -1;
  if (Settings.ShowAfterPaste != 1) return;
  if (deleted && RowCount(Ui.ItemList) > 0) {
    SetControlState(Ui.ItemList, NeighbourAfterDeletion(row, RowCount(Ui.ItemList)));
    UpdateSelectionHighlight();
  }
  ShowWindow(Main(), SW_SHOWNORMAL);
}
