#include "store/capture_win.h"

#include <windows.h>

#include <algorithm>

#include "core/code_page_win.h"
#include "settings/settings.h"
#include "store/capture_item_win.h"
#include "store/capture_rules.h"
#include "store/clipboard_formats_win.h"
#include "store/clipboard_picture_win.h"
#include "store/item_extras.h"
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

// A picture block larger than this is not read: no picture the program can hold needs more.
constexpr size_t kMaxPictureBlock = 256u << 20;

// The texts of the open clipboard: CF_TEXT as offered (else made from the Unicode text), the
// Unicode text where the ANSI one cannot hold it, and the rich text and HTML offered with them.
bool ReadClipboardTexts(HANDLE ansiHandle, CopiedText& text) {
  const bool ansiRead = ansiHandle && ReadClipboardText(ansiHandle, text.ansi);
  std::wstring wide;
  const bool wideRead = ReadClipboardUnicode(MaxTextBytes, wide);
  if (!ansiRead) {
    // A CF_TEXT too long for the workspace makes no item, whatever else is offered.
    if (ansiHandle || !wideRead) return false;
    text.ansi = WideToAnsi(wide);
    if (!TextFitsWorkspace(text.ansi.size())) return false;
  }
  // CF_TEXT alone is taken as the system's code page spells it.
  text.unicode = KeptUnicode(text.ansi, wideRead && !wide.empty() ? std::move(wide) : AnsiToWide(text.ansi));
  ReadClipboardBlock(RichTextFormat(), MaxExtraBytes, text.richText, true);
  ReadClipboardBlock(HtmlFormat(), MaxExtraBytes, text.html, true);
  return true;
}

// The blocks a picture may come in besides CF_BITMAP. "PNG" is read whenever it is offered: it
// keeps the transparency that a bitmap loses. CF_DIBV5 only when the owner offered it (not made
// by the system from a bitmap), and CF_DIB only when there is no bitmap at all.
void ReadPictureBlocks(bool bitmapOffered, ClipboardEntry& entry) {
  if (ReadClipboardBlock(PngFormat(), kMaxPictureBlock, entry.pngBlock)) return;
  const bool ownDibV5 = !bitmapOffered || (OfferedBefore(CF_DIBV5, CF_BITMAP) && OfferedBefore(CF_DIBV5, CF_DIB));
  if (ownDibV5 && ReadClipboardBlock(CF_DIBV5, kMaxPictureBlock, entry.dibBlock)) return;
  if (!bitmapOffered) ReadClipboardBlock(CF_DIB, kMaxPictureBlock, entry.dibBlock);
}

}  // namespace

std::wstring KeptUnicode(const std::string& ansi, std::wstring unicode) {
  const bool beyondAscii = std::any_of(unicode.begin(), unicode.end(), [](wchar_t c) { return c >= 0x80; });
  if (!beyondAscii && AnsiToWide(ansi) == unicode) unicode.clear();
  return unicode;
}

std::wstring CopiedText::Real() const { return unicode.empty() ? AnsiToWide(ansi) : unicode; }

bool AddCapturedItem(int32_t kind, const std::string& name, int thumbnail, const WriteItemContent& writeContent,
                     const std::vector<ItemExtra>& extras) {
  if (Capture.SourceProgram.empty()) {
    return AddNewItem(kind, name, thumbnail, Settings.NewItemsChecked == 1, writeContent, extras);
  }
  std::vector<ItemExtra> withSource = extras;
  withSource.push_back(
      ItemExtra{ExtraKind::SourceProgram, std::vector<unsigned char>(Capture.SourceProgram.begin(), Capture.SourceProgram.end())});
  return AddNewItem(kind, name, thumbnail, Settings.NewItemsChecked == 1, writeContent, withSource);
}

void PlayCaptureSound() {
  if (Settings.SoundOnCapture == 1) PlayNotificationSound();
}

void ShowAfterCapture() {
  if (Settings.ShowAfterCopy == 1) ShowWindow(MainWindowHandle(), SW_RESTORE);
}

ClipboardEntry TakeClipboardEntry(HBITMAP bitmap, HANDLE text) {
  ClipboardEntry entry;
  // Everything else is read first: capturing a bitmap empties the clipboard, which frees the rest.
  entry.textHandle = text;
  // The program's own text is not read at all: capture passes it over.
  entry.textReadable = !(text && text == Capture.LastOwnText) && ReadClipboardTexts(text, entry.text);
  // The program's own picture is not read again in another format.
  if (!bitmap || bitmap != Capture.LastOwnBitmap) ReadPictureBlocks(bitmap != nullptr, entry);
  entry.picture = bitmap ? TakeClipboardBitmap(bitmap) : 0;
  if (bitmap && !entry.picture) {
    entry.pngBlock.clear();
    entry.dibBlock.clear();
  }
  return entry;
}

void AddClipboardEntry(const ClipboardEntry& entry) {
  // The image part starts with the chime, once the clipboard is closed.
  if (entry.picture || !entry.pngBlock.empty() || !entry.dibBlock.empty()) {
    AddClipboardPicture(entry.picture, entry.pngBlock, entry.dibBlock);
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
  if (!text) return;
  CopiedText copied;
  copied.ansi = *text;
  copied.unicode = KeptUnicode(copied.ansi, AnsiToWide(copied.ansi));
  CaptureLoadedText(copied);
}

void CaptureLoadedText(const CopiedText& text) {
  if (TextFitsWorkspace(text.ansi.size()) && text.unicode.size() <= MaxTextBytes) CaptureText(&text, nullptr);
}
