// Taking a bitmap off the clipboard for capture, and offering the program's copy in its place.
#pragma once

#include <windows.h>

// With the clipboard open: unless the bitmap is the program's own, its pixels are copied once into
// memory shared by two bitmaps: one becomes an image whose number the caller takes over (0 for
// none), the other is offered on the clipboard in place of the original, rendered only when
// another program asks for it. The caller closes the clipboard and then makes the item
// (AddClipboardPicture); releasing the image leaves the offered picture intact.
int TakeClipboardBitmap(HBITMAP bitmap);

// The owner's side of delayed rendering, from the main window's messages.
// WM_RENDERFORMAT: puts CF_BITMAP made from the offered picture on the open clipboard.
void RenderOfferedPicture(UINT format);
// WM_RENDERALLFORMATS (the window is going away): renders the picture while the window still owns
// the clipboard, so it stays there after the program ends.
void RenderAllOfferedPictures(HWND window);
// WM_DESTROYCLIPBOARD: the clipboard was emptied; the offered picture is released.
void ReleaseOfferedPicture();
