// Start-up's clean-up of half-written files in a working folder full of other files.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/leftover_files_win.h"
#include "tests/windows/test_main_window.h"

namespace {

void Touch(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, "half", 4, &written, nullptr);
  CloseHandle(file);
}

TEST(LeftoverFilesOnWindows, RemovesTemporariesAndLeavesEverythingElse) {
  const std::string folder = NewTempFolder("kepsil-leftovers-");
  const std::string plain = folder.substr(0, folder.size() - 1);
  for (const char* name : {"items.dat", "items.dat.tmp", "prefs.dat.tmp", "a.bmp", "a.bmp.tmp", "a.clt", "b.txt.tmp",
                           "notes.tmp", "template.tmpl", "caf\xE9.txt.tmp"}) {
    Touch(folder + name);
  }
  // A folder with a temporary's name is not a file the program wrote.
  ASSERT_TRUE(CreateDirectoryA((folder + "c.bmp.tmp").c_str(), nullptr));
  Touch(folder + "c.bmp.tmp\\d.bmp.tmp");

  EXPECT_EQ(RemoveLeftoverTemporaries(plain), 5);
  const std::vector<std::string> left = FilesIn(folder);
  EXPECT_EQ(left, (std::vector<std::string>{"a.bmp", "a.clt", "items.dat", "notes.tmp", "template.tmpl"}));
  EXPECT_NE(GetFileAttributesA((folder + "c.bmp.tmp\\d.bmp.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(RemoveLeftoverTemporaries(plain), 0);
  EXPECT_EQ(RemoveLeftoverTemporaries(folder + "missing"), 0);

  DeleteFileA((folder + "c.bmp.tmp\\d.bmp.tmp").c_str());
  RemoveDirectoryA((folder + "c.bmp.tmp").c_str());
  for (const std::string& name : left) DeleteFileA((folder + name).c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
