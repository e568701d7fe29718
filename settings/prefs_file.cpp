#include "settings/prefs_file.h"

#include <algorithm>
#include <span>
#include <string_view>

#include "core/data_reader.h"
#include "core/file_bytes.h"
#include "core/unicode_text.h"

namespace {

constexpr std::string_view kUnicodeMark = "KSU8";

// Settings that are either on or off; menu toggles flip them with exclusive-or 1, so any other
// value could never be switched off, and CompressImages indexes a two-entry table.
constexpr int32_t SettingsState::*kSwitches[] = {
    &SettingsState::ShowAfterPaste, &SettingsState::ShowAfterCopy,   &SettingsState::DeleteAfterPaste,
    &SettingsState::KeepItems,      &SettingsState::StartVisible,    &SettingsState::CompressImages,
    &SettingsState::WatchClipboard, &SettingsState::SoundOnCapture,  &SettingsState::NewItemsChecked,
};

// Part of the title bar that must lie on a screen for the user to reach the window.
constexpr int32_t kGripWidth = 32;
constexpr int32_t kGripHeight = 8;

int64_t Overlap(int64_t a0, int64_t a1, int64_t b0, int64_t b1) {
  return std::max<int64_t>(0, std::min(a1, b1) - std::max(a0, b0));
}

}  // namespace

SettingsState ParsePrefs(const uint8_t* data, size_t size, const PrefsCodePage& codePage) {
  SettingsState settings;
  DataReader reader(data, size);
  for (int i = 0; i < SettingsIntegerCount; ++i) {
    // A short file keeps the defaults of what it lacks, and the bytes that remain are read as
    // its strings.
    int32_t value = 0;
    if (reader.Remaining() < 4 || !reader.ReadNumber(value)) break;
    SettingsInteger(settings, i) = value;
  }
  for (int i = 0; i < SettingsStringCount && !reader.AtEnd(); ++i) {
    std::string_view text;
    reader.ReadLine(text);
    if (text.size() <= MaxPrefsStringLength) SettingsString(settings, i) = codePage.fromAnsi(text);
  }
  std::span<const uint8_t> mark;
  if (reader.Remaining() >= kUnicodeMark.size() && reader.ReadData(kUnicodeMark.size(), mark) &&
      std::equal(mark.begin(), mark.end(), kUnicodeMark.begin())) {
    for (int i = 0; i < SettingsStringCount && !reader.AtEnd(); ++i) {
      std::string_view text;
      reader.ReadLine(text);
      if (text.size() <= MaxPrefsStringLength && IsValidUtf8(text)) SettingsString(settings, i).assign(text);
    }
  }
  BoundSettings(settings);
  return settings;
}

std::vector<uint8_t> SerializePrefs(const SettingsState& settings, const PrefsCodePage& codePage) {
  std::vector<uint8_t> out;
  for (int i = 0; i < SettingsIntegerCount; ++i) AppendInt32(out, SettingsInteger(settings, i));
  bool beyondCodePage = false;
  for (int i = 0; i < SettingsStringCount; ++i) {
    std::string ansi;
    if (!codePage.toAnsi(SettingsString(settings, i), ansi)) {
      // Better no folder than another folder for a reader of the ANSI strings.
      ansi.clear();
      beyondCodePage = true;
    }
    AppendString(out, ansi);
  }
  if (beyondCodePage) {
    out.insert(out.end(), kUnicodeMark.begin(), kUnicodeMark.end());
    for (int i = 0; i < SettingsStringCount; ++i) AppendString(out, SettingsString(settings, i));
  }
  return out;
}

const PrefsCodePage& Cp1252Prefs() {
  static const PrefsCodePage codePage{Utf8ToCp1252, [](std::string_view ansi) { return Cp1252ToUtf8(ansi); }};
  return codePage;
}

void BoundSettings(SettingsState& settings) {
  settings.ItemLimit = BoundItemLimit(settings.ItemLimit);
  for (auto member : kSwitches) settings.*member = settings.*member != 0 ? 1 : 0;
  if (settings.SavedWindowHeight < 0) settings.SavedWindowHeight = 0;
  if (settings.ListHeight < MinListHeight) settings.ListHeight = MinListHeight;
}

void BoundWindowToScreens(SettingsState& settings, const std::vector<ScreenRect>& screens,
                          int32_t windowWidth, int32_t builtHeight, int32_t screenHeight) {
  if (settings.SavedWindowHeight != 0) {
    if (screenHeight > builtHeight) {
      settings.SavedWindowHeight = std::clamp(settings.SavedWindowHeight, builtHeight, screenHeight);
    } else {
      settings.SavedWindowHeight = builtHeight;
    }
  }
  if (screenHeight > MinListHeight) settings.ListHeight = std::min(settings.ListHeight, screenHeight);
  if (screens.empty()) return;

  const int64_t left = settings.SavedWindowX;
  const int64_t top = settings.SavedWindowY;
  const int64_t gripWidth = std::min<int64_t>(kGripWidth, std::max(windowWidth, 1));
  bool reachable = false;
  for (const ScreenRect& screen : screens) {
    if (Overlap(left, left + std::max(windowWidth, 1), screen.left, screen.right) >= gripWidth &&
        Overlap(top, top + kGripHeight, screen.top, screen.bottom) >= kGripHeight) {
      reachable = true;
      break;
    }
  }
  if (!reachable) {
    const SettingsState defaults;
    settings.SavedWindowX = screens.front().left + defaults.SavedWindowX;
    settings.SavedWindowY = screens.front().top + defaults.SavedWindowY;
  }
}

bool LoadPrefsFile(const std::string& path, SettingsState& settings, const PrefsCodePage& codePage) {
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) {
    settings = SettingsState{};
    return false;
  }
  settings = ParsePrefs(bytes.data(), bytes.size(), codePage);
  return true;
}

bool SavePrefsFile(const std::string& path, const SettingsState& settings, const PrefsCodePage& codePage) {
  return WriteFileReplacing(path, SerializePrefs(settings, codePage));
}
