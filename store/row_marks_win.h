// Marks drawn over a row's thumbnail each time the list draws the row, never into its file: the
// number Ctrl+1 ... Ctrl+9 paste the row by, and a pin on a pinned item.
#pragma once

#include <windows.h>

#include <cstdint>

// The rows that have a number: the first nine shown.
inline constexpr int32_t NumberedRows = 9;

// Draws the marks of row `row` (0 for the first row shown) into `dc`, where the list drew the
// row's thumbnail at `picture`.
void DrawRowMarks(HDC dc, const RECT& picture, int32_t row, bool pinned);
