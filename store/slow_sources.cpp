#include "store/slow_sources.h"

#include <algorithm>

namespace {

std::string Folded(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return name;
}

}  // namespace

bool SlowSources::IsSlow(const std::string& program, uint32_t format) const {
  return !program.empty() && slow_.count({Folded(program), format}) != 0;
}

void SlowSources::Remember(const std::string& program, uint32_t format) {
  if (!program.empty()) slow_.insert({Folded(program), format});
}
