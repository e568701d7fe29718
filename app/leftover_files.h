// Temporary files that a crash or a power cut can leave in the working folder: every data file the
// program replaces is first written as NAME.tmp beside it and then renamed over it.
#pragma once

#include <string>

// True for a file name the program itself would have used as such a temporary: items.dat.tmp,
// prefs.dat.tmp, or an item file (.bmp, .txt, .clt) followed by .tmp. Letter case is ignored.
bool IsLeftoverTemporary(const std::string& fileName);

// Deletes the leftover temporaries directly in `folder` (not in its subfolders) and returns how
// many were deleted. Anything else in the folder is left as it is. Only safe while no write of
// the program is under way, that is at start-up.
int RemoveLeftoverTemporaries(const std::string& folder);
