#pragma once

#include <QDialog>

namespace linkwright {

// The modal list of control symbols: a read-only fixed-pitch text with every symbol's name,
// decimal, hexadecimal and caret form, and under it the escape syntax in one line. It has no
// button of its own; the window's close box ends it.
class SymbolsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SymbolsDialog(QWidget* parent = nullptr);
};

}  // namespace linkwright
