// Reading the local clock for item names (Windows only).
#pragma once

#include <string>

#include "store/item_name.h"

// The local date and time now (GetLocalTime).
LocalDateTime ReadLocalClock();
// A new item name for the program's store from the local clock; sets Collection.CaptureTime.
std::string MakeItemName();
