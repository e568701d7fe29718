#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/prefs_file.h"
#include "tests/native/native_test_files.h"

namespace {

void PutInt(std::vector<uint8_t>& out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(bits >> shift));
}

void PutString(std::vector<uint8_t>& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
  out.push_back(0);
}

// A file as the program writes it, built by hand.
std::vector<uint8_t> SampleFile() {
  std::vector<uint8_t> bytes;
  for (int32_t value : {0, 1, 35, 0, 1, 0, 120, 80, 400, 377, 0, 1, 1, 0}) PutInt(bytes, value);
  for (const char* text : {"C:\\Pictures\\", "C:\\Texts\\", "D:\\Out\\", "", "C:\\B\xF6rse\\x.ksb", "E:\\"}) {
    PutString(bytes, text);
  }
  return bytes;
}

SettingsState Parse(const std::vector<uint8_t>& bytes) { return ParsePrefs(bytes.data(), bytes.size()); }

TEST(PrefsFormat, ReadsEveryFieldInOrder) {
  const SettingsState s = Parse(SampleFile());
  EXPECT_EQ(s.ShowAfterPaste, 0);
  EXPECT_EQ(s.ShowAfterCopy, 1);
  EXPECT_EQ(s.ItemLimit, 35);
  EXPECT_EQ(s.DeleteAfterPaste, 0);
  EXPECT_EQ(s.KeepItems, 1);
  EXPECT_EQ(s.StartVisible, 0);
  EXPECT_EQ(s.SavedWindowX, 120);
  EXPECT_EQ(s.SavedWindowY, 80);
  EXPECT_EQ(s.SavedWindowHeight, 400);
  EXPECT_EQ(s.ListHeight, 377);
  EXPECT_EQ(s.CompressImages, 0);
  EXPECT_EQ(s.WatchClipboard, 1);
  EXPECT_EQ(s.SoundOnCapture, 1);
  EXPECT_EQ(s.NewItemsChecked, 0);
  EXPECT_EQ(s.LastImageSaveDir, "C:\\Pictures\\");
  EXPECT_EQ(s.LastTextSaveDir, "C:\\Texts\\");
  EXPECT_EQ(s.LastImageFolder, "D:\\Out\\");
  EXPECT_EQ(s.LastTextFolder, "");
  EXPECT_EQ(s.LastBoardFile, "C:\\B\xC3\xB6rse\\x.ksb");  // held in UTF-8
  EXPECT_EQ(s.LastLoadDir, "E:\\");
  // Written back byte for byte.
  EXPECT_EQ(SerializePrefs(s), SampleFile());
}

TEST(PrefsFormat, FoldersBeyondTheCodePageAreKeptInUnicodeAfterTheAnsiStrings) {
  SettingsState s = Parse(SampleFile());
  s.LastImageSaveDir = "C:\\Users\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\\";  // Cyrillic: not in code page 1252
  const std::vector<uint8_t> bytes = SerializePrefs(s);
  // A reader of the ANSI strings finds no folder there rather than a wrong one, and the others
  // as before.
  std::vector<uint8_t> ansiPart = SampleFile();
  ansiPart.erase(ansiPart.begin() + 56, ansiPart.begin() + 56 + 13);  // "C:\Pictures\" and its zero
  ansiPart.insert(ansiPart.begin() + 56, 0);
  ASSERT_GT(bytes.size(), ansiPart.size());
  EXPECT_TRUE(std::equal(ansiPart.begin(), ansiPart.end(), bytes.begin()));
  EXPECT_EQ(std::string(bytes.begin() + static_cast<long>(ansiPart.size()), bytes.begin() + static_cast<long>(ansiPart.size()) + 4), "KSU8");
  const SettingsState back = Parse(bytes);
  EXPECT_EQ(back.LastImageSaveDir, s.LastImageSaveDir);
  EXPECT_EQ(back.LastBoardFile, "C:\\B\xC3\xB6rse\\x.ksb");
  EXPECT_EQ(SerializePrefs(back), bytes);
  // Every string the code page holds is written as before, without the Unicode part.
  EXPECT_EQ(SerializePrefs(Parse(SampleFile())).size(), SampleFile().size());
}

