// Reading many small files quickly: under Wine every call that reaches the file system is a round
// trip to the server, and the standard streams make several per file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads at most maxBytes of the file at `path` (a code page 1252 path) with one open, as few reads
// as the size needs and one close. False when it cannot be opened or read.
bool ReadSmallFile(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes);
