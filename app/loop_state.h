// Requests that the window callback leaves to the main loop, and the loop's own end flag.
#pragma once

#include <cstdint>
#include <string>

struct LoopState {
  int32_t QuitRequested = 0;      // set by the Exit commands; the loop ends after that pass
  int32_t ItemMenuRequested = 0;  // a right click on a row asks for the item menu
  int32_t PreviewRequested = 0;   // a right click with the primary button held asks for the preview
  std::string PendingBoardFile;   // a board handed over by a second instance or dropped on the window
  std::string ClickedItem;         // name of the item of the last right click, key, preview or
                                   // paste, which the item menu's commands act on; empty for none
};

extern LoopState Loop;

// Which request a pass of the loop serves first; at most one per pass.
enum class LoopRequest { None, ItemMenu, Preview, ImportBoard };
LoopRequest NextLoopRequest(const LoopState& loop);
