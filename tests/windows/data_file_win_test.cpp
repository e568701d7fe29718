// The program's data files under Windows: replacing an existing file, and folders whose names use
// code page 1252 letters, reached the same way as the ANSI file functions reach them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/file_bytes.h"
#include "settings/prefs_file.h"

namespace {

std::string TempFolderNamed(const std::string& leaf) {
  char base[MAX_PATH];
  const DWORD length = GetTempPathA(MAX_PATH, base);
  EXPECT_GT(length, 0u);
  const std::string folder = std::string(base, length) + leaf + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder + "\\";
}

std::vector<uint8_t> ReadWithAnsiApi(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::vector<uint8_t> bytes(4096);
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

void RemoveFolder(const std::string& folder, const std::vector<std::string>& files) {
  for (const auto& name : files) DeleteFileA((folder + name).c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST(DataFilesOnWindows, ReplacingWriteOverwritesAnExistingFile) {
  const std::string folder = TempFolderNamed("kepsil-replace-");
  const std::string path = folder + "prefs.dat";
  ASSERT_TRUE(WriteFileReplacing(path, {1, 2, 3, 4, 5}));
  ASSERT_TRUE(WriteFileReplacing(path, {9, 8}));
  EXPECT_EQ(ReadWithAnsiApi(path), (std::vector<uint8_t>{9, 8}));
  EXPECT_EQ(GetFileAttributesA((path + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  RemoveFolder(folder, {"prefs.dat"});
}

TEST(DataFilesOnWindows, FolderNamesWithCodePageLettersMatchTheAnsiFunctions) {
  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP();
  const std::string folder = TempFolderNamed("kepsil-B\xF6rse-\x80-");
  ASSERT_NE(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
  SettingsState settings;
  settings.ItemLimit = 33;
  settings.LastBoardFile = folder + "Tafel.ksb";
  ASSERT_TRUE(SavePrefsFile(folder + "prefs.dat", settings));
  EXPECT_EQ(ReadWithAnsiApi(folder + "prefs.dat"), SerializePrefs(settings));
  SettingsState loaded;
  ASSERT_TRUE(LoadPrefsFile(folder + "prefs.dat", loaded));
  EXPECT_EQ(loaded.ItemLimit, 33);
  EXPECT_EQ(loaded.LastBoardFile, settings.LastBoardFile);
  RemoveFolder(folder, {"prefs.dat"});
}

}  // namespace
