// The preview popup as it opens and closes: placement at the cursor, its shape and background,
// the closing condition of each mode over injected key states, and the main window afterwards.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/windows/layer_test_util.h"
#include "tests/windows/preview_fixture.h"
#include "ui/preview.h"
#include "ui/preview_canvas_win.h"
#include "ui/preview_rules.h"

namespace {

constexpr int16_t kDown = static_cast<int16_t>(0x8000);
constexpr int kReadLimit = 2000;  // a test that never closes the popup ends here

// What the test saw while the popup was open, taken on the first key read.
struct OpenPopup {
  HWND handle = nullptr;
  RECT frame{};
  RECT client{};
  LONG_PTR style = 0;
  HWND owner = nullptr;
  bool mainEnabled = true;
};

class PreviewPopupTest : public PreviewFixture {
 protected:
  void SetUp() override {
    MakeCurrent(TextItemWith("popup", "A short text"));
    cursor_ = {App.ScreenWidth / 2, App.ScreenHeight / 2};
    PreviewInput.cursor = [this] { return cursor_; };
    PreviewInput.keyState = [this](int key) { return Read(key); };
  }
  void TearDown() override {
    PreviewInput = PreviewInputs{};
    PreviewFixture::TearDown();
  }

  int16_t Read(int key) {
    reads_.push_back(key);
    if (reads_.size() == 1) See();
    if (whileOpen_) whileOpen_();
    if (reads_.size() >= kReadLimit) return closeAnswer_;
    return answer_(static_cast<int>(reads_.size()), key);
  }

  void See() {
    seen_.handle = CurrentWindowHandle();
    GetWindowRect(seen_.handle, &seen_.frame);
    GetClientRect(seen_.handle, &seen_.client);
    seen_.style = GetWindowLongPtrA(seen_.handle, GWL_STYLE);
    seen_.owner = GetWindow(seen_.handle, GW_OWNER);
    seen_.mainEnabled = IsWindowEnabled(WindowHandle(Ui.MainWindow)) != 0;
  }

  // Opens the preview in the mode; the answer function gives the state for the n-th read (1-based).
  void Run(int32_t mode, std::function<int16_t(int, int)> answer, int16_t closeAnswer) {
    answer_ = std::move(answer);
    closeAnswer_ = closeAnswer;
    ShowPreview(Collection.Items.Empty() ? std::string() : Collection.Items.At(0).name, mode);
  }

  // Opens the preview for the cursor and lets it close on the first read of the D key.
  void OpenOnce(PreviewPoint cursor) {
    cursor_ = cursor;
    reads_.clear();
    Run(PreviewFromKey, [](int, int) { return int16_t{0}; }, 0);
  }

  void ExpectClosedCleanly() {
    HWND main = WindowHandle(Ui.MainWindow);
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_FALSE(IsWindow(seen_.handle));
    EXPECT_EQ(CurrentWindowHandle(), main);
    EXPECT_EQ(GetFocus(), Ui.ItemListHandle);
  }

  PreviewPoint cursor_;
  std::vector<int> reads_;
  std::function<int16_t(int, int)> answer_;
  std::function<void()> whileOpen_;
  int16_t closeAnswer_ = 0;
  OpenPopup seen_;
};

TEST_F(PreviewPopupTest, OpensBelowRightOfTheCursorOrAwayFromTheEdges) {
  const int w = App.ScreenWidth;
  const int h = App.ScreenHeight;
  struct Case {
    PreviewPoint cursor;
    PreviewPoint corner;
  };
  for (const Case& c : {Case{{w / 2, h / 2}, {w / 2, h / 2}}, Case{{w - 50, 200}, {w - 350, 200}},
                        Case{{w - 10, h - 10}, {w - 310, h - 310}}}) {
    OpenOnce(c.cursor);
    ASSERT_NE(seen_.handle, nullptr);
    EXPECT_EQ(seen_.frame.left, c.corner.x) << c.cursor.x << "," << c.cursor.y;
    EXPECT_EQ(seen_.frame.top, c.corner.y) << c.cursor.x << "," << c.cursor.y;
    EXPECT_EQ(seen_.frame.right - seen_.frame.left, PreviewSize);
    EXPECT_EQ(seen_.client.right, PreviewSize);
    EXPECT_EQ(seen_.client.bottom, PreviewSize);
    ExpectClosedCleanly();
  }
}

TEST_F(PreviewPopupTest, BorderlessRoundedPopupOwnedByTheDisabledMainWindow) {
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  int regionKind = ERROR;
  bool cornerCut = false;
  bool centreIn = false;
  whileOpen_ = [&] {
    if (reads_.size() != 1) return;
    regionKind = GetWindowRgn(CurrentWindowHandle(), shape);
    cornerCut = !PtInRegion(shape, 1, 1);
    centreIn = PtInRegion(shape, 150, 150) != 0;
  };
  OpenOnce({100, 100});
  EXPECT_EQ(seen_.style & (WS_POPUP | WS_CAPTION | WS_BORDER | WS_THICKFRAME), WS_POPUP);
  EXPECT_EQ(seen_.owner, WindowHandle(Ui.MainWindow));
  EXPECT_FALSE(seen_.mainEnabled);
  EXPECT_EQ(regionKind, COMPLEXREGION);
  EXPECT_TRUE(cornerCut);
  EXPECT_TRUE(centreIn);
  DeleteObject(shape);
  ExpectClosedCleanly();
}

// The popup is painted from its class background alone: that brush is the canvas, pixel for pixel.
TEST_F(PreviewPopupTest, BackgroundBrushIsTheCanvas) {
  MakeCurrent(PictureItem("brush", 120, 60, RGB(0, 0, 200)));
  CanvasPixels painted;
  whileOpen_ = [&] {
    if (reads_.size() != 1) return;
    auto brush = reinterpret_cast<HBRUSH>(GetClassLongPtrA(CurrentWindowHandle(), GCLP_HBRBACKGROUND));
    LOGBRUSH info{};
    GetObjectA(brush, sizeof info, &info);
    EXPECT_EQ(info.lbStyle, static_cast<UINT>(BS_PATTERN));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, PreviewSize, PreviewSize);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, PreviewSize, PreviewSize};
    FillRect(dc, &all, brush);
    SelectObject(dc, old);
    painted = ReadBitmapPixels(bitmap, PreviewSize, PreviewSize);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
  };
  OpenOnce({300, 300});
  HRGN shape = NewPreviewShape();
  const int canvas = DrawPreviewCanvas(Collection.Items.At(0), shape);
  DeleteObject(shape);
  const CanvasPixels expected = ReadBitmapPixels(ImageBitmap(canvas), PreviewSize, PreviewSize);
  DisposeImage(canvas);
  ASSERT_EQ(painted.pixels.size(), expected.pixels.size());
  EXPECT_TRUE(painted.pixels == expected.pixels);
  EXPECT_EQ(painted.At(150, 150), RGB(0, 0, 200));
  EXPECT_EQ(painted.At(50, 150), PreviewBackground);
}

