#include "gui/table/edit_commands.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <algorithm>

#include "document/table_clipboard.h"
#include "gui/table/cell_editor.h"
#include "gui/table/message_table_model.h"

namespace linkwright {

EditCommands::EditCommands(QAbstractItemView& view, MessageTable& table, const Actions& actions,
                           QObject* parent)
    : QObject(parent), m_View(view), m_Table(table), m_Actions(actions) {
  connect(m_Actions.undo, &QAction::triggered, this, &EditCommands::RunUndo);
  connect(m_Actions.cut, &QAction::triggered, this, &EditCommands::RunCut);
  connect(m_Actions.copy, &QAction::triggered, this, &EditCommands::RunCopy);
  connect(m_Actions.paste, &QAction::triggered, this, &EditCommands::RunPaste);

  auto* watcher = new CellEditorWatcher(view, this);
  connect(watcher, &CellEditorWatcher::Changed, this, &EditCommands::UpdateEnabled);
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &EditCommands::UpdateEnabled);
  if (QItemSelectionModel* selection = view.selectionModel()) {
    connect(selection, &QItemSelectionModel::selectionChanged, this, &EditCommands::UpdateEnabled);
    connect(selection, &QItemSelectionModel::currentChanged, this, &EditCommands::UpdateEnabled);
  }
  UpdateEnabled();
}

void EditCommands::UpdateEnabled() {
  if (QLineEdit* editor = CurrentCellEditor(m_View)) {
    m_Actions.undo->setEnabled(editor->isUndoAvailable());
    m_Actions.cut->setEnabled(editor->hasSelectedText() && !editor->isReadOnly());
    m_Actions.copy->setEnabled(editor->hasSelectedText());
    m_Actions.paste->setEnabled(ClipboardHasText() && !editor->isReadOnly());
    return;
  }
  bool cell = m_View.currentIndex().isValid();
  m_Actions.undo->setEnabled(false);
  m_Actions.cut->setEnabled(false);
  m_Actions.copy->setEnabled(cell || m_View.selectionModel()->hasSelection());
  m_Actions.paste->setEnabled(cell && ClipboardHasText());
}

void EditCommands::RunUndo() {
  if (QLineEdit* editor = CurrentCellEditor(m_View)) {
    editor->undo();
  }
}

void EditCommands::RunCut() {
  if (QLineEdit* editor = CurrentCellEditor(m_View)) {
    editor->cut();
  }
}

// The cells of the selection's bounding rectangle, or the current cell when none is selected.
void EditCommands::RunCopy() {
  if (QLineEdit* editor = CurrentCellEditor(m_View)) {
    editor->copy();
    return;
  }
  QModelIndexList cells = m_View.selectionModel()->selectedIndexes();
  if (cells.isEmpty() && m_View.currentIndex().isValid()) {
    cells.append(m_View.currentIndex());
  }
  if (cells.isEmpty()) {
    return;
  }
  auto [top, bottom] = std::minmax_element(cells.cbegin(), cells.cend(),
                                           [](auto& a, auto& b) { return a.row() < b.row(); });
  auto [left, right] = std::minmax_element(
      cells.cbegin(), cells.cend(), [](auto& a, auto& b) { return a.column() < b.column(); });
  std::string text =
      CellsAsTabText(m_Table, MessageTableModel::TableRow(*top),
                     MessageTableModel::TableRow(*bottom), left->column(), right->column());
  if (!text.empty()) {
    QApplication::clipboard()->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
  }
}

void EditCommands::RunPaste() {
  if (QLineEdit* editor = CurrentCellEditor(m_View)) {
    editor->paste();
    return;
  }
  QModelIndex current = m_View.currentIndex();
  if (current.isValid()) {
    PasteTabText(m_Table, MessageTableModel::TableRow(current), current.column(),
                 QApplication::clipboard()->text().toUtf8().toStdString());
  }
}

bool EditCommands::ClipboardHasText() const {
  return !QApplication::clipboard()->text().isEmpty();
}

}  // namespace linkwright
