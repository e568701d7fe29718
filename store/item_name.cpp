#include "store/item_name.h"

#include <cstdio>

#include "store/collection.h"

std::string BaseItemName(const LocalDateTime& time) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%02d%02d%04d-%02d%02d%02d-%d", time.day, time.month, time.year,
                time.hour, time.minute, time.second, time.millisecond);
  return buffer;
}

std::string CaptureTimeText(const LocalDateTime& time) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", time.hour, time.minute, time.second);
  return buffer;
}

std::string UniqueItemName(const std::string& base, const std::function<bool(const std::string&)>& nameTaken) {
  if (!nameTaken(base)) return base;
  // Two items in the same millisecond: a further dash and a counter keep the name to digits and
  // dashes, and it cannot meet a plain name, which has two dashes only.
  for (unsigned long long counter = 1;; ++counter) {
    std::string candidate = base + "-" + std::to_string(counter);
    if (!nameTaken(candidate)) return candidate;
  }
}

std::string MakeItemName(const LocalDateTime& time, std::string& captureTime,
                         const std::function<bool(const std::string&)>& nameTaken) {
  captureTime = CaptureTimeText(time);
  return UniqueItemName(BaseItemName(time), nameTaken);
}

std::string MakeItemName(const LocalDateTime& time, CollectionState& store) {
  std::string name = MakeItemName(time, store.CaptureTime, [&store](const std::string& candidate) {
    return candidate == store.LastItemName || store.Items.ContainsName(candidate);
  });
  store.LastItemName = name;
  return name;
}
