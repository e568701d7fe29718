#include "settings/hotkey_state.h"

HotKeyState HotKey;

bool StepHotKey(HotKeyState& state, const KeyReader& readKey) {
  if (state.HotKeyReleaseKey != 0) {
    if (!readKey(state.HotKeyReleaseKey)) state.HotKeyReleaseKey = 0;
    return false;
  }
  if (state.HotKeyArmed == 1) {
    if (readKey(VkMenu) && readKey(VkControl)) {
      if (readKey(VkSpace)) {
        state.HotKeyReleaseKey = VkSpace;
        return true;  // stays armed: the next press of Space toggles again
      }
      return false;
    }
    state.HotKeyArmed = 0;
    return false;
  }
  // Nothing can arm while Ctrl is up, and each read costs the idle pass a system call that looks
  // at the display's events: one read is enough then. Stale bits of the other keys are cleared
  // below before they count.
  if (!readKey(VkControl)) return false;
  // Clear the pressed-since-last-read bits so that only keys down now count below.
  readKey(VkSpace);
  readKey(VkMenu);
  readKey(VkControl);
  // Space held before Ctrl and Alt must not arm.
  if (!readKey(VkSpace) && readKey(VkMenu) && readKey(VkControl)) state.HotKeyArmed = 1;
  return false;
}
