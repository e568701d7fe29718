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
// text where it keeps one, else in its text; a picture in its size caption. An empty query
// matches every item.
bool ItemMatchesFind(const Item& item, const std::u16string& foldedQuery);
// Reads the texts of these items on a helper thread, so that the first search finds them read;
// that search waits for the rest. Meant for when the find field opens, before the first letter.
void PrepareToFind(std::vector<Item> items);
// The item went (or its name may come again): what was kept of its text is dropped.
void ForgetFindText(const std::string& name);
void ForgetEveryFindText();
