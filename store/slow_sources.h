// Programs that were slow to hand over a clipboard format, remembered for as long as the program
// runs, so that none of them is made to wait twice for the same format.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>

// A format that took longer than this to arrive was slow to render.
inline constexpr uint32_t SlowRenderMs = 1000;
inline bool IsSlowRender(uint32_t ms) { return ms > SlowRenderMs; }

class SlowSources {
 public:
  // `program` is the executable's file name; letter case does not tell programs apart.
  bool IsSlow(const std::string& program, uint32_t format) const;
  // Remembers the program as slow for that format. A program without a name is not remembered.
  void Remember(const std::string& program, uint32_t format);
  bool Empty() const { return slow_.empty(); }

 private:
  std::set<std::pair<std::string, uint32_t>> slow_;
};
