// kepsil-tool prefs FILE and kepsil-tool items FILE: the values as the program loads them.
#include <cstdio>
#include <string>
#include <vector>

#include "store/items_file.h"
#include "settings/prefs_file.h"
#include "tools/kepsil-tool/tool_command.h"

namespace {

using kepsil::tool::ReadWholeFile;

int PrintPrefs(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: kepsil-tool prefs FILE\n");
    return 2;
  }
  std::vector<unsigned char> bytes;
  SettingsState settings;  // a file that cannot be read gives the defaults, as for the program
  if (ReadWholeFile(args[0], bytes)) {
    settings = ParsePrefs(bytes.data(), bytes.size());
  } else {
    std::fprintf(stderr, "kepsil-tool: cannot read %s; showing the defaults\n", args[0].c_str());
  }
  for (int i = 0; i < SettingsIntegerCount; ++i) {
    std::printf("%s=%d\n", SettingsIntegerName(i), SettingsInteger(settings, i));
  }
  for (int i = 0; i < SettingsStringCount; ++i) {
    std::printf("%s=%s\n", SettingsStringName(i), SettingsString(settings, i).c_str());
  }
  return 0;
}

int PrintItems(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: kepsil-tool items FILE\n");
    return 2;
  }
  std::vector<unsigned char> bytes;
  if (!ReadWholeFile(args[0], bytes)) {
    std::fprintf(stderr, "kepsil-tool: cannot read %s\n", args[0].c_str());
    return 1;
  }
  const StoredItems stored = ParseItemsFile(bytes.data(), bytes.size());
  std::printf("count=%zu\n", stored.items.size());
  for (size_t i = 0; i < stored.items.size(); ++i) {
    const StoredItem& item = stored.items[i];
    std::printf("item%zu.kind=%d\n", i, item.kind);
    std::printf("item%zu.checked=%d\n", i, item.checked);
    std::printf("item%zu.name=%s\n", i, item.name.c_str());
  }
  std::printf("skipped=%d\n", stored.skipped);
  std::printf("truncated=%d\n", stored.truncated ? 1 : 0);
  return 0;
}

}  // namespace

KEPSIL_TOOL_COMMAND("prefs", "FILE  (prefs.dat values as the program loads them)", PrintPrefs);
KEPSIL_TOOL_COMMAND("items", "FILE  (items.dat records as the program loads them)", PrintItems);
