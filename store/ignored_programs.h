// The programs whose copies make no item, by the file name of their executable ("mstsc.exe").
// Kept in the working folder as ignored.dat: UTF-8, one name per line, in the order added.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Windows names files without regard to letter case; so are these names compared (ASCII letters
// and the letters of Latin-1, Greek and Cyrillic).
bool SameProgram(std::string_view a, std::string_view b);

class IgnoredProgramList {
 public:
  const std::vector<std::string>& Names() const { return names_; }
  bool Contains(std::string_view program) const;
  // False when it was there already or is no name (empty, a path, a line break, a NUL).
  bool Add(std::string_view program);
  // False when it was not there.
  bool Remove(std::string_view program);

  // The file's text, and the list read back from one: lines that name no program, and repeats,
  // are left out.
  std::string Serialise() const;
  static IgnoredProgramList Parse(std::string_view text);

 private:
  std::vector<std::string> names_;
};
