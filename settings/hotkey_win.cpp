#include "settings/hotkey.h"

#include <windows.h>

#include "settings/hotkey_state.h"
#include "ui/layer/windows.h"
#include "ui/main_window.h"

void PollHotKey() {
  const bool toggle = StepHotKey(HotKey, [](int32_t key) { return GetAsyncKeyState(key) != 0; });
  if (!toggle) return;
  HWND main = WindowHandle(Ui.MainWindow);
  if (IsWindowVisible(main)) {
    ShowWindow(main, SW_HIDE);
  } else {
    ShowWindow(main, SW_SHOWNORMAL);
    SetForegroundWindow(main);
    SetFocus(Ui.ItemListHandle);
  }
}
