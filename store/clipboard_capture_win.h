// Turns the clipboard's current bitmap and text into items (on a clipboard change).
#pragma once

#include <windows.h>

// Opens the clipboard for `window`, captures its CF_BITMAP and CF_TEXT data and closes it.
// Content marked as not to be recorded makes no item. While another program holds the clipboard
// the change is taken later from a timer of `window`, so that the window keeps answering; so is a
// change announced while the collection is held still or while capture was adding items.
void CaptureClipboardChange(HWND window);
