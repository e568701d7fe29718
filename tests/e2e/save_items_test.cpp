// Saving one item through the save requester and all checked items into a folder.
#include <cstdlib>

#include "core/commands.h"
#include "tests/e2e/load_save_support.h"
#include "tools/driver/load_save_requesters.h"

namespace {

std::string FolderPart(const std::string& path) { return path.substr(0, path.rfind('\\') + 1); }

class SaveItems : public ExchangeTest {
 protected:
  void StartWith(const std::vector<StoredFiles>& items) {
    WriteCollection(items);
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == static_cast<int>(items.size()); }));
  }
  // Saves row `row` through the requester with the typed name and file type.
  HWND OpenSaveRequester(int row) {
    TakeRow(row);
    return OpenRequester(CmdSaveItemAs);
  }
  void SaveRow(int row, const std::string& typedPath, int pattern) {
    HWND dialog = OpenSaveRequester(row);
    ASSERT_NE(dialog, nullptr) << "no save requester";
    ASSERT_TRUE(AnswerFileRequester(dialog, typedPath, pattern));
    ASSERT_TRUE(WaitUntilDone());
  }
  std::vector<unsigned char> Contents(const std::string& path) {
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(WaitUntil([&] { return FileExists(path); }))
        << path << " was not written; the folder holds " << testing::PrintToString(FilesIn(FolderPart(path)));
    ReadFileContents(path, bytes);
    return bytes;
  }
  // The folder requester opens at the remembered folder; OK takes it.
  void SaveChecked(int command) {
    HWND dialog = OpenRequester(command);
    ASSERT_NE(dialog, nullptr) << "no folder requester";
    AcceptFolderRequester(dialog);
    ASSERT_TRUE(WaitUntilDone());
  }
};

// A PNG-encoded stored picture saved with each file type gives that format, whatever was typed.
TEST_F(SaveItems, PictureIsWrittenInTheChosenFormat) {
  const std::vector<StoredFiles> items = MixedCollection();
  StartWith(items);
  const std::string folder = OutputFolder();

  HWND dialog = OpenSaveRequester(2);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowTitle(dialog), "Save image");
  EXPECT_EQ(FileRequesterName(dialog), items[2].name);
  EXPECT_EQ(FileRequesterPattern(dialog), 0);
  EXPECT_EQ(FileRequesterPatternText(dialog), "Bitmap (*.bmp)");
  ASSERT_TRUE(AnswerFileRequester(dialog, folder + "picture", 0));
  ASSERT_TRUE(WaitUntilDone());
  const std::vector<unsigned char> bmp = Contents(folder + "picture.bmp");
  EXPECT_TRUE(Is24BitBmp(bmp));
  EXPECT_TRUE(ShowsGradient(bmp, 2));

  SaveRow(2, folder + "picture", 1);
  const std::vector<unsigned char> jpeg = Contents(folder + "picture.jpg");
  EXPECT_TRUE(IsJpegOfHighestQuality(jpeg));
  EXPECT_TRUE(ShowsGradient(jpeg, 2, 24));

  SaveRow(2, folder + "picture", 2);
  const std::vector<unsigned char> png = Contents(folder + "picture.png");
  EXPECT_TRUE(IsPng(png));
  EXPECT_TRUE(ShowsGradient(png, 2));

  // The file type decides the encoding; the typed extension does not.
  SaveRow(1, folder + "x.png", 1);
  EXPECT_TRUE(IsJpegOfHighestQuality(Contents(folder + "x.png.jpg")));
  EXPECT_FALSE(FileExists(folder + "x.png"));

  // tests/e2e/save_formats_identify.sh has ImageMagick look at the files too.
  if (const char* keep = std::getenv("KEPSIL_SAVED_PICTURES")) {
    for (const char* name : {"picture.bmp", "picture.jpg", "picture.png", "x.png.jpg"}) {
      CopyFileA((folder + name).c_str(), (std::string(keep) + "\\" + name).c_str(), FALSE);
    }
  }

  // The next requester opens in the folder used last.
  dialog = OpenSaveRequester(1);
  ASSERT_NE(dialog, nullptr);
  CancelRequester(dialog);
  ASSERT_TRUE(WaitUntilDone());

  int32_t values[14];
  std::vector<std::string> strings;
  ExitAndReadPrefs(values, strings);
  EXPECT_EQ(strings[LastImageSaveDir], folder);
}

TEST_F(SaveItems, TextIsCopiedByteForByteUnderATxtName) {
  const std::vector<StoredFiles> items = MixedCollection();
  StartWith(items);
  const std::string folder = OutputFolder();

  HWND dialog = OpenSaveRequester(0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowTitle(dialog), "Save text");
  EXPECT_EQ(FileRequesterName(dialog), items[0].name);
  ASSERT_TRUE(AnswerFileRequester(dialog, folder + "notes.TXT"));
  ASSERT_TRUE(WaitUntilDone());
  EXPECT_EQ(Contents(folder + "notes.TXT"), items[0].content);

  SaveRow(3, folder + "notes.text", -1);
  EXPECT_EQ(Contents(folder + "notes.text.txt"), items[3].content);

  int32_t values[14];
  std::vector<std::string> strings;
  ExitAndReadPrefs(values, strings);
  EXPECT_EQ(strings[LastTextSaveDir], folder);
}

TEST_F(SaveItems, CheckedItemsAreSavedIntoTheChosenFolder) {
  std::vector<StoredFiles> items = MixedCollection();
  items[1].checked = 1;  // both pictures and the first text are checked
  const std::string images = OutputFolder() + "images\\";
  const std::string texts = OutputFolder() + "texts\\";
  CreateDirectoryA(images.c_str(), nullptr);
  CreateDirectoryA(texts.c_str(), nullptr);
  PrefsFile prefs;
  prefs.strings[LastImageFolder] = images;
  prefs.strings[LastTextFolder] = texts;
  WritePrefs(prefs);
  StartWith(items);

  SaveChecked(CmdSaveCheckedImagesPng);
  EXPECT_EQ(FilesIn(images), (std::vector<std::string>{items[2].name + ".png", items[1].name + ".png"}));
  EXPECT_TRUE(ShowsGradient(Contents(images + items[1].name + ".png"), 1));
  EXPECT_TRUE(ShowsGradient(Contents(images + items[2].name + ".png"), 2));

  SaveChecked(CmdSaveCheckedTexts);
  EXPECT_EQ(FilesIn(texts), std::vector<std::string>{items[0].name + ".txt"});
  EXPECT_EQ(Contents(texts + items[0].name + ".txt"), items[0].content);

  int32_t values[14];
  std::vector<std::string> strings;
  ExitAndReadPrefs(values, strings);
  EXPECT_EQ(strings[LastImageFolder], images);
  EXPECT_EQ(strings[LastTextFolder], texts);
}

TEST_F(SaveItems, NoCheckedPicturesWritesNothing) {
  std::vector<StoredFiles> items = MixedCollection();
  for (StoredFiles& item : items) item.checked = item.kind == 1;
  const std::string folder = OutputFolder();
  PrefsFile prefs;
  prefs.strings[LastImageFolder] = folder;
  WritePrefs(prefs);
  StartWith(items);
  SaveChecked(CmdSaveCheckedImagesBmp);
  EXPECT_TRUE(FilesIn(folder).empty());
  EXPECT_TRUE(IsWindowEnabled(Main()));
}

}  // namespace
