// Reading a whole file into memory with its size checked first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Size of a file (not a folder). False when it cannot be opened.
bool GetFileSizeOf(const std::string& path, uint64_t& size);
// Reads the whole file. False, with `bytes` empty, when it cannot be opened or read completely,
// or when it is larger than maxBytes (nothing is allocated for it then).
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes, uint64_t maxBytes);
