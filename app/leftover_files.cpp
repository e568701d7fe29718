#include "app/leftover_files.h"

#include <array>
#include <string_view>

#include "store/item_extras.h"

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

}  // namespace

bool IsLeftoverTemporary(const std::string& fileName) {
  constexpr std::string_view kTemporary = ".tmp";
  if (!EndsWithIgnoringCase(fileName, kTemporary)) return false;
  const std::string_view replaced = std::string_view(fileName).substr(0, fileName.size() - kTemporary.size());
  if (SameIgnoringCase(replaced, "items.dat") || SameIgnoringCase(replaced, "prefs.dat") ||
      SameIgnoringCase(replaced, "ignored.dat")) {
    return true;
  }
  // A bare ".bmp.tmp" has no item name in front of it: not one of ours.
  const auto endsInItemFile = [replaced](std::string_view extension) {
    return replaced.size() > extension.size() && EndsWithIgnoringCase(replaced, extension);
  };
  constexpr std::array<std::string_view, 3> kItemFiles = {".bmp", ".txt", ".clt"};
  for (std::string_view extension : kItemFiles) {
    if (endsInItemFile(extension)) return true;
  }
  for (ExtraKind kind : EveryExtraKind) {
    if (endsInItemFile(ExtraFileExtension(kind))) return true;
  }
  return false;
}
