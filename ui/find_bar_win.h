// The find field: a one-line field in the status bar's place. What is typed there shows only the
// items that hold it; beside it stands how many rows show of how many items. Up and Down move in
// the rows shown, Return pastes the selected one, Escape closes the field.
#pragma once

#include <windows.h>

// Shows the field in place of the status bar and puts the keyboard there; when it shows already,
// selects what it holds.
void OpenFind();
// Hides the field, shows every item again with the selected one still selected, and gives the
// keyboard back to the list.
void CloseFind();
bool FindFieldOpen();
// A command message of the main window; true when it came from the find field (and was handled).
bool OnFindFieldCommand(WPARAM wParam, LPARAM lParam);
// Puts the field where the status bar is (after the window's size changed).
void PlaceFindField();
// Shows how many rows show of how many items (after rows came or went).
void ShowFindCount();
// While the texts are still being read, finds again with what has arrived, at most a few times a
// second (the main loop asks when it is idle).
void RefineFindAsTextsArrive();
