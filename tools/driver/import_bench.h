// The board a memory figure of the import is taken with.
#pragma once

#include <string>

// bench-import PATH: writes a 300 MB board to PATH (100 texts of 1 MiB, 40 pictures of 4 MiB and
// one text of 40 MiB, random bytes that no packing shortens), hands it to the running program and
// waits until its 141 rows show and the program is idle again. Prints the largest entry's size.
int BenchImport(const std::string& path);
