#include "exchange/board_export.h"

#include <windows.h>

#include <algorithm>
#include <span>
#include <unordered_set>
#include <vector>

#include "core/app_state.h"
#include "core/code_page_win.h"
#include "core/file_bytes.h"
#include "core/texts.h"
#include "exchange/board_file_win.h"
#include "exchange/board_format.h"
#include "exchange/board_limits.h"
#include "exchange/board_text_packer.h"
#include "exchange/board_writer.h"
#include "exchange/file_names.h"
#include "exchange/image/images_win.h"
#include "exchange/progress_window.h"
#include "settings/settings.h"
#include "store/collection_win.h"
#include "ui/layer/requesters.h"

BoardExportState BoardExport;

namespace {

constexpr uint64_t kMaxEntryFileBytes = BoardMaxLength;

std::string BoardPatterns() {
  return Text(27) + "|*.ksb";
}

// The item's picture as PNG data: the file itself when it holds PNG already, else a re-encoding.
// Empty when the picture cannot be read or decoded; the entry then carries no picture.
FileRead PictureAsPng(const Item& item, std::vector<unsigned char>& bytes) {
  const std::string picture = ItemFilePath(item, ItemFile::Content);
  std::string source = picture;
  if (!FirstLineSaysPng(picture)) source = MakeTempPng(picture);
  if (source.empty()) return FileRead::Unreadable;
  return ReadWholeFile(source, bytes, kMaxEntryFileBytes);
}

// The item's entry; false when one of its files is larger than a board holds. A file that cannot
// be read leaves that part of the entry empty.
bool EntryOf(const StoredItem& record, BoardEntry& entry) {
  const Item item{record.kind, 0, record.name};
  entry.kind = item.kind == ImageItem ? BoardKindImage : BoardKindText;
  entry.checked = record.checked != 0;
  entry.name = item.name;
  const FileRead content = item.kind == ImageItem
                               ? PictureAsPng(item, entry.content)
                               : ReadWholeFile(ItemFilePath(item, ItemFile::Content), entry.content, kMaxEntryFileBytes);
  const FileRead thumbnail = ReadWholeFile(ItemFilePath(item, ItemFile::Thumbnail), entry.thumbnail, kMaxEntryFileBytes);
  entry.extras = ReadItemExtras(item);
  return content != FileRead::TooLarge && thumbnail != FileRead::TooLarge;
}

// Items are read, packed and written a batch at a time: the texts of a batch are packed on every
// processor at once, and a batch is small enough for the bar to keep moving and large pictures
// not to pile up in memory.
constexpr size_t kBatchEntries = 32;
constexpr size_t kBatchTextBytes = 512 * 1024;
constexpr size_t kBatchBytes = 64 << 20;

// Reads the next batch; false, with `tooLarge` naming the item, at one too large for a board.
bool ReadBatch(const std::vector<StoredItem>& records, size_t& row, std::vector<BoardEntry>& batch,
               std::string& tooLarge) {
  batch.clear();
  size_t textBytes = 0;
  size_t allBytes = 0;
  while (row < records.size() && batch.size() < kBatchEntries && textBytes < kBatchTextBytes &&
         allBytes < kBatchBytes) {
    BoardEntry& entry = batch.emplace_back();
    if (!EntryOf(records[row], entry)) {
      tooLarge = entry.name;
      return false;
    }
    if (entry.kind == BoardKindText) textBytes += entry.content.size();
    allBytes += entry.content.size() + entry.thumbnail.size();
    for (const ItemExtra& extra : entry.extras) allBytes += extra.bytes.size();
    ++row;
    ProcessPendingEvents();
  }
  return true;
}

// The extras of the items, gathered while their entries are written: they follow the last entry.
struct ExtrasTrailer {
  int32_t entries = 0;
  std::vector<unsigned char> records;
};

// Appends the entry, and its extras to the trailer. False for an entry too large for the board.
bool AppendEntry(BoardEntry& entry, int32_t index, const PackedBlock& packedText,
                 const std::vector<PackedBlock>& packedExtras, std::vector<unsigned char>& bytes,
                 ExtrasTrailer& trailer) {
  KeepWritableExtras(entry);
  if (AppendBoardEntry(bytes, entry, packedText) != BoardError::None) return false;
  // Extras dropped as unwritable leave the packed blocks out of step: they are packed again.
  const std::span<const PackedBlock> packed =
      packedExtras.size() == entry.extras.size() ? std::span<const PackedBlock>(packedExtras) : std::span<const PackedBlock>();
  if (!entry.extras.empty() && AppendBoardExtrasRecord(trailer.records, index, entry, packed) == BoardError::None) {
    ++trailer.entries;
  }
  return true;
}

// Why an export stopped.
enum class ExportEnd { Written, CannotWrite, TooLarge };

// Writes the header, one entry per item and the trailer of extras; `tooLarge` names an item the
// board cannot hold (a picture that grew past a length field as PNG, a file that grew meanwhile).
ExportEnd WriteEntries(const std::vector<StoredItem>& records, BoardFile& file, ProgressWindow& progress,
                       std::string& tooLarge) {
  std::vector<unsigned char> bytes;
  AppendBoardHeader(bytes, Settings.ItemLimit, static_cast<int32_t>(records.size()));
  file.Write(bytes);
  std::vector<BoardEntry> batch;
  ExtrasTrailer trailer;
  for (size_t row = 0; row < records.size() && !file.Failed();) {
    const size_t first = row;
    if (!ReadBatch(records, row, batch, tooLarge)) return ExportEnd::TooLarge;
    const PackedBoardBlocks packed = PackBoardBlocks(batch);
    bytes.clear();
    for (size_t i = 0; i < batch.size(); ++i) {
      if (!AppendEntry(batch[i], static_cast<int32_t>(first + i), packed.texts[i], packed.extras[i], bytes, trailer)) {
        tooLarge = batch[i].name;
        return ExportEnd::TooLarge;
      }
    }
    file.Write(bytes);
    progress.Step(static_cast<int>(row));
  }
  if (trailer.entries > 0) {
    bytes.clear();
    AppendBoardExtrasStart(bytes, trailer.entries);
    file.Write(bytes);
    file.Write(trailer.records);
  }
  return file.Failed() ? ExportEnd::CannotWrite : ExportEnd::Written;
}

void DeleteTempPng() {
  if (BoardExport.TempPngPath.empty()) return;
  DeleteFileW(Wide(BoardExport.TempPngPath).c_str());
  BoardExport.TempPngPath.clear();
}

// The name of the first item file larger than a board holds, from one look through the working
// folder (asking for each file's size would cost a round trip per file); empty when there is none.
std::string FileTooLargeForBoard(const std::vector<StoredItem>& records) {
  std::unordered_set<std::string> large;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(WorkingPath("*")).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return {};
  do {
    const uint64_t size = uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !FitsBoardLength(size)) {
      large.insert(Utf8(found.cFileName));
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  if (large.empty()) return {};
  for (const StoredItem& record : records) {
    for (ItemFile file : {ItemFile::Content, ItemFile::Thumbnail}) {
      const std::string name = FilePart(NewItemFilePath(record.name, record.kind, file));
      if (large.count(name)) return name;
    }
  }
  return {};
}

void TellTooLarge(const std::string& name) {
  const MessageText message = SplitMessageText(Text(BoardTooLargeText));
  ShowMessage(message.title, name + message.message, MB_ICONEXCLAMATION);
}

}  // namespace

std::string MakeTempPng(const std::string& path) {
  const std::string target = App.TempDir + "_temp.bmp";
  const int image = LoadImageFile(path);
  if (!image) return "";
  const bool written = SaveImageFile(image, target, ImageEncoding::Png) != 0;
  DisposeImage(image);
  // Remembered even when nothing was written, so the end of the export removes any stale file.
  BoardExport.TempPngPath = target;
  return written ? target : "";
}

void ExportBoard() {
  if (Collection.Items.Empty()) return;
  std::string path = AskSaveFile(Text(25), Settings.LastBoardFile, BoardPatterns(), 0);
  if (path.empty()) return;
  path = WithExtension(path, "ksb");
  Settings.LastBoardFile = path;
  std::string tooLarge;
  {
    // The board is what the collection holds now: captures that come while it is written wait.
    const CollectionHold hold;
    const std::vector<StoredItem> records = CollectionRecords();
    // What the board cannot hold is said before anything is written.
    tooLarge = FileTooLargeForBoard(records);
    if (!tooLarge.empty()) {
      TellTooLarge(tooLarge);
      return;
    }
    BoardFile file(path);
    if (!file.Open()) return;
    ProgressWindow progress(static_cast<int>(records.size()));
    if (WriteEntries(records, file, progress, tooLarge) != ExportEnd::Written) file.Abandon();
  }
  DeleteTempPng();
  // A picture that grew past what a board holds as PNG, or a file that grew meanwhile.
  if (!tooLarge.empty()) TellTooLarge(tooLarge);
}
