#include "store/capture_win.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <utility>

#include "core/code_page_win.h"
#include "exchange/image/images_win.h"
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


// A clipboard read timed for the budget: GetClipboardData waits while the owner renders.
template <typename Read>
bool Timed(ReadBudget& budget, UINT format, bool optional, Read read) {
  const DWORD start = GetTickCount();
  const bool done = read();
  budget.Took(format, optional, GetTickCount() - start);
  return done;
}

// An optional block, unless the budget skips it.
bool ReadOptionalBlock(ReadBudget& budget, UINT format, size_t maxBytes, std::vector<uint8_t>& bytes,
                       bool endsAtZero = false) {
  if (!format || budget.Skips(format)) return false;
  return Timed(budget, format, true, [&] { return ReadClipboardBlock(format, maxBytes, bytes, endsAtZero); });
}

// The texts of the open clipboard: CF_TEXT as offered (else made from the Unicode text) and the
// Unicode text where the ANSI one cannot hold it.
bool ReadClipboardTexts(HANDLE ansiHandle, ReadBudget& budget, CopiedText& text) {
  const bool ansiRead = ansiHandle && ReadClipboardText(ansiHandle, text.ansi);
  std::wstring wide;
  const bool wideRead = Timed(budget, CF_UNICODETEXT, false, [&] { return ReadClipboardUnicode(MaxTextBytes, wide); });
  if (!ansiRead) {
    // A CF_TEXT too long for the workspace makes no item, whatever else is offered.
    if (ansiHandle || !wideRead) return false;
    text.ansi = WideToAnsi(wide);
    if (!TextFitsWorkspace(text.ansi.size())) return false;
  }
  // CF_TEXT alone is taken as the system's code page spells it.
  text.unicode = KeptUnicode(text.ansi, wideRead && !wide.empty() ? std::move(wide) : AnsiToWide(text.ansi));
  return true;
}

// The rich text and HTML offered with a text: the last and the most costly to render.
void ReadRichFormats(ReadBudget& budget, const OfferedFormats& offered, CopiedText& text) {
  if (offered.Has(RichTextFormat())) ReadOptionalBlock(budget, RichTextFormat(), MaxExtraBytes, text.richText, true);
  if (offered.Has(HtmlFormat())) ReadOptionalBlock(budget, HtmlFormat(), MaxExtraBytes, text.html, true);
}

// The blocks a picture may come in besides CF_BITMAP. "PNG" is read whenever it is offered: it
// keeps the transparency that a bitmap loses. CF_DIBV5 only when the owner offered it (not made
// by the system from a bitmap), and CF_DIB only when there is no bitmap at all. Beside a bitmap
// they are optional.
void ReadPictureBlocks(bool bitmapOffered, ReadBudget& budget, const OfferedFormats& offered, ClipboardEntry& entry) {
  const auto read = [&](UINT format, std::vector<uint8_t>& bytes) {
    if (bitmapOffered) return ReadOptionalBlock(budget, format, kMaxPictureBlock, bytes);
    return format && Timed(budget, format, false, [&] { return ReadClipboardBlock(format, kMaxPictureBlock, bytes); });
  };
  if (offered.Has(PngFormat()) && read(PngFormat(), entry.pngBlock)) return;
  const bool ownDibV5 = !bitmapOffered || (OfferedBefore(CF_DIBV5, CF_BITMAP) && OfferedBefore(CF_DIBV5, CF_DIB));
  if (ownDibV5 && read(CF_DIBV5, entry.dibBlock)) return;
  if (!bitmapOffered) read(CF_DIB, entry.dibBlock);
}

// The picture: a copy of the bitmap's pixels and the blocks beside it.
void ReadPicture(HBITMAP bitmap, ReadBudget& budget, const OfferedFormats& offered, ClipboardEntry& entry) {
  entry.bitmapHandle = bitmap;
  ReadPictureBlocks(bitmap != nullptr, budget, offered, entry);
  if (!bitmap) return;
  entry.picture = CopyClipboardBitmap(bitmap);
  if (!entry.picture) {
    entry.pngBlock.clear();
    entry.dibBlock.clear();
  }
}

void ReadTextPart(HANDLE text, ReadBudget& budget, ClipboardEntry& entry) {
  entry.textHandle = text;
  entry.textReadable = ReadClipboardTexts(text, budget, entry.text);
}

}  // namespace

