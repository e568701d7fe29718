#include "store/clock.h"

#include <windows.h>

#include "store/collection.h"

LocalDateTime ReadLocalClock() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  LocalDateTime time;
  time.year = now.wYear;
  time.month = now.wMonth;
  time.day = now.wDay;
  time.hour = now.wHour;
  time.minute = now.wMinute;
  time.second = now.wSecond;
  time.millisecond = now.wMilliseconds;
  return time;
}

std::string MakeItemName() { return MakeItemName(ReadLocalClock(), Collection); }
