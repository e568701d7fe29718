// Numbered child controls: the list view, progress bar, rich text and status bar.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>

// NewListControl flags.
constexpr int ListCheckBoxes = 0x1;
constexpr int ListMultiSelect = 0x4;
// The list holds no rows: its owner says how many there are and describes each as it is drawn.
constexpr int ListOwnerData = 0x1000;
constexpr int ListGridLines = 0x10000;
constexpr int ListHeaderDragDrop = 0x10000000;
constexpr int ListFullRowSelect = 0x40000000;

// Row state bits.
constexpr int RowSelected = 1;
constexpr int RowChecked = 2;

// Who answers for an owner-data list: describes a row as the list draws it (LVN_GETDISPINFO), is
// told when a row's check mark is set (SetRowState, or LVM_SETITEMSTATE sent to the list; row -1
// for every row), and when the user clicks a row's check box, which such a list does not change
// by itself. The window that holds the
// list passes these on, whoever else listens to it.
struct ListOwner {
  std::function<void(LVITEMA& row)> describe;
  std::function<void(int row, UINT oldState, UINT newState)> stateChanged;
  std::function<void(int row)> checkBoxClicked;
  // Whether the row gets anything drawn over it, and drawing it once the list has drawn the row:
  // `picture` is where its image is. Only rows that have marks cost the list a notification more.
  std::function<bool(int row)> hasMarks;
  std::function<void(int row, HDC dc, const RECT& picture)> decorate;
};
void SetListOwner(int list, ListOwner owner);
// The owner's answer, when `header` is a notification of a list that has one. True when answered,
// with what the list is to be told in `answer`.
bool PassToListOwner(const NMHDR* header, LRESULT& answer);

// Controls created afterwards are children of this window.
void BeginControls(HWND parent);

// number -1 picks a fresh number; the number is also the control identifier. 0 on failure.
int NewListControl(int number, int x, int y, int width, int height, const std::string& columnTitle,
                   int columnWidth, int flags);
HWND ControlHandle(int number);

// List: first selected row or -1. Progress bar: its position.
int GetControlState(int control);
// List: selects, focuses and shows the row and focuses the list (row < 0 clears the selection).
// Progress bar: its position.
void SetControlState(int control, int value);

int GetRowState(int list, int row);
void SetRowState(int list, int row, int state);
// Inserts at position (-1 = at the end); text is split at '\n' into the columns. Returns the row.
int InsertRow(int list, int position, const std::string& text);
void RemoveRow(int list, int row);
void ClearRows(int list);
int RowCount(int list);

// -1 keeps a value.
void ResizeControl(int control, int x, int y, int width, int height);

int NewProgressBar(int number, int x, int y, int width, int height, int minimum, int maximum);
int NewRichTextControl(int number, int x, int y, int width, int height);
// The bar keeps its place at the bottom of the window when the window is resized.
int NewStatusBar(int number, HWND window);
void SetStatusText(int bar, int field, const std::string& text);
