// The file a board is exported into.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Written beside its place (path + ".tmp") and moved there once it is complete, so that a failed
// export leaves a board it was to replace as it was, and never leaves half a board.
class BoardFile {
 public:
  explicit BoardFile(const std::string& path);
  // Moves the finished board into place; a board abandoned or not written whole goes.
  ~BoardFile();
  BoardFile(const BoardFile&) = delete;
  BoardFile& operator=(const BoardFile&) = delete;

  bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Failed() const { return failed_; }
  // The board will not be complete: nothing of it stays.
  void Abandon() { failed_ = true; }
  void Write(const std::vector<unsigned char>& bytes);

 private:
  std::string path_;
  std::string temporary_;
  HANDLE handle_;
  bool failed_ = false;
};
