#include "tools/driver/list_driver.h"

#include "tools/driver/bench_timing.h"

#include <commctrl.h>

#include <cstring>

namespace {

constexpr DWORD kTimeoutMs = 5000;

LRESULT SendTo(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(list, message, wParam, lParam, SMTO_NORMAL, kTimeoutMs, &result)) return -1;
  return static_cast<LRESULT>(result);
}

// An LVITEMA in the list's own process, for the messages that take a pointer.
class RemoteItem {
 public:
  explicit RemoteItem(HWND list) {
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_) memory_ = VirtualAllocEx(process_, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
  }
  ~RemoteItem() {
    if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteItem(const RemoteItem&) = delete;
  RemoteItem& operator=(const RemoteItem&) = delete;

  bool Write(const LVITEMA& item) {
    return memory_ && WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr);
  }
  bool Read(LVITEMA& item) {
    return memory_ && ReadProcessMemory(process_, memory_, &item, sizeof item, nullptr);
  }
  LPARAM Address() const { return reinterpret_cast<LPARAM>(memory_); }

 private:
  HANDLE process_ = nullptr;
  void* memory_ = nullptr;
};

bool SetState(HWND list, int row, UINT state, UINT mask) {
  RemoteItem remote(list);
  LVITEMA item{};
  item.state = state;
  item.stateMask = mask;
  if (!remote.Write(item)) return false;
  return SendTo(list, LVM_SETITEMSTATE, row, remote.Address()) == TRUE;
}

}  // namespace

int ListRowCount(HWND list) {
  return static_cast<int>(SendTo(list, LVM_GETITEMCOUNT, 0, 0));
}

double WaitForNewRow(HWND list, int before, double timeoutMs) {
  const double start = NowMs();
  while (NowMs() - start < timeoutMs) {
    // The list answers only between messages, so an answer means the capture has finished.
    if (ListRowCount(list) > before) return NowMs();
    Sleep(1);
  }
  return -1;
}

int ListRowState(HWND list, int row) {
  const LRESULT state = SendTo(list, LVM_GETITEMSTATE, row, LVIS_SELECTED | LVIS_STATEIMAGEMASK);
  if (state < 0) return 0;
  int result = 0;
  if (state & LVIS_SELECTED) result |= 1;
  // State image 1 is the empty box, 2 the checked one.
  if (((state & LVIS_STATEIMAGEMASK) >> 12) == 2) result |= 2;
  return result;
}

bool ListRowChecked(HWND list, int row) {
  return (ListRowState(list, row) & 2) != 0;
}

int ListSelectedRow(HWND list) {
  return static_cast<int>(SendTo(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool ListSelectRow(HWND list, int row) {
  // Clear every row first, then select and focus the one asked for.
  if (!SetState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED)) return false;
  return SetState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// The row's bounds in the list's client area, read through memory of the list's process.
bool RowBounds(HWND list, int row, RECT& bounds) {
  RemoteItem remote(list);
  LVITEMA buffer{};
  buffer.mask = LVIR_BOUNDS;  // the first field is where LVM_GETITEMRECT reads rect.left
  if (!remote.Write(buffer) || SendTo(list, LVM_GETITEMRECT, row, remote.Address()) != TRUE || !remote.Read(buffer)) {
    return false;
  }
  static_assert(sizeof(LVITEMA) >= sizeof(RECT));
  std::memcpy(&bounds, &buffer, sizeof bounds);
  return true;
}

// The list holds no rows of its own, so a check mark is set as the user sets it: a click on the
// row's check box.
bool ListSetChecked(HWND list, int row, bool checked) {
  if (ListRowChecked(list, row) == checked) return true;
  RECT bounds{};
  if (!RowBounds(list, row, bounds)) return false;
  const LPARAM box = MAKELPARAM(bounds.left + 8, (bounds.top + bounds.bottom) / 2);
  PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, box);
  PostMessageA(list, WM_LBUTTONUP, 0, box);
  return SendTo(list, LVM_GETITEMCOUNT, 0, 0) >= 0;
}

int ListRowImage(HWND list, int row) {
  RemoteItem remote(list);
  LVITEMA item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  item.iImage = -1;
  if (!remote.Write(item)) return -1;
  if (SendTo(list, LVM_GETITEMA, 0, remote.Address()) != TRUE) return -1;
  if (!remote.Read(item)) return -1;
  return item.iImage;
}

int ListColumnWidth(HWND list) {
  return static_cast<int>(SendTo(list, LVM_GETCOLUMNWIDTH, 0, 0));
}
