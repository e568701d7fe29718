// The system's clipboard format listeners (WM_CLIPBOARDUPDATE), looked up at run time so that the
// program still starts on a system without them.
#pragma once

#include <windows.h>

// Adds the window to the listeners; false when the system has none (then the viewer chain serves).
bool AddClipboardListener(HWND window);
void RemoveClipboardListener(HWND window);
