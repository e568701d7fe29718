// Loading the preferences at start-up and saving them at shutdown (prefs.dat in the working directory).
#pragma once

#include "settings/prefs_file.h"
#include "settings/settings.h"

#include <windows.h>

// The system's ANSI code page, for prefs.dat's strings.
const PrefsCodePage& SystemPrefsCodePage();
// Reads prefs.dat (defaults when it is missing) and bounds what cannot work on this screen for a
// main window whose frame has the size given.
void LoadPreferences(SIZE mainFrame);
// Writes prefs.dat with the main window's visibility and height as they are now; false when it
// could not be written.
bool SavePreferences(HWND main);
// The values SavePreferences would write now.
SettingsState PreferencesToSave(HWND main);
