// Loading picture and text files as items through the open requester.
#include <algorithm>

#include "core/commands.h"
#include "tests/e2e/load_save_support.h"
#include "tools/driver/load_save_requesters.h"

namespace {

constexpr int kAllFilesPattern = 4;

class LoadFiles : public ExchangeTest {
 protected:
  // The requester opens in the folder of the files, remembered from an earlier load.
  void Start() {
    PrefsFile prefs;
    prefs.strings[LastLoadDir] = OutputFolder();
    WritePrefs(prefs);
    StartProgram();
  }
  std::string Put(const std::string& name, const std::vector<unsigned char>& bytes) {
    const std::string path = OutputFolder() + name;
    EXPECT_TRUE(WriteFileContents(path, bytes));
    return path;
  }
  void Load(const std::string& typedNames) {
    HWND dialog = OpenRequester(CmdLoadFiles);
    ASSERT_NE(dialog, nullptr) << "no open requester";
    ASSERT_TRUE(AnswerFileRequester(dialog, typedNames, kAllFilesPattern));
  }
  // items.dat after Exit: kind and the contents of each item's file, newest first.
  std::vector<std::pair<int32_t, std::vector<unsigned char>>> StoredAfterExit() {
    ExitProgram();
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(ReadFileContents(app_.WorkingFile("items.dat"), bytes));
    std::vector<std::pair<int32_t, std::vector<unsigned char>>> items;
    size_t at = 4;
    while (at + 8 < bytes.size()) {
      const int32_t kind = bytes[at];
      at += 8;
      std::string name;
      while (at < bytes.size() && bytes[at] != 0) name.push_back(static_cast<char>(bytes[at++]));
      ++at;
      std::vector<unsigned char> content;
      ReadFileContents(app_.WorkingFile(name + (kind == 0 ? ".bmp" : ".txt")), content);
      items.emplace_back(kind, content);
    }
    return items;
  }
};

TEST_F(LoadFiles, SeveralFilesChosenAtOnceBecomeOneItemEach) {
  Start();
  const std::string first = Put("one.txt", Bytes("first loaded text"));
  Put("two.png", GradientPng(1));
  Put("three.bmp", GradientBmp(2));
  Load("\"one.txt\" \"two.png\" \"three.bmp\"");
  ASSERT_TRUE(WaitUntilDone());
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 3; })) << ListRowCount(List());
  // New items are checked by default.
  for (int row = 0; row < 3; ++row) EXPECT_TRUE(ListRowChecked(List(), row));

  auto items = StoredAfterExit();
  ASSERT_EQ(items.size(), 3u);
  // The requester decides the order; whatever it is, each file gave one item.
  int texts = 0, bmpGradient = 0, pngGradient = 0;
  for (const auto& [kind, content] : items) {
    if (kind == 1 && content == Bytes("first loaded text")) ++texts;
    if (kind == 0 && ShowsGradient(content, 1)) ++pngGradient;
    if (kind == 0 && ShowsGradient(content, 2)) ++bmpGradient;
  }
  EXPECT_EQ(texts, 1);
  EXPECT_EQ(pngGradient, 1);
  EXPECT_EQ(bmpGradient, 1);

  std::vector<unsigned char> prefs;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("prefs.dat"), prefs));
  EXPECT_EQ(PrefsStrings(prefs).at(LastLoadDir), OutputFolder());
}

TEST_F(LoadFiles, TextsUpTo63999BytesLoadAndLargerOnesAreRefusedWithAMessage) {
  Start();
  std::string largest(63999, 'k');
  largest[0] = 'L';
  Put("largest.txt", Bytes(largest));
  Load("largest.txt");
  ASSERT_TRUE(WaitUntilDone());
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 1; }));

  Put("too big.txt", Bytes(std::string(64000, 'b')));
  Load("too big.txt");
  HWND message = nullptr;
  WaitUntil([&] {
    message = FindProcessWindow(app_.Id(), "Info", "#32770");
    return message && IsWindowVisible(message);
  }, 8000);
  ASSERT_NE(message, nullptr) << "no size message titled Info";
  bool found = false;
  for (HWND child : ChildWindows(message)) {
    if (WindowTitle(child) == "too big.txt is too big!\r\nMaximum text size = 64k") found = true;
  }
  EXPECT_TRUE(found) << "the message does not name the file and the limit";
  PressDialogButton(message, IDOK);
  ASSERT_TRUE(WaitUntilDone());
  EXPECT_EQ(ListRowCount(List()), 1);

  auto items = StoredAfterExit();
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0].second, Bytes(largest));
}

TEST_F(LoadFiles, ExtensionDecidesBetweenPictureAndText) {
  Start();
  // A real JPEG under an upper-case extension loads as a picture.
  Put("photo.JPG", GradientJpeg(3));
  std::vector<unsigned char> jpegLike = Bytes("not really a jpeg");
  jpegLike.push_back(0);
  jpegLike.push_back('z');
  Put("photo.jpeg", jpegLike);
  Load("\"photo.JPG\" \"photo.jpeg\"");
  ASSERT_TRUE(WaitUntilDone());
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 2; })) << ListRowCount(List());
  auto items = StoredAfterExit();
  ASSERT_EQ(items.size(), 2u);
  const auto picture = std::find_if(items.begin(), items.end(), [](const auto& item) { return item.first == 0; });
  const auto text = std::find_if(items.begin(), items.end(), [](const auto& item) { return item.first == 1; });
  ASSERT_NE(picture, items.end());
  ASSERT_NE(text, items.end());
  EXPECT_TRUE(ShowsGradient(picture->second, 3, 24));
  // The text ends at the file's first zero byte.
  EXPECT_EQ(text->second, Bytes("not really a jpeg"));
}

}  // namespace
