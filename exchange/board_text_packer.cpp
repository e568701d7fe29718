#include "exchange/board_text_packer.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <system_error>
#include <thread>

#include "exchange/pack/pack.h"

namespace {

// Below this much data, starting threads costs more than it saves.
constexpr std::size_t ParallelPackBytes = 64 * 1024;
// More threads than this only add memory: each packer holds about 3 MB of work memory.
constexpr unsigned MaxPackThreads = 8;

bool IsText(const BoardEntry& entry) { return entry.kind == BoardKindText && !entry.content.empty(); }

// One block to pack: where its input is, whether it is an extra, and where the block goes.
struct PackJob {
  std::span<const unsigned char> text;
  const ItemExtra* extra = nullptr;
  PackedBlock* block = nullptr;
};

void PackInParallel(std::span<const PackJob> jobs, unsigned threads) {
  std::size_t bytes = 0;
  for (const PackJob& job : jobs) bytes += job.extra ? job.extra->bytes.size() : job.text.size();
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = std::min<std::size_t>({threads, MaxPackThreads, jobs.size()});
  if (bytes < ParallelPackBytes) threads = 1;

  std::atomic<std::size_t> next{0};
  auto work = [&]() noexcept {
    for (std::size_t i = next++; i < jobs.size(); i = next++) {
      const PackJob& job = jobs[i];
      *job.block = job.extra ? PackBoardExtra(*job.extra) : PackBoardText(job.text);
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(work);
    } catch (const std::system_error&) {
      break;  // fewer helpers: every block is still packed
    } catch (const std::bad_alloc&) {
      break;
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
}

void AddTextJobs(std::span<const BoardEntry> entries, std::vector<PackedBlock>& blocks, std::vector<PackJob>& jobs) {
  blocks.resize(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (IsText(entries[i])) jobs.push_back({entries[i].content, nullptr, &blocks[i]});
  }
}

}  // namespace

PackedBlock PackBoardText(std::span<const unsigned char> text) {
  PackedBlock block;
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

PackedBlock PackBoardExtra(const ItemExtra& extra) {
  if (extra.kind == ExtraKind::AlphaPicture) return {};
  PackedBlock block = PackBoardText(extra.bytes);
  if (block.size() >= extra.bytes.size()) return {};
  return block;
}

std::vector<PackedBlock> PackBoardTexts(std::span<const BoardEntry> entries, unsigned threads) {
  std::vector<PackedBlock> blocks;
  std::vector<PackJob> jobs;
  AddTextJobs(entries, blocks, jobs);
  PackInParallel(jobs, threads);
  return blocks;
}

PackedBoardBlocks PackBoardBlocks(std::span<const BoardEntry> entries, unsigned threads) {
  PackedBoardBlocks blocks;
  std::vector<PackJob> jobs;
  AddTextJobs(entries, blocks.texts, jobs);
  blocks.extras.resize(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::vector<ItemExtra>& extras = entries[i].extras;
    blocks.extras[i].resize(extras.size());
    for (std::size_t k = 0; k < extras.size(); ++k) {
      // Pictures are stored as they are: no job, the block stays empty.
      if (extras[k].kind != ExtraKind::AlphaPicture) jobs.push_back({{}, &extras[k], &blocks.extras[i][k]});
    }
  }
  PackInParallel(jobs, threads);
  return blocks;
}
