#include "store/secret_formats.h"

bool IsMarkedNotToRecord(const ClipboardMarks& marks) {
  if (marks.excludeFromMonitor || marks.viewerIgnore) return true;
  if (!marks.historyPermissionPresent) return false;
  return !marks.historyPermissionRead || marks.historyPermission == 0;
}

bool ReadHistoryPermission(const void* data, size_t size, uint32_t& value) {
  if (!data || size < 4) return false;
  const auto* bytes = static_cast<const unsigned char*>(data);
  value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
          static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  return true;
}
