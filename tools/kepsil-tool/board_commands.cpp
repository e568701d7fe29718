// kepsil-tool board-check: tells whether the program would import a board, with the import's own check.
// Each entry's line is followed by one indented line per extra it carries: its file extension and size.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/board_reader.h"
#include "tools/kepsil-tool/tool_command.h"

namespace kepsil::tool {
namespace {

int BoardCheck(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: kepsil-tool board-check FILE\n");
    return 2;
  }
  Board board;
  const BoardReadResult result = ReadBoardFile(args[0], board);
  if (!result.Ok()) {
    std::printf("refused: %s", BoardErrorText(result.error));
    if (result.entryIndex >= 0) std::printf(" (entry %d, offset %zu)", result.entryIndex, result.offset);
    std::printf("\n");
    return 1;
  }
  std::printf("item limit %d\n", static_cast<int>(board.itemLimit));
  std::printf("entries %zu\n", board.entries.size());
  for (const BoardEntry& entry : board.entries) {
    std::printf("%s %s %s %zu %zu\n", entry.kind == BoardKindImage ? "image" : "text",
                entry.checked ? "checked" : "unchecked", entry.name.c_str(), entry.content.size(),
                entry.thumbnail.size());
    for (const ItemExtra& extra : entry.extras) {
      const std::string_view extension = ExtraFileExtension(extra.kind);
      std::printf("  extra %.*s %zu\n", static_cast<int>(extension.size()), extension.data(), extra.bytes.size());
    }
  }
  return 0;
}

}  // namespace

KEPSIL_TOOL_COMMAND("board-check", "FILE  (exit 0 and list the entries and their extras when the board would be imported)",
                    BoardCheck);

}  // namespace kepsil::tool