TEST(PrefsFormat, DefaultsAndTheirBytes) {
  const SettingsState d;
  EXPECT_EQ(d.ShowAfterPaste, 1);
  EXPECT_EQ(d.ShowAfterCopy, 1);
  EXPECT_EQ(d.ItemLimit, 20);
  EXPECT_EQ(d.DeleteAfterPaste, 1);
  EXPECT_EQ(d.KeepItems, 1);
  EXPECT_EQ(d.StartVisible, 1);
  EXPECT_EQ(d.SavedWindowX, 50);
  EXPECT_EQ(d.SavedWindowY, 50);
  EXPECT_EQ(d.SavedWindowHeight, 0);
  EXPECT_EQ(d.ListHeight, 227);
  EXPECT_EQ(d.CompressImages, 1);
  EXPECT_EQ(d.WatchClipboard, 1);
  EXPECT_EQ(d.SoundOnCapture, 0);
  EXPECT_EQ(d.NewItemsChecked, 1);
  const std::vector<uint8_t> bytes = SerializePrefs(d);
  ASSERT_EQ(bytes.size(), 56u + 6u);
  EXPECT_EQ(bytes[8], 20);  // ItemLimit, little-endian
  EXPECT_EQ(bytes[36], 227);
  EXPECT_EQ(bytes[37], 0);
  for (size_t i = 56; i < bytes.size(); ++i) EXPECT_EQ(bytes[i], 0);
}

TEST(PrefsDamage, ShortFilesKeepDefaultsForWhatIsMissing) {
  const std::vector<uint8_t> full = SampleFile();
  // Every length from empty to complete: never a crash, the integers present are read and the
  // rest keep their defaults.
  for (size_t length = 0; length <= full.size(); ++length) {
    const SettingsState s = ParsePrefs(full.data(), length);
    const SettingsState defaults;
    const size_t whole = length / 4;
    EXPECT_EQ(s.ItemLimit, whole > 2 ? 35 : defaults.ItemLimit) << length;
    EXPECT_EQ(s.WatchClipboard, defaults.WatchClipboard) << length;
    EXPECT_EQ(s.NewItemsChecked, whole > 13 ? 0 : defaults.NewItemsChecked) << length;
    EXPECT_EQ(s.ListHeight, whole > 9 ? 377 : defaults.ListHeight) << length;
  }
  // Only the fourteen integers: strings empty.
  const SettingsState ints = ParsePrefs(full.data(), 56);
  EXPECT_EQ(ints.LastImageSaveDir, "");
  EXPECT_EQ(ints.LastLoadDir, "");
  // A string cut by the end of the file is kept up to there.
  const SettingsState cut = ParsePrefs(full.data(), 56 + 5);
  EXPECT_EQ(cut.LastImageSaveDir, "C:\\Pi");
  EXPECT_EQ(cut.LastTextSaveDir, "");
}

TEST(PrefsDamage, StringsEndAtCrOrLf) {
  std::vector<uint8_t> bytes = SampleFile();
  bytes.resize(56);
  const std::string strings = std::string("A\r\nB\rC\nD") + '\0' + "E";
  bytes.insert(bytes.end(), strings.begin(), strings.end());
  const SettingsState s = Parse(bytes);
  EXPECT_EQ(s.LastImageSaveDir, "A");
  EXPECT_EQ(s.LastTextSaveDir, "B");
  EXPECT_EQ(s.LastImageFolder, "C");
  EXPECT_EQ(s.LastTextFolder, "D");
  EXPECT_EQ(s.LastBoardFile, "E");
  EXPECT_EQ(s.LastLoadDir, "");
}

TEST(PrefsDamage, ImpossibleValuesAreBounded) {
  std::vector<uint8_t> bytes;
  for (int32_t value : {7, -1, 0, 2, 0, 9, -100000, 5, -20, 3, 2, 0, 0, 1}) PutInt(bytes, value);
  std::string overlong(MaxPrefsStringLength + 1, 'x');
  PutString(bytes, overlong);
  PutString(bytes, "kept\\");
  SettingsState s = Parse(bytes);
  EXPECT_EQ(s.ItemLimit, 1);
  EXPECT_EQ(s.ShowAfterPaste, 1);  // on/off settings become 0 or 1
  EXPECT_EQ(s.ShowAfterCopy, 1);
  EXPECT_EQ(s.DeleteAfterPaste, 1);
  EXPECT_EQ(s.StartVisible, 1);
  EXPECT_EQ(s.CompressImages, 1);
  EXPECT_EQ(s.WatchClipboard, 0);
  EXPECT_EQ(s.SavedWindowHeight, 0);
  EXPECT_EQ(s.ListHeight, MinListHeight);
  EXPECT_EQ(s.SavedWindowX, -100000);  // the screen check is separate
  EXPECT_EQ(s.LastImageSaveDir, "");
  EXPECT_EQ(s.LastTextSaveDir, "kept\\");
  PutInt(bytes, INT32_MIN);  // trailing garbage is ignored
  EXPECT_EQ(Parse(bytes).ItemLimit, 1);
}

