#include "exchange/board_export.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "app/app_state.h"
#include "app/texts.h"
#include "exchange/board_format.h"
#include "exchange/board_text_packer.h"
#include "exchange/board_writer.h"
#include "exchange/file_names.h"
#include "exchange/image/images_win.h"
#include "exchange/progress_window.h"
#include "exchange/whole_file.h"
#include "settings/settings.h"
#include "store/item_store.h"
#include "store/picture_writes.h"
#include "ui/layer/controls.h"
#include "ui/layer/requesters.h"
#include "ui/main_window.h"

BoardExportState BoardExport;

namespace {

// A length field holds at most this many bytes.
constexpr uint64_t kMaxEntryFileBytes = 0x7FFFFFFF;

class BoardFile {
 public:
  explicit BoardFile(const std::string& path)
      : path_(path),
        handle_(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~BoardFile() {
    if (!Open()) return;
    CloseHandle(handle_);
    // A board cut short would be refused by every import; better no file than a broken one.
    if (failed_) DeleteFileA(path_.c_str());
  }
  BoardFile(const BoardFile&) = delete;
  BoardFile& operator=(const BoardFile&) = delete;

  bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Failed() const { return failed_; }
  // The board will not be complete: it is deleted when it closes.
  void Abandon() { failed_ = true; }
  void Write(const std::vector<unsigned char>& bytes) {
    size_t done = 0;
    while (!failed_ && done < bytes.size()) {
      const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
      DWORD written = 0;
      if (!WriteFile(handle_, bytes.data() + done, want, &written, nullptr) || written == 0) failed_ = true;
      done += written;
    }
  }

 private:
  std::string path_;
  HANDLE handle_;
  bool failed_ = false;
};

std::string BoardPatterns() {
  return Text(27) + "|*.ksb";
}

// The item's picture as PNG data: the file itself when it holds PNG already, else a re-encoding.
// Empty when the picture cannot be read or decoded; the entry then carries no picture.
std::vector<unsigned char> PictureAsPng(const std::string& name) {
  FinishPictureWrites();
  const std::string picture = WorkingPath(name + App.ImageExtensions[Settings.CompressImages != 0 ? 1 : 0]);
  std::string source = picture;
  if (!IsPngFile(picture)) source = MakeTempPng(picture);
  std::vector<unsigned char> bytes;
  if (!source.empty()) ReadWholeFile(source, bytes, kMaxEntryFileBytes);
  return bytes;
}

BoardEntry EntryOf(const Item& item, int row) {
  BoardEntry entry;
  entry.kind = item.kind == ImageItem ? BoardKindImage : BoardKindText;
  entry.checked = (GetRowState(Ui.ItemList, row) & RowChecked) != 0;
  entry.name = item.name;
  if (item.kind == ImageItem) {
    entry.content = PictureAsPng(item.name);
  } else {
    ReadWholeFile(WorkingPath(item.name + ".txt"), entry.content, kMaxEntryFileBytes);
  }
  ReadWholeFile(WorkingPath(item.name + ".clt"), entry.thumbnail, kMaxEntryFileBytes);
  return entry;
}

// Items are read, packed and written a batch at a time: the texts of a batch are packed on every
// processor at once, and a batch is small enough for the bar to keep moving and large pictures
// not to pile up in memory.
constexpr size_t kBatchEntries = 32;
constexpr size_t kBatchTextBytes = 512 * 1024;
constexpr size_t kBatchBytes = 64 << 20;

void ReadBatch(int32_t& row, int32_t count, std::vector<BoardEntry>& batch) {
  batch.clear();
  size_t textBytes = 0;
  size_t allBytes = 0;
  while (row < count && batch.size() < kBatchEntries && textBytes < kBatchTextBytes && allBytes < kBatchBytes) {
    batch.push_back(EntryOf(Store.Items.At(row), row));
    const BoardEntry& entry = batch.back();
    if (entry.kind == BoardKindText) textBytes += entry.content.size();
    allBytes += entry.content.size() + entry.thumbnail.size();
    ++row;
    ProcessPendingEvents();
  }
}

// Writes the header and one entry per item; false when the file could not be written whole.
bool WriteEntries(BoardFile& file, ProgressWindow& progress) {
  const int32_t count = Store.Items.Count();
  std::vector<unsigned char> bytes;
  AppendBoardHeader(bytes, Settings.ItemLimit, count);
  file.Write(bytes);
  std::vector<BoardEntry> batch;
  for (int32_t row = 0; row < count && !file.Failed();) {
    ReadBatch(row, count, batch);
    const std::vector<std::vector<unsigned char>> packed = PackBoardTexts(batch);
    bytes.clear();
    for (size_t i = 0; i < batch.size(); ++i) {
      BoardEntry& entry = batch[i];
      if (AppendBoardEntry(bytes, entry, packed[i]) != BoardError::None) {
        // Contents too large for a length field: the entry keeps its place with nothing inside,
        // because every later entry is read after it.
        entry.content.clear();
        entry.thumbnail.clear();
        if (AppendBoardEntry(bytes, entry, {}) != BoardError::None) return false;
      }
    }
    file.Write(bytes);
    progress.Step(row);
  }
  return !file.Failed();
}

void DeleteTempPng() {
  if (BoardExport.TempPngPath.empty()) return;
  DeleteFileA(BoardExport.TempPngPath.c_str());
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
  if (Store.Items.Empty()) return;
  std::string path = AskSaveFile(Text(25), Settings.LastBoardFile, BoardPatterns(), 0);
  if (path.empty()) return;
  path = WithExtension(path, "ksb");
  Settings.LastBoardFile = path;
  {
    BoardFile file(path);
    if (!file.Open()) return;
    ProgressWindow progress(Store.Items.Count());
    if (!WriteEntries(file, progress)) file.Abandon();
  }
  DeleteTempPng();
}
