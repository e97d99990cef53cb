#pragma once

#include <QObject>
#include <functional>

namespace linkwright {

// Turns the keys F1 … F24 into sends of rows 1 … 24 before any widget sees them, a cell editor
// included, and swallows them. Installed once on the application: a shortcut per widget would
// lose the keys to whichever editor has the focus. While a modal dialog is up the keys are
// left to it, so typing in a dialog never sends a row behind it.
class FunctionKeyFilter : public QObject {
  Q_OBJECT

 public:
  static constexpr int kKeyCount = 24;
  using RowSender = std::function<void(int row)>;

  explicit FunctionKeyFilter(RowSender sendRow, QObject* parent = nullptr);

  // The row a key sends: 1 … 24 for F1 … F24, 0 for every other key.
  static int RowOfKey(int key);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  RowSender m_SendRow;
};

}  // namespace linkwright
