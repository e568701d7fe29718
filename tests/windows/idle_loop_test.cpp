// What the main loop keeps up while it only idles: the column width after a change through the
// header or the list, and items.dat and prefs.dat after changes, with no pass polling for them.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/app_state.h"
#include "app/autosave_win.h"
#include "core/commands.h"
#include "store/items_file.h"
#include "app/loop_state.h"
#include "app/main_loop.h"
#include "core/texts.h"
#include "exchange/image/images_win.h"
#include "exchange/progress_window.h"
#include "settings/prefs_file.h"
#include "settings/settings.h"
#include "store/collection_win.h"
#include "app/window_callback_win.h"
#include "ui/layer/controls_win.h"
#include "ui/layer/tray_win.h"
#include "ui/layer/windows_win.h"
#include "tests/windows/test_main_window.h"
#include "ui/main_window_win.h"

namespace {

class IdleLoop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Settings = SettingsState{};
    Settings.WatchClipboard = 0;
    Settings.KeepItems = 1;
    App.AppDir = App.DataDir = NewTempFolder("kepsil-idle-");
    CreateDirectoryA(WorkingDirectory().c_str(), nullptr);
    BuildMainWindowForTests();
    SetWindowHook(WindowCallback);
    OnItemsChanged(NoteItemsChanged);
  }
  static void TearDownTestSuite() {
    OnItemsChanged(nullptr);
    DisposeMainWindowForTests();
    RemoveWorkingFolder();
  }

  void TearDown() override {
    ClearRows(Ui.ItemList);
    Collection = CollectionState{};
    FitColumnWidth();
    RunPasses(100);
  }

  // Runs the real loop's passes for about `ms` milliseconds, or until `done` holds. True when it did.
  static bool RunPasses(DWORD ms, const std::function<bool()>& done = [] { return false; }) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
      RunLoopPass();
      if (done()) return true;
    }
    return false;
  }

  static void AddItem(const std::string& name) { AppendItems({StoredItem{TextItem, 0, name}}); }

  static int ColumnWidthNow() {
    return static_cast<int>(SendMessageA(Ui.ItemListHandle, LVM_GETCOLUMNWIDTH, 0, 0));
  }
  static HWND Header() { return reinterpret_cast<HWND>(SendMessageA(Ui.ItemListHandle, LVM_GETHEADER, 0, 0)); }
  // A width set on the header, as a drag or a double click on its divider ends.
  static void SetHeaderWidth(int width) {
    HDITEMA item{};
    item.mask = HDI_WIDTH;
    item.cxy = width;
    SendMessageA(Header(), HDM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }

  static std::vector<std::string> NamesInItemsFile() {
    StoredItems stored;
    std::vector<std::string> names;
    if (!LoadItemsFile(WorkingPath("items.dat"), stored)) return names;
    for (const StoredItem& item : stored.items) names.push_back(item.name);
    return names;
  }
};

TEST_F(IdleLoop, ColumnWidthComesBackAfterAChangeWithoutBeingAskedFor) {
  RunPasses(100);
  ASSERT_EQ(ColumnWidthNow(), 301);
  ASSERT_NE(Header(), nullptr);

  SetHeaderWidth(150);
  EXPECT_TRUE(RunPasses(1000, [] { return ColumnWidthNow() == 301; })) << "after the header: " << ColumnWidthNow();
  SendMessageA(Ui.ItemListHandle, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE_USEHEADER);
  EXPECT_TRUE(RunPasses(1000, [] { return ColumnWidthNow() == 301; })) << "after auto-size: " << ColumnWidthNow();

  // With the scroll bar showing, the narrow width is the one kept.
  const int perPage = static_cast<int>(SendMessageA(Ui.ItemListHandle, LVM_GETCOUNTPERPAGE, 0, 0));
  for (int i = 0; i <= perPage; ++i) AddItem("row" + std::to_string(i));
  FitColumnWidth();
  SetHeaderWidth(400);
  EXPECT_TRUE(RunPasses(1000, [] { return ColumnWidthNow() == 283; })) << "narrowed: " << ColumnWidthNow();
  // Nothing changes it back and forth while the loop idles.
  RunPasses(200);
  EXPECT_EQ(ColumnWidthNow(), 283);
}