TEST_F(PreviewPopupTest, KeyModeStaysOpenWhileDIsHeld) {
  Run(PreviewFromKey, [](int n, int) { return n <= 20 ? kDown : int16_t{0}; }, 0);
  EXPECT_EQ(reads_.size(), 21u);
  EXPECT_EQ(reads_, std::vector<int>(21, PreviewKeyD));
  ExpectClosedCleanly();
}

TEST_F(PreviewPopupTest, MenuModeClosesOnTheNextPrimaryPress) {
  const int primary = PrimaryButtonKey(GetSystemMetrics(SM_SWAPBUTTON));
  // Reads come in pairs; a press seen only by a discarded first read does not close, the second
  // read of pair 10 sees the button down.
  Run(PreviewFromMenu, [](int n, int) { return n % 2 == 1 ? int16_t{1} : (n == 20 ? kDown : int16_t{0}); }, kDown);
  EXPECT_EQ(reads_.size(), 20u);
  EXPECT_EQ(reads_, std::vector<int>(20, primary));
  ExpectClosedCleanly();
}

TEST_F(PreviewPopupTest, ButtonModeClosesWhenThePrimaryButtonIsReleased) {
  const int primary = PrimaryButtonKey(GetSystemMetrics(SM_SWAPBUTTON));
  Run(PreviewFromButtons, [](int n, int) { return n < 30 ? kDown : int16_t{0}; }, 0);
  EXPECT_EQ(reads_.size(), 30u);
  EXPECT_EQ(reads_, std::vector<int>(30, primary));
  ExpectClosedCleanly();
}

TEST_F(PreviewPopupTest, EventsArrivingWhileOpenAreDropped) {
  HWND main = WindowHandle(Ui.MainWindow);
  whileOpen_ = [&] {
    if (reads_.size() == 1) {
      PostMessageA(main, WM_COMMAND, 42, 0);
      PostMessageA(main, WM_CLOSE, 0, 0);
    }
  };
  Run(PreviewFromKey, [](int n, int) { return n < 10 ? kDown : int16_t{0}; }, 0);
  ExpectClosedCleanly();
  EXPECT_FALSE(DrainSeesEvent(EventMenu, 100));
  EXPECT_FALSE(DrainSeesEvent(EventCloseRequest, 100));
}

TEST_F(PreviewPopupTest, MissingPictureOpensEmptyAndClosesNormally) {
  MakeCurrent(Item{ImageItem, 0, "gone"});
  Run(PreviewFromButtons, [](int n, int) { return n < 4 ? kDown : int16_t{0}; }, 0);
  ASSERT_NE(seen_.handle, nullptr);
  EXPECT_EQ(seen_.client.right, PreviewSize);
  ExpectClosedCleanly();
}

TEST_F(PreviewPopupTest, NothingOpensWithoutACurrentItem) {
  Collection = CollectionState{};
  Run(PreviewFromKey, [](int, int) { return kDown; }, 0);
  EXPECT_TRUE(reads_.empty());
  EXPECT_TRUE(IsWindowEnabled(WindowHandle(Ui.MainWindow)));
}

}  // namespace
