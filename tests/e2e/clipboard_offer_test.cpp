// What other programs offer on the clipboard stays theirs: a viewer that swallows every change
// costs no copy, a program slow to render its rich formats is waited for once, with the window
// answering all the while, and one that never renders does not hold up the program's end.
#include "tests/e2e/capture_support.h"

#include <algorithm>

#include "tools/driver/clipboard_source_driver.h"
#include "tools/driver/reliability_driver.h"

namespace {

using OtherPrograms = CaptureRun;

constexpr DWORD kRenderMs = 2500;

std::vector<OfferedFormat> SlowRichCopy(const std::string& text) {
  return {{CF_TEXT, TextBytes(text)},
          {RegisterClipboardFormatA("Rich Text Format"), TextBytes("{\\rtf1 " + text + "}"), true, kRenderMs},
          {RegisterClipboardFormatA("HTML Format"), TextBytes("<b>" + text + "</b>"), true, kRenderMs}};
}

TEST_F(OtherPrograms, AViewerThatPassesNothingOnCostsNoCopy) {
  StartWithDefaults();
  SilentViewer viewer;
  ASSERT_TRUE(viewer.Joined());
  ASSERT_TRUE(PutClipboardText("copied after the silent viewer joined"));
  ASSERT_TRUE(WaitForRows(1));
  ASSERT_TRUE(PutClipboardText("and another one"));
  ASSERT_TRUE(WaitForRows(2));
  EXPECT_GT(viewer.Changes(), 0) << "the viewer was in the chain and heard of the copies";
}

TEST_F(OtherPrograms, ASlowRendererIsWaitedForOnceWhileTheWindowAnswers) {
  StartWithDefaults();
  ClipboardSource source;
  const UINT richText = RegisterClipboardFormatA("Rich Text Format");
  const UINT html = RegisterClipboardFormatA("HTML Format");
  ASSERT_TRUE(source.Copy(SlowRichCopy("rendered slowly")));
  // The rich text takes seconds to arrive; the window answers every message meanwhile.
  long slowest = 0;
  const DWORD start = GetTickCount();
  while (ListRowCount(List()) < 1 && GetTickCount() - start < 20000) {
    const long answer = AnswerTimeMs(Main(), 1000);
    ASSERT_GE(answer, 0) << "no answer within a second, " << GetTickCount() - start << " ms after the copy";
    slowest = std::max(slowest, answer);
    Sleep(20);
  }
  RecordProperty("slowest_answer_ms", static_cast<int>(slowest));
  ASSERT_TRUE(WaitForRows(1));
  EXPECT_EQ(source.TimesAsked(richText), 1);
  EXPECT_EQ(source.TimesAsked(html), 0) << "after a slow format the optional ones still to come are skipped";
  const std::string first = ItemNames().at(0);
  EXPECT_EQ(TextOf(first), "rendered slowly");
  EXPECT_TRUE(FileExists(app_.WorkingFile(first + ".rtf"))) << "what did arrive is kept";

  // The same program again: its text becomes an item at once, and it is not asked again.
  ASSERT_TRUE(source.Copy(SlowRichCopy("copied again")));
  const DWORD copied = GetTickCount();
  ASSERT_TRUE(WaitForRows(2));
  EXPECT_LT(GetTickCount() - copied, kRenderMs) << "the second copy waited for the renderer";
  EXPECT_EQ(source.TimesAsked(richText), 1);
  EXPECT_EQ(source.TimesAsked(html), 0);
  EXPECT_EQ(TextOf(ItemNames().back()), "copied again");
}

TEST_F(OtherPrograms, ExitDoesNotWaitForAProgramThatNeverRenders) {
  StartWithDefaults();
  ClipboardSource source;
  const UINT richText = RegisterClipboardFormatA("Rich Text Format");
  ASSERT_TRUE(source.Copy(
      {{CF_TEXT, TextBytes("the rich text never comes")}, {richText, TextBytes("{\\rtf1 late}"), true, 12000}}));
  // The capture thread is waiting for the rich text when the user ends the program.
  ASSERT_TRUE(WaitUntil([&] { return source.TimesAsked(richText) == 1; }));
  const DWORD start = GetTickCount();
  EXPECT_TRUE(app_.Exit(8000));
  EXPECT_LT(GetTickCount() - start, 8000u);
}

}  // namespace
