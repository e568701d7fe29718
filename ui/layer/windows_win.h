// Numbered top-level windows and the events the main loop polls.
#pragma once

#include <windows.h>

#include <string>

// Event kinds returned by PollEvent/WaitEvent.
constexpr int EventNone = 0;
constexpr int EventSize = 5;
constexpr int EventCloseRequest = 16;
constexpr int EventControl = 13100;
constexpr int EventMenu = 13101;
constexpr int EventTray = 13102;

// Options mixed into NewWindow's flags beside the Win32 style bits.
constexpr DWORD WindowCentreOnScreen = 0x1;
constexpr DWORD WindowCentreOnActive = 0x2;
constexpr DWORD WindowHidden = 0x10000000;

// A hook returning this value lets the layer go on with its own handling of the message.
constexpr LRESULT HookContinue = 0xE0E0E0E1;
using WindowHook = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Private messages: the re-posted size message and the tray callback (sent, then re-posted).
constexpr UINT MessageSizeRepost = 12504;
constexpr UINT MessageTrayCallback = 12501;
constexpr UINT MessageTrayRepost = 12502;

// Common controls and layer state; call once before anything else of the layer.
void InitWindowLayer();
// Frees what the layer still holds (windows, accelerator tables, fonts, menus) at process end.
void ReleaseWindowLayer();

// number -1 picks a fresh number. Returns the number, or 0 when the window cannot be created.
int NewWindow(int number, int x, int y, int clientWidth, int clientHeight, DWORD flags,
              const std::string& title, HWND owner);
HWND WindowHandle(int number);
HWND CurrentWindowHandle();
void SetCurrentWindow(int number);
void DisposeWindow(int number);
// The program's main window: the owner of its popups, requesters and messages. 0 until it is set.
void SetMainWindow(int number);
int MainWindowNumber();
HWND MainWindowHandle();

int PollEvent();
int WaitEvent();
// Paints what is waiting to be painted and answers messages sent from other threads, for at most
// `maxMs`. Whatever can become an event (commands, clicks, keys, timers, posted messages) stays
// queued for the next PollEvent, so a long step that keeps the screen current loses none of them.
void RefreshWindows(DWORD maxMs);
int EventSource();
int EventDetail();
int EventCommand();

void SetWindowHook(WindowHook hook);

void MoveCurrentWindow(int x, int y);
int CurrentWindowLeft();
int CurrentWindowTop();
int CurrentClientHeight();

// key: virtual-key code in the low 16 bits, plus these modifier bits.
constexpr int ShortcutShift = 0x10000;
constexpr int ShortcutCtrl = 0x20000;
constexpr int ShortcutAlt = 0x40000;
void AddShortcut(int window, int key, int command);
