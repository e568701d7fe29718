#include "store/clipboard_capture_win.h"

#include <deque>
#include <memory>

#include "settings/settings.h"
#include "store/capture_win.h"
#include "store/clipboard_reader_win.h"
#include "store/collection_win.h"
#include "store/ignored_programs_win.h"

namespace {

// Entries that came while the collection was held still or while items were being added wait
// here, oldest first, and are added from a timer.
constexpr UINT_PTR kWaitingTimer = 0x4B53;
constexpr UINT kWaitingIntervalMs = 20;
std::deque<std::unique_ptr<ClipboardEntry>> Waiting;
bool Adding = false;

void Add(ClipboardEntry& entry) {
  // Watching was turned off after the change was read.
  if (!entry.own && Settings.WatchClipboard != 1) return;
  // A copy from a program the user chose to ignore makes no item, as a secret one does not.
  if (!entry.own && IgnoredPrograms().Contains(entry.sourceProgram)) return;
  Adding = true;
  Capture.SourceProgram = entry.sourceProgram;
  AddClipboardEntry(entry);
  Capture.SourceProgram.clear();
  Adding = false;
}

bool MayAdd() { return !Adding && !CollectionHeld(); }

void CALLBACK AddWaiting(HWND window, UINT, UINT_PTR, DWORD) {
  while (MayAdd() && !Waiting.empty()) {
    std::unique_ptr<ClipboardEntry> entry = std::move(Waiting.front());
    Waiting.pop_front();
    Add(*entry);
  }
  if (Waiting.empty()) KillTimer(window, kWaitingTimer);
}

}  // namespace

void CaptureClipboardChange() {
  if (Settings.WatchClipboard == 1) RequestClipboardRead();
}

void AddReadClipboardEntry(HWND window, LPARAM lParam) {
  std::unique_ptr<ClipboardEntry> entry = TakeReadEntry(lParam);
  if (!entry) return;
  if (MayAdd() && Waiting.empty()) {
    Add(*entry);
    return;
  }
  Waiting.push_back(std::move(entry));
  SetTimer(window, kWaitingTimer, kWaitingIntervalMs, AddWaiting);
}
