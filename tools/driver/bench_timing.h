// What the driver's benchmarks share: a millisecond clock and a probe of how long the clipboard
// is refused to a program that waits for it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

// Milliseconds from the performance counter.
inline double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

// Tries to open the clipboard every millisecond while it runs, as a waiting program would; keeps
// the longest stretch of time in which every try was refused.
class ClipboardProbe {
 public:
  ClipboardProbe() : released_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), thread_([this] { Run(); }) {}
  ~ClipboardProbe() {
    Stop();
    if (released_) CloseHandle(released_);
  }
  ClipboardProbe(const ClipboardProbe&) = delete;
  ClipboardProbe& operator=(const ClipboardProbe&) = delete;
  double Stop() {
    if (thread_.joinable()) {
      running_ = false;
      thread_.join();
    }
    return longest_;
  }
  // Waits until the clipboard was refused and then given back, or until `timeoutMs` passed; false
  // on the timeout. Blocked meanwhile, as a waiter on a reader's event is: a waiter that woke every
  // millisecond would take processor time from the read being measured.
  bool WaitForRelease(DWORD timeoutMs) const {
    return released_ && WaitForSingleObject(released_, timeoutMs) == WAIT_OBJECT_0;
  }

 private:
  void Run() {
    double refusedSince = -1;
    while (running_) {
      const double now = NowMs();
      if (OpenClipboard(nullptr)) {
        CloseClipboard();
        if (refusedSince >= 0) {
          longest_ = std::max(longest_, now - refusedSince);
          if (released_) SetEvent(released_);
        }
        refusedSince = -1;
      } else if (refusedSince < 0) {
        refusedSince = now;
      }
      Sleep(1);
    }
    if (refusedSince >= 0) longest_ = std::max(longest_, NowMs() - refusedSince);
  }

  std::atomic<bool> running_{true};
  HANDLE released_;
  double longest_ = 0;
  std::thread thread_;
};
