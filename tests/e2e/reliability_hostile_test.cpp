// Hostile files: boards, items.dat and prefs.dat made to break the program or to reach outside
// its working directory. The program starts and runs, writes nothing outside "Clipboard", and a
// refused board leaves the collection as it was.
#include <windows.h>
#include <psapi.h>
#include <zlib.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "exchange/pack/block_format.h"
#include "exchange/pack/pack.h"
#include "tests/e2e/capture_support.h"
#include "tools/driver/reliability_driver.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Int(Bytes& bytes, int64_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(bits >> shift));
}
void Str(Bytes& bytes, const std::string& text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(0);
}
void Raw(Bytes& bytes, const Bytes& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }
Bytes Of(const std::string& text) { return {text.begin(), text.end()}; }

Bytes BoardHeader(int32_t limit, int64_t count) {
  Bytes bytes;
  Str(bytes, "kepsilfilev1");
  Int(bytes, limit);
  Int(bytes, count);
  return bytes;
}
// A text entry stored unpacked, with a small made-up thumbnail unless one is given.
void TextEntry(Bytes& bytes, const std::string& name, const std::string& text, const Bytes& thumbnail = {1, 2, 3, 4}) {
  Int(bytes, 1);
  Int(bytes, 0);
  Str(bytes, name);
  Int(bytes, static_cast<int64_t>(text.size()));
  Int(bytes, 0);
  Raw(bytes, Of(text));
  Int(bytes, static_cast<int64_t>(thumbnail.size()));
  Raw(bytes, thumbnail);
}
Bytes BoardWithOneText(const std::string& name, const std::string& text) {
  Bytes bytes = BoardHeader(20, 1);
  TextEntry(bytes, name, text);
  return bytes;
}

Bytes PackedBlock(const std::string& text) {
  Bytes block(PackBound(text.size()));
  const size_t size = pack(reinterpret_cast<const unsigned char*>(text.data()), text.size(), block.data(),
                           block.size(), PackMaxLevel);
  block.resize(size);
  return block;
}
// A text entry whose packed block and stated lengths are given as they are.
Bytes BoardWithPackedText(int64_t textLength, int64_t packedLength, const Bytes& block) {
  Bytes bytes = BoardHeader(20, 1);
  Int(bytes, 1);
  Int(bytes, 0);
  Str(bytes, "07122026-120000-1");
  Int(bytes, textLength);
  Int(bytes, packedLength);
  Raw(bytes, block);
  Int(bytes, 0);
  return bytes;
}

void BigEndian(Bytes& bytes, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<unsigned char>(value >> shift));
}

void Chunk(Bytes& png, const char* type, const Bytes& data) {
  BigEndian(png, static_cast<uint32_t>(data.size()));
  const size_t typeAt = png.size();
  png.insert(png.end(), type, type + 4);
  Raw(png, data);
  BigEndian(png, static_cast<uint32_t>(crc32(0, png.data() + typeAt, static_cast<uInt>(data.size() + 4))));
}

