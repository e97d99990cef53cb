#include "gui/app/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

#include "gui/app/window_menus.h"
#include "gui/app/window_state.h"
#include "gui/dialogs/dialog_commands.h"
#include "gui/document/document_commands.h"
#include "gui/session/link_commands.h"
#include "gui/session/session_driver.h"
#include "gui/table/message_table_view.h"
#include "gui/table/table_commands.h"
#include "gui/trace/trace_pane.h"

namespace linkwright {

namespace {

// Height of the upper pane before the saved height is applied.
constexpr int kInitialUpperPaneHeight = 440;

}  // namespace

MainWindow::MainWindow(Configuration& config, QWidget* parent)
    : QMainWindow(parent),
      m_Config(config),
      m_Driver(new SessionDriver(config, this)),
      m_Actions(MakeWindowActions(this)) {
  CreateViews();
  CreateMenus();
  CreateStatusBar();
  WireCommands();
  resize(960, 720);
  m_Driver->ShowStatus();
}

MainWindow::~MainWindow() {
  // The views follow the session's table: they go before the driver and its session do, and
  // the driver goes while the status bar that shows the link's last status is still there.
  delete takeCentralWidget();
  delete m_Driver;
}

const QString& MainWindow::DocumentPath() const {
  return m_Document->DocumentPath();
}

void MainWindow::CreateViews() {
  SessionDriver& driver = *m_Driver;
  m_Splitter = new QSplitter(Qt::Vertical, this);
  m_MessageView = new MessageTableView(
      driver.GetSession().Table(), [&driver](int row) { driver.SendRow(row); }, m_Splitter);
  m_TracePane = new TracePane(m_Splitter);
  m_Splitter->addWidget(m_MessageView);
  m_Splitter->addWidget(m_TracePane);
  m_Splitter->setChildrenCollapsible(false);
  // The table keeps its height when the window is resized; the trace pane takes the difference.
  m_Splitter->setStretchFactor(0, 0);
  m_Splitter->setStretchFactor(1, 1);
  m_Splitter->setSizes({kInitialUpperPaneHeight, kInitialUpperPaneHeight});
  setCentralWidget(m_Splitter);
  m_MessageView->ShowHits(driver.GetSession().Statistics());
  connect(&driver, &SessionDriver::TicksRan, m_MessageView, &MessageTableView::RefreshHits);
  connect(&driver, &SessionDriver::TraceAppended, m_TracePane, &TracePane::AppendTrace);
  connect(&driver, &SessionDriver::TraceCleared, m_TracePane, &TracePane::Clear);
}

void MainWindow::CreateMenus() {
  const WindowActions& a = m_Actions;
  const WindowMenus menus = BuildWindowMenus(*this, a, *m_Driver, *m_TracePane);
  m_ToolsMenu = menus.tools;
  m_Document = new DocumentCommands(*m_Driver, {a.fileNew, a.fileOpen, a.fileSave, a.fileSaveAs},
                                    {a.filePrint, a.filePrintPreview, a.filePrintSetup},
                                    *menus.file, menus.recentFilesEnd, *this);
}

void MainWindow::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  // The message pane says "Ready" whenever no hint or report is showing.
  connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& message) {
    if (message.isEmpty()) {
      bar->showMessage(tr("Ready"));
    }
  });
  bar->showMessage(tr("Ready"));
}

void MainWindow::WireCommands() {
  const WindowActions& a = m_Actions;
  Session& session = m_Driver->GetSession();
  auto* link =
      new LinkCommands(*m_Driver, {a.openConnection, a.closeConnection, a.autoSend}, *this);
  connect(m_ToolsMenu, &QMenu::aboutToShow, link, &LinkCommands::UpdateStates);
  WireTableCommands(*m_MessageView, *m_Driver, {a.editUndo, a.editCut, a.editCopy, a.editPaste},
                    this);
  auto* dialogs = new DialogCommands(
      *m_Driver, *m_MessageView,
      {a.appAbout, a.viewSymbols, a.statistics, a.computeCrc, a.configuration}, *this);
  connect(dialogs, &DialogCommands::SettingsApplied, this, &MainWindow::ApplyWindowOptions);

  connect(a.appExit, &QAction::triggered, this, &QWidget::close);
  connect(a.clearTrace, &QAction::triggered, m_TracePane, &TracePane::Clear);
  connect(m_TracePane, &TracePane::HasTextChanged, a.clearTrace, &QAction::setEnabled);
  a.clearTrace->setEnabled(m_TracePane->HasText());
  connect(a.switchMessageTrigger, &QAction::triggered, this,
          [&session] { session.Table().SwitchMessageTrigger(); });
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { SaveWindowState(); });
  WireViewToggles();
}

// View › "Toolbar" and "Status Bar" follow their bars however they were hidden (the menu or the
// toolbar's own context menu).
void MainWindow::WireViewToggles() {
  QToolBar* toolBar = findChild<QToolBar*>("toolBar");
  for (QAction* toggle : {m_Actions.viewToolBar, m_Actions.viewStatusBar}) {
    toggle->setCheckable(true);
    toggle->setChecked(true);
  }
  connect(m_Actions.viewToolBar, &QAction::toggled, toolBar, &QToolBar::setVisible);
  connect(toolBar, &QToolBar::visibilityChanged, m_Actions.viewToolBar, &QAction::setChecked);
  connect(m_Actions.viewStatusBar, &QAction::toggled, statusBar(), &QStatusBar::setVisible);
}

void MainWindow::OpenStartupFile(const QString& path) {
  m_Document->OpenStartupFile(path);
}

void MainWindow::SaveWindowState() {
  QSettings settings;
  linkwright::SaveWindowState(settings, *this, m_Splitter);
}

bool MainWindow::RestoreWindowState() {
  const QSettings settings;
  const int upperHeight = SavedUpperPaneHeight(settings);
  const int total = std::max(m_Splitter->height(), upperHeight + kInitialUpperPaneHeight);
  m_Splitter->setSizes({upperHeight, total - upperHeight});
  return linkwright::RestoreWindowState(settings, *this);
}

void MainWindow::ApplyWindowOptions() {
  linkwright::ApplyWindowOptions(*this, m_Config);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  SaveWindowState();
  if (!m_Document->SaveModified()) {
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace linkwright
