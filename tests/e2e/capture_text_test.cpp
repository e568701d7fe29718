// Texts copied by other programs become items; repeated and the program's own texts do not.
#include "tests/e2e/capture_support.h"

#include <algorithm>

#include "core/commands.h"

namespace {

using TextCapture = CaptureRun;

TEST_F(TextCapture, TextBecomesCheckedItemWithExactBytesAndThumbnail) {
  StartWithDefaults();
  // Code page 1252 letters, a tab and a line break are kept byte for byte.
  const std::string text = "Gr\xFC\xDF" "e\tfrom a test\r\nsecond line";
  ASSERT_TRUE(PutClipboardText(text));
  ASSERT_TRUE(WaitForRows(1));
  EXPECT_TRUE(ListRowChecked(List(), 0));
  const std::vector<std::string> names = ItemNames();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(TextOf(names[0]), text);
  // A text beyond ASCII keeps its Unicode text too, so that it reads the same on a system of
  // another code page.
  EXPECT_EQ(ItemFiles(), (std::vector<std::string>{names[0] + ".clt", names[0] + ".txt", names[0] + ".utf"}));
  std::vector<unsigned char> unicode;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile(names[0] + ".utf"), unicode));
  EXPECT_EQ(std::string(unicode.begin(), unicode.end()), "Gr\xC3\xBC\xC3\x9F" "e\tfrom a test\r\nsecond line");

  PixelImage thumbnail;
  ASSERT_TRUE(ReadPngFile(app_.WorkingFile(names[0] + ".clt"), thumbnail));
  EXPECT_EQ(thumbnail.width, 278);
  EXPECT_EQ(thumbnail.height, 60);
  EXPECT_EQ(PixelAt(thumbnail, 277, 59), kLavender);
  EXPECT_EQ(PixelAt(thumbnail, 62, 1), kLavender);
  EXPECT_EQ(PixelAt(thumbnail, 2, 2), kLavender) << "the text icon's background";
  // Something is written in the text panel.
  int inked = 0;
  for (int y = 3; y < 57; ++y) {
    for (int x = 65; x < 275; ++x) inked += PixelAt(thumbnail, x, y) != kLavender;
  }
  EXPECT_GT(inked, 50);
}

TEST_F(TextCapture, RepeatedTextIsCapturedOnlyWhenSomethingElseCameBetween) {
  StartWithDefaults();
  ASSERT_TRUE(PutClipboardText("first"));
  ASSERT_TRUE(WaitForRows(1));
  ASSERT_TRUE(PutClipboardText("first"));
  EXPECT_TRUE(RowsStay(1));
  ASSERT_TRUE(PutClipboardText("second"));
  ASSERT_TRUE(WaitForRows(2));
  ASSERT_TRUE(PutClipboardText("first"));
  ASSERT_TRUE(WaitForRows(3));
  const std::vector<std::string> names = ItemNames();
  ASSERT_EQ(names.size(), 3u);
  EXPECT_EQ(TextOf(names[0]), "first");
  EXPECT_EQ(TextOf(names[1]), "second");
  EXPECT_EQ(TextOf(names[2]), "first");
}

TEST_F(TextCapture, NothingIsTakenWhileWatchingIsOffNorLaterWhenItIsTurnedOn) {
  PrefsFile prefs;
  prefs.values[PrefsFile::WatchClipboard] = 0;
  StartWith(prefs);
  ASSERT_TRUE(PutClipboardText("copied while not watching"));
  EXPECT_TRUE(RowsStay(0));
  PostCommand(Main(), CmdWatchClipboard);
  // Watching is on before the next copy comes: its change notice is sent, the command was posted.
  ASSERT_TRUE(WaitForPostedMessages(Main()));
  EXPECT_TRUE(RowsStay(0));
  ASSERT_TRUE(PutClipboardText("copied while watching"));
  ASSERT_TRUE(WaitForRows(1));
  EXPECT_EQ(TextOf(ItemNames().at(0)), "copied while watching");
}

TEST_F(TextCapture, TextsOf64000BytesOrMoreAreRefused) {
  StartWithDefaults();
  ASSERT_TRUE(PutClipboardText(std::string(64000, 'x')));
  EXPECT_TRUE(RowsStay(0, 1500));
  EXPECT_TRUE(ItemFiles().empty());
  ASSERT_TRUE(PutClipboardText(std::string(200000, 'y')));
  EXPECT_TRUE(RowsStay(0, 1500));
  const std::string longest(63999, 'z');
  ASSERT_TRUE(PutClipboardText(longest));
  ASSERT_TRUE(WaitForRows(1));
  EXPECT_EQ(TextOf(ItemNames().at(0)), longest);
}

