#include "gui/table/message_table_model.h"

#include "session/response_statistics.h"

namespace linkwright {

namespace {

bool IsTextColumn(int column) {
  return column == MessageTable::kMessageColumn || column == MessageTable::kCommentColumn ||
         column == MessageTable::kTriggerColumn;
}

}  // namespace

MessageTableModel::MessageTableModel(MessageTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_Table(table) {
  m_Table.AddListener(this);
}

MessageTableModel::~MessageTableModel() {
  m_Table.RemoveListener(this);
}

void MessageTableModel::ShowHits(const ResponseStatistics& statistics) {
  beginInsertColumns({}, kHitsColumn, kHitsColumn);
  m_Statistics = &statistics;
  m_ShownGeneration = statistics.Generation();
  endInsertColumns();
}

void MessageTableModel::RefreshHits() {
  if (m_Statistics == nullptr || m_Statistics->Generation() == m_ShownGeneration) {
    return;
  }
  m_ShownGeneration = m_Statistics->Generation();
  emit dataChanged(index(0, kHitsColumn), index(rowCount() - 1, kHitsColumn), {Qt::DisplayRole});
}

int MessageTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : m_Table.RowCount();
}

int MessageTableModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) {
    return 0;
  }
  return m_Statistics != nullptr ? kHitsColumn + 1 : MessageTable::kColumnCount;
}

QVariant MessageTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) {
    return {};
  }
  const int row = TableRow(index);
  const int column = index.column();
  if (column == MessageTable::kLabelColumn && role == Qt::DisplayRole) {
    return QString::fromStdString(MessageTable::RowLabel(row));
  }
  if (column == MessageTable::kActiveColumn && role == Qt::CheckStateRole) {
    return m_Table.GetActive(row) != 0 ? Qt::Checked : Qt::Unchecked;
  }
  if (IsTextColumn(column) && (role == Qt::DisplayRole || role == Qt::EditRole)) {
    return QString::fromStdString(m_Table.GetItemText(row, column));
  }
  if (column == kHitsColumn) {
    return HitsData(row, role);
  }
  return {};
}

QVariant MessageTableModel::HitsData(int row, int role) const {
  const int64_t hits = m_Statistics->Hits(row);
  if (role == Qt::DisplayRole && hits > 0) {
    return QString::number(hits);
  }
  if (role == Qt::TextAlignmentRole) {
    return int{Qt::AlignRight | Qt::AlignVCenter};
  }
  return {};
}

QVariant MessageTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
    return {};
  }
  if (section == kHitsColumn) {
    return tr("hits");
  }
  return QString::fromStdString(MessageTable::ColumnTitle(section));
}

Qt::ItemFlags MessageTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) {
    return Qt::NoItemFlags;
  }
  switch (index.column()) {
    case MessageTable::kLabelColumn:
      return Qt::ItemIsEnabled;
    case kHitsColumn:
      return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    case MessageTable::kActiveColumn:
      return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
    default:
      return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
  }
}

bool MessageTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid()) {
    return false;
  }
  const int row = TableRow(index);
  const int column = index.column();
  if (column == MessageTable::kActiveColumn && role == Qt::CheckStateRole) {
    m_Table.SetActive(row, value.toInt() == Qt::Checked ? 1 : 0);
    return true;
  }
  if (IsTextColumn(column) && role == Qt::EditRole) {
    m_Table.SetItemText(row, column, value.toString().toStdString());
    return true;
  }
  return false;
}

void MessageTableModel::RowsChanged(int first, int last) {
  emit dataChanged(CellIndex(first, 0), CellIndex(last, MessageTable::kColumnCount - 1));
}

void MessageTableModel::TableAboutToReset() {
  beginResetModel();
}

void MessageTableModel::TableReset() {
  endResetModel();
}

void MessageTableModel::FocusChanged(int focusedRow, int selectedRow) {
  emit TableFocusChanged(focusedRow, selectedRow);
}

}  // namespace linkwright
