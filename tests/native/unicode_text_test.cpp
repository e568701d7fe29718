// UTF-8 / UTF-16 conversions and the encoding of text files the user loads.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/unicode_text.h"

namespace {

std::vector<uint8_t> FileBytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(UnicodeText, RoundTripsEveryPlane) {
  const std::string samples[] = {
      "plain ASCII",
      "\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1",  // Greek
      "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",                  // Cyrillic
      "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xED\x95\x9C\xEA\xB5\xAD",     // CJK, Hangul
      "a\xF0\x9F\x98\x80" "b\xF0\x90\x8D\x88\xF4\x8F\xBF\xBF",             // emoji, Gothic, U+10FFFF
      std::string("nul\0inside", 10),
  };
  for (const std::string& utf8 : samples) {
    SCOPED_TRACE(utf8);
    std::u16string utf16;
    ASSERT_TRUE(Utf8ToUtf16(utf8, utf16));
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8);
  }
  std::u16string utf16;
  ASSERT_TRUE(Utf8ToUtf16("a\xF0\x9F\x98\x80\xE2\x82\xAC", utf16));
  EXPECT_EQ(utf16, (std::u16string{u'a', 0xD83D, 0xDE00, 0x20AC})) << "a surrogate pair, then the euro sign";
}

TEST(UnicodeText, RefusesIllFormedUtf8) {
  const char* bad[] = {
      "\x80",              // a continuation byte alone
      "\xC3",              // cut off
      "\xE2\x82",          // cut off
      "\xF0\x9F\x98",      // cut off
      "\xC3(",             // a continuation missing
      "\xC0\xAF",          // overlong '/'
      "\xE0\x80\xAF",      // overlong '/'
      "\xF0\x80\x80\xAF",  // overlong '/'
      "\xED\xA0\x80",      // high surrogate D800
      "\xED\xBF\xBF",      // low surrogate DFFF
      "\xF4\x90\x80\x80",  // U+110000
      "\xF8\x88\x80\x80\x80",
      "\xFF",
  };
  for (const char* text : bad) {
    SCOPED_TRACE(::testing::PrintToString(std::string(text)));
    std::u16string out;
    EXPECT_FALSE(Utf8ToUtf16(text, out));
    EXPECT_FALSE(IsValidUtf8(text));
  }
  // The edges just inside are fine.
  for (const char* text : {"\xC2\x80", "\xE0\xA0\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xF0\x90\x80\x80"}) {
    EXPECT_TRUE(IsValidUtf8(text)) << ::testing::PrintToString(std::string(text));
  }
  EXPECT_TRUE(HasNonAscii("caf\xE9"));
  EXPECT_FALSE(HasNonAscii(std::string("tab\t\x7F\0", 7)));
}

TEST(UnicodeText, UnpairedSurrogatesBecomeReplacementCharacters) {
  const std::u16string lone = {u'a', 0xD800, u'b', 0xDC00, 0xDBFF};
  EXPECT_EQ(Utf16ToUtf8(lone), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD");
  const std::u16string reversed = {0xDE00, 0xD83D};
  EXPECT_EQ(Utf16ToUtf8(reversed), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(UnicodeText, LossyDecodingReplacesEachBrokenSequenceOnce) {
  EXPECT_EQ(Utf8ToUtf16Lossy("a\xD0\x98" "b"), u"a\u0418b");
  EXPECT_EQ(Utf8ToUtf16Lossy("a\xE3\x82" "b"), u"a\uFFFDb");       // cut off before its last byte
  EXPECT_EQ(Utf8ToUtf16Lossy("\xFF\x80\x80z"), u"\uFFFDz");        // a bad lead and its continuations
  EXPECT_EQ(Utf8ToUtf16Lossy("\xF0\x9F\x98\x80"), u"\U0001F600");  // beyond the first plane
  EXPECT_EQ(Utf16Length("\xF0\x9F\x98\x80\xE3\x82\xBD"), 3u);
}

TEST(UnicodeText, CodePage1252BecomesTheSameLettersOnEverySystem) {
  EXPECT_EQ(Cp1252ToUtf8("Eintr\xE4ge"), "Eintr\xC3\xA4ge");
  EXPECT_EQ(Cp1252ToUtf8("\x80\x85\x9F"), "\xE2\x82\xAC\xE2\x80\xA6\xC5\xB8");  // euro, ellipsis, Y-diaeresis
  EXPECT_EQ(Cp1252ToUtf8("\x81\xFF"), "\xC2\x81\xC3\xBF");  // an unassigned byte keeps its code point
}

TEST(UnicodeText, DetectsHowATextFileIsEncoded) {
  struct Case {
    std::string bytes;
    TextFileEncoding encoding;
    std::u16string unicode;
  };
  const Case cases[] = {
      {"plain ASCII text\r\n", TextFileEncoding::Ansi, u""},
      {"caf\xE9 cr\xE8me", TextFileEncoding::Ansi, u""},  // Windows-1252, not UTF-8
      {"", TextFileEncoding::Ansi, u""},
      {"caf\xC3\xA9", TextFileEncoding::Utf8, u"caf\u00E9"},
      {"\xEF\xBB\xBFplain", TextFileEncoding::Utf8, u"plain"},
      {"\xEF\xBB\xBF", TextFileEncoding::Utf8, u""},
      {"\xEF\xBB\xBF" "caf\xE9", TextFileEncoding::Ansi, u""},  // a mark, then not UTF-8
      {std::string("\xFF\xFE" "A\0\xAC\x20=\xD8\x00\xDE", 10), TextFileEncoding::Utf16Le,
       u"A\u20AC\U0001F600"},
      {std::string("\xFE\xFF\0A\x20\xAC\xD8=\xDE\0", 10), TextFileEncoding::Utf16Be, u"A\u20AC\U0001F600"},
      {std::string("\xFF\xFE" "A\0B", 5), TextFileEncoding::Utf16Le, u"A"},  // odd byte dropped
      {"\xFF\xFE", TextFileEncoding::Utf16Le, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes));
    std::u16string unicode = u"stale";
    const std::vector<uint8_t> bytes = FileBytes(c.bytes);
    EXPECT_EQ(DetectTextFile(bytes, unicode), c.encoding);
    EXPECT_EQ(unicode, c.unicode);
  }
}

TEST(UnicodeText, Utf8FileStartsWithTheByteOrderMark) {
  EXPECT_EQ(Utf8FileWithBom("\xCE\xB1"), (std::vector<uint8_t>{0xEF, 0xBB, 0xBF, 0xCE, 0xB1}));
  std::u16string back;
  EXPECT_EQ(DetectTextFile(Utf8FileWithBom("x"), back), TextFileEncoding::Utf8);
  EXPECT_EQ(back, u"x");
}

}  // namespace
