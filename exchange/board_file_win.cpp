#include "exchange/board_file_win.h"

#include <algorithm>

#include "core/code_page_win.h"

BoardFile::BoardFile(const std::string& path)
    : path_(path),
      temporary_(path + ".tmp"),
      handle_(CreateFileW(Wide(temporary_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                          nullptr)) {}

BoardFile::~BoardFile() {
  if (!Open()) return;
  // The board reaches the disk before the move that makes it current can.
  if (!failed_ && !FlushFileBuffers(handle_)) failed_ = true;
  if (!CloseHandle(handle_)) failed_ = true;
  // A board cut short would be refused by every import; better no file than a broken one.
  const std::wstring temporary = Wide(temporary_);
  if (failed_ ||
      !MoveFileExW(temporary.c_str(), Wide(path_).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temporary.c_str());
  }
}

void BoardFile::Write(const std::vector<unsigned char>& bytes) {
  size_t done = 0;
  while (!failed_ && done < bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(handle_, bytes.data() + done, want, &written, nullptr) || written == 0) failed_ = true;
    done += written;
  }
}
