// A long stored history, and finding items by typing in the find field.
#include "tests/e2e/capture_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

#include "core/commands.h"
#include "exchange/image/image_codecs.h"

namespace {

// Item names that sort by age: row 0 is the newest.
std::string AgedName(int row) {
  char name[32];
  std::snprintf(name, sizeof name, "05032026-%06d-100", 999999 - row);
  return name;
}

std::vector<unsigned char> PicturePng(int width, int height) {
  PixelImage image;
  if (!AllocatePixelImage(image, width, height)) return {};
  for (int y = 0; y < height; ++y) std::fill(image.Row(y), image.Row(y) + width * 3, uint8_t{120});
  std::vector<uint8_t> png;
  if (!EncodePng(image, DefaultImageQuality, png)) return {};
  return {png.begin(), png.end()};
}

class LongHistory : public CaptureRun {};

TEST_F(LongHistory, TenThousandItemsShowTheirMarksAndThumbnailsAndOneFarDownIsDeleted) {
  constexpr int kCount = 10000;
  constexpr int kGone = 9000;
  const std::vector<unsigned char> thumbnail = ThumbnailPng(200, 40, 40);
  ASSERT_FALSE(thumbnail.empty());
  PrefsFile prefs;
  prefs.values[PrefsFile::ItemLimit] = kCount;
  WritePrefs(prefs);
  // Every third item is checked; every fourth is a picture. Only the items at the top, round the
  // one deleted and at the bottom have files (writing 20,000 files costs Wine close to a minute):
  // the others show blank thumbnails.
  std::vector<ItemRecord> records;
  int filed = 0;
  for (int row = 0; row < kCount; ++row) {
    records.push_back({row % 4 == 0 ? 0 : 1, row % 3 == 0 ? 1 : 0, AgedName(row)});
    if (row >= 20 && std::abs(row - kGone) > 20 && row < kCount - 20) continue;
    ++filed;
    const ItemRecord& item = records.back();
    ASSERT_TRUE(WriteFileContents(app_.WorkingFile(item.name + ".clt"), thumbnail));
    const std::string text = "stored text " + std::to_string(row);
    ASSERT_TRUE(WriteFileContents(app_.WorkingFile(item.name + (item.kind == 0 ? ".bmp" : ".txt")),
                                  item.kind == 0 ? thumbnail : std::vector<unsigned char>(text.begin(), text.end())));
  }
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("items.dat"), ItemsDatBytes(records)));

  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == kCount; })) << ListRowCount(List());
  for (int row : {0, 1, 2, 3, kCount - 3, kCount - 2, kCount - 1}) {
    EXPECT_EQ(ListRowChecked(List(), row), row % 3 == 0) << "row " << row;
  }
  const int firstImage = ListRowImage(List(), 0);
  const int lastImage = ListRowImage(List(), kCount - 1);
  EXPECT_GE(firstImage, 0);
  EXPECT_GE(lastImage, 0);
  EXPECT_NE(firstImage, lastImage);
  EXPECT_GE(ListRowImage(List(), kCount / 2), 0) << "a row whose files are missing shows a blank thumbnail";

  // Row 9000 is checked, 9001 and 9002 are not, 9003 is: after the deletion every row below moves
  // up by one and the row in the deleted one's place stays selected.
  PressKeyOnRow(kGone, VK_DELETE);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == kCount - 1; }));
  EXPECT_TRUE(WaitUntil([&] { return ListSelectedRow(List()) == kGone; })) << ListSelectedRow(List());
  for (int row = kGone - 1; row <= kGone + 3; ++row) {
    const int before = row < kGone ? row : row + 1;
    EXPECT_EQ(ListRowChecked(List(), row), before % 3 == 0) << "row " << row;
  }
  EXPECT_FALSE(FileExists(app_.WorkingFile(AgedName(kGone) + ".clt")));
  EXPECT_FALSE(FileExists(app_.WorkingFile(AgedName(kGone) + ".bmp")));
  for (int neighbour : {kGone - 1, kGone + 1}) EXPECT_TRUE(FileExists(app_.WorkingFile(AgedName(neighbour) + ".clt")));
  EXPECT_EQ(ItemFiles().size(), static_cast<size_t>(2 * (filed - 1)));

  ExitProgram();
  records.erase(records.begin() + kGone);
  std::vector<unsigned char> written;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("items.dat"), written));
  EXPECT_EQ(written, ItemsDatBytes(records));
}

