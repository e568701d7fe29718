// The program kept in a folder named in the system's own script, with files and boards named in a
// script the system's code page cannot hold. tests/e2e/code_pages.sh runs these under the locales
// of other code pages; the suite's own run gives code page 1252.
#include <algorithm>
#include <cstdlib>

#include "core/code_page_win.h"
#include "core/commands.h"
#include "exchange/board_reader.h"
#include "exchange/board_writer.h"
#include "tests/e2e/load_save_support.h"
#include "tools/driver/capture_driver.h"
#include "tools/driver/load_save_requesters.h"

namespace {

constexpr int kAllFilesPattern = 4;

struct ScriptNames {
  unsigned codePage;
  std::string home;     // the program's folder, in the system's script
  std::string foreign;  // files and folders elsewhere, in a script the code page cannot hold
  std::string text;     // a copied text in the system's script
};

// Code page 932 splits a path wrongly wherever a letter's second byte is a backslash, as in "ソ".
const ScriptNames kNames[] = {
    {1251, "Документы Ивана", "Καλημέρα", "Съешь же ещё этих мягких булок"},
    {1250, "Narzędzia", "Документы", "Zażółć gęślą jaźń"},
    {932, "ソフト資料", "Łódź", "日本語のテキスト、ソース"},
    {1252, "Café Müller", "中文资料", "Grüße aus Köln, à bientôt"},
    {1253, "Έγγραφα", "Документы", "Καλημέρα κόσμε"},
    {936, "中文资料", "Łódź", "中文文本测试"},
    {CP_UTF8, "Café Müller", "中文资料", "Καλημέρα, Съешь, 日本語"},
};

// The names for the system's code page; nullptr for a code page without names here.
const ScriptNames* NamesOfThisSystem() {
  for (const ScriptNames& names : kNames) {
    if (names.codePage == GetACP()) return &names;
  }
  return nullptr;
}

std::vector<unsigned char> Contents(const std::string& path) {
  std::vector<unsigned char> bytes;
  WaitUntil([&] { return ReadFileContents(path, bytes); });
  return bytes;
}

class CodePage : public ExchangeTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(ProgramPath())) << ProgramPath();
    const char* expected = std::getenv("KEPSIL_EXPECT_CODE_PAGE");
    if (expected && *expected) {
      ASSERT_EQ(GetACP(), std::strtoul(expected, nullptr, 10)) << "the locale did not give its code page";
    }
    if (!NamesOfThisSystem()) GTEST_SKIP() << "no folder names for code page " << GetACP();
    ASSERT_TRUE(AnsiHolds(Wide(names_.home)));
    if (GetACP() != CP_UTF8) {
      ASSERT_FALSE(AnsiHolds(Wide(names_.foreign)));
    }
    ASSERT_TRUE(app_.Prepare(ProgramPath(), names_.home));
    elsewhere_ = OutputFolder(names_.foreign);
  }
  void Answer(int command, const std::string& typed, int pattern = -1) {
    HWND dialog = OpenRequester(command);
    ASSERT_NE(dialog, nullptr) << "no requester for command " << command;
    ASSERT_TRUE(AnswerFileRequester(dialog, typed, pattern));
    ASSERT_TRUE(WaitUntilDone());
  }
  bool WaitForRows(int count) {
    return WaitUntil([&] { return ListRowCount(List()) == count; });
  }
  // How many files of the working directory with that extension hold exactly the bytes.
  int WorkingFilesHolding(const std::string& extension, const std::vector<unsigned char>& bytes) {
    int count = 0;
    for (const std::string& name : FilesIn(app_.WorkingDirectory())) {
      std::vector<unsigned char> content;
      if (name.size() > extension.size() && name.compare(name.size() - extension.size(), extension.size(),
                                                         extension) == 0 &&
          ReadFileContents(app_.WorkingFile(name), content) && content == bytes) {
        ++count;
      }
    }
    return count;
  }
  void ExpectInformationNamesTheWorkingDirectory() {
    PostCommand(Main(), CmdInformation);
    HWND information = nullptr;
    HWND document = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
      information = FindProcessWindow(app_.Id(), "Information");
      return information && (document = FindChild(information, "RichEdit20A")) != nullptr;
    })) << "no information window";
    EXPECT_TRUE(WaitUntil([&] { return WindowText(document).find(app_.WorkingDirectory()) != std::string::npos; }))
        << WindowText(document);
    PostMessageW(information, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(information); }));
  }
  std::string WriteOneTextBoard(const std::string& path, const std::string& text) {
    Board board;
    board.itemLimit = 20;
    const std::vector<unsigned char> thumbnail = ThumbnailPng(90, 90, 200);
    board.entries.push_back(
        {BoardKindText, false, "01012026-080000-100", Bytes(text), {thumbnail.begin(), thumbnail.end()}});
    std::vector<unsigned char> bytes;
    EXPECT_EQ(WriteBoard(board, bytes), BoardError::None);
    EXPECT_TRUE(WriteFileContents(path, bytes));
    return path;
  }

  const ScriptNames& names_ = NamesOfThisSystem() ? *NamesOfThisSystem() : kNames[0];
  std::string elsewhere_;
};

