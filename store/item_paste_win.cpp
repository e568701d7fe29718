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
void PutText(const Item& item, PasteFormats formats) {
  const ItemText text = ReadItemText(item);
  if (text.ansi.empty()) return;
  // Everything is read before the clipboard is taken, so other programs wait for no file.
  std::vector<unsigned char> richText;
  std::vector<unsigned char> html;
  if (formats == PasteFormats::Everything) {
    ReadItemExtra(item, ExtraKind::RichText, richText);
    ReadItemExtra(item, ExtraKind::Html, html);
  }
  ClipboardSession clipboard(Main());
  if (!clipboard.IsOpen() || !EmptyClipboard()) return;
  HANDLE placed = PlaceClipboardBlock(CF_TEXT, text.ansi.data(), text.ansi.size(), true);
  if (!placed) return;
  Capture.LastOwnText = placed;
  PlaceClipboardBlock(CF_UNICODETEXT, text.unicode.data(), text.unicode.size() * sizeof(wchar_t), true);
  PlaceText(RichTextFormat(), richText);
  PlaceText(HtmlFormat(), html);
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

void PutPicture(const Item& item) {
  const TransparentOriginal original = ReadTransparentOriginal(item);
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
  // A picture kept with its transparency is offered with it too, after the bitmap.
  if (!original.png.empty()) PlaceClipboardBlock(PngFormat(), original.png.data(), original.png.size(), false);
  if (!original.dib.empty()) PlaceClipboardBlock(CF_DIBV5, original.dib.data(), original.dib.size(), false);
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

void PutItemToClipboard(PasteFormats formats) {
  const Item* current = Collection.Items.Current();
  if (!current) return;
  if (current->kind == ImageItem) {
    PutPicture(*current);
  } else {
    PutText(*current, formats);
  }
}

void MakeRowCurrent(int32_t row) { Collection.Items.SelectPosition(ItemPositionOfRow(row)); }

bool PasteItem(int32_t row, PasteFormats formats) {
  if (!RowItem(row)) return false;
  MakeRowCurrent(row);
  const std::string name = Collection.Items.Current()->name;
  PutItemToClipboard(formats);
  ShowWindow(Main(), SW_HIDE);
  Sleep(kFocusReturnMs);
  PressCtrlV();
  Sleep(kPasteSettleMs);
  bool deleted = false;
  if (Settings.DeleteAfterPaste == 1 && IsItemChecked(row) && MakeNamedItemCurrent(name) &&
      Collection.Items.CurrentPosition() == ItemPositionOfRow(row)) {
    RemoveItem(row);
    deleted = true;
  }
  Collection.HighlightedIndex = -1;
  return deleted;
}
