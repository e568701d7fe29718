#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "exchange/image/image_codecs.h"
#include "store/picture_writer.h"
#include "tests/native/native_test_files.h"

namespace {

// Holds the writer inside its encoder until the test opens it, and logs the widths it encoded.
struct Gate {
  std::mutex mutex;
  std::condition_variable opened;
  bool open = true;
  int entered = 0;  // encodings begun
  std::vector<int> encoded;

  void Close() {
    std::lock_guard<std::mutex> lock(mutex);
    open = false;
  }
  void Open() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      open = true;
    }
    opened.notify_all();
  }
};
Gate TheGate;

// The pixels' bytes as they are, once the gate lets the writer through.
bool GatedEncode(const PixelImage& image, int, std::vector<uint8_t>& out) {
  std::unique_lock<std::mutex> lock(TheGate.mutex);
  ++TheGate.entered;
  TheGate.opened.wait(lock, [] { return TheGate.open; });
  TheGate.encoded.push_back(image.width);
  out = image.pixels;
  return true;
}

PixelImage Picture(int width, int height) {
  PixelImage image;
  EXPECT_TRUE(AllocatePixelImage(image, width, height, true));
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint8_t>(i * 31 + width);
  return image;
}

PictureJob Job(const std::string& name, const std::string& path, PixelImage pixels,
               PictureEncoder encode = GatedEncode) {
  PictureJob job;
  job.name = name;
  job.path = path;
  job.pixels = std::move(pixels);
  job.encode = encode;
  return job;
}

