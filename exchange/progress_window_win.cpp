#include "exchange/progress_window.h"

#include <windows.h>

#include "ui/layer/controls_win.h"
#include "ui/layer/windows_win.h"

namespace {

constexpr int kWidth = 150;
constexpr int kHeight = 25;
constexpr int kBarHeight = 20;
// A window that never stops asking to be painted must not hold the caller here: the time spent
// per call is bounded.
constexpr DWORD kMaxPumpMs = 15;

}  // namespace

void ProcessPendingEvents() {
  // Only painting and sent messages: an event taken here would never reach the main loop, and an
  // Exit command or a click that came during the step must still count after it.
  RefreshWindows(kMaxPumpMs);
}

ProgressWindow::ProgressWindow(int steps) {
  SetCurrentWindow(MainWindowNumber());
  EnableWindow(CurrentWindowHandle(), FALSE);
  window_ = NewWindow(-1, 0, 0, kWidth, kHeight, WS_POPUP | WindowCentreOnActive, "", MainWindowHandle());
  if (window_) {
    BeginControls(WindowHandle(window_));
    bar_ = NewProgressBar(-1, 0, 0, kWidth, kBarHeight, 0, steps);
  }
  ProcessPendingEvents();
}

ProgressWindow::~ProgressWindow() {
  if (window_) DisposeWindow(window_);
  SetCurrentWindow(MainWindowNumber());
  EnableWindow(CurrentWindowHandle(), TRUE);
}

void ProgressWindow::Step(int done) {
  if (bar_) SetControlState(bar_, done);
  ProcessPendingEvents();
}
