#include "gui/document/message_print.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <algorithm>

namespace linkwright {

namespace {

// Relative widths of message, comment and trigger on paper: the screen's proportions, with room
// for the trigger that the screen stretches. Label and active mark get what their texts need.
constexpr int kMessageShare = 450;
constexpr int kCommentShare = 150;
constexpr int kTriggerShare = 200;
// Rows are a little taller than the font, so the grid lines do not touch the text.
constexpr double kLineSpacing = 1.4;
constexpr int kCellMargin = 4;

}  // namespace

MessageTablePrinter::MessageTablePrinter(const MessageTable& table, QPaintDevice& device,
                                         const QRect& pageArea)
    : m_Table(table),
      m_PageArea(pageArea),
      m_Font("Arial", 10),
      m_BoldFont(m_Font),
      m_LastRow(table.LastUsedRow()),
      m_PrintedAt(QLocale().toString(QDateTime::currentDateTime(), QLocale::LongFormat)) {
  m_BoldFont.setBold(true);
  m_LineHeight = static_cast<int>(QFontMetrics(m_Font, &device).height() * kLineSpacing);
  // The titles take the first line, the rule and the footer the last two.
  m_RowsPerPage = std::max(1, m_PageArea.height() / m_LineHeight - 3);
  const QFontMetrics bold(m_BoldFont, &device);
  const int labelWidth =
      std::max(bold.horizontalAdvance(
                   QString::fromStdString(MessageTable::RowLabel(MessageTable::kDefaultRowCount))),
               bold.horizontalAdvance(
                   QString::fromStdString(MessageTable::ColumnTitle(MessageTable::kLabelColumn)))) +
      2 * kCellMargin;
  const int activeWidth = bold.horizontalAdvance("X") + 2 * kCellMargin;
  const int textWidth = std::max(0, m_PageArea.width() - labelWidth - activeWidth);
  const int shares = kMessageShare + kCommentShare + kTriggerShare;
  m_ColumnWidths = {labelWidth, textWidth * kMessageShare / shares,
                    textWidth * kCommentShare / shares, activeWidth,
                    textWidth * kTriggerShare / shares};
}

int MessageTablePrinter::PageCount() const {
  return std::max(1, (m_LastRow + m_RowsPerPage - 1) / m_RowsPerPage);
}

void MessageTablePrinter::PaintPage(QPainter& painter, int page) const {
  std::vector<QString> titles;
  for (int column = 0; column < MessageTable::kColumnCount; ++column) {
    titles.push_back(QString::fromStdString(MessageTable::ColumnTitle(column)));
  }
  int top = m_PageArea.top();
  PaintRow(painter, top, titles, m_BoldFont);
  const int first = (page - 1) * m_RowsPerPage + 1;
  const int last = std::min(m_LastRow, page * m_RowsPerPage);
  for (int row = first; row <= last; ++row) {
    top += m_LineHeight;
    PaintRow(painter, top, RowCells(row), m_Font);
  }
  PaintFooter(painter, page);
}

void MessageTablePrinter::PaintRow(QPainter& painter, int top, const std::vector<QString>& cells,
                                   const QFont& font) const {
  painter.setFont(font);
  const QFontMetrics metrics(font, painter.device());
  int left = m_PageArea.left();
  for (size_t column = 0; column < cells.size(); ++column) {
    const QRect cell(left, top, m_ColumnWidths[column], m_LineHeight);
    painter.drawRect(cell);
    const QRect text = cell.adjusted(kCellMargin, 0, -kCellMargin, 0);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(cells[column], Qt::ElideRight, text.width()));
    left += m_ColumnWidths[column];
  }
}

void MessageTablePrinter::PaintFooter(QPainter& painter, int page) const {
  const int ruleY = m_PageArea.bottom() - 2 * m_LineHeight;
  painter.drawLine(m_PageArea.left(), ruleY, m_PageArea.right(), ruleY);
  painter.setFont(m_BoldFont);
  const QRect footer(m_PageArea.left(), ruleY, m_PageArea.width(), m_LineHeight);
  painter.drawText(footer, Qt::AlignLeft | Qt::AlignVCenter,
                   QString("Pagina %1 of %2").arg(page).arg(PageCount()));
  painter.drawText(footer, Qt::AlignRight | Qt::AlignVCenter, m_PrintedAt);
}

std::vector<QString> MessageTablePrinter::RowCells(int row) const {
  const MessageRow content = m_Table.GetRow(row);
  return {QString::fromStdString(MessageTable::RowLabel(row)),
          QString::fromStdString(content.message), QString::fromStdString(content.comment),
          content.active != 0 ? QStringLiteral("X") : QString(),
          QString::fromStdString(content.trigger)};
}

void PrintMessageTable(const MessageTable& table, QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) {
    return;
  }
  const MessageTablePrinter pages(table, printer, QRect(0, 0, printer.width(), printer.height()));
  for (int page = 1; page <= pages.PageCount(); ++page) {
    if (page > 1) {
      printer.newPage();
    }
    pages.PaintPage(painter, page);
  }
}

}  // namespace linkwright
