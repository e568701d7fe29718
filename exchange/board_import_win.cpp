#include "exchange/board_import.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

#include "core/code_page_win.h"
#include "core/file_bytes.h"
#include "core/texts.h"
#include "exchange/board_format.h"
#include "exchange/board_reader.h"
#include "exchange/file_names.h"
#include "exchange/progress_window.h"
#include "settings/settings.h"
#include "store/collection_win.h"
#include "ui/layer/requesters.h"

namespace {

// How long a piece of the import goes on before the window is let answer.
constexpr DWORD kStepMs = 40;

// The progress window of an import: it opens once the import has taken long enough for the user
// to notice (a small board never shows it). Its bar goes half way while the board is read and
// the rest while its items take their places.
class ImportProgress {
 public:
  // Told the board's entry count once the header is read.
  void SetTotal(std::size_t entries) { total_ = static_cast<int>(std::min<std::size_t>(entries, INT_MAX / 2)); }
  // Lets the window answer when the last time was long enough ago; `done` steps of 2 x total.
  void Step(int done) {
    if (GetTickCount() - stepStart_ < kStepMs) return;
    if (!window_) window_.emplace(std::max(1, 2 * total_));
    window_->Step(done);
    stepStart_ = GetTickCount();
  }
  int Total() const { return total_; }
  // Closes the window before a message about the import is shown.
  void Close() { window_.reset(); }

 private:
  int total_ = 0;
  DWORD stepStart_ = GetTickCount();
  std::optional<ProgressWindow> window_;
};

// Writes each entry's files into the staging folder as it is read, flushed to the disk, and
// keeps only its record: the board is never held in memory.
class StagingReceiver : public BoardReceiver {
 public:
  explicit StagingReceiver(ImportProgress& progress) : progress_(progress) {}

  void Header(int32_t itemLimit, std::size_t entryCount) override {
    itemLimit_ = itemLimit;
    progress_.SetTotal(entryCount);
  }
  bool Entry(std::size_t, BoardEntry& entry) override {
    const int32_t kind = entry.kind == BoardKindImage ? ImageItem : TextItem;
    if (!WriteFileFlushed(StagedItemFilePath(entry.name, kind, ItemFile::Content), entry.content) ||
        !WriteFileFlushed(StagedItemFilePath(entry.name, kind, ItemFile::Thumbnail), entry.thumbnail)) {
      return false;
    }
    staged_.push_back(StagedItem{StoredItem{kind, entry.checked ? 1 : 0, entry.name}, 0});
    return true;
  }
  bool Extras(std::size_t index, std::vector<ItemExtra>& extras) override {
    StagedItem& item = staged_.at(index);
    for (const ItemExtra& extra : extras) {
      if (!WriteFileFlushed(StagedItemExtraPath(item.record.name, extra.kind), extra.bytes)) return false;
      item.extras |= StagedExtraBit(extra.kind);
    }
    return true;
  }
  void Between() override { progress_.Step(static_cast<int>(std::min<std::size_t>(staged_.size(), INT_MAX / 2))); }

  int32_t ItemLimit() const { return itemLimit_; }
  const std::vector<StagedItem>& Staged() const { return staged_; }

 private:
  ImportProgress& progress_;
  int32_t itemLimit_ = 0;
  std::vector<StagedItem> staged_;
};

void Tell(int text, const std::string& path) {
  const MessageText message = SplitMessageText(Text(text));
  ShowMessage(message.title, FilePart(path) + message.message, MB_ICONEXCLAMATION);
}

// The staging folder lives for one import, whatever way it ends.
struct StagingFolder {
  StagingFolder() : ready(PrepareImportStaging()) {}
  ~StagingFolder() { RemoveImportStaging(); }
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;
  bool ready;
};

}  // namespace

BoardImport ImportBoard(const std::string& givenPath) {
  std::string path = givenPath;
  if (path.empty()) path = AskOpenFile(Text(24), Settings.LastBoardFile, Text(27) + "|*.ksb", 0, false);
  if (path.empty()) return BoardImport::NotChosen;
  FileBoardSource source(path);
  // A file that cannot be opened (gone, or held by another program) changes nothing.
  if (!source.Open()) return BoardImport::NotChosen;

  ImportProgress progress;
  const StagingFolder staging;
  StagingReceiver receiver(progress);
  BoardReadResult read{BoardError::CannotWrite};
  if (staging.ready) {
    // The collection stays as it is while the board is read: captures wait for the end.
    const CollectionHold hold;
    read = ReadBoard(source, receiver);
  }
  if (read.error == BoardError::Unreadable) return BoardImport::NotChosen;
  if (!read.Ok()) {
    // A file that is no board at all is passed over quietly; a damaged board is said to be, and
    // so is one that could not be written out.
    progress.Close();
    if (read.error == BoardError::CannotWrite) {
      Tell(BoardNotImportedText, path);
    } else if (read.error != BoardError::NotABoard) {
      Tell(BoardNotReadText, path);
    }
    ProcessPendingEvents();
    return BoardImport::Refused;
  }

  Settings.LastBoardFile = path;
  // The board may lie in the working folder itself; it is read already, but it stays the user's.
  const int total = progress.Total();
  ReplaceWithStagedItems(receiver.Staged(), path,
                         [&](int32_t done, int32_t) { progress.Step(total + std::min(done, total)); });
  if (receiver.ItemLimit() > Settings.ItemLimit) Settings.ItemLimit = receiver.ItemLimit();
  ProcessPendingEvents();
  return BoardImport::Imported;
}
