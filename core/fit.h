// Scaling a picture's size into a box, keeping its aspect ratio.
#pragma once

#include <cstdint>

// The picture is scaled to the box width first (so a small picture is enlarged); when its height
// then exceeds the box, it is scaled down to the box height. Sizes below 1 count as 1; the results
// lie between 1 and the box size (0 for an empty box).
int32_t FitWidth(int32_t sourceWidth, int32_t sourceHeight, int32_t boxWidth, int32_t boxHeight);
int32_t FitHeight(int32_t sourceWidth, int32_t sourceHeight, int32_t boxWidth, int32_t boxHeight);
