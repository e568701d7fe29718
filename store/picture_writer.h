// Writes captured pictures to their files on a thread of its own, so that a new item's row shows
// at once while its picture is still being encoded. The writer touches only the pixels and the
// path a job carries: no window, bitmap or program-wide state.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "exchange/image/pixel_image.h"

// Encodes pixels as a whole file (the image codecs' encoder signature); false when it cannot.
using PictureEncoder = bool (*)(const PixelImage& image, int quality, std::vector<uint8_t>& out);

struct PictureJob {
  std::string name;   // the item the file belongs to
  std::string path;   // where the file goes
  PixelImage pixels;  // owned by the job
  PictureEncoder encode = nullptr;
  int quality = 0;
};

// Encodes the job's pixels and writes them through a temporary file beside the target, so that
// the target is either complete or absent. False when nothing was written.
bool WritePictureJob(const PictureJob& job);

// Pixels waiting in the queue beyond this make Submit wait for the writer: dropping a hundred
// large pictures at once must not hold them all in memory.
inline constexpr size_t PictureQueueBytes = size_t{256} << 20;

// One worker thread writing jobs in the order they were submitted. Every call is made from the
// owner's thread; none of them needs that thread to make progress, so none can deadlock it.
class PictureWriter {
 public:
  explicit PictureWriter(size_t queueBytes = PictureQueueBytes);
  // Writes what is queued, then ends the thread.
  ~PictureWriter();
  PictureWriter(const PictureWriter&) = delete;
  PictureWriter& operator=(const PictureWriter&) = delete;

  // Queues a job (the thread starts with the first one). Waits while the queue holds more pixels
  // than the bound and the writer is making progress.
  void Submit(PictureJob job);
  // Returns when every job submitted so far has been written or has failed.
  void WaitAll();
  // After this no file of the item appears any more: its queued jobs are dropped, and a job of
  // it being written is waited for.
  void Cancel(const std::string& name);
  // Drops every queued job, waits for the one being written and forgets the failures.
  void CancelAll();
  // Names of the items whose pictures could not be written since the last call, oldest first.
  std::vector<std::string> TakeFailures();
  // True while a job is queued or being written, or a failure has not been taken.
  bool Busy() const;

 private:
  void Run();
  bool Idle() const { return queue_.empty() && !writingNow_; }

  const size_t queueBytes_;
  mutable std::mutex mutex_;
  std::condition_variable work_;      // the worker waits for jobs
  std::condition_variable progress_;  // the owner waits for jobs to finish
  std::deque<PictureJob> queue_;
  size_t queuedBytes_ = 0;
  bool writingNow_ = false;
  std::string writing_;  // name of the item being written while writingNow_
  bool stopping_ = false;
  std::vector<std::string> failures_;
  std::thread thread_;
};
