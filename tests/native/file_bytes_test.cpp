#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "core/file_bytes.h"
#include "tests/native/native_test_files.h"

namespace {

TEST(FileBytes, ReadsWholeFilesUpToTheCap) {
  TempFolder folder;
  std::vector<uint8_t> bytes;
  EXPECT_FALSE(ReadFileBytes(folder.File("missing"), bytes));
  std::vector<uint8_t> big(200000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
  TempFolder::Write(folder.File("big"), big);
  ASSERT_TRUE(ReadFileBytes(folder.File("big"), bytes));
  EXPECT_EQ(bytes, big);
  ASSERT_TRUE(ReadFileBytes(folder.File("big"), bytes, 70000));
  EXPECT_EQ(bytes, std::vector<uint8_t>(big.begin(), big.begin() + 70000));
  TempFolder::Write(folder.File("empty"), {});
  ASSERT_TRUE(ReadFileBytes(folder.File("empty"), bytes));
  EXPECT_TRUE(bytes.empty());

  // A whole read gives the file or nothing: a file of exactly the bound is read, one byte more is
  // refused, whether the bound lies within the first read or beyond it.
  EXPECT_EQ(ReadWholeFile(folder.File("big"), bytes, big.size()), FileRead::Ok);
  EXPECT_EQ(bytes, big);
  for (size_t bound : {big.size() - 1, size_t{65536}, size_t{1000}, size_t{0}}) {
    bytes = {1};
    EXPECT_EQ(ReadWholeFile(folder.File("big"), bytes, bound), FileRead::TooLarge) << bound;
    EXPECT_TRUE(bytes.empty()) << bound;
  }
  EXPECT_EQ(ReadWholeFile(folder.File("empty"), bytes, 0), FileRead::Ok);
  EXPECT_EQ(ReadWholeFile(folder.File("missing"), bytes, 1000), FileRead::Unreadable);
}

TEST(FileBytes, ReplacingWriteLeavesTheOldFileWhenItFails) {
  TempFolder folder;
  const std::string path = folder.File("data.dat");
  TempFolder::Write(path, {1, 2, 3});
  ASSERT_TRUE(WriteFileReplacing(path, {4, 5}));
  EXPECT_EQ(TempFolder::Read(path), (std::vector<uint8_t>{4, 5}));
  ASSERT_TRUE(WriteFileReplacing(path, {}));
  EXPECT_TRUE(TempFolder::Read(path).empty());

  // A folder in the way of the target: the move fails, and neither it nor a temporary file stays.
  const std::string blocked = folder.File("blocked");
  std::filesystem::create_directories(std::filesystem::path(blocked) / "inside");
  EXPECT_FALSE(WriteFileReplacing(blocked, {9}));
  EXPECT_TRUE(std::filesystem::is_directory(blocked));
  EXPECT_FALSE(std::filesystem::exists(blocked + ".tmp"));
  EXPECT_FALSE(WriteFileReplacing(folder.File("no folder/x.dat"), {9}));
}

}  // namespace
