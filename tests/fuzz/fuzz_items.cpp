// items.dat reader: any bytes load without a fault, only safe names come out, and what loads is
// written and read back alike.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "store/items_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const StoredItems loaded = ParseItemsFile(data, size);
  for (const StoredItem& item : loaded.items) {
    if (!IsSafeItemName(item.name) || (item.kind != 0 && item.kind != 1)) std::abort();
  }
  const std::vector<uint8_t> written = SerializeItemsFile(loaded.items);
  const StoredItems again = ParseItemsFile(written.data(), written.size());
  if (again.skipped != 0 || again.truncated || SerializeItemsFile(again.items) != written) std::abort();
  return 0;
}
