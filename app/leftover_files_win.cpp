#include "app/leftover_files_win.h"

#include <windows.h>

#include "app/leftover_files.h"

int RemoveLeftoverTemporaries(const std::string& folder) {
  // Only names ending in .tmp are listed: the folder may hold thousands of item files, and this
  // runs on every start. (The search may also match by short name; the check below decides.)
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int removed = 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!IsLeftoverTemporary(found.cFileName)) continue;
    if (DeleteFileA((folder + "\\" + found.cFileName).c_str())) ++removed;
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return removed;
}
