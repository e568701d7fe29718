// Turns clipboard changes into items: the capture thread reads, the window's thread adds.
#pragma once

#include <windows.h>

// A change was announced (the format listener or the viewer chain): while "Watch Clipboard" is
// on, the capture thread reads it.
void CaptureClipboardChange();
// An entry the capture thread read (MessageClipboardRead): its items are made now, in the order
// read, or from a timer of `window` once the collection is no longer held still.
void AddReadClipboardEntry(HWND window, LPARAM entry);
