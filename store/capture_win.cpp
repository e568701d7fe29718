#include "store/capture.h"

#include <windows.h>
#include <commctrl.h>

#include "app/app_state.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture_item.h"
#include "store/clipboard_picture.h"
#include "store/capture_rules.h"
#include "store/item_actions.h"
#include "store/item_store.h"
#include "store/picture_writes.h"
#include "ui/layer/controls.h"
#include "ui/item_rows.h"
#include "ui/layer/windows.h"
#include "ui/main_window.h"

CaptureState Capture;

namespace {

// The text of a CF_TEXT handle, read no further than the memory block; false when it cannot be
// read or is longer than a text may be.
bool ReadClipboardText(HANDLE handle, std::string& text) {
  const auto* data = static_cast<const char*>(GlobalLock(handle));
  if (!data) return false;
  const size_t length = BoundedTextLength(data, GlobalSize(handle));
  const bool fits = TextFitsWorkspace(length);
  if (fits) text.assign(data, length);
  GlobalUnlock(handle);
  return fits;
}

int NewSlot(HBITMAP thumbnail) {
  const int32_t freeSlot = TakeFreeSlot(Store.FreeSlots);
  if (freeSlot < 0) return ImageList_Add(Ui.ThumbImageList, thumbnail, nullptr);
  if (ImageList_Replace(Ui.ThumbImageList, freeSlot, thumbnail, nullptr)) return freeSlot;
  Store.FreeSlots.push_front(freeSlot);
  return -1;
}

void Withdraw(const std::string& name, int slot) {
  CancelPictureWrite(name);
  DeleteFileA(WorkingPath(name + ".clt").c_str());
  DeleteFileA(WorkingPath(name + ".bmp").c_str());
  DeleteFileA(WorkingPath(name + ".txt").c_str());
  Store.Items.SelectPosition(0);
  Store.Items.DeleteCurrent();
  ReleaseSlot(Store.FreeSlots, slot);
}

}  // namespace

bool AddCapturedItem(int32_t kind, const std::string& name, int thumbnail, const WriteItemContent& writeContent) {
  TrimToLimit(Store.Items, Settings.ItemLimit, DeleteCurrentItem);
  const int slot = NewSlot(ImageBitmap(thumbnail));
  if (slot < 0) return false;
  Store.Items.Reset();
  Store.Items.Insert(Item{kind, 0, name});
  const bool written = SaveImageFile(thumbnail, WorkingPath(name + ".clt"), ImageEncoding::Png) == 1 &&
                       writeContent(name);
  if (!written || InsertRow(Ui.ItemList, 0, "") != 0) {
    Withdraw(name, slot);
    return false;
  }
  SetRowSlot(0, slot);
  if (Settings.NewItemsChecked == 1) SetRowState(Ui.ItemList, 0, RowChecked);
  FitColumnWidth();
  return true;
}

void PlayCaptureSound() {
  if (Settings.SoundOnCapture == 1) PlayNotificationSound();
}

void ShowAfterCapture() {
  if (Settings.ShowAfterCopy == 1) ShowWindow(WindowHandle(Ui.MainWindow), SW_RESTORE);
}

void CaptureEntry(HBITMAP bitmap, HANDLE text) {
  // The text is read first: capturing a bitmap empties the clipboard, which frees the text.
  std::string content;
  const bool textReadable = text && ReadClipboardText(text, content);
  const int picture = bitmap ? TakeClipboardBitmap(bitmap) : 0;
  // Everything is read and the program's own copy is in place: other programs get the clipboard
  // back before the picture is encoded and the item's files are written.
  CloseClipboard();
  // The chime starts the image part, but not while the clipboard is held.
  if (picture) {
    PlayCaptureSound();
    AddClipboardPicture(picture);
  }
  CaptureText(textReadable ? &content : nullptr, text);
}

void CaptureEntry(int image, const std::string* text) {
  if (image) CaptureFileImage(image);
  if (text && TextFitsWorkspace(text->size())) CaptureText(text, nullptr);
}
