#include "exchange/board_export.h"

#include <windows.h>

#include <algorithm>
#include <span>
#include <vector>

#include "core/app_state.h"
#include "core/code_page_win.h"
#include "core/file_bytes.h"
#include "core/texts.h"
#include "exchange/board_file_win.h"
#include "exchange/board_format.h"
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

// A length field holds at most this many bytes.
constexpr uint64_t kMaxEntryFileBytes = 0x7FFFFFFF;

std::string BoardPatterns() {
  return Text(27) + "|*.ksb";
}

// The item's picture as PNG data: the file itself when it holds PNG already, else a re-encoding.
// Empty when the picture cannot be read or decoded; the entry then carries no picture.
std::vector<unsigned char> PictureAsPng(const Item& item) {
  const std::string picture = ItemFilePath(item, ItemFile::Content);
  std::string source = picture;
  if (!FirstLineSaysPng(picture)) source = MakeTempPng(picture);
  std::vector<unsigned char> bytes;
  if (!source.empty()) ReadWholeFile(source, bytes, kMaxEntryFileBytes);
  return bytes;
}

BoardEntry EntryOf(const StoredItem& record) {
  const Item item{record.kind, 0, record.name};
  BoardEntry entry;
  entry.kind = item.kind == ImageItem ? BoardKindImage : BoardKindText;
  entry.checked = record.checked != 0;
  entry.name = item.name;
  if (item.kind == ImageItem) {
    entry.content = PictureAsPng(item);
  } else {
    ReadWholeFile(ItemFilePath(item, ItemFile::Content), entry.content, kMaxEntryFileBytes);
  }
  ReadWholeFile(ItemFilePath(item, ItemFile::Thumbnail), entry.thumbnail, kMaxEntryFileBytes);
  entry.extras = ReadItemExtras(item);
  return entry;
}

// Items are read, packed and written a batch at a time: the texts of a batch are packed on every
// processor at once, and a batch is small enough for the bar to keep moving and large pictures
// not to pile up in memory.
constexpr size_t kBatchEntries = 32;
constexpr size_t kBatchTextBytes = 512 * 1024;
constexpr size_t kBatchBytes = 64 << 20;

void ReadBatch(const std::vector<StoredItem>& records, size_t& row, std::vector<BoardEntry>& batch) {
  batch.clear();
  size_t textBytes = 0;
  size_t allBytes = 0;
  while (row < records.size() && batch.size() < kBatchEntries && textBytes < kBatchTextBytes &&
         allBytes < kBatchBytes) {
    batch.push_back(EntryOf(records[row]));
    const BoardEntry& entry = batch.back();
    if (entry.kind == BoardKindText) textBytes += entry.content.size();
    allBytes += entry.content.size() + entry.thumbnail.size();
    for (const ItemExtra& extra : entry.extras) allBytes += extra.bytes.size();
    ++row;
    ProcessPendingEvents();
  }
}

// The extras of the items, gathered while their entries are written: they follow the last entry.
struct ExtrasTrailer {
  int32_t entries = 0;
  std::vector<unsigned char> records;
};

// Appends the entry, and its extras to the trailer.
bool AppendEntry(BoardEntry& entry, int32_t index, const PackedBlock& packedText,
                 const std::vector<PackedBlock>& packedExtras, std::vector<unsigned char>& bytes,
                 ExtrasTrailer& trailer) {
  KeepWritableExtras(entry);
  if (AppendBoardEntry(bytes, entry, packedText) != BoardError::None) {
    // Contents too large for a length field: the entry keeps its place with nothing inside,
    // because every later entry is read after it.
    entry.content.clear();
    entry.thumbnail.clear();
    entry.extras.clear();
    return AppendBoardEntry(bytes, entry, {}) == BoardError::None;
  }
  // Extras dropped as unwritable leave the packed blocks out of step: they are packed again.
  const std::span<const PackedBlock> packed =
      packedExtras.size() == entry.extras.size() ? std::span<const PackedBlock>(packedExtras) : std::span<const PackedBlock>();
  if (!entry.extras.empty() && AppendBoardExtrasRecord(trailer.records, index, entry, packed) == BoardError::None) {
    ++trailer.entries;
  }
  return true;
}

// Writes the header, one entry per item and the trailer of extras; false when the file could not
// be written whole.
bool WriteEntries(const std::vector<StoredItem>& records, BoardFile& file, ProgressWindow& progress) {
  std::vector<unsigned char> bytes;
  AppendBoardHeader(bytes, Settings.ItemLimit, static_cast<int32_t>(records.size()));
  file.Write(bytes);
  std::vector<BoardEntry> batch;
  ExtrasTrailer trailer;
  for (size_t row = 0; row < records.size() && !file.Failed();) {
    const size_t first = row;
    ReadBatch(records, row, batch);
    const PackedBoardBlocks packed = PackBoardBlocks(batch);
    bytes.clear();
    for (size_t i = 0; i < batch.size(); ++i) {
      if (!AppendEntry(batch[i], static_cast<int32_t>(first + i), packed.texts[i], packed.extras[i], bytes, trailer)) {
        return false;
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
  return !file.Failed();
}

void DeleteTempPng() {
  if (BoardExport.TempPngPath.empty()) return;
  DeleteFileW(Wide(BoardExport.TempPngPath).c_str());
  BoardExport.TempPngPath.clear();
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
  {
    // The board is what the collection holds now: captures that come while it is written wait.
    const CollectionHold hold;
    const std::vector<StoredItem> records = CollectionRecords();
    BoardFile file(path);
    if (!file.Open()) return;
    ProgressWindow progress(static_cast<int>(records.size()));
    if (!WriteEntries(records, file, progress)) file.Abandon();
  }
  DeleteTempPng();
}
