// Which row to select after one row was deleted by the user.
#pragma once

#include <cstdint>

// rowCount is the number of rows after the deletion of deletedRow. The row now in the deleted
// row's place is selected unless it is the last row now, else the one above; -1 for none
// (so deleting the first of two rows leaves no row selected).
int32_t NeighbourAfterDeletion(int32_t deletedRow, int32_t rowCount);
