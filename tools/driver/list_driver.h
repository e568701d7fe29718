// Reading and changing the rows of a list view that lives in another process.
#pragma once

#include <windows.h>

int ListRowCount(HWND list);
// Waits for the list to have more rows than `before`; the time in ms when it had, -1 on timeout.
double WaitForNewRow(HWND list, int before, double timeoutMs = 20000);
// Row state as the program sees it: bit 1 selected, bit 2 checked.
int ListRowState(HWND list, int row);
bool ListRowChecked(HWND list, int row);
// First selected row, -1 when none.
int ListSelectedRow(HWND list);
// Selects and focuses one row (the others lose their selection), through memory of the owner process.
bool ListSelectRow(HWND list, int row);
// Sets or clears one row's check box.
bool ListSetChecked(HWND list, int row, bool checked);
// Image list index of a row, -1 when it cannot be read.
int ListRowImage(HWND list, int row);
int ListColumnWidth(HWND list);
