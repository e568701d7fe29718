// Temporary files that a crash or a power cut can leave in the working folder: every data file the
// program replaces is first written as NAME.tmp beside it and then renamed over it.
#pragma once

#include <string>

// True for a file name the program itself would have used as such a temporary: items.dat.tmp,
// prefs.dat.tmp, ignored.dat.tmp, or an item file (.bmp, .txt, .clt, or an extra file) followed by .tmp. Letter case is ignored.
bool IsLeftoverTemporary(const std::string& fileName);

