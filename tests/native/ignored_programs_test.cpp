#include "store/ignored_programs.h"

#include <gtest/gtest.h>

TEST(IgnoredPrograms, NamesCompareAsWindowsComparesFileNames) {
  IgnoredProgramList list;
  EXPECT_TRUE(list.Add("mstsc.exe"));
  EXPECT_FALSE(list.Add("MSTSC.EXE"));
  EXPECT_TRUE(list.Contains("Mstsc.Exe"));
  EXPECT_TRUE(list.Add("Блокнот.exe"));
  EXPECT_TRUE(list.Contains("блокнот.EXE"));
  EXPECT_FALSE(list.Contains("notepad.exe"));
  EXPECT_FALSE(list.Contains(""));
  // What names no program never goes in: a copy without an owner has no name.
  for (const char* bad : {"", "C:\\Windows\\notepad.exe", "a/b.exe", "two\r\nlines"}) EXPECT_FALSE(list.Add(bad)) << bad;
  EXPECT_TRUE(list.Remove("MSTSC.exe"));
  EXPECT_FALSE(list.Remove("mstsc.exe"));
  EXPECT_EQ(list.Names(), (std::vector<std::string>{"Блокнот.exe"}));
}

TEST(IgnoredPrograms, FileReadsBackAndDropsRepeatsAndBlankLines) {
  IgnoredProgramList list;
  list.Add("putty.exe");
  list.Add("Game.exe");
  EXPECT_EQ(IgnoredProgramList::Parse(list.Serialise()).Names(), list.Names());
  const IgnoredProgramList edited = IgnoredProgramList::Parse("putty.exe\n\r\n\nPUTTY.EXE\r\nkeepass.exe");
  EXPECT_EQ(edited.Names(), (std::vector<std::string>{"putty.exe", "keepass.exe"}));
}