TEST_F(TextCapture, PutBackGivesTheFileBytesAndMakesNoItem) {
  StartWithDefaults();
  ASSERT_TRUE(PutClipboardText("older text"));
  ASSERT_TRUE(WaitForRows(1));
  ASSERT_TRUE(PutClipboardText("newer text"));
  ASSERT_TRUE(WaitForRows(2));
  CommandOnRow(1, CmdPutToClipboard);
  std::vector<uint8_t> block;
  ASSERT_TRUE(WaitUntil([&] { return ClipboardText() == "older text"; }));
  ASSERT_TRUE(ClipboardTextBlock(block));
  const std::string expected("older text", 11);  // with its terminating zero
  EXPECT_EQ(std::string(block.begin(), block.end()), expected);
  EXPECT_TRUE(RowsStay(2));
  // Putting the newer one back after it is no new item either.
  CommandOnRow(0, CmdPutToClipboard);
  ASSERT_TRUE(WaitUntil([&] { return ClipboardText() == "newer text"; }));
  EXPECT_TRUE(RowsStay(2));
}

TEST_F(TextCapture, AClipboardKeptOpenByAnotherProgramDoesNotHangTheProgram) {
  StartWithDefaults();
  ASSERT_TRUE(PutClipboardText("before"));
  ASSERT_TRUE(WaitForRows(1));
  // Another program changes the clipboard and at once takes it again for five seconds.
  ASSERT_TRUE(PutClipboardText("while kept open"));
  bool answered = false;
  DWORD waited = 0;
  {
    // Taken with retries: the program may be reading the change at that very moment.
    ClipboardGuard kept;
    ASSERT_TRUE(kept.Open());
    const DWORD start = GetTickCount();
    Sleep(300);
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutA(Main(), WM_NULL, 0, 0, SMTO_NORMAL, 4000, &result) != 0;
    waited = GetTickCount() - start;
    if (waited < 5000) Sleep(5000 - waited);
  }
  EXPECT_TRUE(answered) << "the program gave up on the clipboard within a few seconds";
  EXPECT_LT(waited, 4500u);
  ASSERT_TRUE(PutClipboardText("after"));
  ASSERT_TRUE(WaitUntil([&] { return TextOf(ItemNames().back()) == "after"; }));
}

TEST_F(TextCapture, TwoHundredTextsUnderALimitOfTwentyLeaveTheNewestTwenty) {
  StartWithDefaults();
  // Each text is set as soon as the program has taken the one before: none may be lost.
  for (int i = 0; i < 200; ++i) {
    const std::string text = "text number " + std::to_string(i);
    ASSERT_TRUE(PutClipboardText(text));
    ASSERT_TRUE(WaitUntil([&] {
      const std::vector<std::string> names = ItemNames();
      return !names.empty() && TextOf(names.back()) == text;
    })) << text;
  }
  ASSERT_TRUE(WaitForRows(20)) << ListRowCount(List()) << " rows";
  // Thumbnails of trimmed items make room for new ones: the image list holds a few pages of them
  // (96), however many items come and go.
  for (int row = 0; row < 20; ++row) {
    EXPECT_GE(ListRowImage(List(), row), 0);
    EXPECT_LT(ListRowImage(List(), row), 96) << row;
  }
  const StoredItems stored = ExitAndReadItems();
  ASSERT_EQ(stored.items.size(), 20u);
  std::vector<std::string> expectedFiles;
  int previous = 200;
  for (const StoredItem& item : stored.items) {
    EXPECT_EQ(item.kind, 1);
    const std::string text = TextOf(item.name);
    ASSERT_EQ(text.rfind("text number ", 0), 0u) << text;
    const int number = std::stoi(text.substr(12));
    EXPECT_LT(number, previous) << "newest first";
    previous = number;
    expectedFiles.push_back(item.name + ".clt");
    expectedFiles.push_back(item.name + ".txt");
  }
  EXPECT_EQ(TextOf(stored.items.front().name), "text number 199");
  std::sort(expectedFiles.begin(), expectedFiles.end());
  EXPECT_EQ(ItemFiles(), expectedFiles);
}

}  // namespace
