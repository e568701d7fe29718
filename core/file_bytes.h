// Whole-file reads and crash-safe whole-file writes for the program's own data files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A path from a code page 1252 string (the program's strings); on Windows the bytes are mapped to
// the characters they stand for, elsewhere they are used as they are.
std::filesystem::path AnsiPath(const std::string& path);

// Largest data file the program reads in one piece.
inline constexpr size_t MaxDataFileBytes = size_t{64} << 20;

// Reads at most maxBytes of a file: a longer file gives its first maxBytes. False, with `bytes`
// empty, when it cannot be opened or read.
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes,
                   size_t maxBytes = MaxDataFileBytes);

enum class FileRead { Ok, Unreadable, TooLarge };

// Reads the whole file, or nothing: a file larger than maxBytes is TooLarge, and no memory is
// taken for its size (at most the first 64 KB are read before the size is known). Unreadable when
// it cannot be opened or read. `bytes` are empty unless the result is Ok.
FileRead ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, size_t maxBytes);

// Writes the bytes to a temporary file in the same folder and then moves it over `path`, so that
// a crash while writing never leaves a cut or empty file. False (and the old file untouched) when
// any step fails.
bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes);
