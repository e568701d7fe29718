// Whole files read with as few file system calls as their size allows: every byte comes back
// whatever the size against the reads' sizes, the cap holds, a whole read refuses a file over its
// bound, and failures are told apart.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/code_page_win.h"
#include "core/file_bytes.h"

namespace {

class FileBytesOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    char base[MAX_PATH];
    const DWORD length = GetTempPathA(MAX_PATH, base);
    ASSERT_GT(length, 0u);
    // Letters of several scripts in the folder's name, "ソ" among them (0x5C, the backslash, is
    // its second byte in code page 932): the path is read as the program's strings (UTF-8) mean it,
    // whatever the code page.
    folder_ = std::string(base, length) + "kepsil-read-\xC3\xA9\xE2\x82\xAC\xD0\x98\xE3\x82\xBD" +
              std::to_string(GetCurrentProcessId()) + "\\";
    ASSERT_TRUE(CreateDirectoryW(Wide(folder_).c_str(), nullptr));
  }
  void TearDown() override {
    for (const std::string& path : written_) DeleteFileW(Wide(path).c_str());
    RemoveDirectoryW(Wide(folder_).c_str());
  }

  std::string Write(const std::string& name, size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
    const std::string path = folder_ + name;
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    DWORD wrote = 0;
    if (size) WriteFile(file, bytes.data(), static_cast<DWORD>(size), &wrote, nullptr);
    CloseHandle(file);
    written_.push_back(path);
    expected_ = bytes;
    return path;
  }

  std::string folder_;
  std::vector<std::string> written_;
  std::vector<uint8_t> expected_;
};

TEST_F(FileBytesOnWindows, EveryByteComesBackAroundTheReadSizes) {
  for (size_t size : {size_t{0}, size_t{1}, size_t{65535}, size_t{65536}, size_t{65537}, size_t{65536 + 1048576},
                      size_t{65536 + 1048576 + 3}}) {
    const std::string path = Write("f" + std::to_string(size) + ".clt", size);
    std::vector<uint8_t> bytes = {1, 2, 3};  // whatever was there goes
    ASSERT_TRUE(ReadFileBytes(path, bytes, size_t{8} << 20)) << size;
    EXPECT_TRUE(bytes == expected_) << size << " read as " << bytes.size();
    // Read whole with the bound at its size: all of it; one byte less: refused.
    bytes = {1, 2, 3};
    ASSERT_EQ(ReadWholeFile(path, bytes, size), FileRead::Ok) << size;
    EXPECT_TRUE(bytes == expected_) << size << " read whole as " << bytes.size();
    if (size > 0) {
      EXPECT_EQ(ReadWholeFile(path, bytes, size - 1), FileRead::TooLarge) << size;
      EXPECT_TRUE(bytes.empty()) << size;
    }
  }
}

TEST_F(FileBytesOnWindows, StopsAtTheCapAndFailsOnlyForFilesThatCannotBeRead) {
  const std::string path = Write("big.clt", 200000);
  std::vector<uint8_t> bytes;
  for (size_t cap : {size_t{0}, size_t{100}, size_t{65536}, size_t{100000}, size_t{199999}}) {
    ASSERT_TRUE(ReadFileBytes(path, bytes, cap)) << cap;
    ASSERT_EQ(bytes.size(), cap);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), expected_.begin())) << cap;
  }
  EXPECT_FALSE(ReadFileBytes(folder_ + "missing.clt", bytes, 1000));
  EXPECT_TRUE(bytes.empty());
  // A folder opens with these rights under neither Windows nor Wine.
  EXPECT_FALSE(ReadFileBytes(folder_.substr(0, folder_.size() - 1), bytes, 1000));
  // Held open without sharing by a writer: the reader is refused, not handed a part.
  HANDLE held = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ReadFileBytes(path, bytes, 1000));
  EXPECT_EQ(ReadWholeFile(path, bytes, 1000), FileRead::Unreadable);
  CloseHandle(held);
}

}  // namespace
