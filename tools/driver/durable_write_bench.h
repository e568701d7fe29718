// What writing the program's files durably costs: each file flushed to the disk before the
// rename that makes it current, the rename written through, against a plain write and rename.
#pragma once

#include <string>

// bench-durable FOLDER PICTURE.png REPEATS: in FOLDER, the files one capture writes (a text and
// its thumbnail; the picture and its thumbnail) and items.dat of 20,000 items as the autosave
// writes it, each both ways; one line per figure with the medians and their ratio.
int BenchDurableWrites(const std::string& folder, const std::string& picturePath, int repeats);
