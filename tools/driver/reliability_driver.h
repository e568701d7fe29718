// What the reliability tests do to a running program from outside: clipboard content marked as
// secret, a clipboard held open, questions about whether the window still answers, the session's
// end, and reading the working directory's data files.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

// Puts a text (CF_TEXT) on the clipboard together with the registered format `markFormat`
// carrying `markData` (an empty vector puts a one-byte block).
bool PutClipboardTextWithMark(const std::string& text, const std::string& markFormat,
                              const std::vector<uint8_t>& markData);

// Holds the clipboard open from the calling thread until it goes out of scope or Release().
class ClipboardHold {
 public:
  ClipboardHold();
  ~ClipboardHold();
  ClipboardHold(const ClipboardHold&) = delete;
  ClipboardHold& operator=(const ClipboardHold&) = delete;
  bool Held() const { return held_; }
  void Release();

 private:
  bool held_ = false;
};

// Sends WM_NULL with a timeout; the milliseconds the answer took, or -1 when none came in time.
long AnswerTimeMs(HWND window, UINT timeoutMs);

// Asks the window for an answer again and again from another thread, and keeps the longest wait.
class AnswerWatch {
 public:
  explicit AnswerWatch(HWND window);
  ~AnswerWatch() { Stop(); }
  AnswerWatch(const AnswerWatch&) = delete;
  AnswerWatch& operator=(const AnswerWatch&) = delete;
  // Stops asking; the longest wait in milliseconds.
  long Stop();

 private:
  std::atomic<bool> stop_{false};
  std::atomic<long> longest_{0};
  std::thread thread_;
};

// Sends WM_QUERYENDSESSION and then WM_ENDSESSION (ending) as the system does at logoff; returns
// what the first one answered.
LRESULT EndSession(HWND window, UINT timeoutMs = 10000);

// Every file and folder under `folder` (relative paths, folders with a trailing backslash) with
// each file's size and last write time, to compare a tree before and after.
struct TreeEntry {
  std::string path;
  uint64_t size = 0;
  uint64_t writeTime = 0;
  bool operator==(const TreeEntry&) const = default;
};
std::vector<TreeEntry> TreeOf(const std::string& folder);
