#include "store/item_find_win.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
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
// A BMP's sides sit in its first 26 bytes, a PNG's in its first 24 unless ancillary chunks come
// before its header; a read of 256 bytes costs no more than one of 32.
constexpr size_t kPictureHeaderBytes = 256;

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
  std::unordered_set<std::string> items;    // names with a NAME.clt (every item has one) then
  std::unordered_set<std::string> sources;  // names with a NAME.src then
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

// False only when the item was listed without the program it came from.
bool MayHaveSource(const std::string& name) {
  if (!Listed.listed) MayKeepUnicode(name);
  if (Listed.items.empty()) {
    Listed.items = NamesWith(".clt");
    Listed.sources = NamesWith(".src");
  }
  return !Listed.items.count(name) || Listed.sources.count(name);
}

// The texts of many items read on a helper thread while the user begins to type. The helper reads
// files only, from copies of what it needs, into results of its own that the window's thread
// takes over as they come: a search never waits for it, it shows what has been read so far and
// is refined as the rest arrives. A reader that is no longer wanted is told to stop and left to
// end on its own; only shutdown waits for it (for one file at most), before the folder is touched.
struct ReadJob {
  Item item;
  bool mayKeepUnicode = true;
  bool mayHaveSource = true;
};
struct ReaderShared {
  std::atomic<bool> cancelled{false};
  std::atomic<bool> finished{false};
  std::mutex mutex;
  std::vector<std::pair<std::string, FoundText>> read;  // handed over, not yet taken
};
struct ReaderThread {
  std::thread thread;
  std::shared_ptr<ReaderShared> shared;
};
struct Reading {
  std::shared_ptr<ReaderShared> shared;
  std::thread thread;
  std::unordered_set<std::string> waiting;  // items the reader has still to hand over
  std::vector<ReaderThread> stopped;        // readers told to stop, joined once they have ended
  bool arrived = false;                     // texts were taken since FindTextsArrived last asked
};
Reading Reader;

FoundText Found(std::u16string text) {
  std::u16string folded = FoldForFind(std::move(text));
  const bool keep = folded.size() <= kMaxKeptChars;
  return FoundText{keep, keep ? std::move(folded) : std::u16string()};
}

// Takes over what the reader has handed over; an item that went meanwhile is not waited for, and
// its text is dropped.
void TakeReadTexts() {
  if (!Reader.shared) return;
  // Asked before the hand-over is taken: a reader that had finished then has handed over all.
  const bool ended = Reader.shared->finished;
  std::vector<std::pair<std::string, FoundText>> read;
  {
    const std::lock_guard<std::mutex> lock(Reader.shared->mutex);
    read.swap(Reader.shared->read);
  }
  for (auto& [name, found] : read) {
    if (Reader.waiting.erase(name) == 0) continue;
    Kept.insert_or_assign(name, std::move(found));
    Reader.arrived = true;
  }
  // Nothing more comes: what it did not hand over is read when it is searched.
  if (ended) Reader.waiting.clear();
}

void JoinEndedReaders(bool waitForAll) {
  if (Reader.thread.joinable() && Reader.shared && (waitForAll || Reader.shared->finished)) Reader.thread.join();
  for (auto it = Reader.stopped.begin(); it != Reader.stopped.end();) {
    // A stopped reader ends after the file it is reading; until then it is left alone.
    if (waitForAll || it->shared->finished) {
      it->thread.join();
      it = Reader.stopped.erase(it);
    } else {
      ++it;
    }
  }
}

void RetireReader() {
  if (Reader.thread.joinable()) Reader.stopped.push_back(ReaderThread{std::move(Reader.thread), Reader.shared});
}

// Tells the reader to stop and forgets it: its results are not taken.
void StopReading() {
  TakeReadTexts();
  if (Reader.shared) Reader.shared->cancelled = true;
  RetireReader();
  Reader.shared.reset();
  Reader.waiting.clear();
}

std::u16string ContentText(const Item& item, bool mayKeepUnicode, const std::string& contentPath);

// What a find looks through: the item's content, and on a line of its own the program it came from.
std::u16string ItemText(const ReadJob& job, const std::string& contentPath) {
  std::u16string text = ContentText(job.item, job.mayKeepUnicode, contentPath);
  std::vector<uint8_t> program;
  if (job.mayHaveSource && ReadItemExtra(job.item, ExtraKind::SourceProgram, program)) {
    text += u'\n';
    text += Utf8ToUtf16Lossy(std::string_view(reinterpret_cast<const char*>(program.data()), program.size()));
  }
  return text;
}

