#include "app/autosave.h"

bool SaveSchedule::Due(uint32_t nowMs) const {
  if (!changed_) return false;
  // Unsigned difference: right across the tick count's wrap-around.
  return !everWritten_ || nowMs - lastWrite_ >= interval_;
}

void SaveSchedule::Written(uint32_t nowMs) {
  changed_ = false;
  everWritten_ = true;
  lastWrite_ = nowMs;
}

uint32_t SaveSchedule::WaitMs(uint32_t nowMs) const {
  if (Due(nowMs) || !changed_) return 0;
  return interval_ - (nowMs - lastWrite_);
}
