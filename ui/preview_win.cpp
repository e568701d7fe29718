// The detailed preview: a rounded popup at the cursor, open while the gesture that opened it lasts.
#include "ui/preview.h"

#include <windows.h>

#include "core/app_state.h"
#include "exchange/image/images_win.h"
#include "store/collection_win.h"
#include "ui/layer/windows_win.h"
#include "ui/main_window_win.h"
#include "ui/preview_canvas_win.h"

PreviewInputs PreviewInput;

namespace {

constexpr DWORD kPollSleepMs = 5;
// The popup is made off the screen and moved into place once its background is ready.
constexpr int kHiddenTop = 20;

PreviewPoint CursorPosition() {
  if (PreviewInput.cursor) return PreviewInput.cursor();
  POINT cursor{};
  GetCursorPos(&cursor);
  return {cursor.x, cursor.y};
}

int16_t ReadKeyState(int key) {
  return PreviewInput.keyState ? PreviewInput.keyState(key) : GetAsyncKeyState(key);
}

// The main window is disabled while the preview is open and enabled again however it ends.
class MainWindowPause {
 public:
  MainWindowPause() : main_(WindowHandle(Ui.MainWindow)) { EnableWindow(main_, FALSE); }
  ~MainWindowPause() { Resume(); }
  MainWindowPause(const MainWindowPause&) = delete;
  MainWindowPause& operator=(const MainWindowPause&) = delete;

  void Resume() {
    if (resumed_) return;
    resumed_ = true;
    EnableWindow(main_, TRUE);
  }

 private:
  HWND main_;
  bool resumed_ = false;
};

// Shows the canvas as the popup's background and gives the popup its rounded shape. Returns the
// pattern brush, which the caller deletes once the class no longer uses it.
HBRUSH DressPopup(HWND popup, int canvas, HRGN shape) {
  HBRUSH pattern = canvas ? CreatePatternBrush(ImageBitmap(canvas)) : nullptr;
  if (pattern) SetClassLongPtrA(popup, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(pattern));
  // From here on the region belongs to the window.
  if (!SetWindowRgn(popup, shape, TRUE)) DeleteObject(shape);
  return pattern;
}

void WaitForGestureEnd(int32_t mode) {
  const int primary = PrimaryButtonKey(GetSystemMetrics(SM_SWAPBUTTON));
  for (;;) {
    // Events are not acted on while the preview is open.
    if (PollEvent() == EventNone) Sleep(kPollSleepMs);
    if (PreviewShouldClose(mode, primary, ReadKeyState)) return;
  }
}

}  // namespace

void ShowPreview(const std::string& name, int32_t mode) {
  const Item* found = FindItem(name);
  if (!found) return;
  // A copy: the item may go while the preview shows, its picture stays drawn.
  const Item item = *found;
  const PreviewPoint cursor = CursorPosition();
  const PreviewPoint corner = PlacePreview(cursor.x, cursor.y, App.ScreenWidth, App.ScreenHeight);

  MainWindowPause pause;
  const int popupNumber = NewWindow(-1, App.ScreenWidth, kHiddenTop, PreviewSize, PreviewSize, WS_POPUP, "",
                                    WindowHandle(Ui.MainWindow));
  HWND popup = WindowHandle(popupNumber);
  if (popup) {
    HRGN shape = NewPreviewShape();
    const int canvas = DrawPreviewCanvas(item, shape);
    HBRUSH pattern = DressPopup(popup, canvas, shape);
    SetCurrentWindow(popupNumber);
    MoveCurrentWindow(corner.x, corner.y);

    WaitForGestureEnd(mode);

    // The class would delete its background brush with it, so the system's one goes back first
    // and the pattern brush is deleted here, once.
    if (pattern) {
      SetClassLongPtrA(popup, GCLP_HBRBACKGROUND, static_cast<LONG_PTR>(COLOR_BTNFACE + 1));
    }
    // Enabled before the popup goes, so that the activation returns to the main window.
    pause.Resume();
    DisposeWindow(popupNumber);
    if (pattern) DeleteObject(pattern);
    DisposeImage(canvas);
  }
  pause.Resume();
  SetCurrentWindow(Ui.MainWindow);
  SetFocus(Ui.ItemListHandle);
}
