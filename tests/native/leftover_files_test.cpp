#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "app/leftover_files.h"
#include "tests/native/native_test_files.h"

namespace {

std::set<std::string> Names(const TempFolder& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) names.insert(entry.path().filename().string());
  return names;
}

TEST(LeftoverFiles, OnlyTheProgramsOwnTemporariesCount) {
  for (const char* name : {"items.dat.tmp", "prefs.dat.tmp", "PREFS.DAT.TMP", "07122026-101500-001.bmp.tmp",
                           "07122026-101500-001.txt.tmp", "07122026-101500-001.clt.Tmp"}) {
    EXPECT_TRUE(IsLeftoverTemporary(name)) << name;
  }
  for (const char* name : {"items.dat", "07122026-101500-001.bmp", "notes.tmp", ".bmp.tmp", "items.dat.tmp.bak",
                           "old items.dat.tmp", "picture.png.tmp", "tmp", ""}) {
    EXPECT_FALSE(IsLeftoverTemporary(name)) << name;
  }
}

TEST(LeftoverFiles, RemovesTemporariesAndLeavesEverythingElse) {
  TempFolder folder;
  for (const char* name : {"items.dat", "items.dat.tmp", "prefs.dat.tmp", "a.bmp", "a.bmp.tmp", "a.clt", "b.txt.tmp",
                           "notes.tmp", "caf\xC3\xA9.txt.tmp"}) {
    TempFolder::Write(folder.File(name), {1, 2, 3});
  }
  // A folder with a temporary's name is not a file the program wrote.
  std::filesystem::create_directory(folder.Path() / "c.bmp.tmp");
  TempFolder::Write(folder.File("c.bmp.tmp/d.bmp.tmp"), {4});

  EXPECT_EQ(RemoveLeftoverTemporaries(folder.Path().string()), 5);
  EXPECT_EQ(Names(folder), (std::set<std::string>{"items.dat", "a.bmp", "a.clt", "notes.tmp", "c.bmp.tmp"}));
  EXPECT_TRUE(std::filesystem::exists(folder.Path() / "c.bmp.tmp" / "d.bmp.tmp"));
  EXPECT_EQ(RemoveLeftoverTemporaries(folder.Path().string()), 0);
  EXPECT_EQ(RemoveLeftoverTemporaries(folder.File("missing")), 0);
}

}  // namespace
