// Finding items as the user types: each item's text, folded for a case-blind comparison, is kept
// in memory after it was first read, so that a keystroke looks through thousands of items without
// touching their files.
#pragma once

#include <string>
#include <vector>

#include "store/collection.h"

// The text as a find compares it: every letter in lower case (Greek, Cyrillic and the rest too).
std::u16string FoldForFind(std::u16string text);
// Whether the item holds `foldedQuery` (one that FoldForFind gave): a text item in its Unicode
// text where it keeps one, else in its text; a picture in its size caption; either also in the
// name of the program it was copied from. An empty query
// matches every item.
bool ItemMatchesFind(const Item& item, const std::u16string& foldedQuery);
// Reads the texts of these items on a helper thread, so that the searches find them read. Meant
// for when the find field opens, before the first letter. A search never waits for the reader:
// an item whose text has not arrived yet does not match until it has.
void PrepareToFind(std::vector<Item> items);
// Whether texts arrived from the reader since the last time this was asked: the rows shown
// should be found again.
bool FindTextsArrived();
// Stops the reader and waits until it has ended (it reads one file at most after being told):
// for shutdown, before the working folder is touched.
void StopFindReader();
// The item went (or its name may come again): what was kept of its text is dropped.
void ForgetFindText(const std::string& name);
void ForgetEveryFindText();
