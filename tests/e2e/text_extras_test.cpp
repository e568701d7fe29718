// What an item keeps beyond its ANSI text or its bitmap: the text as copied, the rich text and HTML
// offered with it, a picture's transparent original. They are captured with their exact bytes,
// offered again by Return (Shift+Return offers the text alone) and carried through a board.
#include <algorithm>
#include <cstdio>
#include <map>

#include "core/commands.h"
#include "exchange/board_format.h"
#include "exchange/image/alpha_picture.h"
#include "tests/e2e/capture_support.h"
#include "tests/e2e/load_save_support.h"
#include "tools/driver/load_save_requesters.h"

namespace {

const std::wstring kRichText = L"Gr\u00fc\u00dfe \u2192 rich";
const std::string kRichTextUtf8 = "Gr\xc3\xbc\xc3\x9f" "e \xe2\x86\x92 rich";
const std::string kRtf = "{\\rtf1\\ansi\\ansicpg1252 Gr\\'fc\\'dfe \\u8594? {\\b rich}\\par}";

// An "HTML Format" block as browsers offer it: a header with the byte offsets of the document and
// the fragment, then UTF-8 markup.
std::string HtmlBlock(const std::string& fragment) {
  const std::string before = "<html><body><!--StartFragment-->";
  const std::string after = "<!--EndFragment--></body></html>";
  constexpr const char* kHeader = "Version:0.9\r\nStartHTML:%010zu\r\nEndHTML:%010zu\r\n"
                                  "StartFragment:%010zu\r\nEndFragment:%010zu\r\n";
  const auto headerSize =
      static_cast<size_t>(std::snprintf(nullptr, 0, kHeader, size_t{0}, size_t{0}, size_t{0}, size_t{0}));
  const size_t end = headerSize + before.size() + fragment.size() + after.size();
  std::string header(headerSize + 1, '\0');
  std::snprintf(header.data(), header.size(), kHeader, headerSize, end, headerSize + before.size(),
                headerSize + before.size() + fragment.size());
  header.resize(headerSize);
  return header + before + fragment + after;
}
const std::string kHtml = HtmlBlock("Gr\xc3\xbc\xc3\x9f" "e \xe2\x86\x92 <b>rich</b>");

void Place(UINT format, const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) return;
  std::copy_n(static_cast<const char*>(data), size, static_cast<char*>(GlobalLock(memory)));
  GlobalUnlock(memory);
  if (!SetClipboardData(format, memory)) GlobalFree(memory);
}

// Copies as a word processor does: the Unicode text, rich text and HTML, each with its zero.
bool PutRichClipboard() {
  ClipboardGuard clipboard;
  if (!clipboard.Open() || !EmptyClipboard()) return false;
  Place(CF_UNICODETEXT, kRichText.c_str(), (kRichText.size() + 1) * sizeof(wchar_t));
  Place(RegisterClipboardFormatA("Rich Text Format"), kRtf.c_str(), kRtf.size() + 1);
  Place(RegisterClipboardFormatA("HTML Format"), kHtml.c_str(), kHtml.size() + 1);
  return true;
}

// A text block of the clipboard up to its zero, and whether the clipboard offers it at all.
struct Offered {
  bool present = false;
  std::string bytes;
};
Offered ClipboardBlock(UINT format) {
  Offered offered;
  ClipboardGuard clipboard;
  HANDLE data = clipboard.Open() ? GetClipboardData(format) : nullptr;
  const char* chars = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
  if (!chars) return offered;
  offered.present = true;
  offered.bytes.assign(chars, strnlen(chars, GlobalSize(data)));
  GlobalUnlock(data);
  return offered;
}
Offered RichTextOffered() { return ClipboardBlock(RegisterClipboardFormatA("Rich Text Format")); }
Offered HtmlOffered() { return ClipboardBlock(RegisterClipboardFormatA("HTML Format")); }

std::wstring ClipboardUnicode() {
  ClipboardGuard clipboard;
  HANDLE data = clipboard.Open() ? GetClipboardData(CF_UNICODETEXT) : nullptr;
  const wchar_t* chars = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  if (!chars) return {};
  std::wstring text(chars, wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t)));
  GlobalUnlock(data);
  return text;
}

std::vector<unsigned char> FileOf(const KepsilProcess& app, const std::string& name) {
  std::vector<unsigned char> bytes;
  ReadFileContents(app.WorkingFile(name), bytes);
  return bytes;
}

class RichText : public CaptureRun {
 protected:
  // The copy becomes one unchecked item (nothing is deleted after a paste); its name.
  std::string CaptureRichCopy() {
    PrefsFile prefs;
    prefs.values[PrefsFile::NewItemsChecked] = 0;
    StartWith(prefs);
    EXPECT_TRUE(PutRichClipboard());
    EXPECT_TRUE(WaitForRows(1));
    const std::vector<std::string> names = ItemNames();
    return names.empty() ? "" : names[0];
  }
};

TEST_F(RichText, IsKeptWithTheExactBytesAndReturnOffersItAgain) {
  const std::string name = CaptureRichCopy();
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(ItemFiles(), (std::vector<std::string>{name + ".clt", name + ".htm", name + ".rtf", name + ".txt",
                                                   name + ".utf"}));
  EXPECT_EQ(FileOf(app_, name + ".rtf"), Bytes(kRtf));
  EXPECT_EQ(FileOf(app_, name + ".htm"), Bytes(kHtml));
  EXPECT_EQ(FileOf(app_, name + ".utf"), Bytes(kRichTextUtf8));

  ASSERT_TRUE(PutClipboardText("something else"));
  ASSERT_TRUE(WaitForRows(2));
  PressKeyOnRow(1, VK_RETURN);
  ASSERT_TRUE(WaitUntil([] { return ClipboardUnicode() == kRichText; }));
  EXPECT_EQ(RichTextOffered().bytes, kRtf);
  EXPECT_EQ(HtmlOffered().bytes, kHtml);
  EXPECT_TRUE(RowsStay(2));
}

