#include "store/clipboard_capture.h"

#include "store/capture.h"
#include "store/clipboard_open.h"

namespace {

// Set while a change is being captured. Whatever is announced meanwhile was done by capture
// itself (nobody else can change the clipboard while it is open here), so it is not looked at.
bool Capturing = false;

}  // namespace

void CaptureClipboardChange(HWND window) {
  if (Capturing) return;
  Capturing = true;
  {
    // A clipboard kept by another program for longer than the wait makes this change be skipped.
    ClipboardSession clipboard(window);
    if (clipboard.IsOpen()) {
      HANDLE bitmap = GetClipboardData(CF_BITMAP);
      HANDLE text = GetClipboardData(CF_TEXT);
      CaptureEntry(static_cast<HBITMAP>(bitmap), text);
    }
  }
  Capturing = false;
}
