// kepsil-tool pack / unpack: convert between a file and a packed block, as boards store texts.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "exchange/pack/pack.h"
#include "tools/kepsil-tool/tool_command.h"

namespace {

using kepsil::tool::ReadWholeFile;
using kepsil::tool::WriteWholeFile;

int PackFile(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: kepsil-tool pack IN OUT\n");
    return 1;
  }
  std::vector<unsigned char> input;
  if (!ReadWholeFile(args[0], input)) {
    std::fprintf(stderr, "kepsil-tool pack: cannot read %s\n", args[0].c_str());
    return 1;
  }
  std::vector<unsigned char> block(PackBound(input.size()));
  PackStatus status = PackStatus::Ok;
  const std::size_t size = pack(input.data(), input.size(), block.data(), block.size(), PackMaxLevel, &status);
  if (size == 0) {
    std::fprintf(stderr, "kepsil-tool pack: %s\n", PackStatusText(status));
    return 1;
  }
  block.resize(size);
  if (!WriteWholeFile(args[1], block)) {
    std::fprintf(stderr, "kepsil-tool pack: cannot write %s\n", args[1].c_str());
    return 1;
  }
  std::printf("%zu -> %zu bytes\n", input.size(), size);
  return 0;
}

int UnpackFile(const std::vector<std::string>& args) {
  if (args.size() != 2) {
    std::fprintf(stderr, "usage: kepsil-tool unpack IN OUT\n");
    return 1;
  }
  std::vector<unsigned char> block;
  if (!ReadWholeFile(args[0], block)) {
    std::fprintf(stderr, "kepsil-tool unpack: cannot read %s\n", args[0].c_str());
    return 1;
  }
  std::vector<unsigned char> output;
  try {
    output.resize(unpackedLength(block.data(), block.size()));
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "kepsil-tool unpack: %s\n", PackStatusText(PackStatus::NoMemory));
    return 1;
  }
  PackStatus status = PackStatus::Ok;
  const std::size_t size = unpack(block.data(), block.size(), output.data(), output.size(), &status);
  if (status != PackStatus::Ok) {
    std::fprintf(stderr, "kepsil-tool unpack: %s\n", PackStatusText(status));
    return 1;
  }
  output.resize(size);
  if (!WriteWholeFile(args[1], output)) {
    std::fprintf(stderr, "kepsil-tool unpack: cannot write %s\n", args[1].c_str());
    return 1;
  }
  return 0;
}

}  // namespace

KEPSIL_TOOL_COMMAND("pack", "IN OUT  pack a file into a packed block", PackFile);
KEPSIL_TOOL_COMMAND("unpack", "IN OUT  unpack a packed block into a file", UnpackFile);
