#include "store/items_file.h"

#include <cctype>
#include <cstring>
#include <string_view>
#include <unordered_set>

#include "core/data_reader.h"
#include "core/file_bytes.h"

namespace {

bool IsReservedDeviceName(const std::string& name) {
  // Windows opens a device for these names whatever extension follows.
  std::string stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (stem == device) return true;
  }
  if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0)) {
    return stem[3] >= '0' && stem[3] <= '9';
  }
  return false;
}

}  // namespace

bool IsSafeItemName(const std::string& name) {
  if (name.empty() || name.size() > MaxItemNameLength) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || std::strchr("<>:\"/\\|?*", c) != nullptr) return false;
  }
  if (name.find("..") != std::string::npos) return false;
  // Windows drops trailing dots and blanks, so such a name would reach another file.
  if (name.back() == '.' || name.back() == ' ' || name == ".") return false;
  return !IsReservedDeviceName(name);
}

StoredItems ParseItemsFile(const uint8_t* data, size_t size) {
  StoredItems result;
  DataReader reader(data, size);
  int32_t count = 0;
  if (!reader.ReadNumber(count)) return result;
  std::unordered_set<std::string> seen;
  for (int32_t i = 0; i < count; ++i) {
    StoredItem item;
    if (!reader.ReadNumber(item.kind) || !reader.ReadNumber(item.checked)) {
      result.truncated = true;
      break;
    }
    // A name that ends with the file is the name up to there. An overlong one is not copied.
    std::string_view name;
    reader.ReadLine(name);
    const bool overlong = name.size() > MaxItemNameLength;
    if (!overlong) item.name.assign(name);
    // Two records of one name would share (and delete) each other's files.
    if (overlong || !IsSafeItemName(item.name) || (item.kind != 0 && item.kind != 1) ||
        !seen.insert(item.name).second) {
      ++result.skipped;
      continue;
    }
    item.checked = item.checked != 0 ? 1 : 0;
    result.items.push_back(std::move(item));
  }
  return result;
}

std::vector<uint8_t> SerializeItemsFile(const std::vector<StoredItem>& items) {
  std::vector<uint8_t> out;
  AppendInt32(out, static_cast<int32_t>(items.size()));
  for (const StoredItem& item : items) {
    AppendInt32(out, item.kind);
    AppendInt32(out, item.checked != 0 ? 1 : 0);
    AppendString(out, item.name);
  }
  return out;
}

bool LoadItemsFile(const std::string& path, StoredItems& items) {
  items = StoredItems{};
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(path, bytes)) return false;
  items = ParseItemsFile(bytes.data(), bytes.size());
  return true;
}

bool SaveItemsFile(const std::string& path, const std::vector<StoredItem>& items) {
  return WriteFileReplacing(path, SerializeItemsFile(items));
}
