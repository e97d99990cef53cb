#include "edit_commands.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <algorithm>

#include "cell_editor.h"
#include "document/table_clipboard.h"

namespace {

// Table rows are one above the model's rows; columns are the same.
int TableRow(const QModelIndex& index) {
  return index.row() + 1;
}

}  // namespace

CEditCommands::CEditCommands(QAbstractItemView& view, MessageTable& table, QObject* parent)
    : QObject(parent),
      m_View(view),
      m_Table(table),
      m_Undo(NewAction("&Undo", {QKeySequence(Qt::CTRL | Qt::Key_Z),
                                 QKeySequence(Qt::ALT | Qt::Key_Backspace)})),
      m_Cut(NewAction("Cu&t", {QKeySequence(Qt::SHIFT | Qt::Key_Delete)})),
      m_Copy(NewAction("&Copy", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
                                 QKeySequence(Qt::CTRL | Qt::Key_Insert)})),
      m_Paste(NewAction("&Paste", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V),
                                   QKeySequence(Qt::SHIFT | Qt::Key_Insert)})) {
  connect(m_Undo, &QAction::triggered, this, &CEditCommands::RunUndo);
  connect(m_Cut, &QAction::triggered, this, &CEditCommands::RunCut);
  connect(m_Copy, &QAction::triggered, this, &CEditCommands::RunCopy);
  connect(m_Paste, &QAction::triggered, this, &CEditCommands::RunPaste);

  auto* watcher = new CCellEditorWatcher(view, this);
  connect(watcher, &CCellEditorWatcher::Changed, this, &CEditCommands::UpdateEnabled);
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CEditCommands::UpdateEnabled);
  if (QItemSelectionModel* selection = view.selectionModel()) {
    connect(selection, &QItemSelectionModel::selectionChanged, this, &CEditCommands::UpdateEnabled);
    connect(selection, &QItemSelectionModel::currentChanged, this, &CEditCommands::UpdateEnabled);
  }
  UpdateEnabled();
}

QAction* CEditCommands::NewAction(const QString& text, std::initializer_list<QKeySequence> keys) {
  auto* action = new QAction(text, this);
  action->setShortcuts(QList<QKeySequence>(keys));
  action->setShortcutContext(Qt::ApplicationShortcut);
  return action;
}

void CEditCommands::UpdateEnabled() {
  if (QLineEdit* editor = FocusedCellEditor(m_View)) {
    m_Undo->setEnabled(editor->isUndoAvailable());
    m_Cut->setEnabled(editor->hasSelectedText() && !editor->isReadOnly());
    m_Copy->setEnabled(editor->hasSelectedText());
    m_Paste->setEnabled(ClipboardHasText() && !editor->isReadOnly());
    return;
  }
  bool cell = m_View.currentIndex().isValid();
  m_Undo->setEnabled(false);
  m_Cut->setEnabled(false);
  m_Copy->setEnabled(cell || m_View.selectionModel()->hasSelection());
  m_Paste->setEnabled(cell && ClipboardHasText());
}

void CEditCommands::RunUndo() {
  if (QLineEdit* editor = FocusedCellEditor(m_View)) {
    editor->undo();
  }
}

void CEditCommands::RunCut() {
  if (QLineEdit* editor = FocusedCellEditor(m_View)) {
    editor->cut();
  }
}

// The cells of the selection's bounding rectangle, or the current cell when none is selected.
void CEditCommands::RunCopy() {
  if (QLineEdit* editor = FocusedCellEditor(m_View)) {
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
      CellsAsTabText(m_Table, TableRow(*top), TableRow(*bottom), left->column(), right->column());
  QApplication::clipboard()->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

void CEditCommands::RunPaste() {
  if (QLineEdit* editor = FocusedCellEditor(m_View)) {
    editor->paste();
    return;
  }
  QModelIndex current = m_View.currentIndex();
  if (current.isValid()) {
    PasteTabText(m_Table, TableRow(current), current.column(),
                 QApplication::clipboard()->text().toUtf8().toStdString());
  }
}

bool CEditCommands::ClipboardHasText() const {
  return !QApplication::clipboard()->text().isEmpty();
}
