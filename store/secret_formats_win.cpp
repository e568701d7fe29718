#include "store/secret_formats_win.h"

#include <windows.h>

namespace {

// Registered once: every registration is a round trip to the system's atom table, made while
// the clipboard is held.
struct MarkFormats {
  UINT excludeFromMonitor = RegisterClipboardFormatA(ExcludeFromMonitorFormat);
  UINT viewerIgnore = RegisterClipboardFormatA(ViewerIgnoreFormat);
  UINT historyPermission = RegisterClipboardFormatA(HistoryPermissionFormat);
};

const MarkFormats& Formats() {
  static const MarkFormats formats;
  return formats;
}

}  // namespace

ClipboardMarks ReadClipboardMarks(const OfferedFormats& offered) {
  ClipboardMarks marks;
  marks.excludeFromMonitor = offered.Has(Formats().excludeFromMonitor);
  marks.viewerIgnore = offered.Has(Formats().viewerIgnore);
  const UINT permission = Formats().historyPermission;
  marks.historyPermissionPresent = offered.Has(permission);
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
