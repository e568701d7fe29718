// Saving items as files arrives with the file exchange; until then these commands write nothing.
#include "exchange/save_items.h"

void SaveItemAs() {}

void SaveCheckedTexts() {}

void SaveCheckedImages(int32_t) {}
