// Whole-file reads and crash-safe whole-file writes for the program's own data files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

// A file system path from a program path (UTF-8, as every path the program holds): on Windows the
// characters it spells, elsewhere the bytes as they are.
std::filesystem::path FileSystemPath(const std::string& path);

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

// Writes the bytes to a temporary file in the same folder, flushes it to the disk and then moves
// it over `path` (the move written through), so that a crash or a power cut while writing leaves
// the old file or the new one, never a cut or empty one. False (and the old file untouched) when
// any step fails.
bool WriteFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes);
// Creates or replaces the file with the bytes and flushes it to the disk; false (and no file)
// when that fails. For files that a later rename makes current.
bool WriteFileFlushed(const std::string& path, std::span<const uint8_t> bytes);
