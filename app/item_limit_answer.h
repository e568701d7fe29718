// The answer to the item-limit requester.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The answer converted as a number (leading blanks skipped, an optional sign, decimal digits up to
// the first other character, no digits giving 0) and written back in decimal.
std::string ItemLimitAnswerEcho(const std::string& answer);

// The new limit when the answer is accepted: it must equal its own echo (no blanks, plus sign,
// leading zeros or other characters) and be at least 1 and no more than the largest int32.
std::optional<int32_t> AcceptItemLimitAnswer(const std::string& answer);
