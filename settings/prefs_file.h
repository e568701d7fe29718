// prefs.dat: fourteen 32-bit little-endian integers, then six strings each ended by a zero byte,
// in the system's ANSI code page. The program holds the strings in UTF-8; when one of them is
// beyond what the code page holds, it is written there as an empty string, and all six follow
// in UTF-8 after the mark "KSU8" (each ended by a zero byte), where a reader of the ANSI strings
// never looks. Read back, that part comes first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

// Longest remembered folder or file name kept from the file; a longer one is damage and is dropped.
inline constexpr size_t MaxPrefsStringLength = 32767;

// The system's ANSI code page as prefs.dat meets it.
struct PrefsCodePage {
  // The UTF-8 string in the code page; false when the code page cannot hold it exactly.
  std::function<bool(std::string_view utf8, std::string& ansi)> toAnsi;
  std::function<std::string(std::string_view ansi)> fromAnsi;
};
// Code page 1252, for tools that do not know the system's.
const PrefsCodePage& Cp1252Prefs();

// Reads the settings from the bytes of a prefs.dat. What the data does not hold keeps its default;
// values are bounded as BoundSettings does.
SettingsState ParsePrefs(const uint8_t* data, size_t size, const PrefsCodePage& codePage = Cp1252Prefs());
std::vector<uint8_t> SerializePrefs(const SettingsState& settings, const PrefsCodePage& codePage = Cp1252Prefs());

// Bounds the values that cannot work whatever the screen: ItemLimit at least 1, the on/off settings
// 0 or 1, heights not negative and the list not lower than the smallest window allows.
void BoundSettings(SettingsState& settings);

struct ScreenRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// Bounds the window's saved geometry against the screens (the first one is the primary screen):
// the height between the built height and the screen height (0 stays: the built height), the list
// no higher than the screen, and a window whose title bar is on no screen moves to 50, 50 of the
// primary screen.
void BoundWindowToScreens(SettingsState& settings, const std::vector<ScreenRect>& screens,
                          int32_t windowWidth, int32_t builtHeight, int32_t screenHeight);

// Loads prefs.dat: defaults when it cannot be read; false then.
bool LoadPrefsFile(const std::string& path, SettingsState& settings, const PrefsCodePage& codePage = Cp1252Prefs());
// Writes prefs.dat by way of a temporary file; false when it could not be written.
bool SavePrefsFile(const std::string& path, const SettingsState& settings,
                   const PrefsCodePage& codePage = Cp1252Prefs());
