#pragma once

#include <QObject>
#include <QPointer>
#include <QStyledItemDelegate>

class QAbstractItemView;
class QLineEdit;

namespace linkwright {

// The line edit in which the view's current cell is being edited in place; null when that cell
// is not being edited that way (a check-box cell has no line edit). The editor need not hold the
// keyboard focus: it keeps the edit while a menu has the keyboard.
QLineEdit* CurrentCellEditor(const QAbstractItemView& view);

// Tells when what CurrentCellEditor gives may have changed: the focus moved, or the text or
// selection of that editor changed.
class CellEditorWatcher : public QObject {
  Q_OBJECT

 public:
  explicit CellEditorWatcher(const QAbstractItemView& view, QObject* parent = nullptr);

 signals:
  void Changed();

 private:
  void FollowFocus();

  const QAbstractItemView& m_View;
  QPointer<QLineEdit> m_Editor;
};

// An item delegate whose in-place edits go on while a menu has the keyboard (Alt, a menu's
// shortcut, a popup): the editor stays open with its text uncommitted and its selection kept, so
// the menu's commands act on what is being edited, and the edit goes on when the menu closes.
// When the focus leaves the menus for anything but the editor, the edit ends as any loss of
// focus ends it: committed and closed.
class CellEditDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  void WaitForFocusBack(QObject* editor);
  void StopWaiting();
  void FollowFocus(QWidget* previous, QWidget* now);

  // The editor whose focus a menu holds.
  QPointer<QWidget> m_EditorInMenu;
};

}  // namespace linkwright