TEST_F(RichText, ShiftReturnPastesTheTextAlone) {
  ASSERT_FALSE(CaptureRichCopy().empty());
  ASSERT_TRUE(PutClipboardText("something else"));
  ASSERT_TRUE(WaitForRows(2));
  SelectRow(1);
  ASSERT_TRUE(BringToFront(Main()));
  // Real key presses: the shortcut sees Shift as the keyboard holds it.
  keybd_event(VK_SHIFT, 0, 0, 0);
  keybd_event(VK_RETURN, 0, 0, 0);
  keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
  keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(WaitUntil([] { return ClipboardUnicode() == kRichText; }));
  EXPECT_NE(ClipboardText(), "");
  EXPECT_FALSE(RichTextOffered().present);
  EXPECT_FALSE(HtmlOffered().present);
}

// A 24 x 16 picture whose left half is opaque red and right half half-transparent blue.
std::vector<unsigned char> TransparentPng() {
  AlphaPicture picture;
  AllocateAlphaPicture(picture, 24, 16);
  for (size_t pixel = 0; pixel < picture.bgra.size() / 4; ++pixel) {
    const bool left = pixel % 24 < 12;
    const uint8_t bgra[4] = {uint8_t(left ? 0 : 220), 0, uint8_t(left ? 200 : 0), uint8_t(left ? 255 : 110)};
    std::copy_n(bgra, 4, picture.bgra.begin() + static_cast<std::ptrdiff_t>(pixel * 4));
  }
  std::vector<uint8_t> png;
  EncodePngWithAlpha(picture, png);
  return {png.begin(), png.end()};
}

class BoardExtras : public ExchangeTest {
 protected:
  // Item files by name, items.dat and prefs.dat left out.
  std::map<std::string, std::vector<unsigned char>> WorkingFiles() {
    std::map<std::string, std::vector<unsigned char>> files;
    for (const std::string& name : FilesIn(app_.WorkingDirectory())) {
      if (name != "items.dat" && name != "prefs.dat") files[name] = FileOf(app_, name);
    }
    return files;
  }
};

TEST_F(BoardExtras, ExportThenImportGivesBackEveryExtraFileByteForByte) {
  // A text with none between them, so that the trailer names the entries it belongs to.
  const std::vector<StoredFiles> items = {
      {1, 0, "07122026-101504-400", Bytes("?????? ?"), ThumbnailPng(200, 100, 100)},
      {1, 1, "07122026-101503-300", Bytes("plain"), ThumbnailPng(100, 200, 100)},
      {0, 0, "07122026-101502-200", GradientBmp(1), ThumbnailPng(100, 100, 200)},
      {1, 0, "07122026-101501-100", Bytes("Gr\xfc\xdf" "e ? rich"), ThumbnailPng(150, 150, 150)},
  };
  const std::map<std::string, std::vector<unsigned char>> extras = {
      // Greek and an emoji outside the BMP.
      {items[0].name + ".utf",
       Bytes("\xce\x9a\xce\xb1\xce\xbb\xce\xb7\xce\xbc\xce\xad\xcf\x81\xce\xb1 \xf0\x9f\x98\x80")},
      {items[2].name + ".png", TransparentPng()},
      {items[3].name + ".utf", Bytes(kRichTextUtf8)},
      {items[3].name + ".rtf", Bytes(kRtf)},
      {items[3].name + ".htm", Bytes(kHtml)},
  };
  WriteCollection(items);
  for (const auto& [name, bytes] : extras) ASSERT_TRUE(WriteFileContents(app_.WorkingFile(name), bytes));
  StartProgram();
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 4; }));
  const auto original = WorkingFiles();

  const std::string path = OutputFolder() + "extras.ksb";
  HWND dialog = OpenRequester(CmdExportBoard);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(AnswerFileRequester(dialog, path));
  ASSERT_TRUE(WaitUntilDone());
  std::vector<unsigned char> board;
  ASSERT_TRUE(ReadFileContents(path, board));
  const std::string trailer = std::string(BoardExtrasMagic) + '\0';
  EXPECT_NE(std::search(board.begin(), board.end(), trailer.begin(), trailer.end()), board.end());
  ExitProgram();

  app_.RemoveFolder();
  ASSERT_TRUE(app_.Prepare(ProgramPath()));
  StartLaterRun();
  dialog = OpenRequester(CmdImportBoard);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(AnswerFileRequester(dialog, path));
  ASSERT_TRUE(WaitUntilDone());
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(List()) == 4; })) << ListRowCount(List());

  const auto imported = WorkingFiles();
  std::vector<std::string> originalNames, importedNames;
  for (const auto& file : original) originalNames.push_back(file.first);
  for (const auto& file : imported) importedNames.push_back(file.first);
  EXPECT_EQ(importedNames, originalNames);
  for (const auto& [name, bytes] : original) {
    // The picture itself travels as PNG and comes back as PNG data under its .bmp name.
    if (name == items[2].name + ".bmp") continue;
    EXPECT_EQ(imported.count(name) ? imported.at(name) : std::vector<unsigned char>{}, bytes) << name;
  }
}

}  // namespace
