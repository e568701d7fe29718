// The program's command line: only its first parameter counts, a board file to open.
#pragma once

#include <string>

// The arguments of a whole command line (as GetCommandLine gives it): what follows the program
// name, which is quoted or ends at the first blank, and the blanks after it.
std::string ArgumentsAfterProgramName(const std::string& commandLine);

// The first parameter of the arguments (the program name not included): parameters are separated
// by blanks; one that begins with a double quote runs to the next double quote, without the quotes.
std::string FirstParameter(const std::string& arguments);

// True when the text after the last "." of the file name is "ksb" in any letter case.
bool HasBoardExtension(const std::string& path);

// Longest name the global atom table holds, in UTF-16 units; longer board paths cannot be handed
// over.
inline constexpr std::size_t MaxAtomNameLength = 255;

// What a second instance does with its first parameter.
enum class HandOff {
  None,       // no board parameter: end without a word to the running instance
  SendBoard,  // hand the path over with message 2000
  ShowOnly,   // a board path too long for an atom: only bring the running instance forward
};
HandOff SecondInstanceHandOff(const std::string& commandLineBoard);
