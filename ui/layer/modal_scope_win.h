// Modality of the layer's requesters.
#pragma once

#include <windows.h>

#include <vector>

// Keeps every other enabled top-level window of the thread disabled while a requester is open.
class ModalScope {
 public:
  ModalScope() {
    HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    if (foreground) GetWindowThreadProcessId(foreground, &process);
    owner_ = process == GetCurrentProcessId() ? foreground : nullptr;
    EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&disabled_));
  }
  ~ModalScope() { Release(); }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

  HWND Owner() const { return owner_; }

  // The order is important: the owner must be enabled again before the requester goes, or the
  // system activates some other program's window.
  void Release() {
    if (released_) return;
    released_ = true;
    for (HWND window : disabled_) EnableWindow(window, TRUE);
    disabled_.clear();
    if (owner_ && IsWindow(owner_)) SetActiveWindow(owner_);
  }

 private:
  static BOOL CALLBACK DisableOne(HWND window, LPARAM list) {
    if (IsWindowEnabled(window)) {
      EnableWindow(window, FALSE);
      reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
  }

  HWND owner_ = nullptr;
  bool released_ = false;
  std::vector<HWND> disabled_;
};
