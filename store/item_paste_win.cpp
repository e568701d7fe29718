// Putting items back on the clipboard and pasting them into the window behind the program.
#include "store/item_actions.h"

#include <windows.h>

#include <string>
#include <vector>

#include "core/code_page_win.h"
#include "core/file_bytes.h"
#include "core/unicode_text.h"
#include "exchange/image/alpha_picture.h"
#include "exchange/image/clipboard_dib.h"
#include "exchange/image/images_win.h"
#include "settings/settings.h"
#include "store/capture_win.h"
#include "store/clipboard_formats_win.h"
#include "store/clipboard_open_win.h"
#include "store/collection_win.h"
#include "ui/layer/windows_win.h"

namespace {

constexpr DWORD kFocusReturnMs = 250;
constexpr DWORD kPasteSettleMs = 125;

HWND Main() { return MainWindowHandle(); }

// The text the item holds: its ANSI bytes and, as Unicode, the text as it was copied (from its
// ANSI bytes when it keeps no other). Empty when its text file is missing or empty.
struct ItemText {
  std::vector<uint8_t> ansi;
  std::wstring unicode;
};

ItemText ReadItemText(const Item& item) {
  ItemText text;
  // A missing or empty text file leaves the clipboard as it was.
  if (!ReadFileBytes(ItemFilePath(item, ItemFile::Content), text.ansi) || text.ansi.empty()) return text;
  std::vector<unsigned char> utf8;
  std::u16string wide;
  if (ReadItemExtra(item, ExtraKind::UnicodeText, utf8) &&
      Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()), wide)) {
    text.unicode.assign(wide.begin(), wide.end());
  } else {
    text.unicode = AnsiToWide(std::string_view(reinterpret_cast<const char*>(text.ansi.data()), text.ansi.size()));
  }
  return text;
}

void PlaceText(UINT format, const std::vector<unsigned char>& bytes) {
  if (!bytes.empty()) PlaceClipboardBlock(format, bytes.data(), bytes.size(), true);
}

// CF_TEXT and CF_UNICODETEXT, and unless only the plain text is asked for, the rich text and
// HTML the item keeps.
PutResult PutText(const Item& item, PasteFormats formats) {
  const ItemText text = ReadItemText(item);
  if (text.ansi.empty()) return PutResult::NothingToPut;
  // Everything is read before the clipboard is taken, so other programs wait for no file.
  std::vector<unsigned char> richText;
  std::vector<unsigned char> html;
  if (formats == PasteFormats::Everything) {
    ReadItemExtra(item, ExtraKind::RichText, richText);
    ReadItemExtra(item, ExtraKind::Html, html);
  }
  ClipboardSession clipboard(Main());
  if (!clipboard.IsOpen() || !EmptyClipboard()) return PutResult::ClipboardBusy;
  HANDLE placed = PlaceClipboardBlock(CF_TEXT, text.ansi.data(), text.ansi.size(), true);
  if (!placed) return PutResult::NothingToPut;
  Capture.LastOwnText = placed;
  PlaceClipboardBlock(CF_UNICODETEXT, text.unicode.data(), text.unicode.size() * sizeof(wchar_t), true);
  PlaceText(RichTextFormat(), richText);
  PlaceText(HtmlFormat(), html);
  return PutResult::Placed;
}

// The picture's original with its transparency, as "PNG" and as a CF_DIBV5 block; both empty when
// it keeps none.
struct TransparentOriginal {
  std::vector<unsigned char> png;
  std::vector<uint8_t> dib;
};

TransparentOriginal ReadTransparentOriginal(const Item& item) {
  TransparentOriginal original;
  AlphaPicture pixels;
  if (!ReadItemExtra(item, ExtraKind::AlphaPicture, original.png) ||
      DecodePngWithAlpha(original.png.data(), original.png.size(), pixels) != DecodeStatus::Ok) {
    return TransparentOriginal{};
  }
  original.dib = MakeClipboardDibV5(pixels);
  return original;
}

PutResult PutPicture(const Item& item) {
  const TransparentOriginal original = ReadTransparentOriginal(item);
  const int picture = LoadImageFile(ItemFilePath(item, ItemFile::Content));
  // A picture that cannot be read leaves the clipboard as it was, like a missing text.
  if (!picture) return PutResult::NothingToPut;
  HANDLE copy = ImageIsIcon(picture) ? nullptr : CopyImage(ImageBitmap(picture), IMAGE_BITMAP, 0, 0, 0);
  DisposeImage(picture);
  if (!copy) return PutResult::NothingToPut;
  ClipboardSession clipboard(Main());
  if (!clipboard.IsOpen() || !EmptyClipboard()) {
    DeleteObject(copy);
    return PutResult::ClipboardBusy;
  }
  HANDLE placed = SetClipboardData(CF_BITMAP, copy);
  if (!placed) {
    DeleteObject(copy);
    return PutResult::NothingToPut;
  }
  Capture.LastOwnBitmap = static_cast<HBITMAP>(placed);
  // A picture kept with its transparency is offered with it too, after the bitmap.
  if (!original.png.empty()) PlaceClipboardBlock(PngFormat(), original.png.data(), original.png.size(), false);
  if (!original.dib.empty()) PlaceClipboardBlock(CF_DIBV5, original.dib.data(), original.dib.size(), false);
  return PutResult::Placed;
}

void PressCtrlV() {
  keybd_event(VK_CONTROL, 0, 0, 0);
  keybd_event('V', 0, 0, 0);
  keybd_event('V', 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
}

}  // namespace

PutResult PutItemToClipboard(const std::string& name, PasteFormats formats) {
  const Item* found = FindItem(name);
  if (!found) return PutResult::NothingToPut;
  // A copy: reading the files does not pump messages, but nothing here relies on that.
  const Item item = *found;
  return item.kind == ImageItem ? PutPicture(item) : PutText(item, formats);
}

PasteResult PasteItem(const std::string& name, PasteFormats formats, bool& busy) {
  busy = false;
  const PutResult put = PutItemToClipboard(name, formats);
  if (put != PutResult::Placed) {
    // Ctrl+V now would paste what the clipboard held before, and the item would be deleted
    // although it never reached the clipboard.
    busy = put == PutResult::ClipboardBusy;
    return PasteResult::NotPasted;
  }
  ShowWindow(Main(), SW_HIDE);
  Sleep(kFocusReturnMs);
  PressCtrlV();
  Sleep(kPasteSettleMs);
  PasteResult result = PasteResult::Pasted;
  // The item is found again by name: the row it had may have moved meanwhile.
  const Item* pasted = FindItem(name);
  if (Settings.DeleteAfterPaste == 1 && pasted && pasted->checked && !pasted->pinned) {
    RemoveItem(name);
    result = PasteResult::PastedAndDeleted;
  }
  Collection.HighlightedIndex = -1;
  return result;
}
