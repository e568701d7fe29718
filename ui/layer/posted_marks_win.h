// Posted marks: how another process learns that the program has handled what it posted.
//
// A driving process (the test driver, an automation tool) posts a mark to one of the program's
// windows and then asks, with a sent message, for the last mark the window's thread took. A
// thread takes what was posted to it in order, so once the answer is the new mark, everything
// posted before it has been dispatched. Counting answers to empty sent messages cannot tell this:
// a thread may answer several sent messages before it takes its next posted one.
#pragma once

#include <windows.h>

// Posted with a mark in wParam (above kNoPostedMarkYet) to leave it; sent with wParam 0 to ask
// for the last mark left. A window that keeps no marks answers 0.
constexpr char kPostedMarkMessageName[] = "KepSilPostedMark";
constexpr WPARAM kNoPostedMarkYet = 1;

// 0 only when the system could not register the message.
inline UINT PostedMarkMessage() {
  static const UINT message = RegisterWindowMessageA(kPostedMarkMessageName);
  return message;
}
