// Writing the whole collection to one board file.
#pragma once

#include <string>

// The one temporary PNG file of an export; empty when there is none.
struct BoardExportState {
  std::string TempPngPath;
};
extern BoardExportState BoardExport;

// Asks for the board file and writes every item into it.
void ExportBoard();
// Re-encodes the picture file at `path` as PNG into TempDir + "_temp.bmp" and returns that path;
// "" when the picture cannot be decoded or written.
std::string MakeTempPng(const std::string& path);
