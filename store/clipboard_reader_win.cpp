#include "store/clipboard_reader_win.h"

#include <atomic>

#include "store/capture_rules.h"
#include "store/secret_formats_win.h"
#include "store/slow_sources.h"

namespace {

constexpr UINT kReadRequest = WM_APP + 1;
// Another program may hold the clipboard for a while; a change it keeps longer than this after
// the latest announcement is skipped.
constexpr DWORD kOpenBoundMs = 30000;

struct ReaderThread {
  HANDLE thread = nullptr;
  DWORD threadId = 0;
  HWND target = nullptr;
  HWND window = nullptr;  // the thread's own, message-only
  HANDLE ready = nullptr;
  std::atomic<bool> stopping{false};
};
ReaderThread Reader;

// The thread's own: the last change read, and the programs slow to render a format.
DWORD LastSequence = 0;
SlowSources Slow;

// Tries every 10 ms while another program holds the clipboard; a new announcement meanwhile
// starts the bound again. False when stopping or when the bound passed.
bool OpenWithRetries() {
  DWORD start = GetTickCount();
  while (!Reader.stopping) {
    if (OpenClipboard(Reader.window)) return true;
    MSG request;
    if (PeekMessageW(&request, Reader.window, kReadRequest, kReadRequest, PM_REMOVE)) start = GetTickCount();
    if (GetTickCount() - start >= kOpenBoundMs) return false;
    Sleep(ClipboardRetryMs);
  }
  return false;
}

// What the open clipboard holds, for the window's thread; nullptr when it is to make nothing.
// Wine hands what other programs of the display copied to Windows programs through a window of
// its own: such a copy comes from no Windows program.
bool IsDisplayBridge(HWND owner) {
  wchar_t name[64] = {};
  return GetClassNameW(owner, name, 64) > 0 && lstrcmpW(name, L"__wine_clipboard_manager") == 0;
}

std::unique_ptr<ClipboardEntry> ReadOpenClipboard() {
  auto entry = std::make_unique<ClipboardEntry>();
  DWORD ownerProcess = 0;
  HWND owner = GetClipboardOwner();
  if (owner) GetWindowThreadProcessId(owner, &ownerProcess);
  // The program's own put back or paste: no item, and nothing to read.
  if (ownerProcess != 0 && ownerProcess == GetCurrentProcessId()) {
    entry->own = true;
    return entry;
  }
  const OfferedFormats offered = OfferedFormats::List();
  // Content its owner marked as secret makes no item and touches none of capture's guards.
  if (IsMarkedNotToRecord(ReadClipboardMarks(offered))) return nullptr;
  ReadBudget budget;
  budget.slow = &Slow;
  budget.ownerProcess = ownerProcess;
  *entry = ReadClipboardEntry(budget, offered);
  if (!IsDisplayBridge(owner)) entry->ownerProcess = ownerProcess;
  return entry;
}

void ReadChange() {
  const DWORD sequence = GetClipboardSequenceNumber();
  // The same change announced once more (0: the system does not tell).
  if (sequence != 0 && sequence == LastSequence) return;
  if (!OpenWithRetries()) {
    LastSequence = sequence;
    return;
  }
  std::unique_ptr<ClipboardEntry> entry = ReadOpenClipboard();
  // Taken while still open: what the owner rendered for this read counts as this change.
  LastSequence = GetClipboardSequenceNumber();
  CloseClipboard();
  // Which program copied it is asked once the clipboard is free again.
  if (entry && !entry->own && entry->ownerProcess != 0) entry->sourceProgram = ProgramOfProcess(entry->ownerProcess);
  if (entry && !Reader.stopping &&
      PostMessageW(Reader.target, MessageClipboardRead, 0, reinterpret_cast<LPARAM>(entry.get()))) {
    entry.release();
  }
}

DWORD WINAPI RunReader(void*) {
  Reader.window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  SetEvent(Reader.ready);
  if (!Reader.window) return 1;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == kReadRequest) {
      if (!Reader.stopping) ReadChange();
    } else {
      DispatchMessageW(&message);
    }
  }
  DestroyWindow(Reader.window);
  return 0;
}

}  // namespace

bool StartClipboardReader(HWND target) {
  if (Reader.thread) return true;
  Reader.target = target;
  Reader.stopping = false;
  Reader.ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!Reader.ready) return false;
  Reader.thread = CreateThread(nullptr, 0, RunReader, nullptr, 0, &Reader.threadId);
  if (Reader.thread) WaitForSingleObject(Reader.ready, INFINITE);
  CloseHandle(Reader.ready);
  Reader.ready = nullptr;
  if (Reader.thread && !Reader.window) {
    WaitForSingleObject(Reader.thread, INFINITE);
    CloseHandle(Reader.thread);
    Reader.thread = nullptr;
  }
  return Reader.thread != nullptr;
}

void RequestClipboardRead() {
  if (Reader.thread && !Reader.stopping) PostMessageW(Reader.window, kReadRequest, 0, 0);
}

void StopClipboardReader(DWORD boundMs) {
  if (!Reader.thread) return;
  Reader.stopping = true;
  PostThreadMessageW(Reader.threadId, WM_QUIT, 0, 0);
  const bool ended = WaitForSingleObject(Reader.thread, boundMs) == WAIT_OBJECT_0;
  CloseHandle(Reader.thread);
  Reader.thread = nullptr;
  // A thread still held keeps its window; it ends with the process.
  if (ended) Reader.window = nullptr;
}

std::unique_ptr<ClipboardEntry> TakeReadEntry(LPARAM lParam) {
  return std::unique_ptr<ClipboardEntry>(reinterpret_cast<ClipboardEntry*>(lParam));
}
