#include "gui/app/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

#include "gui/app/window_state.h"
#include "gui/dialogs/dialog_commands.h"
#include "gui/document/document_commands.h"
#include "gui/document/print_commands.h"
#include "gui/scenario/scenario_panel.h"
#include "gui/serial/serial_controls.h"
#include "gui/session/link_commands.h"
#include "gui/session/link_status_panes.h"
#include "gui/session/session_driver.h"
#include "gui/table/message_view.h"
#include "gui/table/table_commands.h"
#include "gui/trace/trace_commands.h"
#include "gui/trace/trace_view.h"

namespace {

// Height of the upper pane before the saved height is applied.
constexpr int kInitialUpperPaneHeight = 440;

}  // namespace

CMainFrame::CMainFrame(CConfiguration& config, QWidget* parent)
    : QMainWindow(parent),
      m_Config(config),
      m_Driver(new SessionDriver(config, this)),
      m_Actions(MakeWindowActions(this)) {
  CreateViews();
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  WireCommands();
  auto* serial = new SerialControls(m_Driver->GetSession(), *menuBar(), *statusBar(), this);
  connect(m_Driver, &SessionDriver::TicksRan, serial, &SerialControls::Refresh);
  connect(m_Driver, &SessionDriver::LinkStatusChanged, serial, &SerialControls::Refresh);
  resize(960, 720);
  m_Driver->ShowStatus();
}

CMainFrame::~CMainFrame() {
  // The views follow the session's table: they go before the driver and its session do, and
  // the driver goes while the status bar that shows the link's last status is still there.
  delete takeCentralWidget();
  delete m_Driver;
}

const QString& CMainFrame::DocumentPath() const {
  return m_Document->DocumentPath();
}

void CMainFrame::CreateViews() {
  SessionDriver& driver = *m_Driver;
  m_Splitter = new QSplitter(Qt::Vertical, this);
  m_MessageView = new CLinkwrightView(
      driver.GetSession().Table(), [&driver](int row) { driver.SendRow(row); }, m_Splitter);
  m_TracePane = new CBottomView(m_Splitter);
  m_Splitter->addWidget(m_MessageView);
  m_Splitter->addWidget(m_TracePane);
  m_Splitter->setChildrenCollapsible(false);
  // The table keeps its height when the window is resized; the trace pane takes the difference.
  m_Splitter->setStretchFactor(0, 0);
  m_Splitter->setStretchFactor(1, 1);
  m_Splitter->setSizes({kInitialUpperPaneHeight, kInitialUpperPaneHeight});
  setCentralWidget(m_Splitter);
  m_MessageView->ShowHits(driver.GetSession().Statistics());
  connect(&driver, &SessionDriver::TicksRan, m_MessageView, &CLinkwrightView::RefreshHits);
  connect(&driver, &SessionDriver::TraceAppended, m_TracePane, &CBottomView::AppendTrace);
  connect(&driver, &SessionDriver::TraceCleared, m_TracePane, &CBottomView::Clear);
  m_TraceCommands = new TraceCommands(*this, *m_TracePane);
}

// Every menu of the window is built here, from the actions of the window and of its parts.
void CMainFrame::CreateMenus() {
  const WindowActions& a = m_Actions;
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->addActions({a.fileNew, a.fileOpen, a.fileSave, a.fileSaveAs});
  file->addSeparator();
  file->addActions({m_TraceCommands->SaveAs(), m_TraceCommands->Log()});
  file->addSeparator();
  file->addActions({a.filePrint, a.filePrintPreview, a.filePrintSetup});
  file->addSeparator();
  QAction* recentFilesEnd = file->addSeparator();
  file->addAction(a.appExit);
  m_Document = new DocumentCommands(*m_Driver, {a.fileNew, a.fileOpen, a.fileSave, a.fileSaveAs},
                                    *file, recentFilesEnd, *this);

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  edit->addAction(a.editUndo);
  edit->addSeparator();
  edit->addActions({a.editCut, a.editCopy, a.editPaste});

  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->addActions({a.viewToolBar, a.viewStatusBar});
  view->addSeparator();
  view->addActions({m_TraceCommands->Timestamps(), m_TraceCommands->Colours()});
  view->addSeparator();
  view->addActions({a.clearTrace, m_TraceCommands->Find()});

  m_ToolsMenu = menuBar()->addMenu(tr("&Tools"));
  m_ToolsMenu->addActions({a.openConnection, a.closeConnection, a.configuration});
  m_ToolsMenu->addAction(m_Driver->WakeOnDataToggle());
  m_ToolsMenu->addSeparator();
  m_ToolsMenu->addActions({a.switchMessageTrigger, a.computeCrc});
  m_ToolsMenu->addSeparator();
  m_ToolsMenu->addAction(a.autoSend);
  m_ToolsMenu->addSeparator();
  m_ToolsMenu->addAction(a.statistics);
  m_ToolsMenu->addAction(tr("Run Scenario..."), this,
                         [this] { ScenarioPanel::OpenFor(*m_Driver, *this); });

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(a.appAbout);
  help->addAction(a.viewSymbols);
}