// Raw deflate of `size` zeros, after the 32 KiB of zeros before them unless it is the first piece.
Bytes DeflatedZeros(size_t size, bool first, bool last) {
  static const Bytes zeros(size_t{1} << 20, 0);
  z_stream stream{};
  deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  if (!first) deflateSetDictionary(&stream, zeros.data(), 32768);
  Bytes out(deflateBound(&stream, static_cast<uLong>(size)) + 16);
  stream.next_in = const_cast<Bytef*>(zeros.data());
  stream.avail_in = static_cast<uInt>(size);
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// An 8-bit RGB PNG whose header says width × height and whose data inflates to every one of its
// rows, all zeros: 3.2 GB for 32767 × 32767 in a file of about 3 MB. Every megabyte of zeros but
// the first and the last deflates to the same bytes, so the stream is one piece repeated.
Bytes PngOfZeros(uint32_t width, uint32_t height) {
  constexpr size_t Piece = size_t{1} << 20;
  const uint64_t raw = (uint64_t{width} * 3 + 1) * height;
  const uint64_t pieces = (raw + Piece - 1) / Piece;
  const Bytes middle = DeflatedZeros(Piece, false, false);
  Bytes data = {0x78, 0xDA};
  Raw(data, DeflatedZeros(Piece, true, false));
  for (uint64_t i = 1; i + 1 < pieces; ++i) Raw(data, middle);
  Raw(data, DeflatedZeros(static_cast<size_t>(raw - (pieces - 1) * Piece), false, true));
  // Adler-32 of n zeros: the first sum stays 1, the second is n.
  BigEndian(data, static_cast<uint32_t>(raw % 65521) << 16 | 1);

  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  BigEndian(header, width);
  BigEndian(header, height);
  Raw(header, {8, 2, 0, 0, 0});
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", data);
  Chunk(png, "IEND", {});
  return png;
}

std::map<std::string, Bytes> HostileBoards() {
  std::map<std::string, Bytes> boards;
  boards["parent.ksb"] = BoardWithOneText("..\\escaped", "up one");
  boards["grandparent.ksb"] = BoardWithOneText("..\\..\\escaped", "up two");
  boards["slash.ksb"] = BoardWithOneText("../escaped", "up with a slash");
  boards["absolute.ksb"] = BoardWithOneText("C:\\escaped", "anywhere");
  boards["subfolder.ksb"] = BoardWithOneText("sub\\escaped", "below");
  boards["device.ksb"] = BoardWithOneText("CON", "a device");
  boards["stream.ksb"] = BoardWithOneText("name:stream", "a stream");
  boards["longname.ksb"] = BoardWithOneText(std::string(5000, 'n'), "a long name");

  // The second entry leads outside: the first must not be written either.
  Bytes second = BoardHeader(20, 2);
  TextEntry(second, "07122026-120000-2", "harmless");
  TextEntry(second, "..\\escaped", "harmful");
  boards["second-escapes.ksb"] = second;

  Bytes count = BoardHeader(20, 0x7FFFFFFF);
  TextEntry(count, "07122026-120000-3", "one of many");
  boards["count.ksb"] = count;
  boards["negative-count.ksb"] = BoardHeader(20, -1);

  Bytes textLength = BoardHeader(20, 1);
  Int(textLength, 1);
  Int(textLength, 0);
  Str(textLength, "07122026-120000-4");
  Int(textLength, 0x7FFFFFF0);
  Int(textLength, 0);
  Raw(textLength, Of("short"));
  boards["text-length.ksb"] = textLength;

  Bytes negative = BoardHeader(20, 1);
  Int(negative, 1);
  Int(negative, 0);
  Str(negative, "07122026-120000-5");
  Int(negative, -1);
  Int(negative, 0);
  boards["negative-length.ksb"] = negative;

  Bytes thumbnail = BoardHeader(20, 1);
  Int(thumbnail, 0);
  Int(thumbnail, 0);
  Str(thumbnail, "07122026-120000-6");
  Int(thumbnail, 3);
  Raw(thumbnail, {0x89, 'P', 'N'});
  Int(thumbnail, 0x7FFFFFFF);
  boards["thumbnail-length.ksb"] = thumbnail;

  Bytes kind = BoardWithOneText("07122026-120000-7", "odd kind");
  kind[13 + 8] = 7;  // the entry's kind
  boards["kind.ksb"] = kind;

  // Cut inside the header, the name, the text and the thumbnail.
  const Bytes whole = BoardWithOneText("07122026-120000-8", "a text cut short");
  for (size_t cut : {size_t{16}, size_t{30}, size_t{50}, whole.size() - 2}) {
    boards["cut-" + std::to_string(cut) + ".ksb"] = Bytes(whole.begin(), whole.begin() + static_cast<long>(cut));
  }

  std::string text;
  for (int i = 0; i < 300; ++i) text += "packed text " + std::to_string(i % 7) + " ";
  const Bytes block = PackedBlock(text);
  const auto size = static_cast<int64_t>(text.size());
  const auto packed = static_cast<int64_t>(block.size());
  // The board's packed length runs past the file, or stops inside the stream.
  boards["packed-past-end.ksb"] = BoardWithPackedText(size, packed + 1000, block);
  boards["packed-cut.ksb"] = BoardWithPackedText(size, packed - 8, Bytes(block.begin(), block.end() - 8));
  // The board promises another length than the block holds.
  boards["packed-longer.ksb"] = BoardWithPackedText(size + 100, packed, block);
  boards["packed-shorter.ksb"] = BoardWithPackedText(size - 100, packed, block);
  // The block's own header lies about its unpacked length.
  for (int64_t stated : {size / 2, size * 2}) {
    Bytes lying = block;
    WriteLe32(lying.data() + 2, static_cast<uint32_t>(stated));
    boards["block-says-" + std::to_string(stated) + ".ksb"] = BoardWithPackedText(stated, packed, lying);
  }
  // A stream with bytes flipped in the middle.
  Bytes flipped = block;
  for (size_t i = PackHeaderSize + 4; i < flipped.size(); i += 5) flipped[i] = static_cast<unsigned char>(~flipped[i]);
  boards["packed-flipped.ksb"] = BoardWithPackedText(size, packed, flipped);
  return boards;
}

class HostileFiles : public CaptureRun {
 protected:
  // The files of the working directory with their contents.
  std::map<std::string, Bytes> WorkingContents() {
    std::map<std::string, Bytes> contents;
    for (const std::string& file : FilesIn(app_.WorkingDirectory())) {
      ReadFileContents(app_.WorkingFile(file), contents[file]);
    }
    return contents;
  }
  // Everything in the program's folder except the working directory.
  std::vector<TreeEntry> Outside() {
    std::vector<TreeEntry> tree = TreeOf(app_.Folder());
    std::erase_if(tree, [](const TreeEntry& entry) { return entry.path.rfind("Clipboard\\", 0) == 0; });
    return tree;
  }
  // Names a hostile file could reach beyond the program's folder.
  static std::vector<std::string> FartherPlaces(const std::string& folder) {
    std::string parent = folder.substr(0, folder.size() - 1);
    parent = parent.substr(0, parent.rfind('\\') + 1);
    return {parent + "escaped", parent + "escaped.txt", parent + "escaped.clt", "C:\\escaped",
            "C:\\escaped.txt", "C:\\escaped.clt"};
  }
  void ExpectNothingFarther() {
    for (const std::string& place : FartherPlaces(app_.Folder())) EXPECT_FALSE(FileExists(place)) << place;
  }
  // The program still captures.
  void ExpectCaptureWorks(const std::string& text, int rowsAfter) {
    ASSERT_TRUE(PutClipboardText(text));
    ASSERT_TRUE(WaitForRows(rowsAfter)) << ListRowCount(List());
  }
};

TEST_F(HostileFiles, RefusedBoardsLeaveTheCollectionAndEverythingElseAlone) {
  WriteItems(ThreeItems());
  const std::map<std::string, Bytes> boards = HostileBoards();
  for (const auto& [name, bytes] : boards) ASSERT_TRUE(WriteFileContents(app_.Folder() + name, bytes));
  StartWithDefaults();
  ASSERT_TRUE(WaitForRows(3));
  // Let items.dat and prefs.dat settle first: they may be rewritten with the same contents.
  Sleep(1500);
  const std::map<std::string, Bytes> working = WorkingContents();
  const std::vector<TreeEntry> outside = Outside();

  for (const auto& [name, bytes] : boards) {
    SCOPED_TRACE(name);
    ASSERT_NE(SendBoardHandOff(app_.Folder() + name), 0) << "the program stopped answering";
    // The board is read on the loop's next pass, which says that it was refused.
    ASSERT_TRUE(AnswerMessage("Info")) << "no message that the board was not read";
    ASSERT_TRUE(WaitForPostedMessages(Main())) << "the program stopped answering";
    ASSERT_TRUE(app_.IsRunning());
    EXPECT_EQ(ListRowCount(List()), 3);
  }
  Sleep(1500);
  EXPECT_EQ(WorkingContents(), working);
  EXPECT_EQ(Outside(), outside);
  ExpectNothingFarther();

  // A sound board is still taken, so the refusals were the boards' own.
  const Bytes sound = BoardWithOneText("07122026-120000-9", "a sound board");
  ASSERT_TRUE(WriteFileContents(app_.Folder() + "sound.ksb", sound));
  ASSERT_NE(SendBoardHandOff(app_.Folder() + "sound.ksb"), 0);
  ASSERT_TRUE(WaitForRows(1));
  EXPECT_EQ(TextOf("07122026-120000-9"), "a sound board");
}

// A board's thumbnail that unpacks to gigabytes costs the program nothing: the row shows no
// thumbnail, the other items come in, and the program answers and captures as before.
TEST_F(HostileFiles, ThumbnailOfGigabytesCostsNoMemory) {
  Bytes board = BoardHeader(20, 3);
  TextEntry(board, "07122026-120000-1", "before the hostile thumbnail");
  TextEntry(board, "07122026-120000-2", "with the hostile thumbnail", PngOfZeros(32767, 32767));
  TextEntry(board, "07122026-120000-3", "after the hostile thumbnail");
  ASSERT_GT(board.size(), size_t{2} << 20);
  ASSERT_TRUE(WriteFileContents(app_.Folder() + "hostile.ksb", board));
  StartWithDefaults();

  ASSERT_NE(SendBoardHandOff(app_.Folder() + "hostile.ksb"), 0);
  ASSERT_TRUE(WaitForRows(3));
  // Every row is drawn, so every thumbnail is read.
  RedrawWindow(List(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_TRUE(WaitForPostedMessages(Main())) << "the program stopped answering";
  Sleep(1000);
  ASSERT_TRUE(WaitForPostedMessages(Main())) << "the program stopped answering";
  PROCESS_MEMORY_COUNTERS memory{};
  ASSERT_TRUE(K32GetProcessMemoryInfo(app_.Handle(), &memory, sizeof memory));
  ASSERT_GT(memory.PeakWorkingSetSize, 0u);
  EXPECT_LT(memory.PeakWorkingSetSize, size_t{600} << 20);

  EXPECT_EQ(TextOf("07122026-120000-1"), "before the hostile thumbnail");
  EXPECT_EQ(TextOf("07122026-120000-2"), "with the hostile thumbnail");
  EXPECT_EQ(TextOf("07122026-120000-3"), "after the hostile thumbnail");
  ExpectCaptureWorks("after the hostile thumbnail", 4);
}

TEST_F(HostileFiles, DamagedItemsFileStartsWithTheSafeRecordsOnly) {
  WriteItems({{1, 1, "07122026-101502-200"}});
  Bytes items;
  Int(items, 0x7FFFFFFF);  // far more than follow
  Int(items, 1);
  Int(items, 0);
  Str(items, "07122026-101502-200");
  Int(items, 1);
  Int(items, 0);
  Str(items, "..\\escaped");
  Int(items, 0);
  Int(items, 1);
  Str(items, "C:\\escaped");
  Int(items, 9);  // unknown kind
  Int(items, 0);
  Str(items, "07122026-101503-300");
  Int(items, 1);  // cut inside the record
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("items.dat"), items));
  const std::vector<TreeEntry> outside = Outside();

  StartProgram();
  ASSERT_TRUE(WaitForRows(1));
  ExpectCaptureWorks("after a damaged items.dat", 2);
  const StoredItems stored = ExitAndReadItems();
  ASSERT_EQ(stored.items.size(), 2u);
  EXPECT_EQ(stored.items[1].name, "07122026-101502-200");
  EXPECT_EQ(Outside(), outside);
  ExpectNothingFarther();
}

TEST_F(HostileFiles, GarbageItemsFileStartsEmpty) {
  MakeWorkingDirectory();
  Bytes garbage;
  uint32_t state = 12345;
  for (int i = 0; i < 4096; ++i) {
    state = state * 1103515245u + 12345u;
    garbage.push_back(static_cast<unsigned char>(state >> 16));
  }
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("items.dat"), garbage));
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("prefs.dat"), PrefsFile{}.Bytes()));
  const std::vector<TreeEntry> outside = Outside();
  StartProgram();
  ExpectCaptureWorks("after garbage", ListRowCount(List()) + 1);
  EXPECT_EQ(Outside(), outside);
}

