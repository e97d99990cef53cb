#pragma once

#include <QFont>
#include <QRect>
#include <QString>
#include <vector>

#include "document/message_table.h"

class QPainter;
class QPaintDevice;
class QPrinter;

namespace linkwright {

// The printed form of the message table: rows 1 … LastUsedRow() with their label, message,
// comment, active mark and trigger, under the column titles repeated on every page. Each page
// ends with a rule and a bold footer: "Pagina N of M" on the left, the date and time of printing
// on the right. Texts too long for their column are cut with an ellipsis.
class MessageTablePrinter {
 public:
  // Lays the pages out for `pageArea` (device coordinates) of `device`.
  MessageTablePrinter(const MessageTable& table, QPaintDevice& device, const QRect& pageArea);

  // At least one page, which holds only the titles when no row is used.
  int PageCount() const;
  // Paints page 1 … PageCount().
  void PaintPage(QPainter& painter, int page) const;

 private:
  void PaintRow(QPainter& painter, int top, const std::vector<QString>& cells,
                const QFont& font) const;
  void PaintFooter(QPainter& painter, int page) const;
  std::vector<QString> RowCells(int row) const;

  const MessageTable& m_Table;
  QRect m_PageArea;
  QFont m_Font;
  QFont m_BoldFont;
  int m_LineHeight;
  int m_RowsPerPage;
  int m_LastRow;
  std::vector<int> m_ColumnWidths;
  QString m_PrintedAt;
};

// Prints the whole table to the printer, one page after the other.
void PrintMessageTable(const MessageTable& table, QPrinter& printer);

}  // namespace linkwright
