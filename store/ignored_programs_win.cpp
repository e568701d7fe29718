#include "store/ignored_programs_win.h"

#include <windows.h>

#include <string_view>
#include <vector>

#include "core/app_state.h"
#include "core/code_page_win.h"
#include "core/file_bytes.h"

namespace {

constexpr size_t kMaxListBytes = 1u << 20;

IgnoredProgramList List;

std::string ListPath() { return WorkingPath("ignored.dat"); }

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
