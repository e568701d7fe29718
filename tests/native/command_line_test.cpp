#include "app/command_line.h"

#include <string>

#include <gtest/gtest.h>

TEST(CommandLine, FirstParameterIsOnlyTheFirst) {
  EXPECT_EQ(FirstParameter(""), "");
  EXPECT_EQ(FirstParameter("   "), "");
  EXPECT_EQ(FirstParameter("board.ksb"), "board.ksb");
  EXPECT_EQ(FirstParameter("  a.ksb b.ksb"), "a.ksb");
  EXPECT_EQ(FirstParameter("C:\\x\\a.ksb\tsecond"), "C:\\x\\a.ksb");
}

TEST(CommandLine, QuotedParameterKeepsBlanksAndDropsQuotes) {
  EXPECT_EQ(FirstParameter("\"C:\\My Boards\\one board.ksb\" other"), "C:\\My Boards\\one board.ksb");
  EXPECT_EQ(FirstParameter("\"\""), "");
  // An unclosed quote runs to the end.
  EXPECT_EQ(FirstParameter("\"C:\\open end.ksb"), "C:\\open end.ksb");
}

TEST(CommandLine, BoardExtensionIsTextAfterLastDotInAnyCase) {
  EXPECT_TRUE(HasBoardExtension("a.ksb"));
  EXPECT_TRUE(HasBoardExtension("C:\\x\\A.KSB"));
  EXPECT_TRUE(HasBoardExtension("archive.tar.Ksb"));
  EXPECT_FALSE(HasBoardExtension("a.ksb.txt"));
  EXPECT_FALSE(HasBoardExtension("ksb"));
  EXPECT_FALSE(HasBoardExtension("a.ksbx"));
  EXPECT_FALSE(HasBoardExtension("a."));
  EXPECT_FALSE(HasBoardExtension(""));
}

TEST(CommandLine, SecondInstanceHandsOverOnlyBoardsThatFitAnAtom) {
  EXPECT_EQ(SecondInstanceHandOff(""), HandOff::None);
  EXPECT_EQ(SecondInstanceHandOff("picture.png"), HandOff::None);
  EXPECT_EQ(SecondInstanceHandOff("C:\\b.ksb"), HandOff::SendBoard);

  std::string longest = "C:\\" + std::string(MaxAtomNameLength - 7, 'x') + ".ksb";
  ASSERT_EQ(longest.size(), MaxAtomNameLength);
  EXPECT_EQ(SecondInstanceHandOff(longest), HandOff::SendBoard);
  EXPECT_EQ(SecondInstanceHandOff("C:\\y" + longest.substr(3)), HandOff::ShowOnly);
  // The atom counts characters, not bytes: 250 Cyrillic letters fit, though they take 500 bytes.
  const std::string cyrillic = "C:\\" + [] { std::string s; for (int i = 0; i < 248; ++i) s += "\xD0\x96"; return s; }() + ".ksb";
  EXPECT_EQ(SecondInstanceHandOff(cyrillic), HandOff::SendBoard);
  // Too long but no board: still nothing at all.
  EXPECT_EQ(SecondInstanceHandOff(std::string(400, 'x') + ".txt"), HandOff::None);
}

TEST(CommandLine, ArgumentsFollowTheProgramNameQuotedOrNot) {
  EXPECT_EQ(ArgumentsAfterProgramName("\"C:\\Program Files\\kepsil.exe\"  \"D:\\\xCE\xA9.ksb\""), "\"D:\\\xCE\xA9.ksb\"");
  EXPECT_EQ(ArgumentsAfterProgramName("kepsil.exe\tboard.ksb x"), "board.ksb x");
  EXPECT_EQ(ArgumentsAfterProgramName("\"C:\\a b\\kepsil.exe\""), "");
  EXPECT_EQ(ArgumentsAfterProgramName("kepsil"), "");
  EXPECT_EQ(FirstParameter(ArgumentsAfterProgramName("k.exe \"C:\\My Boards\\a.ksb\" extra")), "C:\\My Boards\\a.ksb");
}
