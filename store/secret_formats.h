// Clipboard content that its owner marked as not to be recorded: password managers and other
// programs add one of three registered formats beside the real data.
#pragma once

#include <cstddef>
#include <cstdint>

// Its presence alone means: do not record.
inline constexpr const char* ExcludeFromMonitorFormat = "ExcludeClipboardContentFromMonitorProcessing";
// A DWORD: 0 means do not record, any other value allows it.
inline constexpr const char* HistoryPermissionFormat = "CanIncludeInClipboardHistory";
// The older convention among clipboard viewers; its presence means: do not record.
inline constexpr const char* ViewerIgnoreFormat = "Clipboard Viewer Ignore";

// What the clipboard carries of those formats.
struct ClipboardMarks {
  bool excludeFromMonitor = false;
  bool viewerIgnore = false;
  bool historyPermissionPresent = false;
  // Whether the permission's DWORD could be read, and its value.
  bool historyPermissionRead = false;
  uint32_t historyPermission = 0;
};

// True when the content must make no item. A permission format whose DWORD cannot be read (no
// data, or fewer than four bytes) counts as a refusal: when in doubt a secret stays out.
bool IsMarkedNotToRecord(const ClipboardMarks& marks);

// Reads the permission DWORD (little-endian) from the format's data block; false when the block
// is missing or shorter than four bytes.
bool ReadHistoryPermission(const void* data, size_t size, uint32_t& value);
