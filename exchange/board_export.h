// Writing the whole collection to one board file.
#pragma once

// Asks for the board file and writes every item into it.
void ExportBoard();
