#include <gtest/gtest.h>

#include "ui/information_document.h"

namespace {

TEST(InformationDocument, FolderParagraphGoesBeforeTheLastBraceInPlainAsciiRtf) {
  // Cyrillic letters, braces and a character beyond the first plane (a surrogate pair).
  const std::string folder = "C:\\Users\\\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\\{x}\xF0\x9F\x98\x80";
  EXPECT_EQ(RtfText(folder), "C:\\\\Users\\\\\\u1048?\\u1074?\\u1072?\\u1085?\\\\\\{x\\}\\u-10179?\\u-8704?");
  EXPECT_EQ(RtfText("a\r\nb\xE2\x80\xA6"), "ab\\u8230?");
  const std::string document = "{\\rtf1\\ansi Text\\par\n}";
  const std::string with = WithFolderParagraph(document, "Kept in:", "D:\\K\\");
  EXPECT_EQ(with, "{\\rtf1\\ansi Text\\par\n\\pard\\sb120\\sa40\\cf2\\b0\\i0\\fs18 Kept in:\\line D:\\\\K\\\\\\par\n}");
  EXPECT_EQ(WithFolderParagraph("no document", "a", "b"), "no document");
}

}  // namespace
