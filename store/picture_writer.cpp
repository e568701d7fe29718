#include "store/picture_writer.h"

#include <utility>

#include "core/file_bytes.h"

bool WritePictureJob(const PictureJob& job) {
  if (!job.encode || job.path.empty()) return false;
  std::vector<uint8_t> bytes;
  if (!job.encode(job.pixels, job.quality, bytes)) return false;
  return WriteFileReplacing(job.path, bytes);
}

PictureWriter::PictureWriter(size_t queueBytes) : queueBytes_(queueBytes) {}

PictureWriter::~PictureWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void PictureWriter::Submit(PictureJob job) {
  std::unique_lock<std::mutex> lock(mutex_);
  // Started here rather than in the constructor: a program-wide writer then costs no thread
  // until the first picture, and none in programs that never capture one.
  if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  progress_.wait(lock, [this] { return queue_.empty() || queuedBytes_ < queueBytes_; });
  queuedBytes_ += job.pixels.pixels.size();
  queue_.push_back(std::move(job));
  lock.unlock();
  work_.notify_one();
}

void PictureWriter::WaitAll() {
  std::unique_lock<std::mutex> lock(mutex_);
  progress_.wait(lock, [this] { return Idle(); });
}

void PictureWriter::Cancel(const std::string& name) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (auto job = queue_.begin(); job != queue_.end();) {
    if (job->name == name) {
      queuedBytes_ -= job->pixels.pixels.size();
      job = queue_.erase(job);
    } else {
      ++job;
    }
  }
  progress_.wait(lock, [this, &name] { return !writingNow_ || writing_ != name; });
  lock.unlock();
  // A waiting Submit may fit now.
  progress_.notify_all();
}

void PictureWriter::CancelAll() {
  std::unique_lock<std::mutex> lock(mutex_);
  queue_.clear();
  queuedBytes_ = 0;
  progress_.wait(lock, [this] { return !writingNow_; });
  failures_.clear();
  lock.unlock();
  progress_.notify_all();
}

std::vector<std::string> PictureWriter::TakeFailures() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(failures_, {});
}

bool PictureWriter::Busy() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !Idle() || !failures_.empty();
}

void PictureWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;  // stopping, and everything queued is written
    PictureJob job = std::move(queue_.front());
    queue_.pop_front();
    queuedBytes_ -= job.pixels.pixels.size();
    writing_ = job.name;
    writingNow_ = true;
    lock.unlock();
    progress_.notify_all();
    const bool written = WritePictureJob(job);
    job = PictureJob{};  // the pixels go before the lock is taken again
    lock.lock();
    if (!written) failures_.push_back(writing_);
    writingNow_ = false;
    progress_.notify_all();
  }
}
