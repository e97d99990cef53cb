#include "gui/table/cell_editor.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

namespace linkwright {

QLineEdit* CurrentCellEditor(const QAbstractItemView& view) {
  // The view gives the editor that is open on a cell as that cell's index widget.
  return qobject_cast<QLineEdit*>(view.indexWidget(view.currentIndex()));
}

CellEditorWatcher::CellEditorWatcher(const QAbstractItemView& view, QObject* parent)
    : QObject(parent), m_View(view) {
  connect(qApp, &QApplication::focusChanged, this, &CellEditorWatcher::FollowFocus);
}

void CellEditorWatcher::FollowFocus() {
  QLineEdit* editor = CurrentCellEditor(m_View);
  if (editor != m_Editor) {
    if (m_Editor != nullptr) {
      disconnect(m_Editor, nullptr, this, nullptr);
    }
    m_Editor = editor;
    if (editor != nullptr) {
      connect(editor, &QLineEdit::selectionChanged, this, &CellEditorWatcher::Changed);
      connect(editor, &QLineEdit::textChanged, this, &CellEditorWatcher::Changed);
    }
  }
  emit Changed();
}

bool CellEditDelegate::eventFilter(QObject* object, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    StopWaiting();
  } else if (event->type() == QEvent::FocusOut) {
    switch (static_cast<QFocusEvent*>(event)->reason()) {
      case Qt::PopupFocusReason:
        WaitForFocusBack(object);
        return false;
      case Qt::MenuBarFocusReason: {
        // A line edit drops its selection when the menu bar takes the focus, and keeps it for a
        // popup.
        QFocusEvent toPopup(QEvent::FocusOut, Qt::PopupFocusReason);
        QCoreApplication::sendEvent(object, &toPopup);
        return true;
      }
      default:
        StopWaiting();
        break;
    }
  }
  return QStyledItemDelegate::eventFilter(object, event);
}

void CellEditDelegate::WaitForFocusBack(QObject* editor) {
  m_EditorInMenu = qobject_cast<QWidget*>(editor);
  connect(qApp, &QApplication::focusChanged, this, &CellEditDelegate::FollowFocus,
          Qt::UniqueConnection);
}

void CellEditDelegate::StopWaiting() {
  m_EditorInMenu = nullptr;
  disconnect(qApp, &QApplication::focusChanged, this, &CellEditDelegate::FollowFocus);
}

void CellEditDelegate::FollowFocus(QWidget* /*previous*/, QWidget* now) {
  if (qobject_cast<QMenuBar*>(now) != nullptr || qobject_cast<QMenu*>(now) != nullptr) {
    return;
  }
  QWidget* editor = m_EditorInMenu;
  StopWaiting();
  if (editor != nullptr && now != editor) {
    emit commitData(editor);
    emit closeEditor(editor);
  }
}

}  // namespace linkwright
