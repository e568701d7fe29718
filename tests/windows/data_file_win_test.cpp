// The program's data files under Windows: replacing an existing file, and folders whose names hold
// letters of any script, reached as the wide file functions reach them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/code_page_win.h"
#include "core/file_bytes.h"
#include "settings/prefs_file.h"
#include "settings/prefs_win.h"

namespace {

std::string TempFolderNamed(const std::string& leaf) {
  wchar_t base[MAX_PATH];
  const DWORD length = GetTempPathW(MAX_PATH, base);
  EXPECT_GT(length, 0u);
  const std::string folder = Utf8(std::wstring_view(base, length)) + leaf + std::to_string(GetCurrentProcessId());
  CreateDirectoryW(Wide(folder).c_str(), nullptr);
  return folder + "\\";
}

std::vector<uint8_t> ReadWithWideApi(const std::string& path) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::vector<uint8_t> bytes(4096);
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

void RemoveFolder(const std::string& folder, const std::vector<std::string>& files) {
  for (const auto& name : files) DeleteFileW(Wide(folder + name).c_str());
  RemoveDirectoryW(Wide(folder).c_str());
}

TEST(DataFilesOnWindows, ReplacingWriteOverwritesAnExistingFile) {
  const std::string folder = TempFolderNamed("kepsil-replace-");
  const std::string path = folder + "prefs.dat";
  ASSERT_TRUE(WriteFileReplacing(path, {1, 2, 3, 4, 5}));
  ASSERT_TRUE(WriteFileReplacing(path, {9, 8}));
  EXPECT_EQ(ReadWithWideApi(path), (std::vector<uint8_t>{9, 8}));
  EXPECT_EQ(GetFileAttributesW(Wide(path + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  RemoveFolder(folder, {"prefs.dat"});
}

TEST(DataFilesOnWindows, FoldersInAnyScriptAreReadWrittenAndRemembered) {
  // German, Cyrillic and Japanese ("ソ" ends in 0x5C in code page 932): no code page holds all three.
  const std::string folder = TempFolderNamed("kepsil-B\xC3\xB6rse-\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD-\xE3\x82\xBD-");
  ASSERT_NE(GetFileAttributesW(Wide(folder).c_str()), INVALID_FILE_ATTRIBUTES);
  SettingsState settings;
  settings.ItemLimit = 33;
  settings.LastBoardFile = folder + "Tafel.ksb";
  settings.LastLoadDir = "C:\\plain\\";
  ASSERT_TRUE(SavePrefsFile(folder + "prefs.dat", settings, SystemPrefsCodePage()));
  const std::vector<uint8_t> written = ReadWithWideApi(folder + "prefs.dat");
  EXPECT_EQ(written, SerializePrefs(settings, SystemPrefsCodePage()));
  // The ANSI strings name no folder that is not the one meant; the Unicode part names it.
  const std::string bytes(written.begin(), written.end());
  EXPECT_EQ(bytes.find("Tafel.ksb"), bytes.rfind("Tafel.ksb"));
  EXPECT_NE(bytes.find("KSU8"), std::string::npos);
  EXPECT_NE(bytes.find("C:\\plain\\"), bytes.rfind("C:\\plain\\")) << "a folder the code page holds stays in the ANSI strings";
  SettingsState loaded;
  ASSERT_TRUE(LoadPrefsFile(folder + "prefs.dat", loaded, SystemPrefsCodePage()));
  EXPECT_EQ(loaded.ItemLimit, 33);
  EXPECT_EQ(loaded.LastBoardFile, settings.LastBoardFile);
  EXPECT_EQ(loaded.LastLoadDir, settings.LastLoadDir);
  RemoveFolder(folder, {"prefs.dat"});
}

}  // namespace
