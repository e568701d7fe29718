// Turns the clipboard's current bitmap and text into items (on a clipboard change).
#pragma once

#include <windows.h>

// Opens the clipboard for `window`, captures its CF_BITMAP and CF_TEXT data and closes it.
void CaptureClipboardChange(HWND window);
