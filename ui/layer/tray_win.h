// Icons in the notification area; their mouse messages become tray events.
#pragma once

#include <windows.h>

#include <string>

// EventDetail of a tray event: which mouse message the icon had.
constexpr int TrayLeftButtonUp = 0;
constexpr int TrayRightButtonUp = 1;
constexpr int TrayLeftDoubleClick = 2;
constexpr int TrayRightDoubleClick = 3;

// number -1 picks a fresh number. Returns the number, or 0 when the shell refuses the icon.
int AddTrayIcon(int number, HWND window, HICON icon);
// At most 63 characters are shown.
void SetTrayTip(int number, const std::string& text);
void RemoveTrayIcon(int number);
// Adds the window's icons again after the shell restarted its notification area.
void ReAddTrayIcons(HWND window);
