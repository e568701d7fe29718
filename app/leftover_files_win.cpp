#include "app/leftover_files_win.h"

#include <windows.h>

#include "app/leftover_files.h"
#include "core/code_page_win.h"

int RemoveLeftoverTemporaries(const std::string& folder) {
  // Only names ending in .tmp are listed: the folder may hold thousands of item files, and this
  // runs on every start. (The search may also match by short name; the check below decides.)
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(folder + "\\*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int removed = 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string name = Utf8(found.cFileName);
    if (!IsLeftoverTemporary(name)) continue;
    if (DeleteFileW(Wide(folder + "\\" + name).c_str())) ++removed;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return removed;
}
