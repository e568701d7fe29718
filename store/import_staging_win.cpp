#include <windows.h>

#include "core/app_state.h"
#include "core/code_page_win.h"
#include "store/collection_win.h"

namespace {

// Inside the working folder, so that its files reach their places by a rename; a name no item
// can have (item names have no backslash) and that the working folder's file listing passes by.
constexpr char kStagingFolder[] = "~import";

std::string StagedPath(const std::string& file) { return ImportStagingFolder() + "\\" + file; }

// The staging folder holds files only (this program makes no folder inside it).
void DeleteStagedFiles() {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(StagedPath("*")).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::wstring path = Wide(StagedPath(Utf8(found.cFileName)));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// Moves every staged file into the working folder, items.dat last.
void MoveStagedFilesIntoPlace() {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(StagedPath("*")).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = Utf8(found.cFileName);
    if (lstrcmpiW(found.cFileName, L"items.dat") == 0) continue;
    MoveFileExW(Wide(StagedPath(name)).c_str(), Wide(WorkingPath(name)).c_str(), MOVEFILE_REPLACE_EXISTING);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  MoveFileExW(Wide(StagedItemsFilePath()).c_str(), Wide(WorkingPath("items.dat")).c_str(),
              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace

std::string StagedItemsFilePath() { return StagedPath("items.dat"); }

bool FinishOrRemoveImportStaging() {
  const DWORD marker = GetFileAttributesW(Wide(StagedItemsFilePath()).c_str());
  const bool staged = marker != INVALID_FILE_ATTRIBUTES && !(marker & FILE_ATTRIBUTE_DIRECTORY);
  if (staged) MoveStagedFilesIntoPlace();
  RemoveImportStaging();
  return staged;
}

std::string ImportStagingFolder() { return WorkingPath(kStagingFolder); }

bool PrepareImportStaging() {
  RemoveImportStaging();
  CreateDirectoryW(Wide(WorkingDirectory()).c_str(), nullptr);
  return CreateDirectoryW(Wide(ImportStagingFolder()).c_str(), nullptr) != 0;
}

void RemoveImportStaging() {
  const std::wstring folder = Wide(ImportStagingFolder());
  // Asked first: a start-up without a leftover (nearly every one) costs one look.
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
  DeleteStagedFiles();
  RemoveDirectoryW(folder.c_str());
}

std::string StagedItemFilePath(const std::string& name, int32_t kind, ItemFile file) {
  // The names an item's files have in the working folder, in the staging folder.
  const std::string path = NewItemFilePath(name, kind, file);
  return StagedPath(path.substr(path.rfind('\\') + 1));
}

std::string StagedItemExtraPath(const std::string& name, ExtraKind kind) {
  const std::string path = ItemExtraPath(name, kind);
  return StagedPath(path.substr(path.rfind('\\') + 1));
}
