// The information window's document: the built-in RTF text and what is added to it as it opens.
#pragma once

#include <string>
#include <string_view>

// A program string (UTF-8) as RTF text: every character beyond ASCII as \uN? (so that the
// document reads the same whatever the code page), and "\", "{", "}" escaped.
std::string RtfText(std::string_view utf8);

// The document with one more paragraph at its end: `label` and, on a line of its own, `folder`.
std::string WithFolderParagraph(const std::string& document, const std::string& label, const std::string& folder);
