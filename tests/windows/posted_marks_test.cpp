// The driver's wait for posted messages against a window of the layer on a thread whose handler
// is slow: the end-to-end tests build on it to know that what they posted has been carried out.
#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tools/driver/window_driver.h"
#include "ui/layer/windows_win.h"

namespace {

constexpr UINT kWork = WM_APP + 1;
constexpr UINT kFollowUp = WM_APP + 2;

std::atomic<int> WorkDone{0};
std::atomic<int> FollowUpsDone{0};

// Slow work that posts a follow-up to its own window, as the layer does with tray clicks.
LRESULT SlowWork(HWND window, UINT message, WPARAM, LPARAM) {
  if (message == kWork) {
    Sleep(20);
    ++WorkDone;
    PostMessageA(window, kFollowUp, 0, 0);
    return 0;
  }
  if (message == kFollowUp) {
    Sleep(5);
    ++FollowUpsDone;
    return 0;
  }
  return HookContinue;
}

class PostedMarks : public ::testing::Test {
 protected:
  void SetUp() override {
    InitWindowLayer();
    window_ = NewWindow(-1, 0, 0, 200, 100, WS_CAPTION | WindowHidden, "posted marks", nullptr);
    ASSERT_NE(window_, 0);
    child_ = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 10, 10, WindowHandle(window_), nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    SetWindowHook(SlowWork);
  }
  void TearDown() override {
    SetWindowHook(nullptr);
    DisposeWindow(window_);
  }

  // Runs `drive` on another thread while this one takes events as the program's loop does.
  void DriveWhilePolling(const std::function<void()>& drive) {
    std::atomic<bool> done{false};
    std::thread driver([&] {
      drive();
      done = true;
      PostMessageA(WindowHandle(window_), WM_NULL, 0, 0);
    });
    while (!done) {
      if (PollEvent() == EventNone) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    driver.join();
  }

  int window_ = 0;
  HWND child_ = nullptr;
};

TEST_F(PostedMarks, TheWaitEndsOnlyWhenEverythingPostedBeforeItAndItsFollowUpsWereHandled) {
  struct Round {
    int posted;
    bool waited;
    int workDone;
    int followUpsDone;
  };
  std::vector<Round> rounds;
  HWND window = WindowHandle(window_);
  DriveWhilePolling([&] {
    for (int posted = 1; posted <= 8; ++posted) {
      WorkDone = 0;
      FollowUpsDone = 0;
      for (int i = 0; i < posted; ++i) PostMessageA(window, kWork, 0, 0);
      // Any window of the thread will do, a child control as well as the top-level one.
      const bool waited = WaitForPostedMessages(posted % 2 ? window : child_, 10000);
      rounds.push_back({posted, waited, WorkDone.load(), FollowUpsDone.load()});
      if (!waited) return;
    }
  });
  ASSERT_EQ(rounds.size(), 8u);
  for (const Round& round : rounds) {
    EXPECT_TRUE(round.waited) << round.posted << " posted";
    EXPECT_EQ(round.workDone, round.posted);
    EXPECT_EQ(round.followUpsDone, round.posted);
  }
}

TEST_F(PostedMarks, TheWaitGivesUpOnAThreadThatTakesNoMessages) {
  HWND window = WindowHandle(window_);
  bool waited = true;
  DWORD took = 0;
  // This thread only waits for the driver, so nothing it was sent is answered.
  std::thread driver([&] {
    const DWORD start = GetTickCount();
    waited = WaitForPostedMessages(window, 300);
    took = GetTickCount() - start;
  });
  driver.join();
  EXPECT_FALSE(waited);
  EXPECT_LT(took, 3000u);
}

TEST_F(PostedMarks, TheWaitGivesUpOnAThreadWithoutAWindowThatKeepsMarks) {
  std::atomic<HWND> plain{nullptr};
  std::atomic<bool> stop{false};
  std::thread other([&] {
    HWND created = CreateWindowA("STATIC", "plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    plain = created;
    MSG msg;
    while (!stop) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    DestroyWindow(created);
  });
  while (!plain) Sleep(1);
  const DWORD start = GetTickCount();
  EXPECT_FALSE(WaitForPostedMessages(plain, 5000));
  EXPECT_LT(GetTickCount() - start, 1000u) << "a window that keeps no marks says so at once";
  stop = true;
  other.join();
}

}  // namespace
