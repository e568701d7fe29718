#include "store/ignored_programs.h"

#include <algorithm>

#include "core/unicode_text.h"

namespace {

// One letter in lower case: ASCII, Latin-1, Greek and Cyrillic capitals, which cover the file
// names of the programs users run.
char16_t LowerLetter(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 0x20);
  if (c >= 0x391 && c <= 0x3AB) return static_cast<char16_t>(c + 0x20);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
  return c;
}

std::u16string Folded(std::string_view utf8) {
  std::u16string text = Utf8ToUtf16Lossy(utf8);
  std::transform(text.begin(), text.end(), text.begin(), LowerLetter);
  return text;
}

bool IsProgramName(std::string_view name) {
  if (name.empty() || name.size() > 260) return false;
  return name.find_first_of(std::string_view("\\/:\r\n\0", 6)) == std::string_view::npos;
}

}  // namespace

bool SameProgram(std::string_view a, std::string_view b) {
  return a == b || Folded(a) == Folded(b);
}

bool IgnoredProgramList::Contains(std::string_view program) const {
  if (program.empty()) return false;
  return std::any_of(names_.begin(), names_.end(), [&](const std::string& name) { return SameProgram(name, program); });
}

bool IgnoredProgramList::Add(std::string_view program) {
  if (!IsProgramName(program) || Contains(program)) return false;
  names_.emplace_back(program);
  return true;
}

bool IgnoredProgramList::Remove(std::string_view program) {
  const auto found =
      std::find_if(names_.begin(), names_.end(), [&](const std::string& name) { return SameProgram(name, program); });
  if (found == names_.end()) return false;
  names_.erase(found);
  return true;
}

std::string IgnoredProgramList::Serialise() const {
  std::string text;
  for (const std::string& name : names_) text += name + "\r\n";
  return text;
}

IgnoredProgramList IgnoredProgramList::Parse(std::string_view text) {
  IgnoredProgramList list;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    list.Add(line);
  }
  return list;
}
