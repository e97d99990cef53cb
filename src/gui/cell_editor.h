#pragma once

#include <QObject>
#include <QPointer>

class QAbstractItemView;
class QLineEdit;

// The line edit in which one of the view's cells is being edited in place and which has the
// keyboard focus; null when no cell is being edited that way (a check-box cell has no line
// edit).
QLineEdit* FocusedCellEditor(const QAbstractItemView& view);

// Tells when what FocusedCellEditor gives may have changed: the focus moved, or the text or
// selection of the editor that has it changed. Commands that depend on the cell editor
// re-evaluate their enabled state on Changed().
class CCellEditorWatcher : public QObject {
  Q_OBJECT

 public:
  explicit CCellEditorWatcher(const QAbstractItemView& view, QObject* parent = nullptr);

 signals:
  void Changed();

 private:
  void FollowFocus();

  const QAbstractItemView& m_View;
  QPointer<QLineEdit> m_Editor;
};