// Waits until the writer has begun `count` gated encodings.
void WaitUntilEntered(int count) {
  for (int i = 0; i < 10000; ++i) {
    {
      std::lock_guard<std::mutex> lock(TheGate.mutex);
      if (TheGate.entered >= count) return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// True when `done` becomes true within the time (generous: sanitizers on a loaded machine).
bool Becomes(const std::atomic<bool>& done, int milliseconds = 10000) {
  for (int i = 0; i < milliseconds && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return done;
}

class PictureWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheGate.Open();
    TheGate.entered = 0;
    TheGate.encoded.clear();
  }
  void TearDown() override { TheGate.Open(); }
  TempFolder folder;
};

TEST_F(PictureWriterTest, FilesAreTheEncodersBytesInSubmissionOrderAndCompleteAfterWaitAll) {
  PictureWriter writer;
  const PixelImage png = Picture(300, 200), bmp = Picture(17, 5);
  std::vector<uint8_t> expectedPng, expectedBmp;
  ASSERT_TRUE(EncodePng(png, 0, expectedPng));
  ASSERT_TRUE(EncodeBmp(bmp, 0, expectedBmp));
  TheGate.Close();
  writer.Submit(Job("a", folder.File("a.bmp"), png, EncodePng));
  writer.Submit(Job("b", folder.File("b.bmp"), bmp, EncodeBmp));
  for (int width = 1; width <= 6; ++width) {
    writer.Submit(Job("g" + std::to_string(width), folder.File("g" + std::to_string(width)), Picture(width, 2)));
  }
  EXPECT_TRUE(writer.Busy());
  EXPECT_FALSE(Exists(folder.File("g6"))) << "held at the gate";
  TheGate.Open();
  writer.WaitAll();
  EXPECT_FALSE(writer.Busy());
  EXPECT_EQ(TempFolder::Read(folder.File("a.bmp")), expectedPng);
  EXPECT_EQ(TempFolder::Read(folder.File("b.bmp")), expectedBmp);
  EXPECT_EQ(TheGate.encoded, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(TempFolder::Read(folder.File("g6")), Picture(6, 2).pixels);
  for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    EXPECT_NE(entry.path().extension(), ".tmp") << "no temporary file stays behind";
  }
  EXPECT_TRUE(writer.TakeFailures().empty());
}

TEST_F(PictureWriterTest, FailuresAreReportedOnceAndLeaveNoFile) {
  PictureWriter writer;
  const auto refuse = [](const PixelImage&, int, std::vector<uint8_t>&) { return false; };
  writer.Submit(Job("folder gone", folder.File("missing/x.bmp"), Picture(4, 4)));
  writer.Submit(Job("cannot encode", folder.File("y.bmp"), Picture(4, 4), refuse));
  writer.Submit(Job("fine", folder.File("z.bmp"), Picture(4, 4)));
  writer.WaitAll();
  EXPECT_TRUE(writer.Busy()) << "until the failures are taken";
  EXPECT_EQ(writer.TakeFailures(), (std::vector<std::string>{"folder gone", "cannot encode"}));
  EXPECT_FALSE(writer.Busy());
  EXPECT_TRUE(writer.TakeFailures().empty());
  EXPECT_FALSE(Exists(folder.File("y.bmp")));
  EXPECT_FALSE(Exists(folder.File("y.bmp.tmp")));
  EXPECT_TRUE(Exists(folder.File("z.bmp")));
}

TEST_F(PictureWriterTest, CancelDropsQueuedPicturesAndWaitsForTheOneBeingWritten) {
  PictureWriter writer;
  TheGate.Close();
  writer.Submit(Job("running", folder.File("running"), Picture(1, 1)));
  WaitUntilEntered(1);
  writer.Submit(Job("queued", folder.File("queued"), Picture(2, 1)));
  writer.Submit(Job("other", folder.File("other"), Picture(3, 1)));
  writer.Cancel("queued");
  std::atomic<bool> cancelled{false};
  std::thread canceller([&] {
    writer.Cancel("running");
    cancelled = true;
  });
  EXPECT_FALSE(Becomes(cancelled, 300)) << "the picture being written is waited for";
  TheGate.Open();
  EXPECT_TRUE(Becomes(cancelled));
  canceller.join();
  EXPECT_TRUE(Exists(folder.File("running"))) << "written before Cancel returned, so the caller can delete it";
  writer.WaitAll();
  EXPECT_FALSE(Exists(folder.File("queued")));
  EXPECT_TRUE(Exists(folder.File("other")));
  EXPECT_EQ(TheGate.encoded, (std::vector<int>{1, 3}));
}

TEST_F(PictureWriterTest, CancelAllDropsTheQueueAndForgetsFailures) {
  PictureWriter writer;
  writer.Submit(Job("failed", folder.File("missing/f"), Picture(1, 1)));
  writer.WaitAll();
  TheGate.Close();
  writer.Submit(Job("running", folder.File("running"), Picture(1, 1)));
  writer.Submit(Job("queued", folder.File("queued"), Picture(2, 1)));
  WaitUntilEntered(2);
  std::thread opener([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    TheGate.Open();
  });
  writer.CancelAll();
  opener.join();
  EXPECT_FALSE(writer.Busy());
  EXPECT_TRUE(writer.TakeFailures().empty());
  EXPECT_TRUE(Exists(folder.File("running")));
  EXPECT_FALSE(Exists(folder.File("queued")));
}

TEST_F(PictureWriterTest, SubmitWaitsWhileTheQueueHoldsTooManyPixels) {
  PictureWriter writer(1);
  TheGate.Close();
  writer.Submit(Job("taken", folder.File("taken"), Picture(1, 1)));
  // The worker takes the first job, so that the second one waits in the queue.
  WaitUntilEntered(1);
  writer.Submit(Job("queued", folder.File("queued"), Picture(2, 1)));
  std::atomic<bool> submitted{false};
  std::thread submitter([&] {
    writer.Submit(Job("third", folder.File("third"), Picture(3, 1)));
    submitted = true;
  });
  EXPECT_FALSE(Becomes(submitted, 300)) << "a full queue holds the submitter back";
  TheGate.Open();
  EXPECT_TRUE(Becomes(submitted));
  submitter.join();
  writer.WaitAll();
  EXPECT_TRUE(Exists(folder.File("third")));
}

TEST_F(PictureWriterTest, EndingTheWriterWritesWhatIsQueued) {
  {
    PictureWriter writer;
    for (int width = 1; width <= 3; ++width) {
      writer.Submit(Job("p" + std::to_string(width), folder.File("p" + std::to_string(width)), Picture(width, 1)));
    }
  }
  for (int width = 1; width <= 3; ++width) EXPECT_TRUE(Exists(folder.File("p" + std::to_string(width))));
}

}  // namespace
