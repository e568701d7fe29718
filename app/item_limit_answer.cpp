#include "app/item_limit_answer.h"

#include <limits>

namespace {

struct ParsedNumber {
  bool negative = false;
  bool tooLarge = false;  // more than fits in 64 bits
  uint64_t magnitude = 0;
};

ParsedNumber ParseDecimal(const std::string& answer) {
  ParsedNumber number;
  size_t i = 0;
  while (i < answer.size() && (answer[i] == ' ' || answer[i] == '\t')) ++i;
  if (i < answer.size() && (answer[i] == '-' || answer[i] == '+')) {
    number.negative = answer[i] == '-';
    ++i;
  }
  for (; i < answer.size() && answer[i] >= '0' && answer[i] <= '9'; ++i) {
    const auto digit = static_cast<uint64_t>(answer[i] - '0');
    if (number.magnitude > (std::numeric_limits<uint64_t>::max() - digit) / 10) {
      number.tooLarge = true;
      number.magnitude = std::numeric_limits<uint64_t>::max();
    } else if (!number.tooLarge) {
      number.magnitude = number.magnitude * 10 + digit;
    }
  }
  return number;
}

}  // namespace

std::string ItemLimitAnswerEcho(const std::string& answer) {
  const ParsedNumber number = ParseDecimal(answer);
  if (number.magnitude == 0) return "0";
  // An answer too long for 64 bits can never equal its echo; the marker keeps it so.
  if (number.tooLarge) return "overflow";
  return (number.negative ? "-" : "") + std::to_string(number.magnitude);
}

std::optional<int32_t> AcceptItemLimitAnswer(const std::string& answer) {
  if (ItemLimitAnswerEcho(answer) != answer) return std::nullopt;
  const ParsedNumber number = ParseDecimal(answer);
  // The store needs room for one item at least: 0 and negative limits are refused.
  if (number.negative || number.magnitude == 0) return std::nullopt;
  if (number.magnitude > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return std::nullopt;
  return static_cast<int32_t>(number.magnitude);
}
