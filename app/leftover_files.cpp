#include "app/leftover_files.h"

#include <array>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "app/file_bytes.h"

namespace {

bool EndsWithIgnoringCase(std::string_view text, std::string_view end) {
  if (text.size() < end.size()) return false;
  text.remove_prefix(text.size() - end.size());
  for (size_t i = 0; i < end.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != end[i]) return false;
  }
  return true;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && EndsWithIgnoringCase(a, b);
}

// The file name with every character beyond ASCII as '?'. The names that matter here are plain
// ASCII, and no conversion of the others can fail.
std::string AsciiName(const std::filesystem::path& path) {
  const std::filesystem::path fileName = path.filename();
  std::string name;
  for (auto unit : fileName.native()) {
    const auto code = static_cast<unsigned long>(unit);
    name += code < 0x80 ? static_cast<char>(code) : '?';
  }
  return name;
}

}  // namespace

bool IsLeftoverTemporary(const std::string& fileName) {
  constexpr std::string_view kTemporary = ".tmp";
  if (!EndsWithIgnoringCase(fileName, kTemporary)) return false;
  const std::string_view replaced = std::string_view(fileName).substr(0, fileName.size() - kTemporary.size());
  if (SameIgnoringCase(replaced, "items.dat") || SameIgnoringCase(replaced, "prefs.dat")) return true;
  constexpr std::array<std::string_view, 3> kItemFiles = {".bmp", ".txt", ".clt"};
  for (std::string_view extension : kItemFiles) {
    // A bare ".bmp.tmp" has no item name in front of it: not one of ours.
    if (replaced.size() > extension.size() && EndsWithIgnoringCase(replaced, extension)) return true;
  }
  return false;
}

int RemoveLeftoverTemporaries(const std::string& folder) {
  std::error_code error;
  std::filesystem::directory_iterator entries(AnsiPath(folder), error);
  if (error) return 0;
  int removed = 0;
  for (const std::filesystem::directory_entry& entry : entries) {
    // The name first: asking for the kind of every file of a large folder costs a look-up each.
    if (!IsLeftoverTemporary(AsciiName(entry.path()))) continue;
    std::error_code entryError;
    if (!entry.is_regular_file(entryError) || entryError) continue;
    if (std::filesystem::remove(entry.path(), entryError)) ++removed;
  }
  return removed;
}