// Six items, newest first: texts (one only in Unicode) and two pictures of different sizes.
struct Entry {
  int kind;
  bool checked;
  std::string ansi;  // the text file, or nothing for a picture
  std::string utf8;  // the Unicode text file when there is one
  int width = 0, height = 0;
  std::string program = {};  // the program it was copied from, when known
};

const std::vector<Entry> kEntries = {
    {1, true, "\xC4rger im B\xFC" "ro", "\xC3\x84rger im B\xC3\xBCro"},
    {0, false, "", "", 278, 60, "mspaint.exe"},
    {1, false, "????? point", "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 point"},
    {1, true, "shopping list: milk", ""},
    {0, false, "", "", 40, 30},
    {1, false, "Milk price", "", 0, 0, "EXCEL.EXE"},
};

class FindField : public CaptureRun {
 protected:
  void StartWithEntries() {
    WritePrefs(PrefsFile{});
    const std::vector<unsigned char> thumbnail = ThumbnailPng(90, 200, 165);
    std::vector<ItemRecord> records;
    for (size_t row = 0; row < kEntries.size(); ++row) {
      const Entry& entry = kEntries[row];
      records.push_back({entry.kind, entry.checked ? 1 : 0, AgedName(static_cast<int>(row))});
      const std::string base = app_.WorkingFile(records.back().name);
      ASSERT_TRUE(WriteFileContents(base + ".clt", thumbnail));
      if (!entry.program.empty()) {
        ASSERT_TRUE(WriteFileContents(base + ".src", {entry.program.begin(), entry.program.end()}));
      }
      if (entry.kind == 0) {
        ASSERT_TRUE(WriteFileContents(base + ".bmp", PicturePng(entry.width, entry.height)));
        continue;
      }
      ASSERT_TRUE(WriteFileContents(base + ".txt", {entry.ansi.begin(), entry.ansi.end()}));
      if (!entry.utf8.empty()) {
        ASSERT_TRUE(WriteFileContents(base + ".utf", {entry.utf8.begin(), entry.utf8.end()}));
      }
    }
    ASSERT_TRUE(WriteFileContents(app_.WorkingFile("items.dat"), ItemsDatBytes(records)));
    StartProgram();
    ASSERT_TRUE(WaitForRows(static_cast<int>(kEntries.size())));
  }

  // Opens the find field with Ctrl+F's command and waits for it and its count beside it.
  void OpenFind() {
    PostCommand(Main(), CmdFind);
    ASSERT_TRUE(WaitUntil([&] {
      field_ = VisibleChild("Edit");
      count_ = VisibleChild("Static");
      return field_ && count_;
    })) << "no find field";
  }
  HWND VisibleChild(const std::string& className) {
    for (HWND child : ChildWindows(Main())) {
      if (_stricmp(WindowClass(child).c_str(), className.c_str()) == 0 && IsWindowVisible(child)) return child;
    }
    return nullptr;
  }
  // Types the whole query at once, as a paste into the field would.
  void Type(const std::wstring& query) {
    DWORD_PTR result = 0;
    ASSERT_TRUE(SendMessageTimeoutW(field_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(query.c_str()), SMTO_NORMAL,
                                    5000, &result));
  }
  // Waits for `rows` rows and the count text "rows of all".
  bool Shows(int rows, int all) {
    const std::string count = std::to_string(rows) + " of " + std::to_string(all);
    return WaitUntil([&] { return ListRowCount(List()) == rows && WindowText(count_) == count; });
  }
  std::string Status() { return std::to_string(ListRowCount(List())) + " rows, \"" + WindowText(count_) + "\""; }

  HWND field_ = nullptr;
  HWND count_ = nullptr;
};

