// The detailed preview popup of one item.
#pragma once

#include <cstdint>

// Shows the current item larger at the cursor. mode 0: from the item menu (until the next click),
// 1: from the D key (until it is released), 2: right click with the primary button held.
void ShowPreview(int32_t mode);
