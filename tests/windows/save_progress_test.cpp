// The progress window of long saves, and saving checked pictures when none is checked.
#include <vector>

#include "exchange/progress_window.h"
#include "exchange/save_items.h"
#include "tests/windows/layer_test_util.h"
#include "tests/windows/load_save_fixture.h"

namespace {

// Records the top-level windows this thread creates while it is alive.
class CreatedWindows {
 public:
  CreatedWindows() {
    created_.clear();
    hook_ = SetWindowsHookExA(WH_CBT, Record, nullptr, GetCurrentThreadId());
  }
  ~CreatedWindows() { UnhookWindowsHookEx(hook_); }
  CreatedWindows(const CreatedWindows&) = delete;
  CreatedWindows& operator=(const CreatedWindows&) = delete;

  struct Window {
    LONG style;
    int width;
    int height;
  };
  static const std::vector<Window>& Created() { return created_; }

 private:
  static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
      const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
      if (!(create->style & WS_CHILD)) created_.push_back({static_cast<LONG>(create->style), create->cx, create->cy});
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  HHOOK hook_;
  static inline std::vector<Window> created_;
};

using SaveProgress = LoadSaveWindow;

TEST_F(SaveProgress, ProgressWindowIsASmallBorderlessBarThatDisablesTheMainWindow) {
  ShowWindow(Main(), SW_SHOWNORMAL);
  SetForegroundWindow(Main());
  {
    ProgressWindow progress(4);
    ASSERT_NE(progress.Window(), 0);
    HWND window = WindowHandle(progress.Window());
    EXPECT_FALSE(IsWindowEnabled(Main()));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindow(window, GW_OWNER), Main());
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 150);
    EXPECT_EQ(client.bottom, 25);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
    HWND bar = ControlHandle(progress.Bar());
    PBRANGE range{};
    SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 4);
    progress.Step(3);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 3);
  }
  EXPECT_TRUE(IsWindowEnabled(Main()));
  EXPECT_EQ(CurrentWindowHandle(), Main());
}

TEST_F(SaveProgress, NoCheckedPicturesShowsAnEmptyProgressWindowAndWritesNothing) {
  // A plain folder: the requester's tree does not show hidden ones such as the temporary folder.
  const std::string target = "C:\\kepsil-pictures-" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(target.c_str(), nullptr);
  Settings.LastImageFolder = target;
  {
    // One unchecked picture item, made as a loaded file would be.
    const int image = NewImage(-1, 10, 10);
    CaptureEntry(image, nullptr);
    ASSERT_EQ(Collection.Items.Count(), 1);
    SetRowState(Ui.ItemList, 0, 0);
  }
  {
    CreatedWindows windows;
    // The folder requester opens at the remembered folder; OK takes it.
    WindowWatcher watcher("#32770", [](HWND dialog) {
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    });
    SaveCheckedImages(ImageEncoding::Png);
    bool progressShown = false;
    for (const CreatedWindows::Window& window : CreatedWindows::Created()) {
      if ((window.style & WS_POPUP) && window.width == 150 && window.height == 25) progressShown = true;
    }
    EXPECT_TRUE(progressShown);
  }
  EXPECT_TRUE(FilesIn(target).empty());
  EXPECT_EQ(Settings.LastImageFolder, target);
  EXPECT_TRUE(IsWindowEnabled(Main()));
  RemoveDirectoryA(target.c_str());
}

}  // namespace
