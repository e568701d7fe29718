#include "exchange/board_import.h"

#include <windows.h>

#include <vector>

#include "core/code_page_win.h"
#include "core/texts.h"
#include "exchange/board_format.h"
#include "exchange/board_reader.h"
#include "exchange/file_names.h"
#include "exchange/progress_window.h"
#include "settings/settings.h"
#include "store/collection_win.h"
#include "ui/layer/requesters.h"

namespace {

// Writes the entry's files. An entry whose picture or text cannot be written is left out (it
// would be an item without contents); a thumbnail that cannot be written only costs the row its
// picture.
bool WriteEntryFiles(const BoardEntry& entry, int32_t kind) {
  const std::string content = NewItemFilePath(entry.name, kind, ItemFile::Content);
  if (!CreateBoardItemFile(content, entry.content)) {
    DeleteFileW(Wide(content).c_str());
    return false;
  }
  CreateBoardItemFile(NewItemFilePath(entry.name, kind, ItemFile::Thumbnail), entry.thumbnail);
  WriteItemExtras(entry.name, kind, entry.extras);
  return true;
}

void TellBoardNotRead(const std::string& path) {
  const MessageText refusal = SplitMessageText(Text(BoardNotReadText));
  ShowMessage(refusal.title, FilePart(path) + refusal.message, MB_ICONEXCLAMATION);
}

}  // namespace

BoardImport ImportBoard(const std::string& givenPath) {
  std::string path = givenPath;
  if (path.empty()) path = AskOpenFile(Text(24), Settings.LastBoardFile, Text(27) + "|*.ksb", 0, false);
  if (path.empty()) return BoardImport::NotChosen;

  // The whole board is read and checked before anything changes: a refused board leaves the
  // collection, the item limit and the working folder as they were.
  Board board;
  const BoardReadResult read = ReadBoardFile(path, board);
  // A file that cannot be read (gone, or held by another program) changes nothing.
  if (read.error == BoardError::Unreadable) return BoardImport::NotChosen;
  if (!read.Ok()) {
    // A file that is no board at all is passed over quietly; a damaged board is said to be.
    if (read.error != BoardError::NotABoard) TellBoardNotRead(path);
    ProcessPendingEvents();
    return BoardImport::Refused;
  }

  Settings.LastBoardFile = path;
  // The board may lie in the working folder itself; it is read already, but it stays the user's.
  ResetCollection(path);
  if (board.itemLimit > Settings.ItemLimit) Settings.ItemLimit = board.itemLimit;
  std::vector<StoredItem> records;
  records.reserve(board.entries.size());
  for (const BoardEntry& entry : board.entries) {
    const int32_t kind = entry.kind == BoardKindImage ? ImageItem : TextItem;
    if (WriteEntryFiles(entry, kind)) records.push_back(StoredItem{kind, entry.checked ? 1 : 0, entry.name});
  }
  // The board's contents are on disk: its memory goes before the thumbnails are read.
  board = Board{};
  AppendItems(records);
  ProcessPendingEvents();
  return BoardImport::Imported;
}
