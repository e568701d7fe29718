// The match finder: what it lists is real, ordered and within its limits, and it finds the long
// matches the packer's size depends on, also where trees are cut short or the window slides.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "exchange/pack/match_finder.h"
#include "exchange/pack/pack.h"
#include "tests/native/pack_test_support.h"

using packtest::Bytes;

namespace {

struct Found {
  std::size_t pos;
  std::vector<MatchCandidate> matches;
};

// Runs the finder over every position, as the packer does, and checks each listed match.
std::vector<Found> FindAll(const Bytes& data, const MatchSearch& search, std::uint32_t room = 0xFFFFFFFFu) {
  MatchFinder finder;
  EXPECT_TRUE(finder.Init(data.data(), data.size(), search));
  std::vector<Found> all;
  MatchCandidate out[MatchFinder::MaxCandidates];
  for (std::size_t pos = 0; pos < data.size(); ++pos) {
    const std::uint32_t maxLength = static_cast<std::uint32_t>(std::min<std::size_t>(room, data.size() - pos));
    const std::size_t count = finder.FindAndInsert(pos, maxLength, out);
    std::uint32_t shorter = 1;
    for (std::size_t c = 0; c < count; ++c) {
      const MatchCandidate m = out[c];
      EXPECT_GT(m.length, shorter) << "at " << pos;
      EXPECT_LE(m.length, maxLength) << "at " << pos;
      EXPECT_GE(m.offset, 1u);
      EXPECT_LE(m.offset, std::min<std::size_t>(search.window, pos)) << "at " << pos;
      if (m.length == 2) {
        EXPECT_LE(m.offset, MatchFinder::PairReach) << "a 2-byte match that cannot pay";
      }
      if (m.offset <= pos) {
        EXPECT_EQ(std::memcmp(&data[pos], &data[pos - m.offset], m.length), 0) << "at " << pos;
      }
      shorter = m.length;
    }
    all.push_back(Found{pos, std::vector<MatchCandidate>(out, out + count)});
  }
  return all;
}

std::uint32_t Longest(const Found& found) { return found.matches.empty() ? 0 : found.matches.back().length; }

}  // namespace

TEST(PackMatchFinder, ListsRealMatchesLongerEachTime) {
  const Bytes text = packtest::EnglishText(20000, 40);
  FindAll(text, MatchSearch{65536, 512, 288});
  // A small window and a shallow search, as low levels use them.
  FindAll(text, MatchSearch{1024, 2, 32});
  // The room left in a segment caps every length.
  FindAll(text, MatchSearch{65536, 512, 288}, 7);
}

TEST(PackMatchFinder, FindsFarRepeatsUpToTheWindowAndNotBeyond) {
  const Bytes block = packtest::RandomBytes(400, 41);
  for (std::size_t gap : {1000u, 40000u, 65536u, 65537u}) {
    SCOPED_TRACE(gap);
    Bytes data = block;
    const Bytes filler = packtest::RandomBytes(gap - block.size(), 42 + gap);
    data.insert(data.end(), filler.begin(), filler.end());
    data.insert(data.end(), block.begin(), block.end());
    const auto all = FindAll(data, MatchSearch{65536, 512, 288});
    const Found& second = all[gap];
    if (gap <= 65536) {
      ASSERT_FALSE(second.matches.empty());
      EXPECT_EQ(second.matches.back().offset, gap);
      EXPECT_GE(Longest(second), 288u) << "measured at least to the nice length";
    } else {
      EXPECT_LT(Longest(second), 8u) << "the first copy left the window";
    }
  }
}

TEST(PackMatchFinder, RunsAndCutTreesStillFindTheNearestLongMatch) {
  // A run: every position matches the one before over its whole remaining length or the nice
  // length, which keeps the trees trivially small.
  Bytes run(5000, 'q');
  const auto all = FindAll(run, MatchSearch{65536, 512, 64});
  for (std::size_t pos = 1; pos + 64 < run.size(); pos += 97) {
    ASSERT_FALSE(all[pos].matches.empty());
    EXPECT_EQ(all[pos].matches.front().offset, 1u);
    EXPECT_GE(Longest(all[pos]), 64u);
  }
  // Many lines alike but for a counter, each seen again 50 lines (beyond the 2-byte reach) later:
  // deep trees. Searched deep, the whole earlier line is found; cut after two nodes, what is
  // listed is still real.
  Bytes lines;
  std::vector<std::size_t> starts;
  for (int i = 0; i < 2000; ++i) {
    const std::string line = "row " + std::to_string(i % 50) + " of the same long table row\n";
    starts.push_back(lines.size());
    lines.insert(lines.end(), line.begin(), line.end());
  }
  const auto deep = FindAll(lines, MatchSearch{65536, 512, 288});
  for (int i = 1000; i < 1100; ++i) EXPECT_GE(Longest(deep[starts[static_cast<std::size_t>(i)]]), 100u) << i;
  FindAll(lines, MatchSearch{65536, 2, 288});
}

TEST(PackRoundTripLarge, LongTextWithRunsAndRepeatsComesBack) {
  // Longer than the window and than a parse segment: prose, long runs, a block repeated near and
  // far, binary stretches, lines alike but for a counter.
  Bytes data;
  const Bytes block = packtest::EnglishText(3000, 50);
  for (int part = 0; part < 12; ++part) {
    const Bytes prose = packtest::EnglishText(9000 + 1000 * part, 51 + part);
    data.insert(data.end(), prose.begin(), prose.end());
    data.insert(data.end(), 700 + 300 * part, static_cast<unsigned char>(part % 3 == 0 ? 0 : ' '));
    data.insert(data.end(), block.begin(), block.end());
    if (part % 4 == 1) {
      const Bytes noise = packtest::RandomBytes(2000, 70 + part);
      data.insert(data.end(), noise.begin(), noise.end());
    }
    for (int i = 0; i < 50; ++i) {
      const std::string line = "entry " + std::to_string(i % 7) + ": unchanged\r\n";
      data.insert(data.end(), line.begin(), line.end());
    }
  }
  ASSERT_GT(data.size(), 200000u);
  for (int level : {1, 5, PackMaxLevel}) {
    SCOPED_TRACE(level);
    PackStatus status;
    const Bytes packed = packtest::Pack(data, level, &status);
    ASSERT_EQ(status, PackStatus::Ok);
    EXPECT_LT(packed.size(), data.size() / (level == PackMaxLevel ? 3 : 2));
    EXPECT_EQ(packtest::Unpack(packed, &status), data);
    EXPECT_EQ(status, PackStatus::Ok);
  }
}
