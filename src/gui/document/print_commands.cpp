#include "gui/document/print_commands.h"

#include <QAction>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "gui/table/message_view.h"

PrintCommands::PrintCommands(CLinkwrightView& view, const Actions& actions, QWidget& window)
    : QObject(&window), m_View(view), m_Window(window) {
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
    m_View.Print(&Printer());
  }
}

void PrintCommands::Preview() {
  QPrintPreviewDialog preview(&Printer(), &m_Window);
  connect(&preview, &QPrintPreviewDialog::paintRequested, &m_View, &CLinkwrightView::Print);
  preview.exec();
}

void PrintCommands::Setup() {
  QPageSetupDialog dialog(&Printer(), &m_Window);
  dialog.exec();
}
