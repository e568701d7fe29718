// Numbered popup menus, built entry by entry.
#pragma once

#include <windows.h>

#include <string>

// Creates the menu (number -1 picks a fresh one) and makes it the menu being built; 0 on failure.
HMENU NewPopupMenu(int number);
HMENU MenuHandle(int number);
void BeginSubmenu(const std::string& caption);
void EndSubmenu();
void AppendItem(int id, const std::string& caption);
void AppendSeparator();
void SetItemChecked(int menu, int id, bool checked);
// The chosen entry arrives later as a menu event.
void PopupAtCursor(int menu, HWND window);
void PopupAt(int menu, HWND window, int x, int y);
