// When changed state is written: the first change at once, a burst once a second.
#include "app/autosave.h"

#include <gtest/gtest.h>

namespace {

TEST(SaveSchedule, FirstChangeIsDueAtOnceAndABurstWaitsForTheInterval) {
  SaveSchedule schedule(1000);
  EXPECT_FALSE(schedule.Due(5000)) << "nothing changed";
  schedule.MarkChanged();
  EXPECT_TRUE(schedule.Due(5000));
  schedule.Written(5000);
  EXPECT_FALSE(schedule.Due(5001));

  schedule.MarkChanged();
  EXPECT_FALSE(schedule.Due(5001));
  EXPECT_FALSE(schedule.Due(5999));
  EXPECT_TRUE(schedule.Due(6000));
  schedule.Written(6000);

  // A quiet spell: the next change is due at once again.
  schedule.MarkChanged();
  EXPECT_TRUE(schedule.Due(9000));
}

TEST(SaveSchedule, SettleDropsTheChangeWithoutMovingTheLastWrite) {
  SaveSchedule schedule(1000);
  schedule.MarkChanged();
  schedule.Written(100);
  schedule.MarkChanged();
  schedule.Settle();
  EXPECT_FALSE(schedule.Due(5000));
  schedule.MarkChanged();
  EXPECT_TRUE(schedule.Due(1100)) << "the interval counts from the last real write";
}

TEST(SaveSchedule, TickCountWrapAroundKeepsTheInterval) {
  SaveSchedule schedule(1000);
  schedule.MarkChanged();
  schedule.Written(0xFFFFFF00u);
  schedule.MarkChanged();
  EXPECT_FALSE(schedule.Due(0xFFFFFFFFu));
  EXPECT_FALSE(schedule.Due(0x000002E7u));  // 999 ms after the write
  EXPECT_TRUE(schedule.Due(0x000002E8u));   // 1000 ms after
}

TEST(SaveSchedule, WaitIsTheRestOfTheIntervalAndNothingOnceDue) {
  SaveSchedule schedule(1000);
  EXPECT_EQ(schedule.WaitMs(500), 0u) << "nothing changed";
  schedule.MarkChanged();
  EXPECT_EQ(schedule.WaitMs(500), 0u) << "never written: due at once";
  schedule.Written(500);
  EXPECT_EQ(schedule.WaitMs(700), 0u) << "written, nothing changed since";
  schedule.MarkChanged();
  EXPECT_EQ(schedule.WaitMs(700), 800u);
  EXPECT_EQ(schedule.WaitMs(1499), 1u);
  EXPECT_EQ(schedule.WaitMs(1500), 0u);
  EXPECT_TRUE(schedule.Due(1500));

  // Across the tick count's wrap-around as well.
  schedule.Written(0xFFFFFF00u);
  schedule.MarkChanged();
  EXPECT_EQ(schedule.WaitMs(0x00000010u), 1000u - 0x110u);
}

}  // namespace
