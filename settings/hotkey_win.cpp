#include "settings/hotkey.h"

#include <windows.h>

#include "settings/hotkey_state.h"

bool PollHotKey() {
  return StepHotKey(HotKey, [](int32_t key) { return GetAsyncKeyState(key) != 0; });
}
