#include "gui/document/print_commands.h"

#include <QAction>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "gui/document/message_print.h"

namespace linkwright {

PrintCommands::PrintCommands(const MessageTable& table, const Actions& actions, QWidget& window)
    : QObject(&window), m_Table(table), m_Window(window) {
  connect(actions.print, &QAction::triggered, this, &PrintCommands::Print);
  connect(actions.preview, &QAction::triggered, this, &PrintCommands::Preview);
  connect(actions.setup, &QAction::triggered, this, &PrintCommands::Setup);
}

PrintCommands::~PrintCommands() = default;

QPrinter& PrintCommands::Printer() {
  // Made on first use: setting up a printer asks the print system, which may take a while.
  if (!m_Printer) {
    m_Printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  }
  return *m_Printer;
}

void PrintCommands::Print() {
  QPrintDialog dialog(&Printer(), &m_Window);
  if (dialog.exec() == QDialog::Accepted) {
    PrintMessageTable(m_Table, Printer());
  }
}

void PrintCommands::Preview() {
  QPrintPreviewDialog preview(&Printer(), &m_Window);
  connect(&preview, &QPrintPreviewDialog::paintRequested, this,
          [this](QPrinter* printer) { PrintMessageTable(m_Table, *printer); });
  preview.exec();
}

void PrintCommands::Setup() {
  QPageSetupDialog dialog(&Printer(), &m_Window);
  dialog.exec();
}

}  // namespace linkwright
