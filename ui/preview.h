// The detailed preview popup of one item.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/preview_rules.h"

// Where the preview reads the cursor position and the key states. Empty members read the system's
// (GetCursorPos, GetAsyncKeyState); tests put their own here to drive the popup.
struct PreviewInputs {
  std::function<PreviewPoint()> cursor;
  KeyStateReader keyState;
};
extern PreviewInputs PreviewInput;

// Shows the named item larger at the cursor and returns when the gesture that opened it is over.
// mode PreviewFromMenu (0): until the primary button goes down; PreviewFromKey (1): while D is held;
// PreviewFromButtons (2): while the primary button is held. The main window is disabled meanwhile
// and afterwards enabled again with the item list focused. Does nothing for an item that is gone.
void ShowPreview(const std::string& item, int32_t mode);
