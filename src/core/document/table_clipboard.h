#pragma once

#include <string>
#include <string_view>

namespace linkwright {

class MessageTable;

// Cells of the message table as tab-separated text, the form spreadsheets put on the clipboard,
// so rows can move between the table, a spreadsheet and another message file. A cell holding a
// tab, a line break or starting with a quote is written in quotes with inner quotes doubled;
// the reader takes that form back. The active column reads and writes its value in decimal.

// The cells of rows firstRow … lastRow and columns firstColumn … lastColumn, clipped to the
// message rows and columns 1 … 4; one line per row, each ending in "\n". Empty when nothing is
// left after clipping.
std::string CellsAsTabText(const MessageTable& table, int firstRow, int lastRow, int firstColumn,
                           int lastColumn);

// Writes the cells of `text` into the table from (row, column) on, rightwards and downwards; a
// start in the label column starts in column 1, cells that fall outside the table are dropped.
// Returns the number of cells written (each write marks the table modified).
int PasteTabText(MessageTable& table, int row, int column, std::string_view text);

}  // namespace linkwright
