#include "app/loop_state.h"

LoopState Loop;

LoopRequest NextLoopRequest(const LoopState& loop) {
  if (loop.ItemMenuRequested) return LoopRequest::ItemMenu;
  if (loop.PreviewRequested) return LoopRequest::Preview;
  if (!loop.PendingBoardFile.empty()) return LoopRequest::ImportBoard;
  return LoopRequest::None;
}
