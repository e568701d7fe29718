// kepsil-tool: inspects and converts the program's data with the same code the program uses.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tools/kepsil-tool/tool_command.h"

namespace kepsil::tool {
namespace {

struct Command {
  const char* usage;
  CommandFunction run;
};

std::map<std::string, Command>& Commands() {
  static std::map<std::string, Command> commands;
  return commands;
}

void PrintUsage() {
  std::fprintf(stderr, "usage: kepsil-tool COMMAND ARGS...\n");
  for (const auto& [name, command] : Commands()) {
    std::fprintf(stderr, "  %s %s\n", name.c_str(), command.usage);
  }
}

}  // namespace

CommandRegistration::CommandRegistration(const char* name, const char* usage, CommandFunction run) {
  Commands()[name] = Command{usage, run};
}

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return static_cast<bool>(out);
}

}  // namespace kepsil::tool

int main(int argc, char** argv) {
  using kepsil::tool::Commands;
  if (argc < 2) {
    kepsil::tool::PrintUsage();
    return 2;
  }
  auto found = Commands().find(argv[1]);
  if (found == Commands().end()) {
    std::fprintf(stderr, "kepsil-tool: unknown command '%s'\n", argv[1]);
    kepsil::tool::PrintUsage();
    return 2;
  }
  return found->second.run(std::vector<std::string>(argv + 2, argv + argc));
}
