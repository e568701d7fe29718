// Nothing is lost when the session ends or the process is killed: items.dat and prefs.dat are
// saved at logoff and kept current while the program runs.
#include <windows.h>

#include <string>
#include <vector>

#include "core/commands.h"
#include "tests/e2e/capture_support.h"
#include "tools/driver/reliability_driver.h"

namespace {

class SessionEnd : public CaptureRun {
 protected:
  StoredItems ReadItemsFile() {
    std::vector<unsigned char> bytes;
    if (!ReadFileContents(app_.WorkingFile("items.dat"), bytes)) return {};
    return ParseItemsFile(bytes.data(), bytes.size());
  }
  bool ReadPrefs(int32_t (&values)[14]) {
    std::vector<unsigned char> bytes;
    return ReadFileContents(app_.WorkingFile("prefs.dat"), bytes) && PrefsFile::Read(bytes, values);
  }
  // Ends the session as the system does, then kills what is left of the process.
  void EndSessionAndKill() {
    EndSession(Main());
    if (!app_.WaitForExit(5000)) app_.Kill();
    ASSERT_FALSE(app_.IsRunning());
  }
  // Two captured texts, the older one's check mark taken off.
  void CaptureTwoTexts() {
    ASSERT_TRUE(PutClipboardText("first kept text"));
    ASSERT_TRUE(WaitForRows(1));
    ASSERT_TRUE(PutClipboardText("second kept text"));
    ASSERT_TRUE(WaitForRows(2));
    ASSERT_TRUE(ListSetChecked(List(), 1, false));
    ASSERT_TRUE(WaitUntil([&] { return !ListRowChecked(List(), 1); }));
  }
  // A new start shows the two texts, the newest checked and the older one not.
  void RestartShowsTwoTexts() {
    StartProgram();
    ASSERT_TRUE(WaitForRows(2));
    EXPECT_TRUE(ListRowChecked(List(), 0));
    EXPECT_FALSE(ListRowChecked(List(), 1));
    const StoredItems stored = ReadItemsFile();
    ASSERT_EQ(stored.items.size(), 2u);
    EXPECT_EQ(TextOf(stored.items[0].name), "second kept text");
    EXPECT_EQ(TextOf(stored.items[1].name), "first kept text");
  }
};

TEST_F(SessionEnd, LogoffSavesItemsAndPrefsBeforeTheProcessEnds) {
  StartWithDefaults();
  CaptureTwoTexts();
  // A setting changed. A posted command and the system's sent end-of-session messages have no
  // order between them, so the end comes only once the program has written the change; both
  // files are then removed, and whatever is there afterwards was written by the logoff.
  PostCommand(Main(), CmdWatchClipboard);
  int32_t values[14] = {};
  ASSERT_TRUE(WaitUntil([&] { return ReadPrefs(values) && values[PrefsFile::WatchClipboard] == 0; }));
  ASSERT_TRUE(WaitUntil([&] {
    const StoredItems stored = ReadItemsFile();
    return stored.items.size() == 2 && stored.items[1].checked == 0;
  }));
  ASSERT_TRUE(DeleteFileA(app_.WorkingFile("prefs.dat").c_str()));
  ASSERT_TRUE(DeleteFileA(app_.WorkingFile("items.dat").c_str()));
  EndSessionAndKill();

  values[PrefsFile::WatchClipboard] = -1;
  ASSERT_TRUE(ReadPrefs(values));
  EXPECT_EQ(values[PrefsFile::WatchClipboard], 0);
  const StoredItems stored = ReadItemsFile();
  ASSERT_EQ(stored.items.size(), 2u);
  EXPECT_EQ(stored.items[0].checked, 1);
  EXPECT_EQ(stored.items[1].checked, 0);
  RestartShowsTwoTexts();
}

TEST_F(SessionEnd, LogoffWithItemsNotKeptLeavesOnlyPrefs) {
  PrefsFile prefs;
  prefs.values[PrefsFile::KeepItems] = 0;
  StartWith(prefs);
  ASSERT_TRUE(PutClipboardText("not to be kept"));
  ASSERT_TRUE(WaitForRows(1));
  EndSessionAndKill();
  EXPECT_EQ(FilesIn(app_.WorkingDirectory()), std::vector<std::string>{"prefs.dat"});
}

TEST_F(SessionEnd, CancelledLogoffKeepsTheProgramRunning) {
  StartWithDefaults();
  ASSERT_TRUE(PutClipboardText("still here"));
  ASSERT_TRUE(WaitForRows(1));
  DWORD_PTR answer = 0;
  ASSERT_TRUE(SendMessageTimeoutA(Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer));
  EXPECT_NE(answer, 0u) << "the program does not refuse the end of the session";
  SendMessageTimeoutA(Main(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer);
  EXPECT_FALSE(app_.WaitForExit(500));
  EXPECT_TRUE(WaitUntil([&] { return ReadItemsFile().items.size() == 1u; }));
  ASSERT_TRUE(PutClipboardText("captured after the cancel"));
  ASSERT_TRUE(WaitForRows(2));
}

TEST_F(SessionEnd, KilledWithoutWarningStartsWithTheCollection) {
  StartWithDefaults();
  CaptureTwoTexts();
  // Within a second of the last change items.dat follows.
  Sleep(1500);
  app_.Kill();
  RestartShowsTwoTexts();
}

TEST_F(SessionEnd, HalfWrittenFilesOfAKilledRunAreClearedAtTheNextStart) {
  StartWithDefaults();
  CaptureTwoTexts();
  Sleep(1500);
  app_.Kill();
  // What a kill in the middle of writes leaves: the temporaries beside the files being replaced.
  const std::vector<unsigned char> garbage = {'h', 'a', 'l', 'f'};
  for (const char* name : {"items.dat.tmp", "prefs.dat.tmp", "07122026-101500-001.bmp.tmp", "07122026-101500-001.clt.tmp"}) {
    ASSERT_TRUE(WriteFileContents(app_.WorkingFile(name), garbage));
  }
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("notes.tmp"), garbage));
  RestartShowsTwoTexts();
  for (const char* name : {"items.dat.tmp", "prefs.dat.tmp", "07122026-101500-001.bmp.tmp", "07122026-101500-001.clt.tmp"}) {
    EXPECT_FALSE(FileExists(app_.WorkingFile(name))) << name;
  }
  // Not a name the program writes: someone else's file.
  EXPECT_TRUE(FileExists(app_.WorkingFile("notes.tmp")));
}

