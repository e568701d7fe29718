// Captured pictures are written in the background: the row shows first, and everything that reads,
// copies or deletes item files sees the picture complete (or not at all).
#include <condition_variable>
#include <mutex>
#include <thread>

#include "store/collection_win.h"
#include "core/file_bytes.h"
#include "exchange/board_export.h"
#include "exchange/board_reader.h"
#include "exchange/save_items.h"
#include "store/picture_writer_win.h"
#include "tests/windows/layer_test_util.h"
#include "tests/windows/load_save_fixture.h"

namespace {

// Keeps the writer busy with a job of its own until opened, so that the pictures queued behind it
// are certainly not written yet.
class WriterGate {
 public:
  explicit WriterGate(const std::string& path) {
    Gate() = this;
    PictureJob job;
    job.name = "gate";
    job.path = path;
    AllocatePixelImage(job.pixels, 1, 1);
    job.encode = [](const PixelImage& pixels, int, std::vector<uint8_t>& out) {
      Gate()->WaitOpen();
      out = pixels.pixels;
      return true;
    };
    PictureWrites.Submit(std::move(job));
  }
  ~WriterGate() {
    Open();
    FinishPictureWrites();
    Gate() = nullptr;
  }
  WriterGate(const WriterGate&) = delete;
  WriterGate& operator=(const WriterGate&) = delete;

  void Open() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      open_ = true;
    }
    opened_.notify_all();
  }
  // Opens the gate from another thread a little later, while this one waits in a reader.
  std::thread OpenLater() {
    return std::thread([this] {
      Sleep(150);
      Open();
    });
  }

 private:
  static WriterGate*& Gate() {
    static WriterGate* gate = nullptr;
    return gate;
  }
  void WaitOpen() {
    std::unique_lock<std::mutex> lock(mutex_);
    opened_.wait(lock, [this] { return open_; });
  }
  std::mutex mutex_;
  std::condition_variable opened_;
  bool open_ = false;
};

// Pixels of a pattern that differs in every row and column, bottom row first as bitmaps give them.
PixelImage Pattern(int width, int height) {
  PixelImage pixels;
  EXPECT_TRUE(AllocatePixelImage(pixels, width, height, true));
  for (int y = 0; y < height; ++y) {
    uint8_t* row = pixels.Row(y);
    for (int x = 0; x < width; ++x) {
      row[x * 3] = static_cast<uint8_t>(x * 7 + y);
      row[x * 3 + 1] = static_cast<uint8_t>(y * 3);
      row[x * 3 + 2] = static_cast<uint8_t>(x ^ y);
    }
  }
  return pixels;
}

