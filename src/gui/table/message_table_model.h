#pragma once

#include <QAbstractTableModel>

#include <cstdint>

#include "document/message_table.h"

namespace linkwright {

class ResponseStatistics;

// The Qt face of the core's MessageTable: rows 0 … 98 of the model are the table's rows 1 … 99,
// the columns are the table's label, message, comment, active and trigger columns. The model
// holds no row data of its own: it reads the table on every request, turns edits into table
// calls and forwards the table's change notices to the views. The table must outlive the model.
// With statistics given, a last column "hits" shows how often AutoReply answered with each row.
class MessageTableModel : public QAbstractTableModel, private MessageTableListener {
  Q_OBJECT

 public:
  // The column after the trigger that ShowHits adds.
  static constexpr int kHitsColumn = MessageTable::kColumnCount;

  explicit MessageTableModel(MessageTable& table, QObject* parent = nullptr);
  ~MessageTableModel() override;

  // Adds the "hits" column, read from the statistics, which must outlive the model.
  void ShowHits(const ResponseStatistics& statistics);
  // Tells the views the hits changed, when they did since the last call.
  void RefreshHits();

  // The table row (1 … 99) shown in a model row, and back.
  static int TableRow(const QModelIndex& index) { return index.row() + 1; }
  QModelIndex CellIndex(int tableRow, int column) const { return index(tableRow - 1, column); }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Every accepted edit marks the table modified, even when the text stays the same, as the
  // end of an in-place edit always did.
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 signals:
  // The table's focused or selected row changed (AutoReply and AutoSend select the row they
  // send); rows are table rows, MessageTable::kNoRow for none.
  void TableFocusChanged(int focusedRow, int selectedRow);

 private:
  QVariant HitsData(int row, int role) const;
  void RowsChanged(int first, int last) override;
  void TableAboutToReset() override;
  void TableReset() override;
  void FocusChanged(int focusedRow, int selectedRow) override;

  MessageTable& m_Table;
  const ResponseStatistics* m_Statistics = nullptr;
  uint64_t m_ShownGeneration = 0;
};

}  // namespace linkwright
