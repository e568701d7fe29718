// The program's settings and remembered folders, kept in prefs.dat between runs.
#pragma once

#include <cstdint>
#include <string>

struct SettingsState {
  // The fourteen numbers, in the order prefs.dat stores them; the initialisers are the defaults.
  int32_t ShowAfterPaste = 1;
  int32_t ShowAfterCopy = 1;
  int32_t ItemLimit = 20;
  int32_t DeleteAfterPaste = 1;
  int32_t KeepItems = 1;
  int32_t StartVisible = 1;
  int32_t SavedWindowX = 50;
  int32_t SavedWindowY = 50;
  int32_t SavedWindowHeight = 0;  // 0: the height the window was built with
  int32_t ListHeight = 227;
  int32_t CompressImages = 1;
  int32_t WatchClipboard = 1;
  int32_t SoundOnCapture = 0;
  int32_t NewItemsChecked = 1;
  // Remembered folders (with their trailing backslash) and the last board file.
  std::string LastImageSaveDir;
  std::string LastTextSaveDir;
  std::string LastImageFolder;
  std::string LastTextFolder;
  std::string LastBoardFile;
  std::string LastLoadDir;
};

extern SettingsState Settings;

// Number of integer settings at the start of prefs.dat.
inline constexpr int SettingsIntegerCount = 14;
// Height of the list when the window has its smallest (built) height: client height 250 less 23.
inline constexpr int32_t MinListHeight = 227;

// The item store needs room for at least one item.
inline int32_t BoundItemLimit(int32_t limit) { return limit < 1 ? 1 : limit; }

// The integer settings by their position in prefs.dat (0..13), for readers and writers of the file.
int32_t& SettingsInteger(SettingsState& settings, int index);
int32_t SettingsInteger(const SettingsState& settings, int index);
const char* SettingsIntegerName(int index);
// The six strings by their position (0..5).
std::string& SettingsString(SettingsState& settings, int index);
const std::string& SettingsString(const SettingsState& settings, int index);
const char* SettingsStringName(int index);
inline constexpr int SettingsStringCount = 6;
