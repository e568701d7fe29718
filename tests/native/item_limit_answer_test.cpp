#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/item_limit_answer.h"

namespace {

TEST(ItemLimitAnswer, PlainPositiveNumbersAreAccepted) {
  EXPECT_EQ(AcceptItemLimitAnswer("5"), 5);
  EXPECT_EQ(AcceptItemLimitAnswer("1"), 1);
  EXPECT_EQ(AcceptItemLimitAnswer("20"), 20);
  EXPECT_EQ(AcceptItemLimitAnswer("1000"), 1000);
  EXPECT_EQ(AcceptItemLimitAnswer("2147483647"), 2147483647);
}

TEST(ItemLimitAnswer, AnythingThatDoesNotWriteBackTheSameIsRejected) {
  for (const char* answer : {"05", "+5", " 5", "5 ", "", " ", "5a", "a5", "five", "5.0", "0x5", "\t5", "--5",
                             "-0", "00"}) {
    EXPECT_EQ(AcceptItemLimitAnswer(answer), std::nullopt) << '"' << answer << '"';
  }
}

TEST(ItemLimitAnswer, ZeroNegativeAndOversizedLimitsAreRefused) {
  // These pass the write-back test, but the store needs room for one item at least.
  EXPECT_EQ(ItemLimitAnswerEcho("0"), "0");
  EXPECT_EQ(ItemLimitAnswerEcho("-3"), "-3");
  EXPECT_EQ(AcceptItemLimitAnswer("0"), std::nullopt);
  EXPECT_EQ(AcceptItemLimitAnswer("-3"), std::nullopt);
  EXPECT_EQ(AcceptItemLimitAnswer("-2147483648"), std::nullopt);
  EXPECT_EQ(AcceptItemLimitAnswer("2147483648"), std::nullopt);
  EXPECT_EQ(AcceptItemLimitAnswer("18446744073709551615"), std::nullopt);
  EXPECT_EQ(AcceptItemLimitAnswer("99999999999999999999999"), std::nullopt);
}

TEST(ItemLimitAnswer, EchoFollowsTheNumberConversion) {
  EXPECT_EQ(ItemLimitAnswerEcho("  +12abc"), "12");
  EXPECT_EQ(ItemLimitAnswerEcho("007"), "7");
  EXPECT_EQ(ItemLimitAnswerEcho("-"), "0");
  EXPECT_EQ(ItemLimitAnswerEcho("abc"), "0");
  EXPECT_EQ(ItemLimitAnswerEcho(" -42 "), "-42");
}

}  // namespace