TEST_F(IdleLoop, ChangesReachTheFilesWhileTheLoopOnlyIdles) {
  // Whatever was due from earlier is written first.
  RunPasses(300);
  AddItem("first");
  ASSERT_TRUE(RunPasses(1000, [] { return NamesInItemsFile() == std::vector<std::string>{"first"}; }))
      << "the first change after a quiet spell is written at once";
  const DWORD firstSeen = GetTickCount();

  // A second change within the interval is written once the interval is over.
  AddItem("second");
  ASSERT_TRUE(RunPasses(3000, [] { return NamesInItemsFile().size() == 2; }));
  EXPECT_GE(GetTickCount() - firstSeen, 500u) << "a burst costs one write a second";

  // A check mark reaches items.dat too.
  SetRowState(Ui.ItemList, 1, RowChecked);
  EXPECT_TRUE(RunPasses(3000, [] {
    StoredItems stored;
    return LoadItemsFile(WorkingPath("items.dat"), stored) && stored.items.size() == 2 && stored.items[1].checked == 1;
  }));

  // A setting changed where no event tells of it still reaches prefs.dat.
  Settings.ItemLimit = 37;
  EXPECT_TRUE(RunPasses(3000, [] {
    SettingsState stored;
    return LoadPrefsFile(WorkingPath("prefs.dat"), stored) && stored.ItemLimit == 37;
  }));
}

TEST_F(IdleLoop, ASettingsCommandAfterAQuietSpellIsWrittenAtOnce) {
  const auto prefsHold = [](int32_t limit) {
    SettingsState stored;
    return LoadPrefsFile(WorkingPath("prefs.dat"), stored) && stored.ItemLimit == limit;
  };
  Settings.ItemLimit = 55;
  ASSERT_TRUE(RunPasses(3000, [&] { return prefsHold(55); }));
  // Over a second with nothing new: the once-a-second looks find nothing to write.
  RunPasses(1100);

  // However recently the timer looked, a command's change is due: the last write was long ago.
  Settings.ItemLimit = 56;
  NoteCommandDone();
  EXPECT_TRUE(RunPasses(150, [&] { return prefsHold(56); }));

  // A second change within the second is held back, then written without a further command.
  Settings.ItemLimit = 57;
  NoteCommandDone();
  RunPasses(100);
  EXPECT_TRUE(prefsHold(56)) << "two writes within a second";
  EXPECT_TRUE(RunPasses(2000, [&] { return prefsHold(57); }));
}

TEST_F(IdleLoop, ACommandThatCameWhileAStepKeptTheScreenCurrentStillRuns) {
  // As when Exit is posted while a board is being imported: the import's screen refresh paints
  // but leaves the command to the loop.
  RunPasses(100);
  PostMessageA(WindowHandle(Ui.MainWindow), WM_COMMAND, CmdExit, 0);
  InvalidateRect(Ui.ItemListHandle, nullptr, TRUE);
  ProcessPendingEvents();
  RECT dirty{};
  EXPECT_FALSE(GetUpdateRect(Ui.ItemListHandle, &dirty, FALSE)) << "the list is painted during the step";
  EXPECT_EQ(Loop.QuitRequested, 0) << "no command runs inside the step";
  EXPECT_TRUE(RunPasses(1000, [] { return Loop.QuitRequested != 0; })) << "Exit was lost";
  Loop.QuitRequested = 0;
}

TEST_F(IdleLoop, WhatComesInWhileTheLoopIdlesIsTakenOnTheNextPasses) {
  RunPasses(100);  // the waits time out: the passes no longer look at the queue
  PostMessageA(WindowHandle(Ui.MainWindow), WM_COMMAND, CmdExit, 0);
  for (int pass = 0; pass < 2 && !Loop.QuitRequested; ++pass) RunLoopPass();
  EXPECT_EQ(Loop.QuitRequested, 1) << "a posted command waits for one pass at most";
  Loop.QuitRequested = 0;

  // Another program asking the list something is answered while the loop idles.
  RunPasses(100);
  std::atomic<bool> answered = false;
  DWORD_PTR rows = 99;
  std::thread asker([&] {
    answered = SendMessageTimeoutA(Ui.ItemListHandle, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 3000, &rows) != 0;
  });
  EXPECT_TRUE(RunPasses(2000, [&] { return answered.load(); }));
  asker.join();
  EXPECT_EQ(rows, 0u);

  // A timer set while idle fires through the loop.
  RunPasses(100);
  static bool fired;
  fired = false;
  SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    fired = true;
  });
  EXPECT_TRUE(RunPasses(1000, [] { return fired; }));
}

}  // namespace
