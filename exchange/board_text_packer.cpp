#include "exchange/board_text_packer.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>

#include "exchange/pack/pack.h"

namespace {

// Below this much text, starting threads costs more than it saves.
constexpr std::size_t ParallelTextBytes = 64 * 1024;
// More threads than this only add memory: each packer holds about 3 MB of work memory.
constexpr unsigned MaxPackThreads = 8;

bool IsText(const BoardEntry& entry) { return entry.kind == BoardKindText && !entry.content.empty(); }

}  // namespace

std::vector<unsigned char> PackBoardText(std::span<const unsigned char> text) {
  std::vector<unsigned char> block;
  if (text.empty()) return block;
  try {
    block.resize(PackBound(text.size()));
  } catch (const std::bad_alloc&) {
    return {};
  }
  const std::size_t packedSize = pack(text.data(), text.size(), block.data(), block.size(), BoardPackLevel);
  // A block exactly as long as the text is still kept packed.
  if (packedSize == 0 || packedSize > text.size()) return {};
  block.resize(packedSize);
  block.shrink_to_fit();
  return block;
}

std::vector<std::vector<unsigned char>> PackBoardTexts(std::span<const BoardEntry> entries, unsigned threads) {
  std::vector<std::vector<unsigned char>> blocks(entries.size());
  std::size_t textBytes = 0;
  std::size_t textCount = 0;
  for (const BoardEntry& entry : entries) {
    if (!IsText(entry)) continue;
    textBytes += entry.content.size();
    ++textCount;
  }
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = std::min<std::size_t>({threads, MaxPackThreads, textCount});
  if (textBytes < ParallelTextBytes) threads = 1;

  std::atomic<std::size_t> next{0};
  auto work = [&]() noexcept {
    for (std::size_t i = next++; i < entries.size(); i = next++) {
      if (IsText(entries[i])) blocks[i] = PackBoardText(entries[i].content);
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer helpers: every text is still packed
    } catch (const std::bad_alloc&) {
      break;
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  return blocks;
}