std::string ProgramOfProcess(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return {};
  wchar_t path[MAX_PATH * 4];
  DWORD length = static_cast<DWORD>(std::size(path));
  const bool named = QueryFullProcessImageNameW(process, 0, path, &length) != 0;
  CloseHandle(process);
  if (!named) return {};
  std::wstring_view name(path, length);
  const size_t slash = name.find_last_of(L"\\/");
  if (slash != std::wstring_view::npos) name.remove_prefix(slash + 1);
  return Utf8(name);
}

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

bool ReadBudget::Skips(UINT format) {
  if (slowSeen) return true;
  if (slow && !slow->Empty() && slow->IsSlow(Program(), format)) slowSeen = true;
  return slowSeen;
}

void ReadBudget::Took(UINT format, bool optional, DWORD ms) {
  if (!IsSlowRender(ms)) return;
  slowSeen = true;
  if (optional && slow) slow->Remember(Program(), format);
}

const std::string& ReadBudget::Program() {
  if (!named_) program_ = ownerProcess ? ProgramOfProcess(ownerProcess) : std::string();
  named_ = true;
  return program_;
}

ClipboardEntry::~ClipboardEntry() {
  if (picture) DeleteObject(picture);
}

ClipboardEntry::ClipboardEntry(ClipboardEntry&& other) noexcept { *this = std::move(other); }

ClipboardEntry& ClipboardEntry::operator=(ClipboardEntry&& other) noexcept {
  if (this == &other) return *this;
  if (picture) DeleteObject(picture);
  own = other.own;
  ownerProcess = other.ownerProcess;
  sourceProgram = std::move(other.sourceProgram);
  textHandle = other.textHandle;
  textReadable = other.textReadable;
  text = std::move(other.text);
  bitmapHandle = other.bitmapHandle;
  picture = std::exchange(other.picture, nullptr);
  pngBlock = std::move(other.pngBlock);
  dibBlock = std::move(other.dibBlock);
  return *this;
}

ClipboardEntry ReadClipboardEntry(ReadBudget& budget, const OfferedFormats& offered) {
  ClipboardEntry entry;
  HANDLE text = nullptr;
  Timed(budget, CF_TEXT, false, [&] { return (text = GetClipboardData(CF_TEXT)) != nullptr; });
  ReadTextPart(text, budget, entry);
  HBITMAP bitmap = nullptr;
  Timed(budget, CF_BITMAP, false,
        [&] { return (bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) != nullptr; });
  ReadPicture(bitmap, budget, offered, entry);
  if (entry.textReadable) ReadRichFormats(budget, offered, entry.text);
  return entry;
}

void AddClipboardEntry(ClipboardEntry& entry) {
  if (entry.own) {
    // The program's own text met once is forgotten, so that a later copy of the same handle counts.
    Capture.LastOwnText = nullptr;
    return;
  }
  // A bitmap the program saw last or placed itself is not taken again.
  int picture = 0;
  if (entry.bitmapHandle && entry.bitmapHandle == Capture.LastOwnBitmap) {
    entry.pngBlock.clear();
    entry.dibBlock.clear();
  } else if (entry.picture) {
    Capture.LastOwnBitmap = entry.bitmapHandle;
    picture = AdoptImageHandle(-1, entry.picture, false);
    if (picture) entry.picture = nullptr;
  }
  // The image part starts with the chime, once the clipboard is closed.
  if (picture || (!entry.bitmapHandle && (!entry.pngBlock.empty() || !entry.dibBlock.empty()))) {
    AddClipboardPicture(picture, entry.pngBlock, entry.dibBlock);
  }
  CaptureText(entry.textReadable ? &entry.text : nullptr, entry.textHandle);
}

void CaptureEntry(HBITMAP bitmap, HANDLE text) {
  ReadBudget budget;
  const OfferedFormats offered = OfferedFormats::List();
  ClipboardEntry entry;
  ReadTextPart(text, budget, entry);
  ReadPicture(bitmap, budget, offered, entry);
  if (entry.textReadable) ReadRichFormats(budget, offered, entry.text);
  // Everything is read: other programs get the clipboard back before the picture is encoded and
  // the item's files are written.
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
