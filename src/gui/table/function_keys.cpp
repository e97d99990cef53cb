#include "gui/table/function_keys.h"

#include <QApplication>
#include <QKeyEvent>

namespace linkwright {

FunctionKeyFilter::FunctionKeyFilter(RowSender sendRow, QObject* parent)
    : QObject(parent), m_SendRow(std::move(sendRow)) {}

int FunctionKeyFilter::RowOfKey(int key) {
  const int row = key - Qt::Key_F1 + 1;
  return (row >= 1 && row <= kKeyCount) ? row : 0;
}

bool FunctionKeyFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || QApplication::activeModalWidget() != nullptr) {
    return QObject::eventFilter(watched, event);
  }
  const int row = RowOfKey(static_cast<QKeyEvent*>(event)->key());
  if (row == 0) {
    return QObject::eventFilter(watched, event);
  }
  m_SendRow(row);
  return true;
}

}  // namespace linkwright
