#pragma once

#include <QObject>

class QAbstractItemView;
class QAction;

namespace linkwright {

class MessageTable;

// The Edit menu: Undo, Cut, Copy, Paste. While a cell is edited in place they act on that
// cell's editor, with its own undo and the clipboard. With no editor open, Copy puts the
// selected cells on the clipboard as tab-separated text and Paste writes such text into the
// cells from the current one on, so rows move to and from spreadsheets and other message
// files; Undo and Cut are then disabled.
class EditCommands : public QObject {
  Q_OBJECT

 public:
  // The window's four menu actions, whose triggering and enabled state the commands take over.
  struct Actions {
    QAction* undo;
    QAction* cut;
    QAction* copy;
    QAction* paste;
  };

  // `view` shows `table` with the model's rows 0 … 98 as table rows 1 … 99 and its columns as
  // the table's columns.
  EditCommands(QAbstractItemView& view, MessageTable& table, const Actions& actions,
               QObject* parent = nullptr);

  void UpdateEnabled();

 private:
  void RunUndo();
  void RunCut();
  void RunCopy();
  void RunPaste();
  bool ClipboardHasText() const;

  QAbstractItemView& m_View;
  MessageTable& m_Table;
  Actions m_Actions;
};

}  // namespace linkwright
