#include "exchange/board_file_win.h"

#include <algorithm>

BoardFile::BoardFile(const std::string& path)
    : path_(path),
      temporary_(path + ".tmp"),
      handle_(CreateFileA(temporary_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                          nullptr)) {}

BoardFile::~BoardFile() {
  if (!Open()) return;
  CloseHandle(handle_);
  // A board cut short would be refused by every import; better no file than a broken one.
  if (failed_ || !MoveFileExA(temporary_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(temporary_.c_str());
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
