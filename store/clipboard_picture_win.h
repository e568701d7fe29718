// Copying a bitmap off the clipboard for capture; the clipboard keeps it as its owner put it.
#pragma once

#include <windows.h>

// With the clipboard open: copies the bitmap's pixels once into a bitmap of the caller's (a DIB
// section, 32 bits a pixel), made ahead when a spare of that size is ready. nullptr when the
// bitmap cannot be read. Safe on any thread: it touches no state of the window's.
HBITMAP CopyClipboardBitmap(HBITMAP bitmap);