TEST_F(SessionEnd, KilledRightAfterACaptureAfterAQuietSpellKeepsIt) {
  StartWithDefaults();
  ASSERT_TRUE(PutClipboardText("quick one"));
  ASSERT_TRUE(WaitForRows(1));
  // The first change after a quiet spell is written at once.
  Sleep(300);
  app_.Kill();
  StartProgram();
  ASSERT_TRUE(WaitForRows(1));
  EXPECT_EQ(TextOf(ReadItemsFile().items.at(0).name), "quick one");
}

TEST_F(SessionEnd, KilledAfterABurstLosesAtMostTheLastSecond) {
  StartWithDefaults();
  for (int i = 0; i < 30; ++i) {
    const std::string text = "burst " + std::to_string(i);
    ASSERT_TRUE(PutClipboardText(text));
    ASSERT_TRUE(WaitUntil([&] {
      const std::vector<std::string> names = ItemNames();
      return !names.empty() && TextOf(names.back()) == text;
    })) << text;
  }
  Sleep(1500);
  app_.Kill();
  const StoredItems stored = ReadItemsFile();
  ASSERT_EQ(stored.items.size(), 20u) << "the item limit of 20 holds in items.dat too";
  EXPECT_EQ(TextOf(stored.items[0].name), "burst 29");
  EXPECT_EQ(stored.skipped, 0);
  StartProgram();
  ASSERT_TRUE(WaitForRows(20));
}

}  // namespace
