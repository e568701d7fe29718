// The show/hide hot key Alt + Ctrl + Space, read by polling the global key state.
#pragma once

#include <cstdint>
#include <functional>

inline constexpr int32_t VkControl = 0x11;
inline constexpr int32_t VkMenu = 0x12;  // Alt
inline constexpr int32_t VkSpace = 0x20;

struct HotKeyState {
  int32_t HotKeyArmed = 0;       // 1 after Ctrl and Alt were seen down while Space was up
  int32_t HotKeyReleaseKey = 0;  // key that must be seen up before anything else happens; 0 none
};

extern HotKeyState HotKey;

// Reads one key as GetAsyncKeyState does: true when it is down now or was pressed since the last
// read of that key. Each call counts as a read.
using KeyReader = std::function<bool(int32_t virtualKey)>;

// One poll; true when the main window is to be shown or hidden. The keys are read in a fixed order
// and only as far as needed, since every read clears that key's pressed-since-last-read bit.
bool StepHotKey(HotKeyState& state, const KeyReader& readKey);
