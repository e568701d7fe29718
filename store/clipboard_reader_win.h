// The capture thread: it reads the clipboard off the window's thread, with a hidden window of its
// own, and hands what it read to the window's thread, which makes the items. Nothing of its
// reading (another program holding the clipboard, or rendering a format for seconds) ever blocks
// the window.
#pragma once

#include <windows.h>

#include <memory>

#include "store/capture_win.h"

// Posted to the window named at start for every change read; lParam carries the entry, taken
// over with TakeReadEntry.
constexpr UINT MessageClipboardRead = WM_APP + 0x4B1;

// Starts the thread; entries go to `target`. False when it could not be started.
bool StartClipboardReader(HWND target);
// A change was announced: the thread reads the clipboard after what it is reading now. The same
// change announced twice is read once. Returns at once; does nothing while the thread is not
// running.
void RequestClipboardRead();
// Ends the thread, waiting for it at most `boundMs`: a thread held by a program that never hands
// its format over is left to the end of the process.
void StopClipboardReader(DWORD boundMs = 2000);
// The entry a MessageClipboardRead carried.
std::unique_ptr<ClipboardEntry> TakeReadEntry(LPARAM lParam);
