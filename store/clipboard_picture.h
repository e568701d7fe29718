// Taking a bitmap off the clipboard for capture.
#pragma once

#include <windows.h>

// With the clipboard open: unless the bitmap is the program's own, a copy of it is made and a copy
// of that put back on the clipboard; the copy's image number, which the caller takes over, or 0
// for none. The caller closes the clipboard and then makes the item (AddClipboardPicture).
int TakeClipboardBitmap(HBITMAP bitmap);