TEST_F(HostileFiles, DamagedPrefsFileStartsWithUsableSettings) {
  PrefsFile absurd;
  absurd.values[PrefsFile::ItemLimit] = -5;
  absurd.values[PrefsFile::WindowX] = 0x7FFFFFFF;
  absurd.values[PrefsFile::WindowY] = -0x7FFFFFFF;
  absurd.values[PrefsFile::WindowHeight] = -100;
  absurd.values[PrefsFile::ListHeight] = 0x7FFFFFFF;
  absurd.values[PrefsFile::CompressImages] = 77;
  absurd.strings[0] = std::string(70000, 'D');
  absurd.strings[4] = "..\\..\\..\\nowhere.ksb";
  Bytes bytes = absurd.Bytes();
  bytes.resize(bytes.size() - 3);  // the last string loses its end
  WritePrefs(PrefsFile{});
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("prefs.dat"), bytes));
  const std::vector<TreeEntry> outside = Outside();

  StartProgram();
  ExpectCaptureWorks("first with damaged prefs", 1);
  // However the limit was bounded, the newest text becomes an item.
  ASSERT_TRUE(PutClipboardText("second with damaged prefs"));
  ASSERT_TRUE(WaitUntil([&] {
    const std::vector<std::string> names = ItemNames();
    return !names.empty() && TextOf(names.back()) == "second with damaged prefs";
  }));
  // The window is reachable on the screen.
  RECT frame{};
  ASSERT_TRUE(GetWindowRect(Main(), &frame));
  EXPECT_LT(frame.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  EXPECT_GT(frame.right, 0);
  EXPECT_GE(frame.top, -10);
  EXPECT_LT(frame.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
  ExitProgram();
  int32_t values[14] = {};
  std::vector<unsigned char> written;
  ASSERT_TRUE(ReadFileContents(app_.WorkingFile("prefs.dat"), written));
  ASSERT_TRUE(PrefsFile::Read(written, values));
  EXPECT_GE(values[PrefsFile::ItemLimit], 1);
  EXPECT_EQ(Outside(), outside);
}

TEST_F(HostileFiles, ShortPrefsFileStartsWithDefaults) {
  MakeWorkingDirectory();
  ASSERT_TRUE(WriteFileContents(app_.WorkingFile("prefs.dat"), {1, 0, 0}));
  const std::vector<TreeEntry> outside = Outside();
  StartProgram();
  ExpectCaptureWorks("with a short prefs.dat", 1);
  ExitProgram();
  EXPECT_EQ(Outside(), outside);
}

}  // namespace
