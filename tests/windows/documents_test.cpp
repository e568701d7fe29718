// The information documents built into the exe load into a real rich edit control as formatted text.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "resources/resource_ids.h"

namespace {

std::string_view ResourceBytes(int id, const char* type) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  return data ? std::string_view(static_cast<const char*>(data), SizeofResource(nullptr, found)) : std::string_view();
}

struct StreamSource {
  std::string_view bytes;
  std::size_t position = 0;
};

DWORD CALLBACK ReadFromSource(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
  auto* source = reinterpret_cast<StreamSource*>(cookie);
  const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(wanted), source->bytes.size() - source->position);
  std::memcpy(buffer, source->bytes.data() + source->position, count);
  source->position += count;
  *given = static_cast<LONG>(count);
  return 0;
}

class DocumentsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    library_ = LoadLibraryA("RICHED20.DLL");
    ASSERT_NE(library_, nullptr);
    edit_ = CreateWindowExA(0, "RichEdit20A", "", WS_POPUP | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 10,
                            10, 455, 540, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit_, nullptr);
  }
  void TearDown() override {
    if (edit_) DestroyWindow(edit_);
    if (library_) FreeLibrary(library_);
  }

  // Streams a document in as RTF; returns the plain text the control then holds.
  std::string Load(int id) {
    StreamSource source{ResourceBytes(id, MAKEINTRESOURCEA(10))};  // RT_RCDATA
    EXPECT_GT(source.bytes.size(), 1000u);
    EXPECT_TRUE(source.bytes.starts_with("{\\rtf1\\ansi\\ansicpg1252"));
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadFromSource};
    SendMessageA(edit_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    EXPECT_EQ(stream.dwError, 0u);
    // GT_DEFAULT keeps one CR per paragraph, so string offsets are the control's character positions.
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(edit_)) + 1, '\0');
    GETTEXTEX request{static_cast<DWORD>(text.size()), GT_DEFAULT, CP_ACP, nullptr, nullptr};
    text.resize(static_cast<std::size_t>(
        SendMessageA(edit_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(text.data()))));
    return text;
  }

  PARAFORMAT ParagraphAt(LONG position) {
    SendMessageA(edit_, EM_SETSEL, position, position);
    PARAFORMAT format{};
    format.cbSize = sizeof format;
    SendMessageA(edit_, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    return format;
  }
  std::string FaceAt(LONG position) {
    SendMessageA(edit_, EM_SETSEL, position, position + 1);
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(edit_, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return format.szFaceName;
  }

  // The title block and the closing block are centred; every hint between them is a bulleted
  // paragraph with a hanging indent.
  void ExpectLayout(const std::string& text, std::string_view firstHint, std::string_view closing) {
    ASSERT_TRUE(text.starts_with("KepSil!")) << text.substr(0, 40);
    EXPECT_EQ(ParagraphAt(0).wAlignment, PFA_CENTER);
    EXPECT_EQ(ParagraphAt(0).wNumbering, 0);
    EXPECT_EQ(FaceAt(0), "Arial");
    const std::size_t first = text.find(firstHint);
    const std::size_t end = text.find(closing);
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    int hints = 0;
    for (std::size_t at = first; at < end; at = text.find('\r', at) + 1) {
      const PARAFORMAT hint = ParagraphAt(static_cast<LONG>(at));
      EXPECT_EQ(hint.wAlignment, PFA_LEFT) << at;
      EXPECT_EQ(hint.wNumbering, PFN_BULLET) << text.substr(at, 30);
      EXPECT_GT(hint.dxOffset, 0) << "hanging indent";
      ++hints;
    }
    EXPECT_GE(hints, 10);
    EXPECT_EQ(ParagraphAt(static_cast<LONG>(end)).wAlignment, PFA_CENTER);
    EXPECT_EQ(ParagraphAt(static_cast<LONG>(end)).wNumbering, 0);
  }

  HMODULE library_ = nullptr;
  HWND edit_ = nullptr;
};

TEST_F(DocumentsTest, EnglishDocumentRendersWithBulletsAndCentredBlocks) {
  const std::string text = Load(IDR_INFORMATION_EN);
  EXPECT_EQ(text.find("\\par"), std::string::npos) << "the control read the document as plain text";
  EXPECT_EQ(text.find("\xB7"), std::string::npos) << "bullets are paragraph numbering, not text";
  for (const char* fact : {"Alt + Ctrl + Space", "\"Clipboard\"", "Save items after termination", "Return",
                           "Backspace", "Import KepSil! board", "Export KepSil! board", "Load images or texts"}) {
    EXPECT_NE(text.find(fact), std::string::npos) << fact;
  }
  ExpectLayout(text, "On its first start", "Thank you for using KepSil!");
}

TEST_F(DocumentsTest, GermanDocumentKeepsItsUmlauts) {
  const std::string text = Load(IDR_INFORMATION_DE);
  // Code page 1252: \xFC is u-umlaut, \xE4 a-umlaut, \xF6 o-umlaut, \xDF sharp s.
  for (const char* fact : {"f\xFCr den Windows-Desktop", "Eintr\xE4ge", "l\xF6schen", "Schlie\xDF" "en",
                           "Alt + Strg + Leertaste", "KepSil!-Ablage importieren", "Zwischenablage \xFC" "berwachen"}) {
    EXPECT_NE(text.find(fact), std::string::npos) << fact;
  }
  ExpectLayout(text, "Beim ersten Start", "Viel Freude mit KepSil!");
}

}  // namespace
