#include "document/table_clipboard.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "document/message_table.h"

namespace linkwright {

namespace {

using Line = std::vector<std::string>;

bool NeedsQuotes(std::string_view cell) {
  return cell.find_first_of("\t\r\n") != std::string_view::npos || cell.starts_with('"');
}

std::string Quoted(std::string_view cell) {
  std::string out = "\"";
  for (char c : cell) {
    out += c;
    if (c == '"') {
      out += '"';
    }
  }
  return out + '"';
}

std::string CellText(const MessageTable& table, int row, int column) {
  if (column == MessageTable::kActiveColumn) {
    return std::to_string(table.GetActive(row));
  }
  return table.GetItemText(row, column);
}

void SetCell(MessageTable& table, int row, int column, const std::string& text) {
  if (column == MessageTable::kActiveColumn) {
    table.SetActive(row, static_cast<int>(std::strtol(text.c_str(), nullptr, 10)));
  } else {
    table.SetItemText(row, column, text);
  }
}

// Reads a quoted cell starting at text[pos] == '"'; leaves pos after its closing quote.
std::string ReadQuotedCell(std::string_view text, size_t& pos) {
  std::string cell;
  ++pos;
  while (pos < text.size()) {
    char c = text[pos++];
    if (c != '"') {
      cell += c;
    } else if (pos < text.size() && text[pos] == '"') {
      cell += '"';
      ++pos;
    } else {
      break;
    }
  }
  return cell;
}

// Splits tab-separated text into lines of cells; a last line end adds no empty line.
std::vector<Line> ParseTabText(std::string_view text) {
  std::vector<Line> lines;
  Line line;
  std::string cell;
  size_t pos = 0;
  while (pos < text.size()) {
    if (cell.empty() && text[pos] == '"') {
      cell = ReadQuotedCell(text, pos);
      continue;
    }
    char c = text[pos++];
    if (c == '\t') {
      line.push_back(std::move(cell));
      cell.clear();
    } else if (c == '\n' || c == '\r') {
      if (c == '\r' && pos < text.size() && text[pos] == '\n') {
        ++pos;
      }
      line.push_back(std::move(cell));
      cell.clear();
      lines.push_back(std::move(line));
      line.clear();
    } else {
      cell += c;
    }
  }
  if (!cell.empty() || !line.empty()) {
    line.push_back(std::move(cell));
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace

std::string CellsAsTabText(const MessageTable& table, int firstRow, int lastRow, int firstColumn,
                           int lastColumn) {
  firstRow = std::max(firstRow, 1);
  lastRow = std::min(lastRow, table.RowCount());
  firstColumn = std::max(firstColumn, static_cast<int>(MessageTable::kMessageColumn));
  lastColumn = std::min(lastColumn, MessageTable::kColumnCount - 1);
  std::string text;
  for (int row = firstRow; row <= lastRow && firstColumn <= lastColumn; ++row) {
    for (int column = firstColumn; column <= lastColumn; ++column) {
      std::string cell = CellText(table, row, column);
      text += NeedsQuotes(cell) ? Quoted(cell) : cell;
      text += column < lastColumn ? '\t' : '\n';
    }
  }
  return text;
}

int PasteTabText(MessageTable& table, int row, int column, std::string_view text) {
  column = std::max(column, static_cast<int>(MessageTable::kMessageColumn));
  int written = 0;
  std::vector<Line> lines = ParseTabText(text);
  for (size_t i = 0; i < lines.size() && table.IsMessageRow(row + static_cast<int>(i)); ++i) {
    for (size_t j = 0; j < lines[i].size(); ++j) {
      int target = column + static_cast<int>(j);
      if (target >= MessageTable::kColumnCount) {
        break;
      }
      SetCell(table, row + static_cast<int>(i), target, lines[i][j]);
      ++written;
    }
  }
  return written;
}

}  // namespace linkwright
