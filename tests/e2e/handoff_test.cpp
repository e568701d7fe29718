// A second start: it ends at once, and hands a board file over to the running instance.
#include "tests/e2e/e2e_support.h"

namespace {

class SecondInstance : public E2eTest {
 protected:
  void StartHiddenFirstInstance() {
    PrefsFile prefs;
    prefs.values[PrefsFile::StartVisible] = 0;
    WritePrefs(prefs);
    StartProgram();
    ASSERT_FALSE(IsWindowVisible(Main()));
  }
  // Starts a second copy of the same program and waits for it to end.
  void RunSecond(const std::string& arguments) {
    KepsilProcess second;
    second.UseFolder(app_.Folder());
    ASSERT_TRUE(second.Start(arguments));
    ASSERT_TRUE(second.WaitForExit(10000)) << "the second instance kept running";
    EXPECT_EQ(FindProcessWindow(second.Id(), "KepSil!"), nullptr);
  }
  std::string WriteBoard(const std::string& name, const std::string& content) {
    const std::string path = app_.Folder() + name;
    EXPECT_TRUE(WriteFileContents(path, {content.begin(), content.end()}));
    return path;
  }
};

TEST_F(SecondInstance, WithoutParameterEndsAtOnceAndChangesNothing) {
  StartHiddenFirstInstance();
  const std::vector<std::string> before = FilesIn(app_.WorkingDirectory());
  RunSecond("");
  EXPECT_FALSE(IsWindowVisible(Main()));
  EXPECT_TRUE(app_.IsRunning());
  EXPECT_EQ(FilesIn(app_.WorkingDirectory()), before);
  RunSecond("notes.txt");
  EXPECT_FALSE(IsWindowVisible(Main()));
}

TEST_F(SecondInstance, ValidBoardShowsTheRunningInstanceAndDeletesTheAtom) {
  StartHiddenFirstInstance();
  const std::string board = WriteBoard("hand over.KSB", "kepsilfilev1\r\n");
  ASSERT_FALSE(GlobalAtomExists(board));
  RunSecond("\"" + board + "\"");
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(Main()) != 0; }));
  EXPECT_FALSE(GlobalAtomExists(board));
  // The header alone is a board cut short: the running instance says it was not read.
  EXPECT_TRUE(AnswerMessage("Info"));
  EXPECT_TRUE(app_.IsRunning());
}

TEST_F(SecondInstance, BadHeaderIsIgnoredButTheAtomIsDeleted) {
  StartHiddenFirstInstance();
  const std::string board = WriteBoard("bad.ksb", "KEPSILFILEV1\r\n");
  RunSecond("\"" + board + "\"");
  ASSERT_TRUE(Settle(300));
  EXPECT_FALSE(IsWindowVisible(Main()));
  EXPECT_FALSE(GlobalAtomExists(board));
  const std::string missing = app_.Folder() + "missing.ksb";
  RunSecond("\"" + missing + "\"");
  ASSERT_TRUE(Settle(300));
  EXPECT_FALSE(IsWindowVisible(Main()));
  EXPECT_FALSE(GlobalAtomExists(missing));
}

TEST_F(SecondInstance, BoardPathTooLongForAnAtomOnlyShowsTheRunningInstance) {
  StartHiddenFirstInstance();
  const std::string path = app_.Folder() + std::string(300, 'b') + ".ksb";
  RunSecond("\"" + path + "\"");
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(Main()) != 0; }));
  EXPECT_TRUE(app_.IsRunning());
}

TEST_F(SecondInstance, HandOffMessageFromAnyProgramIsCheckedByTheReceiver) {
  StartHiddenFirstInstance();
  const std::string board = WriteBoard("direct.ksb", "kepsilfilev1\n");
  ASSERT_NE(SendBoardHandOff(app_.Folder() + "nothing.ksb"), 0);
  EXPECT_FALSE(GlobalAtomExists(app_.Folder() + "nothing.ksb"));
  EXPECT_FALSE(IsWindowVisible(Main()));
  ASSERT_NE(SendBoardHandOff(board), 0);
  EXPECT_FALSE(GlobalAtomExists(board));
  EXPECT_TRUE(IsWindowVisible(Main()));
  EXPECT_TRUE(AnswerMessage("Info"));
}

TEST_F(SecondInstance, StartedWithBadBoardLoadsStoredItems) {
  WriteItems(ThreeItems());
  const std::string board = WriteBoard("wrong.ksb", "not a board");
  StartProgram("\"" + board + "\"");
  EXPECT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; }));
}

}  // namespace
