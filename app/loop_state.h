// Requests that the window callback leaves to the main loop, and the loop's own end flag.
#pragma once

#include <cstdint>
#include <string>

struct LoopState {
  int32_t QuitRequested = 0;      // set by the Exit commands; the loop ends after that pass
  int32_t ItemMenuRequested = 0;  // a right click on a row asks for the item menu
  int32_t PreviewRequested = 0;   // a right click with the primary button held asks for the preview
  std::string PendingBoardFile;   // a board handed over by a second instance or dropped on the window
  int32_t ClickedIndex = -1;      // row of the last right click, key, preview or paste; -1 for none
};

extern LoopState Loop;

// Which request a pass of the loop serves first; at most one per pass.
enum class LoopRequest { None, ItemMenu, Preview, ImportBoard };
LoopRequest NextLoopRequest(const LoopState& loop);