std::u16string ContentText(const Item& item, bool mayKeepUnicode, const std::string& contentPath) {
  std::vector<uint8_t> bytes;
  if (item.kind == ImageItem) {
    int32_t width = 0, height = 0;
    if (ReadFileBytes(contentPath, bytes, kPictureHeaderBytes) && PictureFileSize(bytes, width, height)) {
      return PictureFindText(width, height);
    }
    return {};
  }
  std::u16string text;
  if (mayKeepUnicode && ReadItemExtra(item, ExtraKind::UnicodeText, bytes) &&
      Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), text)) {
    return text;
  }
  if (ReadWholeFile(contentPath, bytes, MaxDataFileBytes) != FileRead::Ok) return {};
  const std::wstring wide = AnsiToWide(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  return std::u16string(wide.begin(), wide.end());
}

// The text of an item read here, on the window's thread (one the reader does not bring).
std::u16string ItemTextNow(const Item& item) {
  return ItemText(ReadJob{item, MayKeepUnicode(item.name), MayHaveSource(item.name)}, ItemFilePath(item, ItemFile::Content));
}

}  // namespace

std::u16string FoldForFind(std::u16string text) {
  if (!text.empty()) CharLowerBuffW(reinterpret_cast<wchar_t*>(text.data()), static_cast<DWORD>(text.size()));
  return text;
}

void PrepareToFind(std::vector<Item> items) {
  TakeReadTexts();
  JoinEndedReaders(false);
  if (Reader.shared && !Reader.shared->finished) return;
  std::vector<ReadJob> jobs;
  jobs.reserve(items.size());
  for (Item& item : items) {
    if (Kept.count(item.name) || Reader.waiting.count(item.name)) continue;
    // The folder is listed here, on the window's thread: the reader touches no state of the program.
    const bool unicode = item.kind == TextItem && MayKeepUnicode(item.name);
    const bool source = MayHaveSource(item.name);
    jobs.push_back(ReadJob{std::move(item), unicode, source});
  }
  if (jobs.empty()) return;
  auto shared = std::make_shared<ReaderShared>();
  std::unordered_set<std::string> waiting;
  for (const ReadJob& job : jobs) waiting.insert(job.item.name);
  try {
    // Picture paths as they are made: the reader does not wait for a picture being written (its
    // size is read when it is searched next, once the file is there).
    std::thread reader([shared, jobs = std::move(jobs)] {
      for (const ReadJob& job : jobs) {
        if (shared->cancelled) break;
        FoundText found =
            Found(ItemText(job, NewItemFilePath(job.item.name, job.item.kind, ItemFile::Content)));
        const std::lock_guard<std::mutex> lock(shared->mutex);
        shared->read.emplace_back(job.item.name, std::move(found));
      }
      shared->finished = true;
    });
    // A reader that is still here has finished (or there would be no new one).
    JoinEndedReaders(false);
    RetireReader();
    Reader.thread = std::move(reader);
    Reader.shared = std::move(shared);
    Reader.waiting = std::move(waiting);
  } catch (const std::system_error&) {
    // No thread: each search reads the texts it needs itself.
  }
}

bool ItemMatchesFind(const Item& item, const std::u16string& foldedQuery) {
  if (foldedQuery.empty()) return true;
  TakeReadTexts();
  auto found = Kept.find(item.name);
  if (found == Kept.end()) {
    // Still on its way: it joins the rows shown when it arrives (FindTextsArrived).
    if (Reader.waiting.count(item.name)) return false;
    found = Kept.emplace(item.name, Found(ItemTextNow(item))).first;
  }
  if (!found->second.kept) return FoldForFind(ItemTextNow(item)).find(foldedQuery) != std::u16string::npos;
  return found->second.folded.find(foldedQuery) != std::u16string::npos;
}

bool FindTextsArrived() {
  TakeReadTexts();
  JoinEndedReaders(false);
  const bool arrived = Reader.arrived;
  Reader.arrived = false;
  return arrived;
}

void ForgetFindText(const std::string& name) {
  Kept.erase(name);
  Reader.waiting.erase(name);
}

void ForgetEveryFindText() {
  StopReading();
  Kept.clear();
  Listed = UnicodeTexts{};
}

void StopFindReader() {
  StopReading();
  JoinEndedReaders(true);
}
