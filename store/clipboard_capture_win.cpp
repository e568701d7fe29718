#include "store/clipboard_capture_win.h"

#include "settings/settings.h"
#include "store/capture_win.h"
#include "store/clipboard_open_win.h"
#include "store/collection_win.h"
#include "store/ignored_programs_win.h"
#include "store/secret_formats_win.h"

namespace {

// Where capture stands. While it reads, the clipboard is open here, so whatever is announced
// meanwhile was done by capture itself and is not looked at. Once it has closed the clipboard and
// adds the items, another program may change it again: that change is taken afterwards.
enum class CapturePhase { Idle, Reading, Adding };
CapturePhase Phase = CapturePhase::Idle;
bool ChangedWhileAdding = false;

// A change announced while another program holds the clipboard, while the collection is held
// still or while capture was adding is taken later from a timer, so the window keeps answering
// messages meanwhile. A clipboard held by another program longer than the bound makes that change
// be skipped; a collection held still does not count against the bound.
constexpr UINT_PTR kRetryTimer = 0x4B53;
constexpr UINT kRetryIntervalMs = 20;
constexpr DWORD kRetryBoundMs = 30000;
bool RetryPending = false;
DWORD RetryStart = 0;

// False when the change cannot be taken now.
bool TryCapture(HWND window) {
  if (CollectionHeld()) return false;
  ClipboardEntry entry;
  {
    ClipboardSession clipboard(window, 0);
    if (!clipboard.IsOpen()) return false;
    // Content its owner marked as secret makes no item and touches none of capture's guards.
    if (IsMarkedNotToRecord(ReadClipboardMarks())) return true;
    // So does a copy from a program the user chose to ignore.
    Capture.SourceProgram = ProgramOfWindow(GetClipboardOwner());
    if (IgnoredPrograms().Contains(Capture.SourceProgram)) {
      Capture.SourceProgram.clear();
      return true;
    }
    Phase = CapturePhase::Reading;
    entry = TakeClipboardEntry(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)), GetClipboardData(CF_TEXT));
    // Everything is read and the program's own copy is in place: other programs get the
    // clipboard back before the picture is encoded and the item's files are written.
    clipboard.Close();
  }
  Phase = CapturePhase::Adding;
  ChangedWhileAdding = false;
  AddClipboardEntry(entry);
  Capture.SourceProgram.clear();
  Phase = CapturePhase::Idle;
  return !ChangedWhileAdding;
}

void StopRetry(HWND window) {
  if (!RetryPending) return;
  KillTimer(window, kRetryTimer);
  RetryPending = false;
}

void CALLBACK RetryCapture(HWND window, UINT, UINT_PTR, DWORD) {
  if (Phase != CapturePhase::Idle) return;
  // Watching was turned off meanwhile.
  if (Settings.WatchClipboard != 1) {
    StopRetry(window);
    return;
  }
  if (CollectionHeld()) {
    RetryStart = GetTickCount();
    return;
  }
  if (TryCapture(window)) {
    StopRetry(window);
  } else if (ChangedWhileAdding) {
    RetryStart = GetTickCount();
  } else if (GetTickCount() - RetryStart >= kRetryBoundMs) {
    StopRetry(window);
  }
}

void StartRetry(HWND window) {
  if (!RetryPending) RetryPending = SetTimer(window, kRetryTimer, kRetryIntervalMs, RetryCapture) != 0;
}

}  // namespace

void CaptureClipboardChange(HWND window) {
  switch (Phase) {
    case CapturePhase::Reading: return;
    case CapturePhase::Adding: ChangedWhileAdding = true; return;
    case CapturePhase::Idle: break;
  }
  if (TryCapture(window)) {
    StopRetry(window);
    return;
  }
  // The bound counts from the latest change announced.
  RetryStart = GetTickCount();
  StartRetry(window);
}
