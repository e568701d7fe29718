#include "settings/prefs_win.h"

#include <windows.h>

#include <vector>

#include "core/app_state.h"
#include "core/code_page_win.h"
#include "settings/prefs_file.h"
#include "settings/settings.h"

namespace {

BOOL CALLBACK CollectScreen(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
  auto* screens = reinterpret_cast<std::vector<ScreenRect>*>(param);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  const ScreenRect screen{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
  // The primary screen goes first.
  if (info.dwFlags & MONITORINFOF_PRIMARY) {
    screens->insert(screens->begin(), screen);
  } else {
    screens->push_back(screen);
  }
  return TRUE;
}

std::vector<ScreenRect> Screens() {
  std::vector<ScreenRect> screens;
  EnumDisplayMonitors(nullptr, nullptr, CollectScreen, reinterpret_cast<LPARAM>(&screens));
  if (screens.empty()) screens.push_back(ScreenRect{0, 0, App.ScreenWidth, App.ScreenHeight});
  return screens;
}

}  // namespace

const PrefsCodePage& SystemPrefsCodePage() {
  static const PrefsCodePage codePage{
      [](std::string_view utf8, std::string& ansi) {
        const std::wstring wide = Wide(utf8);
        ansi = WideToAnsi(wide);
        return AnsiToWide(ansi) == wide;
      },
      [](std::string_view ansi) { return Utf8(AnsiToWide(ansi)); }};
  return codePage;
}

void LoadPreferences(SIZE mainFrame) {
  LoadPrefsFile(WorkingPath("prefs.dat"), Settings, SystemPrefsCodePage());
  BoundWindowToScreens(Settings, Screens(), mainFrame.cx, mainFrame.cy, App.ScreenHeight);
}

SettingsState PreferencesToSave(HWND main) {
  SettingsState saved = Settings;
  RECT frame{};
  if (main && GetWindowRect(main, &frame)) saved.SavedWindowHeight = frame.bottom - frame.top;
  saved.StartVisible = main && IsWindowVisible(main) ? 1 : 0;
  return saved;
}

bool SavePreferences(HWND main) {
  const SettingsState saved = PreferencesToSave(main);
  Settings.SavedWindowHeight = saved.SavedWindowHeight;
  return SavePrefsFile(WorkingPath("prefs.dat"), saved, SystemPrefsCodePage());
}
