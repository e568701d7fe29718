// Helpers for the window layer's in-process tests: polling with a bound, posting from a thread.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <thread>

#include "ui/layer/windows.h"

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

// Waits in another thread for a top-level window of the class, then runs the action on it.
class WindowWatcher {
 public:
  WindowWatcher(const char* className, std::function<void(HWND)> action)
      : thread_([className, action = std::move(action)] {
          for (int tries = 0; tries < 500; ++tries) {
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