TEST(PrefsScreen, WindowOffEveryScreenComesBack) {
  const std::vector<ScreenRect> screens = {{0, 0, 1280, 1024}, {1280, -200, 3200, 1000}};
  const auto bounded = [&](int32_t x, int32_t y) {
    SettingsState s;
    s.SavedWindowX = x;
    s.SavedWindowY = y;
    BoundWindowToScreens(s, screens, 313, 278, 1024);
    return std::make_pair(s.SavedWindowX, s.SavedWindowY);
  };
  EXPECT_EQ(bounded(50, 50), std::make_pair(50, 50));
  EXPECT_EQ(bounded(2000, -150), std::make_pair(2000, -150));  // on the second screen
  EXPECT_EQ(bounded(-280, 10), std::make_pair(-280, 10));      // partly off, title bar reachable
  EXPECT_EQ(bounded(-300, 10), std::make_pair(50, 50));        // only 13 pixels left on screen
  EXPECT_EQ(bounded(5000, 5000), std::make_pair(50, 50));
  EXPECT_EQ(bounded(100, 1020), std::make_pair(50, 50));       // title bar below the bottom
  EXPECT_EQ(bounded(100, -5), std::make_pair(50, 50));         // title bar above the top
  EXPECT_EQ(bounded(INT32_MAX, INT32_MIN), std::make_pair(50, 50));

  SettingsState offset;
  offset.SavedWindowX = 99999;
  BoundWindowToScreens(offset, {{-1920, 0, 0, 1080}}, 313, 278, 1080);
  EXPECT_EQ(offset.SavedWindowX, -1870);
  EXPECT_EQ(offset.SavedWindowY, 50);
}

TEST(PrefsScreen, HeightsBetweenBuiltAndScreenHeight) {
  const auto height = [](int32_t saved, int32_t screenHeight) {
    SettingsState s;
    s.SavedWindowHeight = saved;
    BoundWindowToScreens(s, {}, 313, 278, screenHeight);
    return s.SavedWindowHeight;
  };
  EXPECT_EQ(height(0, 1024), 0);  // 0 stays: the built height
  EXPECT_EQ(height(100, 1024), 278);
  EXPECT_EQ(height(600, 1024), 600);
  EXPECT_EQ(height(5000, 1024), 1024);
  EXPECT_EQ(height(600, 200), 278);  // a screen lower than the window: the built height

  SettingsState list;
  list.ListHeight = 4000;
  BoundWindowToScreens(list, {}, 313, 278, 1024);
  EXPECT_EQ(list.ListHeight, 1024);
}

TEST(PrefsFiles, MissingFileGivesDefaultsAndSavingRoundTrips) {
  TempFolder folder;
  SettingsState s;
  s.ItemLimit = 0;
  s.LastLoadDir = "left over";
  EXPECT_FALSE(LoadPrefsFile(folder.File("prefs.dat"), s));
  EXPECT_EQ(s.ItemLimit, 20);
  EXPECT_EQ(s.LastLoadDir, "");

  const SettingsState written = Parse(SampleFile());
  ASSERT_TRUE(SavePrefsFile(folder.File("prefs.dat"), written));
  EXPECT_EQ(TempFolder::Read(folder.File("prefs.dat")), SampleFile());
  SettingsState read;
  ASSERT_TRUE(LoadPrefsFile(folder.File("prefs.dat"), read));
  EXPECT_EQ(SerializePrefs(read), SampleFile());
  EXPECT_FALSE(SavePrefsFile(folder.File("no such folder/prefs.dat"), written));
}

}  // namespace
