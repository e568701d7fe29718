// Other programs on the clipboard, as tests and benchmarks need them: a source that owns the
// clipboard and offers formats (some rendered only when asked, after a delay) and counts how often
// each was asked for; and a viewer that joins the viewer chain and passes nothing on.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// One format of a copy: its bytes, handed over at once, or when asked (delayed rendering) after
// `renderDelayMs`.
struct OfferedFormat {
  UINT format = 0;
  std::vector<uint8_t> bytes;
  bool delayed = false;
  DWORD renderDelayMs = 0;
};
// A text block with its terminating zero.
std::vector<uint8_t> TextBytes(const std::string& text);

// Runs on a thread of its own with a window that owns what it copies and answers the requests
// for delayed formats.
class ClipboardSource {
 public:
  ClipboardSource();
  ~ClipboardSource();
  ClipboardSource(const ClipboardSource&) = delete;
  ClipboardSource& operator=(const ClipboardSource&) = delete;

  HWND Window() const { return window_; }
  // Empties the clipboard and offers the formats (and a one-colour bitmap as CF_BITMAP when width
  // is above 0); false when the clipboard could not be had or a format not offered.
  bool Copy(const std::vector<OfferedFormat>& formats, int bitmapWidth = 0, int bitmapHeight = 0,
            COLORREF bitmapColour = 0);
  // How often a delayed format was asked for since the source started.
  int TimesAsked(UINT format) const;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Run(HANDLE ready);
  bool CopyHere(const std::vector<OfferedFormat>& formats, int width, int height, COLORREF colour);
  void Render(UINT format, bool wait);

  HWND window_ = nullptr;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<OfferedFormat> delayed_;  // what the current copy renders when asked
  std::map<UINT, int> asked_;
};

// A clipboard viewer that joins the chain and never passes a change on (nor anything else).
class SilentViewer {
 public:
  SilentViewer();
  ~SilentViewer();
  SilentViewer(const SilentViewer&) = delete;
  SilentViewer& operator=(const SilentViewer&) = delete;
  bool Joined() const { return window_ != nullptr; }
  // How many changes it heard of.
  int Changes() const;

 private:
  HWND window_ = nullptr;
  std::thread thread_;
};
