#include <gtest/gtest.h>

#include <map>
#include <utility>
#include <vector>

#include "settings/hotkey_state.h"

namespace {

// The global key state as GetAsyncKeyState shows it: a key reads as down while it is held, or
// once after it was pressed since that key's last read.
class Keyboard {
 public:
  void Press(int32_t key) {
    down_[key] = true;
    pressedSinceRead_[key] = true;
  }
  void Release(int32_t key) { down_[key] = false; }
  void Tap(int32_t key) {
    Press(key);
    Release(key);
  }
  bool Read(int32_t key) {
    reads_.push_back(key);
    const bool result = down_[key] || pressedSinceRead_[key];
    pressedSinceRead_[key] = false;
    return result;
  }
  std::vector<int32_t> TakeReads() { return std::exchange(reads_, {}); }

 private:
  std::map<int32_t, bool> down_;
  std::map<int32_t, bool> pressedSinceRead_;
  std::vector<int32_t> reads_;
};

class HotKeyTest : public ::testing::Test {
 protected:
  // Polls as the idle loop does; returns how many toggles the polls gave.
  int Poll(int times = 3) {
    int toggles = 0;
    for (int i = 0; i < times; ++i) {
      if (StepHotKey(state_, [this](int32_t key) { return keys_.Read(key); })) ++toggles;
    }
    return toggles;
  }
  Keyboard keys_;
  HotKeyState state_;
};

TEST_F(HotKeyTest, CtrlAltThenSpaceTogglesOnceAndDisarmsOnRelease) {
  keys_.Press(VkControl);
  keys_.Press(VkMenu);
  EXPECT_EQ(Poll(), 0);
  EXPECT_EQ(state_.HotKeyArmed, 1);
  keys_.Press(VkSpace);
  EXPECT_EQ(Poll(1), 1);
  EXPECT_EQ(state_.HotKeyReleaseKey, VkSpace);
  EXPECT_EQ(state_.HotKeyArmed, 1);
  keys_.Release(VkSpace);
  keys_.Release(VkMenu);
  EXPECT_EQ(Poll(), 0);
  EXPECT_EQ(state_.HotKeyReleaseKey, 0);
  EXPECT_EQ(state_.HotKeyArmed, 0);
  // The same gesture again toggles back.
  keys_.Press(VkMenu);
  EXPECT_EQ(Poll(), 0);
  keys_.Tap(VkSpace);
  EXPECT_EQ(Poll(), 1);
}

TEST_F(HotKeyTest, HoldingAllThreeTogglesOnce) {
  keys_.Press(VkMenu);
  keys_.Press(VkControl);
  Poll();
  keys_.Press(VkSpace);
  EXPECT_EQ(Poll(500), 1);
  keys_.Release(VkSpace);
  EXPECT_EQ(Poll(), 0);
}

TEST_F(HotKeyTest, ThreeTapsOfSpaceToggleThreeTimes) {
  keys_.Press(VkControl);
  keys_.Press(VkMenu);
  Poll();
  int toggles = 0;
  for (int i = 0; i < 3; ++i) {
    keys_.Press(VkSpace);
    toggles += Poll(2);
    keys_.Release(VkSpace);
    toggles += Poll(2);
  }
  EXPECT_EQ(toggles, 3);
  // A tap between two polls (pressed and released at once) still counts.
  keys_.Tap(VkSpace);
  EXPECT_EQ(Poll(2), 1);
}

TEST_F(HotKeyTest, SpaceHeldBeforeCtrlAltDoesNothingUntilPressedAgain) {
  keys_.Press(VkSpace);
  Poll();
  keys_.Press(VkControl);
  keys_.Press(VkMenu);
  EXPECT_EQ(Poll(50), 0);
  EXPECT_EQ(state_.HotKeyArmed, 0);
  keys_.Release(VkSpace);
  EXPECT_EQ(Poll(), 0);
  EXPECT_EQ(state_.HotKeyArmed, 1);
  keys_.Press(VkSpace);
  EXPECT_EQ(Poll(), 1);
}

TEST_F(HotKeyTest, KeysPressedLongAgoDoNotArm) {
  // Ctrl and Alt tapped while idle: the first reads of a poll clear the stale pressed bits.
  keys_.Tap(VkControl);
  keys_.Tap(VkMenu);
  EXPECT_EQ(Poll(1), 0);
  EXPECT_EQ(state_.HotKeyArmed, 0);
  // Ctrl alone, or Alt alone, never arms.
  keys_.Press(VkControl);
  EXPECT_EQ(Poll(), 0);
  EXPECT_EQ(state_.HotKeyArmed, 0);
}

TEST_F(HotKeyTest, KeysTappedWhileCtrlWasUpCountNoMoreThanBefore) {
  // Space and Alt taps gathered while the polls looked only at Ctrl.
  keys_.Tap(VkSpace);
  keys_.Tap(VkMenu);
  EXPECT_EQ(Poll(5), 0);
  // Ctrl pressed now, Alt long gone: no arming from Alt's old tap.
  keys_.Press(VkControl);
  EXPECT_EQ(Poll(1), 0);
  EXPECT_EQ(state_.HotKeyArmed, 0);
  // Ctrl tapped and released between two polls: seen, but nothing arms.
  keys_.Release(VkControl);
  keys_.Press(VkMenu);
  keys_.Tap(VkControl);
  EXPECT_EQ(Poll(1), 0);
  EXPECT_EQ(state_.HotKeyArmed, 0);
  // Space tapped while Ctrl was up does not keep Ctrl + Alt from arming later.
  keys_.Release(VkMenu);
  keys_.Tap(VkSpace);
  Poll(3);
  keys_.Press(VkControl);
  keys_.Press(VkMenu);
  EXPECT_EQ(Poll(1), 0);
  EXPECT_EQ(state_.HotKeyArmed, 1);
  keys_.Tap(VkSpace);
  EXPECT_EQ(Poll(1), 1);
}

TEST_F(HotKeyTest, ReadsOnlyWhatEachBranchNeeds) {
  Poll(1);  // idle with Ctrl up: nothing else is read
  EXPECT_EQ(keys_.TakeReads(), (std::vector<int32_t>{VkControl}));
  keys_.Press(VkMenu);
  Poll(1);
  EXPECT_EQ(keys_.TakeReads(), (std::vector<int32_t>{VkControl}));
  keys_.Press(VkControl);
  Poll(1);
  EXPECT_EQ(keys_.TakeReads(),
            (std::vector<int32_t>{VkControl, VkSpace, VkMenu, VkControl, VkSpace, VkMenu, VkControl}));
  Poll(1);  // armed, Space up
  EXPECT_EQ(keys_.TakeReads(), (std::vector<int32_t>{VkMenu, VkControl, VkSpace}));
  keys_.Press(VkSpace);
  Poll(1);
  keys_.TakeReads();
  Poll(1);  // waiting for Space to be released
  EXPECT_EQ(keys_.TakeReads(), (std::vector<int32_t>{VkSpace}));
  keys_.Release(VkSpace);
  keys_.Release(VkMenu);
  Poll(1);
  keys_.TakeReads();
  Poll(1);  // armed, Alt up: Ctrl is not read
  EXPECT_EQ(keys_.TakeReads(), (std::vector<int32_t>{VkMenu}));
}

}  // namespace
