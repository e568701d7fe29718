#include "store/capture_win.h"

#include <windows.h>

#include "settings/settings.h"
#include "store/capture_item_win.h"
#include "store/capture_rules.h"
#include "store/clipboard_picture_win.h"
#include "ui/layer/windows_win.h"

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

}  // namespace

bool AddCapturedItem(int32_t kind, const std::string& name, int thumbnail, const WriteItemContent& writeContent) {
  return AddNewItem(kind, name, thumbnail, Settings.NewItemsChecked == 1, writeContent);
}

void PlayCaptureSound() {
  if (Settings.SoundOnCapture == 1) PlayNotificationSound();
}

void ShowAfterCapture() {
  if (Settings.ShowAfterCopy == 1) ShowWindow(MainWindowHandle(), SW_RESTORE);
}

ClipboardEntry TakeClipboardEntry(HBITMAP bitmap, HANDLE text) {
  ClipboardEntry entry;
  // The text is read first: capturing a bitmap empties the clipboard, which frees the text.
  entry.textHandle = text;
  entry.textReadable = text && ReadClipboardText(text, entry.text);
  entry.picture = bitmap ? TakeClipboardBitmap(bitmap) : 0;
  return entry;
}

void AddClipboardEntry(const ClipboardEntry& entry) {
  // The chime starts the image part, but not while the clipboard is held.
  if (entry.picture) {
    PlayCaptureSound();
    AddClipboardPicture(entry.picture);
  }
  CaptureText(entry.textReadable ? &entry.text : nullptr, entry.textHandle);
}

void CaptureEntry(HBITMAP bitmap, HANDLE text) {
  const ClipboardEntry entry = TakeClipboardEntry(bitmap, text);
  // Everything is read and the program's own copy is in place: other programs get the clipboard
  // back before the picture is encoded and the item's files are written.
  CloseClipboard();
  AddClipboardEntry(entry);
}

void CaptureEntry(int image, const std::string* text) {
  if (image) CaptureFileImage(image);
  if (text && TextFitsWorkspace(text->size())) CaptureText(text, nullptr);
}