TEST_F(FindField, FindsTextsWhateverTheirCaseAndPicturesBySize) {
  StartWithEntries();
  OpenFind();
  EXPECT_TRUE(Shows(6, 6)) << Status();
  struct Case {
    std::wstring query;
    int rows;
    bool firstChecked;  // tells which item the first row shows
  };
  const Case cases[] = {
      {L"\u00E4", 1, true},             // the "Ä" of the newest text
      {L"\u03C9\u03BC", 1, false},      // only in the Unicode text
      {L"MILK", 2, true},
      {L"278x60", 1, false},
      {L"40 \u00D7 30", 1, false},
      {L"40 x 300", 0, false},
      {L"MSPaint", 1, false},           // the program a picture came from
      {L"excel.exe", 1, false},
      {L"nothing like it", 0, false},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE("query " + std::to_string(&each - cases));
    Type(each.query);
    EXPECT_TRUE(Shows(each.rows, 6)) << Status();
    if (each.rows > 0) {
      EXPECT_EQ(ListRowChecked(List(), 0), each.firstChecked);
      EXPECT_EQ(ListSelectedRow(List()), 0) << "the first row shown takes the selection";
    }
  }
}

TEST_F(FindField, ReturnPastesTheShownRowAndEscapeShowsAllWithItSelected) {
  StartWithEntries();
  OpenFind();
  Type(L"milk");
  ASSERT_TRUE(Shows(2, 6)) << Status();
  // The arrows in the field move in the rows shown; Return pastes the selected one.
  PostKey(field_, VK_DOWN);
  ASSERT_TRUE(WaitUntil([&] { return ListSelectedRow(List()) == 1; })) << ListSelectedRow(List());
  ASSERT_TRUE(BringToFront(Main()));
  PostKey(field_, VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == "Milk price"; })) << ClipboardText();
  EXPECT_TRUE(RowsStay(2)) << "an unchecked item stays after pasting";

  PostKey(field_, VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 6 && !IsWindowVisible(field_); }));
  EXPECT_TRUE(WaitUntil([&] { return ListSelectedRow(List()) == 5; })) << ListSelectedRow(List());
}

TEST_F(FindField, DeleteCheckedDeletesOnlyTheCheckedRowsShown) {
  StartWithEntries();
  OpenFind();
  Type(L"milk");
  ASSERT_TRUE(Shows(2, 6)) << Status();
  PostCommand(Main(), CmdDeleteChecked);
  ASSERT_TRUE(Shows(1, 5)) << Status();
  EXPECT_FALSE(ListRowChecked(List(), 0));
  EXPECT_FALSE(FileExists(app_.WorkingFile(AgedName(3) + ".txt")));
  // The checked item the find hides stays, with its files and its mark.
  EXPECT_TRUE(FileExists(app_.WorkingFile(AgedName(0) + ".txt")));
  EXPECT_TRUE(FileExists(app_.WorkingFile(AgedName(0) + ".utf")));
  PostKey(field_, VK_ESCAPE);
  ASSERT_TRUE(WaitForRows(5));
  EXPECT_TRUE(ListRowChecked(List(), 0));
}

TEST_F(FindField, CopiedTextGetsARowOnlyWhenItMatches) {
  StartWithEntries();
  OpenFind();
  Type(L"milk");
  ASSERT_TRUE(Shows(2, 6)) << Status();
  ASSERT_EQ(ListSelectedRow(List()), 0);
  ASSERT_TRUE(PutClipboardText("oat MILK"));
  EXPECT_TRUE(Shows(3, 7)) << Status();
  EXPECT_EQ(ListSelectedRow(List()), 1) << "the selection stays with its item";
  ASSERT_TRUE(PutClipboardText("bread"));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(count_) == "3 of 8"; })) << Status();
  EXPECT_TRUE(RowsStay(3));
  EXPECT_EQ(ListSelectedRow(List()), 1);

  PostKey(field_, VK_ESCAPE);
  ASSERT_TRUE(WaitForRows(8));
  EXPECT_EQ(ListSelectedRow(List()), 5) << "the selected item at its row among all";
  std::set<std::string> texts;
  for (const std::string& name : ItemNames()) texts.insert(TextOf(name));
  EXPECT_TRUE(texts.count("oat MILK") && texts.count("bread"));
}

}  // namespace
