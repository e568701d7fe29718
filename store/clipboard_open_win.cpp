#include "store/clipboard_open_win.h"

#include "store/capture_rules.h"

ClipboardSession::ClipboardSession(HWND window, uint32_t waitMs) {
  const DWORD start = GetTickCount();
  while (!(open_ = OpenClipboard(window) != FALSE)) {
    if (GetTickCount() - start >= waitMs) break;
    Sleep(ClipboardRetryMs);
  }
}

ClipboardSession::~ClipboardSession() { Close(); }

void ClipboardSession::Close() {
  if (!open_) return;
  open_ = false;
  CloseClipboard();
}
