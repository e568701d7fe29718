// The small borderless progress window shown while a board is exported or checked images are
// saved. The main window is disabled for as long as it is open.
#pragma once

// Paints what is waiting, so the screen stays current during a long step; events that came in
// meanwhile are left to the main loop.
void ProcessPendingEvents();

class ProgressWindow {
 public:
  // Disables the main window and shows a 150 x 25 window over the active one with a bar from 0
  // to `steps`.
  explicit ProgressWindow(int steps);
  // Closes the window and enables the main window again, which becomes the current window.
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // Moves the bar to `done` finished steps and lets the screen catch up.
  void Step(int done);
  // The window's number, 0 when it could not be made.
  int Window() const { return window_; }
  int Bar() const { return bar_; }

 private:
  int window_ = 0;
  int bar_ = 0;
};
