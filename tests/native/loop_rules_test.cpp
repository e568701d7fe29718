#include <cstdint>

#include <gtest/gtest.h>

#include "core/commands.h"
#include "app/loop_state.h"
#include "app/toggle_commands.h"
#include "settings/settings.h"
#include "store/neighbour_row.h"

TEST(LoopRules, RequestsAreServedOneAtATimeInPriorityOrder) {
  LoopState loop;
  EXPECT_EQ(NextLoopRequest(loop), LoopRequest::None);
  loop.PendingBoardFile = "C:\\b.ksb";
  EXPECT_EQ(NextLoopRequest(loop), LoopRequest::ImportBoard);
  loop.PreviewRequested = 1;
  EXPECT_EQ(NextLoopRequest(loop), LoopRequest::Preview);
  loop.ItemMenuRequested = 1;
  EXPECT_EQ(NextLoopRequest(loop), LoopRequest::ItemMenu);
}

TEST(LoopRules, NeighbourAfterDeletingOneOfThreeRows) {
  // Two rows remain after each deletion.
  EXPECT_EQ(NeighbourAfterDeletion(2, 2), 1);  // third went: second selected
  EXPECT_EQ(NeighbourAfterDeletion(1, 2), 0);  // second went: first selected
  EXPECT_EQ(NeighbourAfterDeletion(0, 2), 0);  // first went: the former second, now row 0
}

TEST(LoopRules, NeighbourWhenFewRowsRemain) {
  // Of two rows the first went, and of one row the only one: nothing is selected.
  EXPECT_EQ(NeighbourAfterDeletion(0, 1), -1);
  EXPECT_EQ(NeighbourAfterDeletion(0, 0), -1);
  EXPECT_EQ(NeighbourAfterDeletion(4, 4), 3);  // last of five
  EXPECT_EQ(NeighbourAfterDeletion(3, 4), 2);  // second to last of five
  EXPECT_EQ(NeighbourAfterDeletion(2, 4), 2);
}

TEST(LoopRules, TogglesFlipOneSettingEach) {
  SettingsState settings;
  const int32_t before = settings.ShowAfterCopy;
  EXPECT_TRUE(ApplyToggle(settings, CmdShowAfterCopy));
  EXPECT_EQ(settings.ShowAfterCopy, before ^ 1);
  EXPECT_EQ(settings.ShowAfterPaste, 1);
  EXPECT_EQ(ToggleTarget(settings, CmdKeepItems), &settings.KeepItems);
  EXPECT_EQ(ToggleTarget(settings, CmdCompressImages), &settings.CompressImages);
  EXPECT_EQ(ToggleTarget(settings, CmdSoundOnCapture), &settings.SoundOnCapture);
  EXPECT_EQ(ToggleTarget(settings, CmdNewItemsChecked), &settings.NewItemsChecked);
  EXPECT_EQ(ToggleTarget(settings, CmdDeleteAfterPaste), &settings.DeleteAfterPaste);
  EXPECT_FALSE(ApplyToggle(settings, CmdExit));
  EXPECT_FALSE(ApplyToggle(settings, CmdSetItemLimit));
}

TEST(LoopRules, ThreeWatchClipboardCommandsShareOneSetting) {
  SettingsState settings;
  ASSERT_EQ(settings.WatchClipboard, 1);
  ApplyToggle(settings, CmdWatchClipboardTrayHidden);
  EXPECT_EQ(settings.WatchClipboard, 0);
  ApplyToggle(settings, CmdWatchClipboardTrayShown);
  EXPECT_EQ(settings.WatchClipboard, 1);
  ApplyToggle(settings, CmdWatchClipboard);
  EXPECT_EQ(settings.WatchClipboard, 0);
}
