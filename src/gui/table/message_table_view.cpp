#include "gui/table/message_table_view.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <utility>

#include "gui/table/cell_editor.h"

namespace linkwright {

namespace {

// The narrowest column, the active mark's check box; the header may not make any column narrower.
constexpr int kActiveWidth = 20;

// The hits column: room for five digits.
constexpr int kHitsWidth = 50;

struct ColumnSetUp {
  int column;
  int width;
};
// The trigger column is not listed: it stretches over the width the others leave free.
constexpr ColumnSetUp kColumnWidths[] = {{MessageTable::kLabelColumn, 30},
                                         {MessageTable::kMessageColumn, 450},
                                         {MessageTable::kCommentColumn, 150},
                                         {MessageTable::kActiveColumn, kActiveWidth}};

bool IsEscapedTextColumn(int column) {
  return column == MessageTable::kMessageColumn || column == MessageTable::kTriggerColumn;
}

// Draws the labels like header cells and the escaped texts in a fixed-pitch font, and shows the
// whole text of a cell that is too narrow for it as a tool tip.
class MessageCellDelegate : public CellEditDelegate {
 public:
  explicit MessageCellDelegate(QObject* parent)
      : CellEditDelegate(parent),
        m_FixedFont(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor != nullptr && IsEscapedTextColumn(index.column())) {
      editor->setFont(m_FixedFont);
    }
    return editor;
  }

  bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                 const QModelIndex& index) override {
    if (event->type() != QEvent::ToolTip) {
      return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (TextFits(cell)) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(event->globalPos(), cell.text, view);
    }
    return true;
  }

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == MessageTable::kLabelColumn) {
      option->backgroundBrush = option->palette.button();
      option->displayAlignment = Qt::AlignCenter;
    } else if (IsEscapedTextColumn(index.column())) {
      option->font = m_FixedFont;
      option->fontMetrics = QFontMetrics(m_FixedFont);
    }
  }

 private:
  static bool TextFits(const QStyleOptionViewItem& cell) {
    // The style's text margin on both sides, as the cell is drawn.
    const int margins = 2 * (cell.widget->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    return cell.fontMetrics.horizontalAdvance(cell.text) + margins <= cell.rect.width();
  }

  QFont m_FixedFont;
};

}  // namespace

MessageTableView::MessageTableView(MessageTable& table, RowSender sendRow, QWidget* parent)
    : QTableView(parent),
      m_Table(table),
      m_Model(table),
      m_SendRow(std::move(sendRow)),
      m_RowMenu(new QMenu(this)),
      m_DeleteRow(m_RowMenu->addAction("Delete row")),
      m_InsertRow(m_RowMenu->addAction("Insert row")) {
  m_RowMenu->addSeparator();
  m_RowMenu->addAction("Cancel");
  setModel(&m_Model);
  setItemDelegate(new MessageCellDelegate(this));
  setEditTriggers(DoubleClicked | SelectedClicked | EditKeyPressed | AnyKeyPressed);
  SetUpColumns();
  horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(horizontalHeader(), &QHeaderView::customContextMenuRequested, this,
          &MessageTableView::ShowHeaderMenu);
  connect(&m_Model, &MessageTableModel::TableFocusChanged, this,
          &MessageTableView::FollowTableFocus);
}

void MessageTableView::ShowHits(const ResponseStatistics& statistics) {
  m_Model.ShowHits(statistics);
  QHeaderView* header = horizontalHeader();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(MessageTable::kTriggerColumn, QHeaderView::Stretch);
  header->setSectionResizeMode(MessageTableModel::kHitsColumn, QHeaderView::Fixed);
  setColumnWidth(MessageTableModel::kHitsColumn, kHitsWidth);
}

void MessageTableView::SetUpColumns() {
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  QHeaderView* header = horizontalHeader();
  header->setHighlightSections(false);
  header->setMinimumSectionSize(kActiveWidth);
  header->setStretchLastSection(true);
  for (const ColumnSetUp& setUp : kColumnWidths) {
    setColumnWidth(setUp.column, setUp.width);
  }
  header->setSectionResizeMode(MessageTable::kLabelColumn, QHeaderView::Fixed);
}

