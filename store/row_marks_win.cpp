#include "store/row_marks_win.h"

#include <string>

namespace {

HFONT NumberFont() {
  static HFONT font = CreateFontW(-9, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Arial");
  return font;
}

// A small white tab with the row's number in the top left corner of the picture square, inside
// the selection frame.
void DrawNumber(HDC dc, const RECT& picture, int32_t row) {
  const RECT tab{picture.left + 3, picture.top + 3, picture.left + 12, picture.top + 14};
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  FillRect(dc, &tab, white);
  DeleteObject(white);
  HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
  FrameRect(dc, &tab, grey);
  DeleteObject(grey);
  const std::wstring number = std::to_wstring(row + 1);
  RECT text = tab;
  const HGDIOBJ oldFont = SelectObject(dc, NumberFont());
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldInk = SetTextColor(dc, RGB(40, 40, 40));
  DrawTextW(dc, number.c_str(), static_cast<int>(number.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetTextColor(dc, oldInk);
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

// A pin in the top right corner of the picture square (the right end of a row can be under the
// list's scroll bar): a red head and a grey needle.
void DrawPin(HDC dc, const RECT& picture) {
  constexpr int kSquare = 60;
  const int right = picture.left + kSquare - 2;
  const int top = picture.top + 3;
  HPEN needle = CreatePen(PS_SOLID, 2, RGB(110, 110, 110));
  HGDIOBJ oldPen = SelectObject(dc, needle);
  MoveToEx(dc, right - 6, top + 6, nullptr);
  LineTo(dc, right - 12, top + 13);
  SelectObject(dc, oldPen);
  DeleteObject(needle);
  HBRUSH red = CreateSolidBrush(RGB(210, 30, 30));
  HPEN rim = CreatePen(PS_SOLID, 1, RGB(120, 0, 0));
  HGDIOBJ oldBrush = SelectObject(dc, red);
  oldPen = SelectObject(dc, rim);
  Ellipse(dc, right - 9, top, right, top + 9);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(rim);
  DeleteObject(red);
}

}  // namespace

void DrawRowMarks(HDC dc, const RECT& picture, int32_t row, bool pinned) {
  if (!dc || picture.right <= picture.left) return;
  if (row >= 0 && row < NumberedRows) DrawNumber(dc, picture, row);
  if (pinned) DrawPin(dc, picture);
}
