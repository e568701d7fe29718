// Subcommands of kepsil-tool register themselves here, one file per group of subcommands.
#pragma once

#include <string>
#include <vector>

namespace kepsil::tool {

// Runs a subcommand with its arguments (without the subcommand's name); returns the exit status.
using CommandFunction = int (*)(const std::vector<std::string>& args);

struct CommandRegistration {
  CommandRegistration(const char* name, const char* usage, CommandFunction run);
};

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes);
// Writes a whole file; false when it cannot be written completely.
bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace kepsil::tool

// Registers `function` as the subcommand `name` (usage is the argument synopsis).
#define KEPSIL_TOOL_COMMAND(name, usage, function) \
  static const ::kepsil::tool::CommandRegistration function##Registration(name, usage, function)
