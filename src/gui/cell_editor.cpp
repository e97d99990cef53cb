#include "cell_editor.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>

QLineEdit* FocusedCellEditor(const QAbstractItemView& view) {
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  if (editor == nullptr || !view.currentIndex().isValid() ||
      !view.viewport()->isAncestorOf(editor)) {
    return nullptr;
  }
  return editor;
}

CCellEditorWatcher::CCellEditorWatcher(const QAbstractItemView& view, QObject* parent)
    : QObject(parent), m_View(view) {
  connect(qApp, &QApplication::focusChanged, this, &CCellEditorWatcher::FollowFocus);
}

void CCellEditorWatcher::FollowFocus() {
  QLineEdit* editor = FocusedCellEditor(m_View);
  if (editor != m_Editor) {
    if (m_Editor != nullptr) {
      disconnect(m_Editor, nullptr, this, nullptr);
    }
    m_Editor = editor;
    if (editor != nullptr) {
      connect(editor, &QLineEdit::selectionChanged, this, &CCellEditorWatcher::Changed);
      connect(editor, &QLineEdit::textChanged, this, &CCellEditorWatcher::Changed);
    }
  }
  emit Changed();
}
