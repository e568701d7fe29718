// Helpers for the window layer's in-process tests: polling with a bound, posting from a thread.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "ui/layer/windows_win.h"

// Polls until an event arrives or the time runs out; returns the kind (0 when none came).
inline int PollForEvent(int milliseconds = 1000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    if (int kind = PollEvent()) return kind;
    Sleep(2);
  }
  return EventNone;
}

// Takes every waiting message; true when one of them made an event of that kind.
inline bool DrainSeesEvent(int kind, int milliseconds = 300) {
  bool seen = false;
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (std::chrono::steady_clock::now() < end) {
    if (PollEvent() == kind) seen = true;
    Sleep(2);
  }
  return seen;
}

// Waits in another thread for a top-level window of the class, then runs the action on it. The
// wait is long: the window runs a modal loop that only the action ends.
class WindowWatcher {
 public:
  WindowWatcher(const char* className, std::function<void(HWND)> action)
      : thread_([className, action = std::move(action)] {
          for (int tries = 0; tries < 3000; ++tries) {
            HWND found = FindWindowA(className, nullptr);
            if (found && IsWindowVisible(found)) {
              Sleep(50);
              action(found);
              return;
            }
            Sleep(10);
          }
        }) {}
  ~WindowWatcher() { thread_.join(); }
  WindowWatcher(const WindowWatcher&) = delete;
  WindowWatcher& operator=(const WindowWatcher&) = delete;

 private:
  std::thread thread_;
};

// Types `answer` into the file name box of an open or save requester and presses its OK button.
inline void AnswerFileRequester(HWND dialog, const std::string& answer) {
  HWND name = GetDlgItem(dialog, 0x47c);
  if (HWND edit = FindWindowExA(name, nullptr, "EDIT", nullptr)) name = edit;
  if (!name) name = GetDlgItem(dialog, 0x480);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer.c_str()));
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

// Answers the file requester that opens next with `answer`, as long as it lives.
class FileAnswer {
 public:
  explicit FileAnswer(const std::string& answer)
      : watcher_("#32770", [answer](HWND dialog) { AnswerFileRequester(dialog, answer); }) {}

 private:
  WindowWatcher watcher_;
};
