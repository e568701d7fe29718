// First and later starts: the working directory, the association question, window geometry.
#include "tests/e2e/e2e_support.h"

namespace {

const char* kCommandKey = "Applications\\kepsil.exe\\shell\\open\\command";
const char* kFileExtsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.ksb";

void ForgetAssociation() {
  RegDeleteTreeA(HKEY_CLASSES_ROOT, "Applications\\kepsil.exe");
  RegDeleteTreeA(HKEY_CURRENT_USER, kFileExtsKey);
}

// The value's string, or "<missing>".
std::string RegistryString(HKEY root, const char* key, const char* valueName) {
  char data[2048] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return "<missing>";
  const LONG status = RegQueryValueExA(opened, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(opened);
  if (status != ERROR_SUCCESS || type != REG_SZ) return "<missing>";
  return data;
}

class FirstStart : public E2eTest {
 protected:
  // Starts without a working directory and returns the question box.
  HWND StartAndWaitForQuestion() {
    EXPECT_FALSE(DirectoryExists(app_.WorkingDirectory()));
    StartProgram();
    HWND question = WaitForRequester();
    EXPECT_NE(question, nullptr) << "no association question";
    EXPECT_TRUE(DirectoryExists(app_.WorkingDirectory()));
    return question;
  }
};

TEST_F(FirstStart, AnswerNoCreatesFolderAndLeavesRegistryAlone) {
  ForgetAssociation();
  HWND question = StartAndWaitForQuestion();
  ASSERT_NE(question, nullptr);
  EXPECT_EQ(WindowTitle(question), "Question");
  PressDialogButton(question, IDNO);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
  EXPECT_EQ(RegistryString(HKEY_CLASSES_ROOT, kCommandKey, ""), "<missing>");
  EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, kFileExtsKey, "Application"), "<missing>");
  ExitProgram();
  // Nothing stored: only the preferences remain, and the next start asks nothing.
  EXPECT_EQ(FilesIn(app_.WorkingDirectory()), std::vector<std::string>{"prefs.dat"});
  StartProgram();
  EXPECT_EQ(WaitForRequester(1500), nullptr);
}

TEST_F(FirstStart, AnswerYesWritesAssociation) {
  ForgetAssociation();
  HWND question = StartAndWaitForQuestion();
  ASSERT_NE(question, nullptr);
  PressDialogButton(question, IDYES);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
  const std::string command = "\"" + app_.Folder() + "kepsil.exe\" \"%1\"";
  EXPECT_TRUE(WaitUntil([&] { return RegistryString(HKEY_CLASSES_ROOT, kCommandKey, "") == command; }))
      << RegistryString(HKEY_CLASSES_ROOT, kCommandKey, "");
  EXPECT_EQ(RegistryString(HKEY_CURRENT_USER, kFileExtsKey, "Application"), "kepsil.exe");
  ExitProgram();
}

TEST_F(FirstStart, DeletedWorkingDirectoryAsksAgain) {
  MakeWorkingDirectory();
  StartProgram();
  EXPECT_EQ(WaitForRequester(1500), nullptr) << "a later run asked a question";
  ExitProgram();
  for (const std::string& name : FilesIn(app_.WorkingDirectory())) DeleteFileA(app_.WorkingFile(name).c_str());
  ASSERT_TRUE(RemoveDirectoryA(app_.WorkingDirectory().c_str()));
  HWND question = StartAndWaitForQuestion();
  ASSERT_NE(question, nullptr);
  PressDialogButton(question, IDNO);
  ExitProgram();
}

using WindowPlacement = E2eTest;

TEST_F(WindowPlacement, DefaultsPlaceTheBuiltWindowAt50And50) {
  StartLaterRun();
  RECT frame{}, client{};
  GetWindowRect(Main(), &frame);
  GetClientRect(Main(), &client);
  EXPECT_EQ(frame.left, 50);
  EXPECT_EQ(frame.top, 50);
  EXPECT_EQ(client.right, 305);
  EXPECT_EQ(client.bottom, 250);
  EXPECT_TRUE(IsWindowVisible(Main()));
  EXPECT_TRUE(GetWindowLongA(Main(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  // The column is auto-sized when built and set to its fixed width on the first idle pass.
  EXPECT_TRUE(WaitUntil([&] { return ListColumnWidth(List()) == 301; })) << ListColumnWidth(List());
  ExitProgram();

  // What the run leaves in prefs.dat: the defaults, the position and the built height.
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("prefs.dat"), bytes));
  int32_t values[14];
  ASSERT_TRUE(PrefsFile::Read(bytes, values));
  const PrefsFile defaults;
  for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13}) EXPECT_EQ(values[i], defaults.values[i]) << i;
  EXPECT_EQ(values[PrefsFile::WindowHeight], frame.bottom - frame.top);
  EXPECT_EQ(bytes.size(), 56u + 6u);
}

TEST_F(WindowPlacement, PreparedPrefsGivePositionAndHeight) {
  PrefsFile prefs;
  prefs.values[PrefsFile::WindowX] = 400;
  prefs.values[PrefsFile::WindowY] = 220;
  prefs.values[PrefsFile::WindowHeight] = 420;
  prefs.values[PrefsFile::ListHeight] = 300;
  WritePrefs(prefs);
  StartProgram();
  RECT frame{};
  GetWindowRect(Main(), &frame);
  EXPECT_EQ(frame.left, 400);
  EXPECT_EQ(frame.top, 220);
  EXPECT_EQ(frame.bottom - frame.top, 420);
  ExitProgram();
}

TEST_F(WindowPlacement, StartVisibleZeroStartsHiddenAndStaysHiddenAtExit) {
  PrefsFile prefs;
  prefs.values[PrefsFile::StartVisible] = 0;
  WritePrefs(prefs);
  StartProgram();
  EXPECT_FALSE(IsWindowVisible(Main()));
  ExitProgram();
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("prefs.dat"), bytes));
  int32_t values[14];
  ASSERT_TRUE(PrefsFile::Read(bytes, values));
  EXPECT_EQ(values[PrefsFile::StartVisible], 0);
}

TEST_F(WindowPlacement, PositionOnNoScreenAndZeroLimitAreBounded) {
  PrefsFile prefs;
  prefs.values[PrefsFile::WindowX] = 30000;
  prefs.values[PrefsFile::WindowY] = -30000;
  prefs.values[PrefsFile::ItemLimit] = 0;
  WritePrefs(prefs);
  StartProgram();
  RECT frame{};
  GetWindowRect(Main(), &frame);
  EXPECT_EQ(frame.left, 50);
  EXPECT_EQ(frame.top, 50);
  ExitProgram();
  std::vector<unsigned char> bytes;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("prefs.dat"), bytes));
  int32_t values[14];
  ASSERT_TRUE(PrefsFile::Read(bytes, values));
  EXPECT_GE(values[PrefsFile::ItemLimit], 1);
}

TEST_F(WindowPlacement, DamagedPrefsStillStart) {
  MakeWorkingDirectory();
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("prefs.dat"), {0xFF, 0xFF, 0xFF}));
  StartProgram();
  EXPECT_TRUE(IsWindowVisible(Main()));
  ExitProgram();
}

}  // namespace