TEST_F(CodePage, ItemsBoardsAndFilesKeepTheirLettersAndPaths) {
  const std::vector<unsigned char> unicode = Bytes(names_.text);
  const std::vector<unsigned char> ansi = Bytes(WideToAnsi(Wide(names_.text)));
  WritePrefs(PrefsFile{});
  StartProgram();
  ASSERT_TRUE(PutClipboardUnicodeText(names_.text));
  ASSERT_TRUE(WaitForRows(1));
  ASSERT_TRUE(WaitUntil([&] { return WorkingFilesHolding(".utf", unicode) == 1; })) << "no .utf with the text";
  EXPECT_EQ(WorkingFilesHolding(".txt", ansi), 1) << "the .txt is not the text in the system's code page";
  ASSERT_TRUE(PutClipboardBitmap(64, 48, RGB(200, 30, 30)));
  ASSERT_TRUE(WaitForRows(2));

  const std::string board = elsewhere_ + names_.foreign + ".ksb";
  Answer(CmdExportBoard, elsewhere_ + names_.foreign);
  Board exported;
  const std::vector<unsigned char> boardBytes = Contents(board);
  ASSERT_TRUE(ReadBoard(boardBytes.data(), boardBytes.size(), exported).Ok())
      << "no board; the folder holds " << testing::PrintToString(FilesIn(elsewhere_));
  EXPECT_EQ(exported.entries.size(), 2u);

  // Rows are newest first: the picture, then the text.
  TakeRow(1);
  Answer(CmdSaveItemAs, elsewhere_ + names_.foreign + ".txt");
  EXPECT_EQ(Contents(elsewhere_ + names_.foreign + ".txt"), ansi);
  ASSERT_TRUE(WriteFileContents(elsewhere_ + names_.foreign + ".png", GradientPng(1)));
  Answer(CmdLoadFiles, elsewhere_ + names_.foreign + ".png", kAllFilesPattern);
  ASSERT_TRUE(WaitForRows(3)) << "the picture named " << names_.foreign << " was not loaded";

  ExitProgram();
  StartProgram();
  ASSERT_TRUE(WaitForRows(3)) << "the items were not read back from " << app_.WorkingDirectory();
  EXPECT_EQ(WorkingFilesHolding(".utf", unicode), 1);
  ExpectInformationNamesTheWorkingDirectory();

  // The load requester opens in the folder read back from prefs.dat, so bare names find the files.
  ASSERT_TRUE(WriteFileContents(elsewhere_ + names_.foreign + " 2.png", GradientPng(2)));
  Answer(CmdLoadFiles, "\"" + names_.foreign + ".txt\" \"" + names_.foreign + " 2.png\"", kAllFilesPattern);
  ASSERT_TRUE(WaitForRows(5)) << "the files named " << names_.foreign << " were not loaded together";
  EXPECT_EQ(WorkingFilesHolding(".txt", ansi), 2);
  // Another text: the text taken last, taken again, is a repeat and makes no item.
  const std::vector<unsigned char> dropped = Bytes(WideToAnsi(Wide("+ " + names_.text)));
  ASSERT_TRUE(WriteFileContents(elsewhere_ + names_.foreign + " 3.txt", dropped));
  ASSERT_TRUE(DropFiles(Main(), {elsewhere_ + names_.foreign + " 3.txt"}));
  ASSERT_TRUE(WaitForRows(6)) << "the dropped text named " << names_.foreign << " was not loaded";
  EXPECT_EQ(WorkingFilesHolding(".txt", dropped), 1);

  // The board replaces the collection, and its text comes back with its Unicode letters.
  Answer(CmdImportBoard, board);
  ASSERT_TRUE(WaitForRows(2));
  EXPECT_EQ(WorkingFilesHolding(".utf", unicode), 1);

  // The board's folder, which the code page cannot hold, is remembered in Unicode.
  ExitProgram();
  const std::vector<unsigned char> prefs = Contents(app_.WorkingFile("prefs.dat"));
  const std::vector<unsigned char> remembered = Bytes(board);
  EXPECT_NE(std::search(prefs.begin(), prefs.end(), remembered.begin(), remembered.end()), prefs.end());
}

TEST_F(CodePage, BoardsNamedBeyondTheCodePageOpenFromTheCommandLineAndASecondStart) {
  const std::wstring commandKey = L"Applications\\kepsil.exe\\shell\\open\\command";
  RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Applications\\kepsil.exe");
  const std::string first = WriteOneTextBoard(elsewhere_ + names_.foreign + " 1.ksb", "first board");
  const std::string second = WriteOneTextBoard(elsewhere_ + names_.foreign + " 2.ksb", "second board");

  // A first start: the association question, answered Yes, then the board it was started with.
  StartProgram("\"" + first + "\"");
  HWND question = WaitForRequester();
  ASSERT_NE(question, nullptr) << "no association question";
  PressDialogButton(question, IDYES);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
  ASSERT_TRUE(WaitForRows(1));
  EXPECT_EQ(WorkingFilesHolding(".txt", Bytes("first board")), 1);

  const std::wstring command = Wide("\"" + app_.ProgramPath() + "\" \"%1\"");
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  EXPECT_EQ(RegGetValueW(HKEY_CLASSES_ROOT, commandKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size),
            ERROR_SUCCESS);
  EXPECT_TRUE(std::wstring(value) == command) << "the association names " << Utf8(value);

  KepsilProcess again;
  again.UseFolder(app_.Folder());
  ASSERT_TRUE(again.Start("\"" + second + "\""));
  ASSERT_TRUE(again.WaitForExit(10000)) << "the second start kept running";
  ASSERT_TRUE(WaitUntil([&] { return WorkingFilesHolding(".txt", Bytes("second board")) == 1; }))
      << "the running program did not import the board handed over";
  EXPECT_EQ(ListRowCount(List()), 1);
  ExitProgram();
}

}  // namespace
