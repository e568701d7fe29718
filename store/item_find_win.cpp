#include "store/item_find_win.h"

#include <windows.h>

#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/code_page_win.h"
#include "core/file_bytes.h"
#include "core/unicode_text.h"
#include "store/collection_win.h"
#include "store/item_find.h"

namespace {

// Texts up to this many characters are kept in memory; a longer one is read again at each search,
// so that a few huge texts cannot make the program hold their whole size twice over.
constexpr size_t kMaxKeptChars = size_t{64} << 10;
// A BMP's sides sit in its first 26 bytes, a PNG's in its first 24.
constexpr size_t kPictureHeaderBytes = 32;

struct FoundText {
  bool kept = false;  // false: too long to keep, read again when searched
  std::u16string folded;
};
std::unordered_map<std::string, FoundText> Kept;

std::u16string ItemText(const Item& item) {
  std::vector<uint8_t> bytes;
  if (item.kind == ImageItem) {
    int32_t width = 0, height = 0;
    if (ReadFileBytes(ItemFilePath(item, ItemFile::Content), bytes, kPictureHeaderBytes) &&
        PictureFileSize(bytes, width, height)) {
      return PictureFindText(width, height);
    }
    return {};
  }
  std::u16string text;
  if (ReadItemExtra(item, ExtraKind::UnicodeText, bytes) &&
      Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), text)) {
    return text;
  }
  if (ReadWholeFile(ItemFilePath(item, ItemFile::Content), bytes, MaxDataFileBytes) != FileRead::Ok) return {};
  const std::wstring wide = AnsiToWide(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return std::u16string(wide.begin(), wide.end());
}

}  // namespace

std::u16string FoldForFind(std::u16string text) {
  if (!text.empty()) CharLowerBuffW(reinterpret_cast<wchar_t*>(text.data()), static_cast<DWORD>(text.size()));
  return text;
}

bool ItemMatchesFind(const Item& item, const std::u16string& foldedQuery) {
  if (foldedQuery.empty()) return true;
  auto found = Kept.find(item.name);
  if (found == Kept.end()) {
    std::u16string folded = FoldForFind(ItemText(item));
    const bool keep = folded.size() <= kMaxKeptChars;
    found = Kept.emplace(item.name, FoundText{keep, keep ? std::move(folded) : std::u16string()}).first;
    if (!keep) return folded.find(foldedQuery) != std::u16string::npos;
  }
  if (!found->second.kept) return FoldForFind(ItemText(item)).find(foldedQuery) != std::u16string::npos;
  return found->second.folded.find(foldedQuery) != std::u16string::npos;
}

void ForgetFindText(const std::string& name) { Kept.erase(name); }
void ForgetEveryFindText() { Kept.clear(); }
