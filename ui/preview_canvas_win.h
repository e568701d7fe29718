// The picture the preview popup shows: drawn once, then used as the popup's background.
#pragma once

#include <windows.h>

#include "store/collection.h"

// Light yellow behind the item.
constexpr COLORREF PreviewBackground = RGB(250, 250, 200);

// The popup's outline: a 300 x 300 square with rounded corners. The caller owns it.
HRGN NewPreviewShape();

// A new 300 x 300 image: light yellow, the shape framed in black, and the item's picture (its own
// size when small, else fitted into the content area, centred) or its text in the content area. A
// missing or undecodable file leaves the content area empty. Returns the image number, 0 when the
// image cannot be made.
int DrawPreviewCanvas(const Item& item, HRGN shape);
