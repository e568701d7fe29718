// The main window's message callback: clipboard changes, the board hand-off, dropped files,
// list notifications, moving and resizing, and the title-bar double click.
#pragma once

#include <windows.h>

// The hand-off message a second instance sends with a global atom naming a board file.
constexpr UINT MessageBoardHandOff = 2000;

// Looks at the main window's messages only, and always lets the layer go on (HookContinue).
LRESULT WindowCallback(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
