// prefs.dat reader: any bytes load without a fault, and what loads is written and read back alike.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "settings/prefs_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const SettingsState loaded = ParsePrefs(data, size);
  if (loaded.ItemLimit < 1 || loaded.ListHeight < MinListHeight || loaded.SavedWindowHeight < 0) std::abort();
  const std::vector<uint8_t> written = SerializePrefs(loaded);
  const SettingsState again = ParsePrefs(written.data(), written.size());
  if (SerializePrefs(again) != written) std::abort();
  return 0;
}
