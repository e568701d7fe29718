#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/items_file.h"
#include "tests/native/native_test_files.h"

namespace {

void PutInt(std::vector<uint8_t>& out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(bits >> shift));
}

void PutRecord(std::vector<uint8_t>& out, int32_t kind, int32_t checked, const std::string& name) {
  PutInt(out, kind);
  PutInt(out, checked);
  out.insert(out.end(), name.begin(), name.end());
  out.push_back(0);
}

std::vector<uint8_t> ThreeItems() {
  std::vector<uint8_t> bytes;
  PutInt(bytes, 3);
  PutRecord(bytes, 1, 0, "06122026-143005-123");
  PutRecord(bytes, 0, 1, "06122026-142959-7");
  PutRecord(bytes, 1, 0, "05122026-090000-0");
  return bytes;
}

StoredItems Parse(const std::vector<uint8_t>& bytes) { return ParseItemsFile(bytes.data(), bytes.size()); }

TEST(ItemsFormat, RecordsInListOrderWithTheirCheckMarks) {
  const StoredItems read = Parse(ThreeItems());
  ASSERT_EQ(read.items.size(), 3u);
  EXPECT_EQ(read.items[0].name, "06122026-143005-123");
  EXPECT_EQ(read.items[0].kind, 1);
  EXPECT_EQ(read.items[0].checked, 0);
  EXPECT_EQ(read.items[1].name, "06122026-142959-7");
  EXPECT_EQ(read.items[1].kind, 0);
  EXPECT_EQ(read.items[1].checked, 1);
  EXPECT_EQ(read.items[2].name, "05122026-090000-0");
  EXPECT_EQ(read.skipped, 0);
  EXPECT_FALSE(read.truncated);
  EXPECT_EQ(SerializeItemsFile(read.items), ThreeItems());
}

TEST(ItemsFormat, EmptyAndZeroCountFiles) {
  EXPECT_TRUE(Parse({}).items.empty());
  EXPECT_TRUE(Parse({0, 0, 0}).items.empty());
  EXPECT_TRUE(Parse({0, 0, 0, 0}).items.empty());
  EXPECT_EQ(SerializeItemsFile({}), (std::vector<uint8_t>{0, 0, 0, 0}));
  std::vector<uint8_t> negative;
  PutInt(negative, -5);
  PutRecord(negative, 1, 0, "01012027-000000-1");
  EXPECT_TRUE(Parse(negative).items.empty());
}

TEST(ItemsDamage, ReadingStopsAtTheEndOfTheFile) {
  std::vector<uint8_t> bytes = ThreeItems();
  bytes[0] = 0xFF;
  bytes[1] = 0xFF;
  bytes[2] = 0xFF;
  bytes[3] = 0x7F;  // two billion records announced
  StoredItems read = Parse(bytes);
  EXPECT_EQ(read.items.size(), 3u);
  EXPECT_TRUE(read.truncated);

  // Every cut of a good file: no crash, and only whole records with a name count.
  const std::vector<uint8_t> full = ThreeItems();
  for (size_t length = 0; length < full.size(); ++length) {
    read = ParseItemsFile(full.data(), length);
    EXPECT_LE(read.items.size(), 3u);
    for (const StoredItem& item : read.items) EXPECT_TRUE(IsSafeItemName(item.name)) << length;
  }
  // A name cut by the end of the file is the name up to there.
  read = ParseItemsFile(full.data(), 4 + 8 + 8);
  ASSERT_EQ(read.items.size(), 1u);
  EXPECT_EQ(read.items[0].name, "06122026");
}

TEST(ItemsDamage, NamesEndAtCrOrLfAndOddValuesAreHandled) {
  std::vector<uint8_t> bytes;
  PutInt(bytes, 4);
  const std::string first = "01012027-000000-1\r\n";
  PutInt(bytes, 1);
  PutInt(bytes, 7);  // any non-zero value is a check mark
  bytes.insert(bytes.end(), first.begin(), first.end());
  PutRecord(bytes, 2, 0, "01012027-000000-2");  // unknown kind
  PutRecord(bytes, 0, 0, "01012027-000000-1");  // repeats the first name
  PutRecord(bytes, 0, 0, "01012027-000000-3");
  const StoredItems read = Parse(bytes);
  ASSERT_EQ(read.items.size(), 2u);
  EXPECT_EQ(read.items[0].name, "01012027-000000-1");
  EXPECT_EQ(read.items[0].checked, 1);
  EXPECT_EQ(read.items[1].name, "01012027-000000-3");
  EXPECT_EQ(read.skipped, 2);
}

TEST(ItemsDamage, NamesThatLeadOutsideTheFolderAreSkipped) {
  const std::vector<std::string> unsafe = {
      "", "..", "..\\prefs", "../x", "a\\b", "a/b", "C:x", "C:\\Windows\\win", "a..b", "x.", "x ",
      "a*b", "a?b", "a|b", "a\"b", "a<b", "a>b", "tab\there", "CON", "con", "nul.txt", "COM1", "lpt9.x",
      "AUX ", std::string(MaxItemNameLength + 1, '1')};
  std::vector<uint8_t> bytes;
  PutInt(bytes, static_cast<int32_t>(unsafe.size()) + 1);
  for (const auto& name : unsafe) {
    EXPECT_FALSE(IsSafeItemName(name)) << name;
    PutRecord(bytes, 1, 1, name);
  }
  PutRecord(bytes, 1, 1, "01012027-000000-9");
  const StoredItems read = Parse(bytes);
  // The overlong name is cut at its limit, not split into a further record; the empty name and
  // every other unsafe one is dropped.
  ASSERT_EQ(read.items.size(), 1u);
  EXPECT_EQ(read.items[0].name, "01012027-000000-9");
  EXPECT_EQ(read.skipped, static_cast<int32_t>(unsafe.size()));

  for (const std::string& name : std::vector<std::string>{"01012027-000000-9", "01012027-000000-9-1", "notes", "CONSOLE", "COM10",
                                 "my.picture", std::string(MaxItemNameLength, '7')}) {
    EXPECT_TRUE(IsSafeItemName(name)) << name;
  }
}

TEST(ItemsFiles, SaveReplacesTheOldFileAndLoadsBack) {
  TempFolder folder;
  const std::string path = folder.File("items.dat");
  StoredItems read;
  EXPECT_FALSE(LoadItemsFile(path, read));
  EXPECT_TRUE(read.items.empty());

  TempFolder::Write(path, std::vector<uint8_t>(1000, 0xAB));
  const std::vector<StoredItem> items = Parse(ThreeItems()).items;
  ASSERT_TRUE(SaveItemsFile(path, items));
  EXPECT_EQ(TempFolder::Read(path), ThreeItems());
  ASSERT_TRUE(LoadItemsFile(path, read));
  EXPECT_EQ(SerializeItemsFile(read.items), ThreeItems());
  // No temporary file is left behind.
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) ++files;
  EXPECT_EQ(files, 1u);
}

}  // namespace