int MessageTableView::LabelRowAt(const QPoint& viewportPos) const {
  const QModelIndex index = indexAt(viewportPos);
  if (!index.isValid() || index.column() != MessageTable::kLabelColumn) {
    return MessageTable::kNoRow;
  }
  return MessageTableModel::TableRow(index);
}

void MessageTableView::mousePressEvent(QMouseEvent* event) {
  const int labelRow = LabelRowAt(event->position().toPoint());
  if (labelRow == MessageTable::kNoRow) {
    QTableView::mousePressEvent(event);
    return;
  }
  // A label is not a data cell: pressing it neither selects nor starts a drag.
  m_PressedLabelRow = event->button() == Qt::LeftButton ? labelRow : MessageTable::kNoRow;
}

void MessageTableView::mouseReleaseEvent(QMouseEvent* event) {
  const int pressed = std::exchange(m_PressedLabelRow, MessageTable::kNoRow);
  if (pressed == MessageTable::kNoRow) {
    QTableView::mouseReleaseEvent(event);
    return;
  }
  if (event->button() == Qt::LeftButton && LabelRowAt(event->position().toPoint()) == pressed) {
    m_SendRow(pressed);
  }
}

void MessageTableView::contextMenuEvent(QContextMenuEvent* event) {
  const int labelRow = LabelRowAt(event->pos());
  if (labelRow != MessageTable::kNoRow) {
    ShowRowMenu(labelRow, event->globalPos());
  }
}

void MessageTableView::ShowHeaderMenu(const QPoint& headerPos) {
  if (horizontalHeader()->logicalIndexAt(headerPos) == MessageTable::kLabelColumn) {
    ShowRowMenu(1, horizontalHeader()->mapToGlobal(headerPos));
  }
}

// The menu acts on the row it was opened for: that row's message cell takes the focus first,
// and the table's Insert and Delete work on the focused row.
void MessageTableView::ShowRowMenu(int row, const QPoint& globalPos) {
  setCurrentIndex(m_Model.CellIndex(row, MessageTable::kMessageColumn));
  const QAction* chosen = m_RowMenu->exec(globalPos);
  if (chosen == m_DeleteRow) {
    m_Table.DeleteRow();
  } else if (chosen == m_InsertRow) {
    m_Table.InsertRow();
  }
}

// The user moved the focus: the table follows, and a row that AutoReply or AutoSend selected is
// no longer the selection.
void MessageTableView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (m_Syncing) {
    return;
  }
  const QScopedValueRollback syncing(m_Syncing, true);
  m_Table.ClearSelection();
  m_Table.SetFocusedRow(current.isValid() ? MessageTableModel::TableRow(current)
                                          : MessageTable::kNoRow);
}

// AutoReply and AutoSend select the row they send: the grid selects it, moves the focus into it
// and scrolls it into view.
void MessageTableView::FollowTableFocus(int focusedRow, int selectedRow) {
  if (m_Syncing) {
    return;
  }
  const QScopedValueRollback syncing(m_Syncing, true);
  if (m_Table.IsMessageRow(selectedRow)) {
    selectionModel()->select(
        QItemSelection(m_Model.CellIndex(selectedRow, MessageTable::kMessageColumn),
                       m_Model.CellIndex(selectedRow, MessageTable::kTriggerColumn)),
        QItemSelectionModel::ClearAndSelect);
  }
  if (!m_Table.IsMessageRow(focusedRow)) {
    return;
  }
  const int column = std::max(currentIndex().column(), int{MessageTable::kMessageColumn});
  const QModelIndex focus = m_Model.CellIndex(focusedRow, column);
  selectionModel()->setCurrentIndex(focus, QItemSelectionModel::NoUpdate);
  scrollTo(focus);
}

}  // namespace linkwright
