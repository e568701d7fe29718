#include "store/secret_formats_win.h"

#include <windows.h>

namespace {

bool Available(const char* formatName) {
  const UINT format = RegisterClipboardFormatA(formatName);
  return format != 0 && IsClipboardFormatAvailable(format);
}

}  // namespace

ClipboardMarks ReadClipboardMarks() {
  ClipboardMarks marks;
  marks.excludeFromMonitor = Available(ExcludeFromMonitorFormat);
  marks.viewerIgnore = Available(ViewerIgnoreFormat);
  const UINT permission = RegisterClipboardFormatA(HistoryPermissionFormat);
  marks.historyPermissionPresent = permission != 0 && IsClipboardFormatAvailable(permission);
  if (!marks.historyPermissionPresent) return marks;
  HANDLE data = GetClipboardData(permission);
  if (!data) return marks;
  const SIZE_T size = GlobalSize(data);
  if (const void* bytes = GlobalLock(data)) {
    marks.historyPermissionRead = ReadHistoryPermission(bytes, size, marks.historyPermission);
    GlobalUnlock(data);
  }
  return marks;
}
