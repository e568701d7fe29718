#include "store/clipboard_capture.h"

#include "settings/settings.h"
#include "store/capture.h"
#include "store/clipboard_open.h"
#include "store/secret_formats_win.h"

namespace {

// Set while a change is being captured. Whatever is announced meanwhile was done by capture
// itself (nobody else can change the clipboard while it is open here), so it is not looked at.
bool Capturing = false;

// A change announced while another program holds the clipboard is taken later from a timer, so
// the window keeps answering messages meanwhile. A clipboard held longer than the bound makes
// that change be skipped.
constexpr UINT_PTR kRetryTimer = 0x4B53;
constexpr UINT kRetryIntervalMs = 20;
constexpr DWORD kRetryBoundMs = 30000;
bool RetryPending = false;
DWORD RetryStart = 0;

// False when the clipboard could not be taken at once.
bool TryCapture(HWND window) {
  ClipboardSession clipboard(window, 0);
  if (!clipboard.IsOpen()) return false;
  // Content its owner marked as secret makes no item and touches none of capture's guards.
  if (IsMarkedNotToRecord(ReadClipboardMarks())) return true;
  HANDLE bitmap = GetClipboardData(CF_BITMAP);
  HANDLE text = GetClipboardData(CF_TEXT);
  CaptureEntry(static_cast<HBITMAP>(bitmap), text);
  return true;
}

void StopRetry(HWND window) {
  if (!RetryPending) return;
  KillTimer(window, kRetryTimer);
  RetryPending = false;
}

void CALLBACK RetryCapture(HWND window, UINT, UINT_PTR, DWORD) {
  if (Capturing) return;
  // Watching was turned off meanwhile.
  if (Settings.WatchClipboard != 1) {
    StopRetry(window);
    return;
  }
  Capturing = true;
  const bool taken = TryCapture(window);
  Capturing = false;
  if (taken || GetTickCount() - RetryStart >= kRetryBoundMs) StopRetry(window);
}

}  // namespace

void CaptureClipboardChange(HWND window) {
  if (Capturing) return;
  Capturing = true;
  const bool taken = TryCapture(window);
  Capturing = false;
  if (taken) {
    StopRetry(window);
    return;
  }
  // The bound counts from the latest change announced.
  RetryStart = GetTickCount();
  if (!RetryPending) RetryPending = SetTimer(window, kRetryTimer, kRetryIntervalMs, RetryCapture) != 0;
}
