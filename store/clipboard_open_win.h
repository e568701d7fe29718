// Taking the clipboard for a moment, with a bound on how long another program may keep it.
#pragma once

#include <windows.h>

#include "store/capture_rules.h"

// Opens the clipboard for `window`; while another program holds it, tries again every 10 ms for
// at most `waitMs` (two seconds unless asked otherwise; 0 tries once). Closes it again when it
// goes out of scope.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND window, uint32_t waitMs = ClipboardWaitMs);
  ~ClipboardSession();
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;

  bool IsOpen() const { return open_; }
  // Closes it now (announcing a change made while it was open); the destructor then does nothing.
  void Close();

 private:
  bool open_ = false;
};
