// The capture of clipboard entries comes with the capture subsystem; until it lands a clipboard
// change makes no item.
#include "store/clipboard_capture.h"

void CaptureClipboardChange(HWND) {}
