#include "store/clipboard_formats_win.h"

#include <algorithm>
#include <cstring>

#include "store/user32_function_win.h"

namespace {

// A locked global block that unlocks itself.
class LockedBlock {
 public:
  explicit LockedBlock(HANDLE handle)
      : handle_(handle), data_(handle ? static_cast<const uint8_t*>(GlobalLock(handle)) : nullptr),
        size_(data_ ? GlobalSize(handle) : 0) {}
  ~LockedBlock() {
    if (data_) GlobalUnlock(handle_);
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;

  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }

 private:
  HANDLE handle_;
  const uint8_t* data_;
  size_t size_;
};

using ListFormatsCall = BOOL(WINAPI*)(PUINT, UINT, PUINT);

// GetUpdatedClipboardFormats, where the system has it.
ListFormatsCall ListFormatsFunction() {
  static const ListFormatsCall call = User32Function<ListFormatsCall>("GetUpdatedClipboardFormats");
  return call;
}

}  // namespace

OfferedFormats OfferedFormats::List() {
  OfferedFormats offered;
  const ListFormatsCall list = ListFormatsFunction();
  if (!list) return offered;
  // Room for what a rich copy offers; a copy with more formats says how many, and is asked again.
  offered.formats_.resize(64);
  for (int attempt = 0; attempt < 2; ++attempt) {
    UINT count = 0;
    if (list(offered.formats_.data(), static_cast<UINT>(offered.formats_.size()), &count)) {
      offered.formats_.resize(std::min<size_t>(count, offered.formats_.size()));
      offered.listed_ = true;
      return offered;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || count <= offered.formats_.size()) break;
    offered.formats_.resize(count);
  }
  offered.formats_.clear();
  return offered;
}

bool OfferedFormats::Has(UINT format) const {
  if (format == 0) return false;
  if (!listed_) return IsClipboardFormatAvailable(format) != 0;
  return std::find(formats_.begin(), formats_.end(), format) != formats_.end();
}

UINT RichTextFormat() {
  static const UINT format = RegisterClipboardFormatA("Rich Text Format");
  return format;
}

UINT HtmlFormat() {
  static const UINT format = RegisterClipboardFormatA("HTML Format");
  return format;
}

UINT PngFormat() {
  static const UINT format = RegisterClipboardFormatA("PNG");
  return format;
}

bool ReadClipboardBlock(UINT format, size_t maxBytes, std::vector<uint8_t>& bytes, bool endsAtZero) {
  bytes.clear();
  // Asked for at once: a format that is not there gives no handle, in one round trip, not two.
  if (!format) return false;
  const LockedBlock block(GetClipboardData(format));
  if (!block.Data()) return false;
  size_t size = block.Size();
  if (endsAtZero) {
    const void* zero = std::memchr(block.Data(), 0, size);
    if (zero) size = static_cast<size_t>(static_cast<const uint8_t*>(zero) - block.Data());
  }
  if (size == 0 || size > maxBytes) return false;
  bytes.assign(block.Data(), block.Data() + size);
  return true;
}

bool ReadClipboardUnicode(size_t maxChars, std::wstring& text) {
  text.clear();
  const LockedBlock block(GetClipboardData(CF_UNICODETEXT));
  if (!block.Data()) return false;
  const auto* chars = reinterpret_cast<const wchar_t*>(block.Data());
  const size_t available = block.Size() / sizeof(wchar_t);
  size_t length = 0;
  while (length < available && chars[length] != L'\0') ++length;
  if (length > maxChars) return false;
  text.assign(chars, length);
  return true;
}

bool OfferedBefore(UINT format, UINT other) {
  for (UINT listed = EnumClipboardFormats(0); listed != 0; listed = EnumClipboardFormats(listed)) {
    if (listed == format) return true;
    if (listed == other) return false;
  }
  return false;
}

HANDLE PlaceClipboardBlock(UINT format, const void* data, size_t size, bool addZero) {
  if (!format) return nullptr;
  const size_t zeroBytes = addZero ? (format == CF_UNICODETEXT ? sizeof(wchar_t) : 1) : 0;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size + zeroBytes);
  if (!block) return nullptr;
  auto* target = static_cast<uint8_t*>(GlobalLock(block));
  if (!target) {
    GlobalFree(block);
    return nullptr;
  }
  if (size) std::memcpy(target, data, size);
  std::memset(target + size, 0, zeroBytes);
  GlobalUnlock(block);
  HANDLE placed = SetClipboardData(format, block);
  if (!placed) GlobalFree(block);
  return placed;
}
