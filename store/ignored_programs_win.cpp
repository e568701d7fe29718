#include "store/ignored_programs_win.h"

#include <string_view>
#include <vector>

#include "core/app_state.h"
#include "core/code_page_win.h"
#include "core/file_bytes.h"

namespace {

constexpr size_t kMaxListBytes = 1u << 20;

IgnoredProgramList List;

std::string ListPath() { return WorkingPath("ignored.dat"); }

// What follows the last backslash of a path.
std::wstring FileNamePart(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace

IgnoredProgramList& IgnoredPrograms() { return List; }

void LoadIgnoredPrograms() {
  std::vector<uint8_t> bytes;
  if (ReadWholeFile(ListPath(), bytes, kMaxListBytes) != FileRead::Ok) {
    List = IgnoredProgramList();
    return;
  }
  List = IgnoredProgramList::Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool SaveIgnoredPrograms() {
  if (List.Names().empty()) {
    return DeleteFileW(Wide(ListPath()).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
  }
  const std::string text = List.Serialise();
  return WriteFileReplacing(ListPath(), std::vector<uint8_t>(text.begin(), text.end()));
}

std::string ProgramOfWindow(HWND window) {
  if (!window) return {};
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == 0) return {};
  HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
  if (!handle) return {};
  std::wstring path(MAX_PATH, L'\0');
  DWORD length = static_cast<DWORD>(path.size());
  BOOL named = QueryFullProcessImageNameW(handle, 0, path.data(), &length);
  if (!named && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    path.assign(32768, L'\0');
    length = static_cast<DWORD>(path.size());
    named = QueryFullProcessImageNameW(handle, 0, path.data(), &length);
  }
  CloseHandle(handle);
  if (!named) return {};
  path.resize(length);
  return Utf8(FileNamePart(path));
}
