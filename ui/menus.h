// The four popup menus: main menu, item menu and the two tray menus.
#pragma once

#include <string>

// Popup menu numbers.
constexpr int MainMenu = 0;
constexpr int ItemMenu = 1;
constexpr int TrayMenuHidden = 2;
constexpr int TrayMenuShown = 3;

// Builds menus 0 to 3 from the interface texts, with check marks from the settings.
void BuildMenus();
// Builds the item menu again for the item it is about to open on: its pin entry says "Pin item" or
// "Unpin item", and "Ignore copies from NAME" is there only when the program it came from is known.
void PrepareItemMenu(bool pinned, const std::string& program);
// Sets every check mark from the current settings (the three Watch Clipboard entries included).
void RefreshMenuChecks();
