#include "app/command_line.h"

#include <cctype>

#include "core/unicode_text.h"

std::string ArgumentsAfterProgramName(const std::string& commandLine) {
  std::size_t pos = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    const std::size_t close = commandLine.find('"', 1);
    pos = close == std::string::npos ? commandLine.size() : close + 1;
  } else {
    while (pos < commandLine.size() && commandLine[pos] != ' ' && commandLine[pos] != '\t') ++pos;
  }
  while (pos < commandLine.size() && (commandLine[pos] == ' ' || commandLine[pos] == '\t')) ++pos;
  return commandLine.substr(pos);
}

std::string FirstParameter(const std::string& arguments) {
  std::size_t pos = 0;
  while (pos < arguments.size() && (arguments[pos] == ' ' || arguments[pos] == '\t')) ++pos;
  if (pos == arguments.size()) return {};
  if (arguments[pos] == '"') {
    const std::size_t close = arguments.find('"', pos + 1);
    return arguments.substr(pos + 1, close == std::string::npos ? std::string::npos : close - pos - 1);
  }
  std::size_t end = pos;
  while (end < arguments.size() && arguments[end] != ' ' && arguments[end] != '\t') ++end;
  return arguments.substr(pos, end - pos);
}

bool HasBoardExtension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  std::string extension = path.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return extension == "ksb";
}

HandOff SecondInstanceHandOff(const std::string& commandLineBoard) {
  if (commandLineBoard.empty() || !HasBoardExtension(commandLineBoard)) return HandOff::None;
  if (Utf16Length(commandLineBoard) > MaxAtomNameLength) return HandOff::ShowOnly;
  return HandOff::SendBoard;
}
