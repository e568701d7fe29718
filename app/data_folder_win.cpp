#include "app/data_folder_win.h"

#include <windows.h>
#include <shlobj.h>

#include "core/code_page_win.h"

namespace {

constexpr wchar_t kWorkingFolder[] = L"Clipboard";
constexpr wchar_t kProgramFolder[] = L"KepSil";

// Whether a file can be made in the folder: the only sure answer on a share, under a virtualised
// Program Files or with the folder marked immutable, where the attributes say nothing.
bool CanWriteIn(const std::wstring& folder) {
  const std::wstring probe = folder + L"\\~kepsil-write-check";
  HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Whether "Clipboard\" under `parent` (with its trailing backslash) is usable: it exists and can
// be written, or it can be made and written (and is taken back, so that the start still sees a
// first run).
bool WorkingFolderUsable(const std::wstring& parent) {
  const std::wstring working = parent + kWorkingFolder;
  if (IsFolder(working)) return CanWriteIn(working);
  if (!CreateDirectoryW(working.c_str(), nullptr)) return false;
  const bool writable = CanWriteIn(working);
  RemoveDirectoryW(working.c_str());
  return writable;
}

std::wstring LocalAppDataFolder() {
  wchar_t path[MAX_PATH] = {};
  if (SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK) {
    return {};
  }
  return path;
}

}  // namespace

std::string ChooseDataFolder(const std::string& appDir) {
  const std::wstring beside = Wide(appDir);
  if (WorkingFolderUsable(beside)) return appDir;
  const std::wstring local = LocalAppDataFolder();
  if (local.empty()) return appDir;
  std::wstring own = local;
  if (own.back() != L'\\') own += L'\\';
  own += kProgramFolder;
  // The program's own folder stays once made; only "Clipboard\" inside it marks a later run.
  if (!IsFolder(own) && !CreateDirectoryW(own.c_str(), nullptr)) return appDir;
  own += L'\\';
  return WorkingFolderUsable(own) ? Utf8(own) : appDir;
}
