#pragma once

#include <QTableView>
#include <functional>

#include "gui/table/message_table_model.h"

class QMenu;

namespace linkwright {

// The upper pane of the main window: the message table as a grid. The label column "key" (F1 …
// F99) is fixed; message, comment and trigger are edited in place, the active mark is a check
// box. A left click on a label sends that row; a right click on a label (or on the "key" header,
// which stands for row 1) focuses the row's message cell and offers "Delete row" and "Insert row"
// for it. Clicks anywhere else only select.
class MessageTableView : public QTableView {
  Q_OBJECT

 public:
  // Sends a table row (1 … 99) over the link; the link and its result beep are the caller's.
  using RowSender = std::function<void(int row)>;

  // The table must outlive the view.
  MessageTableView(MessageTable& table, RowSender sendRow, QWidget* parent = nullptr);

  // Adds the "hits" column after the trigger (see MessageTableModel::ShowHits); the trigger
  // keeps the free width.
  void ShowHits(const ResponseStatistics& statistics);
  void RefreshHits() { m_Model.RefreshHits(); }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  void SetUpColumns();
  int LabelRowAt(const QPoint& viewportPos) const;
  void ShowRowMenu(int row, const QPoint& globalPos);
  void ShowHeaderMenu(const QPoint& headerPos);
  void FollowTableFocus(int focusedRow, int selectedRow);

  MessageTable& m_Table;
  MessageTableModel m_Model;
  RowSender m_SendRow;
  QMenu* m_RowMenu;
  QAction* m_DeleteRow;
  QAction* m_InsertRow;
  // The label a left button went down on; the row is sent when the button comes up there.
  int m_PressedLabelRow = MessageTable::kNoRow;
  // Set while the view and the table bring each other in step, so neither echoes the other.
  bool m_Syncing = false;
};

}  // namespace linkwright
