// Extension and path rules of saving and loading files.
#include <gtest/gtest.h>

#include "exchange/file_names.h"

TEST(FileNames, ExtensionIsAppendedUnlessTheLastThreeCharactersMatch) {
  EXPECT_EQ(WithExtension("C:\\out\\notes", "txt"), "C:\\out\\notes.txt");
  EXPECT_EQ(WithExtension("C:\\out\\notes.TXT", "txt"), "C:\\out\\notes.TXT");
  EXPECT_EQ(WithExtension("C:\\out\\notes.text", "txt"), "C:\\out\\notes.text.txt");
  // Only three characters are compared: no dot is needed, and a longer extension does not count.
  EXPECT_EQ(WithExtension("C:\\out\\boardksb", "ksb"), "C:\\out\\boardksb");
  EXPECT_EQ(WithExtension("C:\\b.KSB", "ksb"), "C:\\b.KSB");
  EXPECT_EQ(WithExtension("C:\\b.ksb.txt", "ksb"), "C:\\b.ksb.txt.ksb");
  EXPECT_EQ(WithExtension("x.png", "jpg"), "x.png.jpg");
  EXPECT_EQ(WithExtension("x.jpeg", "jpg"), "x.jpeg.jpg");
  EXPECT_EQ(WithExtension("", "bmp"), ".bmp");
  EXPECT_EQ(WithExtension("ab", "bmp"), "ab.bmp");
}

TEST(FileNames, FolderAndFileParts) {
  EXPECT_EQ(FolderPart("C:\\pictures\\x.png"), "C:\\pictures\\");
  EXPECT_EQ(FolderPart("\"C:\\pictures\\x.png"), "C:\\pictures\\");
  EXPECT_EQ(FolderPart("x.png"), "");
  EXPECT_EQ(FolderPart("C:\\"), "C:\\");
  EXPECT_EQ(FilePart("C:\\pictures\\big.txt"), "big.txt");
  EXPECT_EQ(FilePart("big.txt"), "big.txt");
  EXPECT_EQ(FilePart("C:\\folder\\"), "");
}

TEST(FileNames, ChosenAndDroppedFilesAreJudgedDifferently) {
  EXPECT_EQ(ChosenFileExtension("C:\\a\\photo.JPG"), "jpg");
  EXPECT_EQ(ChosenFileExtension("C:\\a\\photo.jpeg"), "peg");
  EXPECT_EQ(ChosenFileExtension("C:\\a\\photo.xbmp"), "bmp");
  EXPECT_EQ(ChosenFileExtension("ab"), "ab");

  EXPECT_EQ(DroppedFileExtension("C:\\a\\photo.JPG"), "jpg");
  EXPECT_EQ(DroppedFileExtension("C:\\a\\photo.jpeg"), "jpeg");
  EXPECT_EQ(DroppedFileExtension("C:\\a\\photo.xbmp"), "xbmp");
  EXPECT_EQ(DroppedFileExtension("C:\\a.b\\readme"), "");
  EXPECT_EQ(DroppedFileExtension("C:\\a\\board.KSB"), "ksb");
  EXPECT_EQ(DroppedFileExtension("C:\\a\\odd.bmp\"x"), "bmp");
  EXPECT_EQ(DroppedFileExtension("C:\\a\\trailing."), "");
  EXPECT_EQ(DroppedFileExtension("noslash.png"), "png");

  EXPECT_TRUE(IsPictureExtension("bmp"));
  EXPECT_TRUE(IsPictureExtension("jpg"));
  EXPECT_TRUE(IsPictureExtension("png"));
  EXPECT_FALSE(IsPictureExtension("jpeg"));
  EXPECT_FALSE(IsPictureExtension("PNG"));  // callers lower-case first
}

TEST(FileNames, LowerCasingLeavesCodePageLettersAlone) {
  EXPECT_EQ(LowerAscii("GR\xD6SSE.TXT"), "gr\xD6sse.txt");
}
