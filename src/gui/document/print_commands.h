#pragma once

#include <QObject>
#include <memory>

class QAction;
class QPrinter;
class QWidget;

namespace linkwright {

class MessageTable;

// File › "Print...", "Print Preview" and "Print Setup..." on the message table, sharing one
// printer so that the setup holds for the next print.
class PrintCommands : public QObject {
  Q_OBJECT

 public:
  struct Actions {
    QAction* print;
    QAction* preview;
    QAction* setup;
  };

  // `window` is the parent of the print dialogs.
  PrintCommands(const MessageTable& table, const Actions& actions, QWidget& window);
  ~PrintCommands() override;

 private:
  QPrinter& Printer();
  void Print();
  void Preview();
  void Setup();

  const MessageTable& m_Table;
  QWidget& m_Window;
  std::unique_ptr<QPrinter> m_Printer;
};

}  // namespace linkwright
