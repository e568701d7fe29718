// Putting items back on the clipboard and pasting them into the window behind the program.
#include "store/item_actions.h"

#include <windows.h>

#include <string>
#include <vector>

#include "core/file_bytes.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture_win.h"
#include "store/clipboard_open_win.h"
#include "store/collection_win.h"
#include "ui/layer/windows_win.h"

namespace {

constexpr DWORD kFocusReturnMs = 250;
constexpr DWORD kPasteSettleMs = 125;

HWND Main() { return MainWindowHandle(); }

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
void PutText(const Item& item) {
  std::vector<uint8_t> bytes;
  // A missing or empty text file leaves the clipboard as it was.
  if (!ReadFileBytes(ItemFilePath(item, ItemFile::Content), bytes) || bytes.empty()) return;
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

void PutPicture(const Item& item) {
  const int picture = LoadImageFile(ItemFilePath(item, ItemFile::Content));
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
  Collection.Items.Reset();
  while (Collection.Items.Next()) {
    if (Collection.Items.Current()->name == name) return true;
  }
  return false;
}

}  // namespace

void PutItemToClipboard() {
  const Item* current = Collection.Items.Current();
  if (!current) return;
  if (current->kind == ImageItem) {
    PutPicture(*current);
  } else {
    PutText(*current);
  }
}

void MakeRowCurrent(int32_t row) { Collection.Items.SelectPosition(row); }

bool PasteItem(int32_t row) {
  if (row < 0 || row >= Collection.Items.Count()) return false;
  MakeRowCurrent(row);
  const std::string name = Collection.Items.Current()->name;
  PutItemToClipboard();
  ShowWindow(Main(), SW_HIDE);
  Sleep(kFocusReturnMs);
  PressCtrlV();
  Sleep(kPasteSettleMs);
  bool deleted = false;
  if (Settings.DeleteAfterPaste == 1 && IsItemChecked(row) && MakeNamedItemCurrent(name) &&
      Collection.Items.CurrentPosition() == row) {
    RemoveItem(row);
    deleted = true;
  }
  Collection.HighlightedIndex = -1;
  return deleted;
}
