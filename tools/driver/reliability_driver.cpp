#include "tools/driver/reliability_driver.h"

#include <algorithm>
#include <cstring>

#include "core/code_page_win.h"

namespace {

HGLOBAL BlockOf(const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return nullptr;
  void* bytes = GlobalLock(memory);
  if (!bytes) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(bytes, data, size);
  GlobalUnlock(memory);
  return memory;
}

bool Hand(UINT format, HGLOBAL memory) {
  if (!memory) return false;
  if (SetClipboardData(format, memory)) return true;
  GlobalFree(memory);
  return false;
}

void CollectTree(const std::string& root, const std::string& relative, std::vector<TreeEntry>& entries) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(Wide(root + relative + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = Utf8(found.cFileName);
    if (name == "." || name == "..") continue;
    TreeEntry entry;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      entry.path = relative + name + "\\";
      entries.push_back(entry);
      CollectTree(root, entry.path, entries);
      continue;
    }
    entry.path = relative + name;
    entry.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    entry.writeTime = (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                      found.ftLastWriteTime.dwLowDateTime;
    entries.push_back(entry);
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace

bool PutClipboardTextWithMark(const std::string& text, const std::string& markFormat,
                              const std::vector<uint8_t>& markData) {
  const UINT mark = RegisterClipboardFormatW(Wide(markFormat).c_str());
  if (!mark) return false;
  ClipboardHold clipboard;
  if (!clipboard.Held()) return false;
  EmptyClipboard();
  // The mark first, as password managers put it, so that it is there whatever a viewer reads.
  const uint8_t none = 0;
  const bool marked = markData.empty() ? Hand(mark, BlockOf(&none, 1))
                                       : Hand(mark, BlockOf(markData.data(), markData.size()));
  return marked && Hand(CF_TEXT, BlockOf(text.c_str(), text.size() + 1));
}

ClipboardHold::ClipboardHold() {
  for (int attempt = 0; attempt < 1000 && !held_; ++attempt) {
    held_ = OpenClipboard(nullptr) != 0;
    if (!held_) Sleep(10);
  }
}

ClipboardHold::~ClipboardHold() { Release(); }

void ClipboardHold::Release() {
  if (!held_) return;
  held_ = false;
  CloseClipboard();
}

long AnswerTimeMs(HWND window, UINT timeoutMs) {
  const DWORD start = GetTickCount();
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, timeoutMs, &result)) return -1;
  return static_cast<long>(GetTickCount() - start);
}

AnswerWatch::AnswerWatch(HWND window)
    : thread_([this, window] {
        while (!stop_) {
          const long waited = AnswerTimeMs(window, 30000);
          longest_ = std::max(longest_.load(), waited < 0 ? 30000L : waited);
          Sleep(20);
        }
      }) {}

long AnswerWatch::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  return longest_;
}

LRESULT EndSession(HWND window, UINT timeoutMs) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, timeoutMs, &answer);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, timeoutMs, &ignored);
  return static_cast<LRESULT>(answer);
}

std::vector<TreeEntry> TreeOf(const std::string& folder) {
  std::vector<TreeEntry> entries;
  std::string root = folder;
  if (!root.empty() && root.back() != '\\') root += '\\';
  CollectTree(root, "", entries);
  std::sort(entries.begin(), entries.end(), [](const TreeEntry& a, const TreeEntry& b) { return a.path < b.path; });
  return entries;
}
