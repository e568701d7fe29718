// Item names: the local date and time of the capture, digits and dashes only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct LocalDateTime {
  int32_t year = 0;
  int32_t month = 0;  // 1..12
  int32_t day = 0;    // 1..31
  int32_t hour = 0;   // 0..23
  int32_t minute = 0;
  int32_t second = 0;
  int32_t millisecond = 0;  // 0..999
};

// "ddmmyyyy-hhmmss-m" with the milliseconds without leading zeros: 1 February 2027 09:05:03.040
// gives "01022027-090503-40".
std::string BaseItemName(const LocalDateTime& time);
// "hh:mm:ss" of the time.
std::string CaptureTimeText(const LocalDateTime& time);

// The name itself, or when nameTaken says it is already used, the name followed by "-1", "-2",
// ... (the first one not taken): the rule every new item's name follows.
std::string UniqueItemName(const std::string& base, const std::function<bool(const std::string&)>& nameTaken);

// The base name made unique by UniqueItemName. Sets captureTime to the time's "hh:mm:ss".
std::string MakeItemName(const LocalDateTime& time, std::string& captureTime,
                         const std::function<bool(const std::string&)>& nameTaken);

struct CollectionState;
// Makes the next name for the store: unique among its items and different from the last name
// made; records it as the last name and sets the store's CaptureTime.
std::string MakeItemName(const LocalDateTime& time, CollectionState& store);