bool SamePixels(const PixelImage& a, const PixelImage& b) {
  if (a.width != b.width || a.height != b.height) return false;
  for (int y = 0; y < a.height; ++y) {
    if (!std::equal(a.Row(y), a.Row(y) + a.width * 3, b.Row(y))) return false;
  }
  return true;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class BackgroundPictures : public LoadSaveWindow {
 protected:
  void SetUp() override {
    LoadSaveWindow::SetUp();
    Settings.CompressImages = 1;
    Settings.ItemLimit = 20;
    Settings.NewItemsChecked = 1;
  }
  // Later suites find an empty store and a writer at rest.
  void TearDown() override { ResetCollection(""); }

  // Captures a picture of the pattern as a loaded file would be; its name.
  static std::string CapturePattern(int width, int height) {
    CaptureEntry(ImageFromPixels(-1, Pattern(width, height)), nullptr);
    return Collection.Items.Count() ? Collection.Items.At(0).name : "";
  }
  static std::string PictureFile(const std::string& name) { return WorkingPath(name + ".bmp"); }
  static PixelImage Decoded(const std::string& path) {
    std::vector<uint8_t> bytes;
    PixelImage pixels;
    EXPECT_TRUE(ReadFileBytes(path, bytes)) << path;
    EXPECT_EQ(DecodeImage(Codecs, bytes.data(), bytes.size(), pixels), DecodeStatus::Ok) << path;
    return pixels;
  }
  static std::string GatePath() { return Folder() + "gate.bin"; }
};

TEST_F(BackgroundPictures, TheRowComesFirstAndThePictureIsCompleteAfterTheWait) {
  for (const int compress : {1, 0}) {
    SCOPED_TRACE(compress ? "PNG" : "BMP");
    Settings.CompressImages = compress;
    const int before = RowCount(Ui.ItemList);
    std::string name;
    {
      WriterGate gate(GatePath());
      name = CapturePattern(640, 480);
      ASSERT_EQ(RowCount(Ui.ItemList), before + 1);
      EXPECT_TRUE(Exists(WorkingPath(name + ".clt"))) << "the thumbnail is written at once";
      EXPECT_FALSE(Exists(PictureFile(name)));
      EXPECT_FALSE(CollectPictureWrites()) << "items.dat waits for the picture";
    }
    EXPECT_TRUE(CollectPictureWrites());
    // The same bytes the image services write for the picture.
    std::vector<uint8_t> expected, written;
    const PixelImage pattern = Pattern(640, 480);
    ASSERT_TRUE(compress ? EncodePng(pattern, 0, expected) : EncodeBmp(pattern, 0, expected));
    ASSERT_TRUE(ReadFileBytes(PictureFile(name), written));
    EXPECT_TRUE(written == expected);
    if (compress) {
      EXPECT_TRUE(SamePixels(Decoded(PictureFile(name)), pattern));
    }
    EXPECT_FALSE(Exists(PictureFile(name) + ".tmp"));
  }
}

TEST_F(BackgroundPictures, PasteSaveAndExportRightAfterACaptureSeeTheWholePicture) {
  const PixelImage pattern = Pattern(300, 200);
  {
    WriterGate gate(GatePath());
    CapturePattern(300, 200);
    std::thread opener = gate.OpenLater();
    PutItemToClipboard(Collection.Items.At(0).name);
    opener.join();
    ASSERT_TRUE(OpenClipboard(Main()));
    BITMAP size{};
    const bool bitmap = GetObjectA(GetClipboardData(CF_BITMAP), sizeof size, &size) != 0;
    CloseClipboard();
    ASSERT_TRUE(bitmap) << "the picture went on the clipboard";
    EXPECT_EQ(size.bmWidth, 300);
    EXPECT_EQ(size.bmHeight, 200);
  }
  {
    WriterGate gate(GatePath());
    CapturePattern(300, 200);
    std::thread opener = gate.OpenLater();
    SaveImageItemAs(Collection.Items.At(0).name, Folder() + "saved.png", 2);
    opener.join();
    EXPECT_TRUE(SamePixels(Decoded(Folder() + "saved.png"), pattern));
  }
  {
    WriterGate gate(GatePath());
    const std::string name = CapturePattern(300, 200);
    const std::string path = Folder() + "right after";
    {
      // The gate opens a while after the requester is answered, when the export waits for it.
      WindowWatcher answer("#32770", [path, &gate](HWND dialog) {
        AnswerFileRequester(dialog, path);
        Sleep(200);
        gate.Open();
      });
      ExportBoard();
    }
    Board board;
    ASSERT_TRUE(ReadBoardFile(path + ".ksb", board).Ok());
    ASSERT_EQ(board.entries.size(), 3u);
    EXPECT_EQ(board.entries[0].name, name);
    PixelImage exported;
    ASSERT_EQ(DecodeImage(Codecs, board.entries[0].content.data(), board.entries[0].content.size(), exported),
              DecodeStatus::Ok);
    EXPECT_TRUE(SamePixels(exported, pattern));
  }
}

TEST_F(BackgroundPictures, DeletingAnItemWhosePictureIsQueuedLeavesNoFile) {
  const std::string kept = CapturePattern(40, 30);
  std::string deleted;
  {
    WriterGate gate(GatePath());
    deleted = CapturePattern(50, 40);
    RemoveItem(deleted);
  }
  FinishPictureWrites();
  EXPECT_EQ(Collection.Items.Count(), 1);
  EXPECT_FALSE(Exists(PictureFile(deleted)));
  EXPECT_FALSE(Exists(WorkingPath(deleted + ".clt")));
  EXPECT_EQ(FilesIn(WorkingDirectory() + "\\"), (std::vector<std::string>{kept + ".bmp", kept + ".clt"}));
}

TEST_F(BackgroundPictures, APictureThatCannotBeWrittenTakesItsItemBack) {
  const std::string text = "stays";
  CaptureEntry(0, &text);
  std::string name;
  {
    WriterGate gate(GatePath());
    name = CapturePattern(64, 64);
    // A folder where the picture's temporary file would go: the write fails.
    ASSERT_TRUE(CreateDirectoryA((PictureFile(name) + ".tmp").c_str(), nullptr));
  }
  ASSERT_EQ(Collection.Items.Count(), 2) << "withdrawn only by the main loop at rest, never inside an operation";
  EXPECT_TRUE(CollectPictureWrites());
  RemoveDirectoryA((PictureFile(name) + ".tmp").c_str());
  ASSERT_EQ(Collection.Items.Count(), 1);
  EXPECT_EQ(Collection.Items.At(0).kind, TextItem);
  ASSERT_EQ(RowCount(Ui.ItemList), 1);
  EXPECT_FALSE(Exists(WorkingPath(name + ".clt")));
  EXPECT_FALSE(Exists(PictureFile(name)));
  CapturePattern(10, 10);
  FinishPictureWrites();
  EXPECT_TRUE(CollectPictureWrites());
  EXPECT_EQ(Collection.Items.Count(), 2);
}

TEST_F(BackgroundPictures, ManyCapturesInARowKeepTheirOrderAndAllTheirFiles) {
  for (int i = 0; i < 12; ++i) CapturePattern(100 + i, 50 + i);
  ASSERT_EQ(RowCount(Ui.ItemList), 12);
  FinishPictureWrites();
  EXPECT_TRUE(CollectPictureWrites());
  for (int row = 0; row < 12; ++row) {
    const int i = 11 - row;  // newest first
    EXPECT_TRUE(SamePixels(Decoded(PictureFile(Collection.Items.At(row).name)), Pattern(100 + i, 50 + i))) << row;
  }
  // Under a low item limit the trimmed items' pictures, queued or not, leave nothing behind.
  ResetCollection("");
  Settings.ItemLimit = 3;
  {
    WriterGate gate(GatePath());
    for (int i = 0; i < 8; ++i) CapturePattern(20 + i, 20);
  }
  ASSERT_EQ(Collection.Items.Count(), 3);
  std::vector<std::string> expected;
  for (int row = 0; row < 3; ++row) {
    expected.push_back(Collection.Items.At(row).name + ".bmp");
    expected.push_back(Collection.Items.At(row).name + ".clt");
    EXPECT_EQ(Decoded(PictureFile(Collection.Items.At(row).name)).width, 27 - row);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FilesIn(WorkingDirectory() + "\\"), expected);
}

}  // namespace

