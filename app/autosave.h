// Keeping items.dat and prefs.dat current while the program runs, so that a crash or a killed
// process loses at most the last second of changes.
#pragma once

#include <cstdint>

// When a changed state is written: at once when the last write was at least `intervalMs` ago,
// otherwise once that interval has passed, so that a burst of changes costs one write a second.
// Times are millisecond tick counts that may wrap around.
class SaveSchedule {
 public:
  explicit SaveSchedule(uint32_t intervalMs) : interval_(intervalMs) {}
  void MarkChanged() { changed_ = true; }
  bool Changed() const { return changed_; }
  bool Due(uint32_t nowMs) const;
  // Milliseconds from `nowMs` until a change is due; 0 when it is due now or nothing changed.
  uint32_t WaitMs(uint32_t nowMs) const;
  // The state was written at `nowMs`.
  void Written(uint32_t nowMs);
  // The change turned out to leave the state as last written: nothing to write.
  void Settle() { changed_ = false; }

 private:
  uint32_t interval_;
  bool changed_ = false;
  bool everWritten_ = false;
  uint32_t lastWrite_ = 0;
};

inline constexpr uint32_t AutosaveIntervalMs = 1000;