void CMainFrame::CreateToolBar() {
  const WindowActions& a = m_Actions;
  QToolBar* toolBar = addToolBar(tr("Toolbar"));
  toolBar->setObjectName("toolBar");
  toolBar->setIconSize(QSize(16, 16));
  toolBar->addActions({a.fileNew, a.fileOpen, a.fileSave});
  toolBar->addSeparator();
  toolBar->addActions({a.openConnection, a.closeConnection});
  toolBar->addSeparator();
  toolBar->addAction(a.autoSend);
  toolBar->addSeparator();
  toolBar->addActions({a.editCut, a.editCopy, a.editPaste});
  toolBar->addSeparator();
  toolBar->addAction(a.filePrint);
  toolBar->addSeparator();
  toolBar->addAction(a.appAbout);
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  // The message pane says "Ready" whenever no hint or report is showing.
  connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& message) {
    if (message.isEmpty()) {
      bar->showMessage(tr("Ready"));
    }
  });
  bar->showMessage(tr("Ready"));
  new LinkStatusPanes(*m_Driver, *bar, *this);
}

void CMainFrame::WireCommands() {
  const WindowActions& a = m_Actions;
  Session& session = m_Driver->GetSession();
  new PrintCommands(*m_MessageView, {a.filePrint, a.filePrintPreview, a.filePrintSetup}, *this);
  auto* link = new LinkCommands(
      *m_Driver, {a.openConnection, a.closeConnection, a.autoSend, a.configuration}, *this);
  connect(m_ToolsMenu, &QMenu::aboutToShow, link, &LinkCommands::UpdateStates);
  connect(link, &LinkCommands::SettingsApplied, this, &CMainFrame::ApplyWindowOptions);
  WireTableCommands(*m_MessageView, *m_Driver, {a.editUndo, a.editCut, a.editCopy, a.editPaste},
                    this);
  new DialogCommands(*m_Driver, *m_MessageView,
                     {a.appAbout, a.viewSymbols, a.statistics, a.computeCrc}, *this);

  connect(a.appExit, &QAction::triggered, this, &QWidget::close);
  connect(a.clearTrace, &QAction::triggered, m_TracePane, &CBottomView::Clear);
  connect(m_TracePane, &CBottomView::HasTextChanged, a.clearTrace, &QAction::setEnabled);
  a.clearTrace->setEnabled(m_TracePane->HasText());
  connect(a.switchMessageTrigger, &QAction::triggered, this,
          [&session] { session.Table().SwitchMessageTrigger(); });
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { SaveWindowState(); });
  WireViewToggles();
}

// View › "Toolbar" and "Status Bar" follow their bars however they were hidden (the menu or the
// toolbar's own context menu).
void CMainFrame::WireViewToggles() {
  QToolBar* toolBar = findChild<QToolBar*>("toolBar");
  for (QAction* toggle : {m_Actions.viewToolBar, m_Actions.viewStatusBar}) {
    toggle->setCheckable(true);
    toggle->setChecked(true);
  }
  connect(m_Actions.viewToolBar, &QAction::toggled, toolBar, &QToolBar::setVisible);
  connect(toolBar, &QToolBar::visibilityChanged, m_Actions.viewToolBar, &QAction::setChecked);
  connect(m_Actions.viewStatusBar, &QAction::toggled, statusBar(), &QStatusBar::setVisible);
}

void CMainFrame::OpenStartupFile(const QString& path) {
  m_Document->OpenStartupFile(path);
}

void CMainFrame::SaveWindowState() {
  QSettings settings;
  ::SaveWindowState(settings, *this, m_Splitter);
}

bool CMainFrame::RestoreWindowState() {
  const QSettings settings;
  const int upperHeight = SavedUpperPaneHeight(settings);
  const int total = std::max(m_Splitter->height(), upperHeight + kInitialUpperPaneHeight);
  m_Splitter->setSizes({upperHeight, total - upperHeight});
  return ::RestoreWindowState(settings, *this);
}

void CMainFrame::ApplyWindowOptions() {
  ::ApplyWindowOptions(*this, m_Config);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  SaveWindowState();
  if (!m_Document->SaveModified()) {
    event->ignore();
    return;
  }
  event->accept();
}
