#include "store/item_find_win.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <unordered_set>
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

// Which text items keep a Unicode text, from one look through the working folder. Asking for each
// NAME.utf instead would cost a search of a folder of thousands of files for every item without
// one (a file that is not there is looked for under every spelling of its name).
struct UnicodeTexts {
  bool listed = false;
  std::unordered_set<std::string> texts;    // names with a NAME.txt when the folder was listed
  std::unordered_set<std::string> unicode;  // names with a NAME.utf then
};
UnicodeTexts Listed;

// The names of the items that have a file of that extension (".txt").
std::unordered_set<std::string> NamesWith(const char* extension) {
  std::unordered_set<std::string> names;
  const size_t length = std::strlen(extension);
  for (const std::string& file : WorkingFileNames(std::string("*") + extension)) {
    // The pattern may also match short names; the long name decides.
    if (file.size() > length && lstrcmpiA(file.c_str() + file.size() - length, extension) == 0) {
      names.insert(file.substr(0, file.size() - length));
    }
  }
  return names;
}

// False only when the item was listed without a Unicode text; an item newer than the listing may
// keep one, and its file is asked for.
bool MayKeepUnicode(const std::string& name) {
  if (!Listed.listed) {
    Listed.texts = NamesWith(".txt");
    Listed.unicode = NamesWith(".utf");
    Listed.listed = true;
  }
  return !Listed.texts.count(name) || Listed.unicode.count(name);
}

// The texts of many items read on a helper thread while the user begins to type; taken over by
// the first search that needs them. The helper reads files only: what it touches of the program's
// state (the folder listing above) is made before it starts and not changed until it is joined.
struct Preparation {
  std::thread reader;
  std::unordered_map<std::string, FoundText> read;  // the reader's own until it is joined
  std::unordered_set<std::string> forgotten;        // items that went meanwhile
  ~Preparation() {
    if (reader.joinable()) reader.join();
  }
};
Preparation Prepared;

std::u16string ItemText(const Item& item);

FoundText FoundTextOf(const Item& item) {
  std::u16string folded = FoldForFind(ItemText(item));
  const bool keep = folded.size() <= kMaxKeptChars;
  return FoundText{keep, keep ? std::move(folded) : std::u16string()};
}

// Waits for the reader, if one runs, and keeps what it read.
void FinishPreparing() {
  if (!Prepared.reader.joinable()) return;
  Prepared.reader.join();
  for (auto& [name, found] : Prepared.read) {
    if (!Prepared.forgotten.count(name)) Kept.emplace(name, std::move(found));
  }
  Prepared.read.clear();
  Prepared.forgotten.clear();
}

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
  if (MayKeepUnicode(item.name) && ReadItemExtra(item, ExtraKind::UnicodeText, bytes) &&
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

void PrepareToFind(std::vector<Item> items) {
  if (Prepared.reader.joinable()) return;
  items.erase(std::remove_if(items.begin(), items.end(), [](const Item& item) { return Kept.count(item.name) != 0; }),
              items.end());
  if (items.empty()) return;
  MayKeepUnicode(items.front().name);  // lists the folder here, before the reader needs it
  try {
    Prepared.reader = std::thread([items = std::move(items)] {
      for (const Item& item : items) Prepared.read.emplace(item.name, FoundTextOf(item));
    });
  } catch (const std::system_error&) {
    // No thread: the first search reads the texts itself.
  }
}

bool ItemMatchesFind(const Item& item, const std::u16string& foldedQuery) {
  if (foldedQuery.empty()) return true;
  FinishPreparing();
  auto found = Kept.find(item.name);
  if (found == Kept.end()) found = Kept.emplace(item.name, FoundTextOf(item)).first;
  if (!found->second.kept) return FoldForFind(ItemText(item)).find(foldedQuery) != std::u16string::npos;
  return found->second.folded.find(foldedQuery) != std::u16string::npos;
}

void ForgetFindText(const std::string& name) {
  Kept.erase(name);
  if (Prepared.reader.joinable()) Prepared.forgotten.insert(name);
}

void ForgetEveryFindText() {
  FinishPreparing();
  Kept.clear();
  Listed = UnicodeTexts{};
}
