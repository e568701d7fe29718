// The driver's wait for posted messages, against a window of another thread whose handler is
// slow: the tests build on it to know that a command they posted has been carried out.
#include <windows.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "tools/driver/window_driver.h"

namespace {

constexpr UINT kWork = WM_APP + 1;
constexpr UINT kStop = WM_APP + 2;

std::atomic<int> WorkDone{0};

LRESULT CALLBACK SlowWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kWork) {
    Sleep(30);
    ++WorkDone;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A window on a thread of its own that takes its messages as a program's main loop does.
class SlowWindowThread {
 public:
  explicit SlowWindowThread(bool pumps) : pumps_(pumps) {
    thread_ = std::thread([this] { Run(); });
    while (!ready_) Sleep(1);
  }
  ~SlowWindowThread() {
    stop_ = true;
    PostMessageA(window_, kStop, 0, 0);
    thread_.join();
  }
  HWND Window() const { return window_; }

 private:
  void Run() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = SlowWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "DriverSyncSlowWindow";
    RegisterClassA(&windowClass);
    window_ = CreateWindowA("DriverSyncSlowWindow", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    ready_ = true;
    if (!pumps_) {
      while (!stop_) Sleep(5);
    } else {
      MSG msg;
      while (GetMessageA(&msg, nullptr, 0, 0) > 0 && msg.message != kStop) DispatchMessageA(&msg);
    }
    DestroyWindow(window_);
  }

  bool pumps_;
  std::thread thread_;
  HWND window_ = nullptr;
  std::atomic<bool> ready_{false};
  std::atomic<bool> stop_{false};
};

TEST(DriverSync, ReturnsOnlyAfterEveryPostedMessageWasHandled) {
  SlowWindowThread slow(true);
  for (int posted = 1; posted <= kPostedMessagesWaitedFor; ++posted) {
    WorkDone = 0;
    for (int i = 0; i < posted; ++i) PostMessageA(slow.Window(), kWork, 0, 0);
    ASSERT_TRUE(WaitForPostedMessages(slow.Window()));
    EXPECT_EQ(WorkDone.load(), posted);
  }
}

TEST(DriverSync, GivesUpOnAThreadThatTakesNoMessages) {
  SlowWindowThread stuck(false);
  const DWORD start = GetTickCount();
  EXPECT_FALSE(WaitForPostedMessages(stuck.Window(), 300));
  EXPECT_LT(GetTickCount() - start, 3000u);
}

}  // namespace
