#include "store/neighbour_row.h"

int32_t NeighbourAfterDeletion(int32_t deletedRow, int32_t rowCount) {
  if (rowCount <= 0) return -1;
  const int32_t row = deletedRow < rowCount - 1 ? deletedRow : deletedRow - 1;
  // Of two rows the first went: the rule gives -1 and no row is selected.
  if (row < 0) return -1;
  return row < rowCount ? row : rowCount - 1;
}
