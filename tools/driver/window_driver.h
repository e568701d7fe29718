// Driving another process's windows: commands, keys, tray clicks, dialogs, the hand-off message.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Polls `condition` every 20 ms until it holds or the time is up; returns its last answer.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// Top-level windows of a process; visibleOnly skips hidden ones.
std::vector<HWND> ProcessWindows(DWORD processId, bool visibleOnly);
// The first top-level window of the process with that title (and class when not empty).
HWND FindProcessWindow(DWORD processId, const std::string& title, const std::string& className = "");
// Waits for a visible top-level window of the process other than `except`, e.g. a requester.
HWND WaitForOtherWindow(DWORD processId, HWND except, DWORD timeoutMs = 15000);
// Waits for the end of the program's start-up once its main window exists: the window placed on
// the screen and the window callback attached. Ends early when the window goes away or the
// program shows a dialog box (a question asked during start-up). False when time ran out.
bool WaitForStartUpEnd(HWND mainWindow, DWORD timeoutMs = 30000);

std::string WindowTitle(HWND window);
std::string WindowClass(HWND window);
// Child windows of a window, in order, with their class names.
std::vector<HWND> ChildWindows(HWND parent);
HWND FindChild(HWND parent, const std::string& className, const std::string& text = "");

// A menu command or keyboard shortcut id as the menus deliver it (WM_COMMAND without a control).
void PostCommand(HWND window, int commandId);
// A key press and release posted to a window of the other process's thread.
void PostKey(HWND window, int virtualKey);
// Returns once the thread of `window` (another thread, with a window of the program) has
// dispatched what was posted to it before the call, and what it posted itself while doing so
// (kPostedGenerationsWaitedFor deep, e.g. a tray click that it re-posts and the size change that
// follows), so that a sent message or an observation that follows comes after it. It leaves a
// posted mark and asks for it until the thread has taken it. False when the thread keeps no marks
// or did not take the mark in time. One wait at a time per thread: another waiter's mark hides
// this one's. (A handler that runs a loop of its own, like a modal one, takes the mark while it
// runs.)
constexpr int kPostedGenerationsWaitedFor = 3;
bool WaitForPostedMessages(HWND window, DWORD timeoutMs = 15000);

// The message the main window's tray icon sends its owner (mouse message in lParam).
constexpr UINT kTrayCallbackMessage = 12501;
void PostTrayMouse(HWND owner, int trayNumber, UINT mouseMessage);

// Puts the text into a dialog's first edit field and presses its button with that caption.
bool AnswerTextRequester(HWND dialog, const std::string& answer, const std::string& buttonCaption = "Ok");
// Presses a message box button (IDYES, IDNO, IDOK...).
void PressDialogButton(HWND dialog, int buttonId);

// Sends message 2000 with a global atom naming `path` to the window titled "KepSil!", as a
// second instance does. Returns the atom (0 when it could not be made or no window answered).
ATOM SendBoardHandOff(const std::string& path, DWORD timeoutMs = 5000);
// True while an atom with that name exists in the global atom table.
bool GlobalAtomExists(const std::string& name);

// Drops the files (UTF-8 paths) on the window as the shell does, with a Unicode drop handle made in
// the window's own process. Waits until the window has taken the drop; false when it did not.
bool DropFiles(HWND window, const std::vector<std::string>& paths, DWORD timeoutMs = 15000);

// Makes the window the foreground (active) window, so that its keyboard shortcuts work.
bool BringToFront(HWND window);
