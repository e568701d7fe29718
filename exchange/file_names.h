// Name rules of the file exchange: extensions the requesters add, folder and file parts of paths,
// and the extension a dropped or chosen file is judged by.
#pragma once

#include <string>
#include <string_view>

// Lower-cases the ASCII letters only: names are code page 1252 bytes.
std::string LowerAscii(std::string_view text);

// True when the last three characters of the path, lower-cased, equal `extension` (three lower-case
// letters without the dot). Only those three are compared: "notes.TXT" and "notestxt" both end in
// "txt".
bool EndsWithExtension(std::string_view path, std::string_view extension);
// The path with "." + extension appended unless EndsWithExtension already holds.
std::string WithExtension(const std::string& path, std::string_view extension);

// Everything up to and including the last backslash; a leading double quote is skipped. "" when
// the path holds no backslash.
std::string FolderPart(std::string_view path);
// The name and extension after the last backslash (the whole path when it holds none).
std::string FilePart(std::string_view path);

// A file chosen in the load requester is judged by its last three characters, lower-cased.
std::string ChosenFileExtension(std::string_view path);
// A dropped file is judged by the text after its last dot, when that dot comes after the last
// backslash (else ""), cut at a double quote and lower-cased.
std::string DroppedFileExtension(std::string_view path);
// "bmp", "jpg" or "png": the files that load as pictures.
bool IsPictureExtension(std::string_view extension);

// Texts pass through a workspace of 64,000 bytes, so a text file must be smaller.
inline constexpr unsigned long long MaxTextFileBytes = 63999;
