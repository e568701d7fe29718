// Pixel memory for captured pictures, and a spare of it made ahead.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// A bitmap over pixel memory of its own (32 bits a pixel, top row first) that a capture copies
// a clipboard picture into.
struct PicturePixels {
  HBITMAP bitmap = nullptr;
  void* bits = nullptr;  // the bitmap's pixels
  int width = 0;
  int height = 0;
};

// A bitmap of that size, its pixels black; false (and nothing made) when it cannot be.
bool MakePicturePixels(int width, int height, PicturePixels& picture);
// Deletes the bitmap and its pixels.
void DeletePicturePixels(PicturePixels& picture);

// Fresh pixel memory is slow to write the first time (every page is faulted in, under Wine by far
// the largest part of copying a screenshot). After a capture a spare picture of the same size is
// made on a thread of its own and written once, so the next capture of that size copies into
// memory that is ready, while the clipboard is held. A spare nobody took is let go after a while,
// so an idle program does not keep a screenful of memory for nothing. The first capture of a size
// still gets fresh memory.
class SparePictureMaker {
 public:
  static constexpr std::chrono::milliseconds DefaultKeep{60000};
  // The spare is made this long after it was asked for, so that the capture that asked finishes
  // its item first.
  static constexpr std::chrono::milliseconds DefaultDelay{100};
  explicit SparePictureMaker(std::chrono::milliseconds keep = DefaultKeep,
                             std::chrono::milliseconds delay = DefaultDelay);
  // Drops the spare and ends the thread.
  ~SparePictureMaker();
  SparePictureMaker(const SparePictureMaker&) = delete;
  SparePictureMaker& operator=(const SparePictureMaker&) = delete;

  // A spare of that size is to be made (the thread starts with the first one); it replaces a
  // spare of another size. Returns at once.
  void Prepare(int width, int height);
  // Takes the spare when it is ready and of that size; false otherwise, without waiting.
  bool Take(int width, int height, PicturePixels& picture);
  // True while a spare is ready to be taken.
  bool HasSpare() const;

 private:
  void Run();

  const std::chrono::milliseconds keep_;
  const std::chrono::milliseconds delay_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  PicturePixels spare_;
  int wantedWidth_ = 0;  // the size asked for and not yet made; 0 for none
  int wantedHeight_ = 0;
  bool stopping_ = false;
  std::thread thread_;
};

extern SparePictureMaker SparePictures;
