#include "settings/prefs.h"

#include <windows.h>

#include <vector>

#include "app/app_state.h"
#include "settings/prefs_file.h"
#include "settings/settings.h"
#include "ui/layer/windows.h"
#include "ui/main_window.h"

namespace {

// The main window's style and client size when it is built: the frame follows from them.
constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr int kClientWidth = 305;
constexpr int kClientHeight = 250;

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

void LoadPreferences() {
  LoadPrefsFile(WorkingPath("prefs.dat"), Settings);
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRect(&frame, kMainWindowStyle, FALSE);
  BoundWindowToScreens(Settings, Screens(), frame.right - frame.left, frame.bottom - frame.top, App.ScreenHeight);
}

SettingsState PreferencesToSave() {
  HWND main = WindowHandle(Ui.MainWindow);
  SettingsState saved = Settings;
  RECT frame{};
  if (main && GetWindowRect(main, &frame)) saved.SavedWindowHeight = frame.bottom - frame.top;
  saved.StartVisible = main && IsWindowVisible(main) ? 1 : 0;
  return saved;
}

void SavePreferences() {
  const SettingsState saved = PreferencesToSave();
  Settings.SavedWindowHeight = saved.SavedWindowHeight;
  SavePrefsFile(WorkingPath("prefs.dat"), saved);
}
