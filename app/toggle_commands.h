// The menu commands that flip one setting between 0 and 1.
#pragma once

#include <cstdint>

#include "settings/settings.h"

// The setting a toggle command flips, or nullptr when the id is no toggle. The three Watch
// Clipboard commands (main menu and both tray menus) all flip WatchClipboard.
int32_t* ToggleTarget(SettingsState& settings, int32_t commandId);

// Flips the setting of a toggle command (exclusive or with 1); false when the id is no toggle.
bool ApplyToggle(SettingsState& settings, int32_t commandId);
