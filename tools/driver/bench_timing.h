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
  ClipboardProbe() : thread_([this] { Run(); }) {}
  ~ClipboardProbe() { Stop(); }
  ClipboardProbe(const ClipboardProbe&) = delete;
  ClipboardProbe& operator=(const ClipboardProbe&) = delete;
  double Stop() {
    if (thread_.joinable()) {
      running_ = false;
      thread_.join();
    }
    return longest_;
  }
  // Waits, touching no other program, until the clipboard was refused and then given back, or
  // until `timeoutMs` passed. False on the timeout.
  bool WaitForRelease(double timeoutMs) const {
    const double start = NowMs();
    while (!released_) {
      if (NowMs() - start >= timeoutMs) return false;
      Sleep(1);
    }
    return true;
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
          released_ = true;
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
  std::atomic<bool> released_{false};
  double longest_ = 0;
  std::thread thread_;
};
