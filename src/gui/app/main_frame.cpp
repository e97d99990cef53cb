#include "gui/app/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <chrono>

#include "config/configuration.h"
#include "config/connection_signature.h"
#include "gui/app/window_state.h"
#include "gui/dialogs/about_box.h"
#include "gui/dialogs/compute_crc_command.h"
#include "gui/dialogs/config_editor.h"
#include "gui/dialogs/statistics_dialog.h"
#include "gui/dialogs/symbols_dialog.h"
#include "gui/dialogs/xmodem_progress.h"
#include "gui/document/recent_files.h"
#include "gui/scenario/scenario_panel.h"
#include "gui/session/link_icons.h"
#include "gui/session/wake_on_data.h"
#include "gui/table/edit_commands.h"
#include "gui/table/function_keys.h"
#include "gui/table/message_view.h"
#include "gui/trace/trace_commands.h"
#include "gui/trace/trace_view.h"
#include "session/settings_change.h"

namespace {

// The second bell of the failure signal follows the first after this pause.
constexpr int kSecondBellMs = 180;
// Widths of the transmit-count and link panes, in blanks of the status bar's font.
constexpr int kTxPaneBlanks = 23;
constexpr int kLinkPaneBlanks = 44;
constexpr int kLinkIconSize = 16;
// The window's icon while no kind of link is configured.
const char* const kProgramIcon = ":/linkwright.svg";
// Height of the upper pane before the saved height is applied.
constexpr int kInitialUpperPaneHeight = 440;
constexpr int kMaxTransparency = 255;

QString FromStd(const std::string& text) {
  return QString::fromStdString(text);
}

std::filesystem::path ToPath(const QString& path) {
  return std::filesystem::path(path.toStdString());
}

}  // namespace

CMainFrame::CMainFrame(CConfiguration& config, QWidget* parent)
    : QMainWindow(parent), m_Config(config), m_Session(config, *this) {
  CreateViews();
  CreateActions();
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();

  m_TickTimer.setSingleShot(true);
  m_TickTimer.setTimerType(Qt::PreciseTimer);
  connect(&m_TickTimer, &QTimer::timeout, this, &CMainFrame::OnTick);
  connect(m_WakeOnData, &WakeOnData::DataWaiting, this, &CMainFrame::OnDataWaiting);
  connect(m_WakeOnData->Toggle(), &QAction::toggled, this, &CMainFrame::RearmTicks);

  m_FunctionKeys = new FunctionKeyFilter([this](int row) { SendRow(row); }, this);
  qApp->installEventFilter(m_FunctionKeys);
  connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { SaveWindowState(); });

  resize(960, 720);
  m_Session.UpdateStatus();
  UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
  m_TickTimer.stop();
  if (m_Session.IsOpen()) {
    m_Session.CloseConnection();
  }
  // The views follow the session's table: they go before the session does.
  delete takeCentralWidget();
  m_MessageView = nullptr;
  m_TracePane = nullptr;
}

void CMainFrame::CreateViews() {
  m_Splitter = new QSplitter(Qt::Vertical, this);
  m_MessageView = new CLinkwrightView(
      m_Session.Table(), [this](int row) { SendRow(row); }, m_Splitter);
  m_TracePane = new CBottomView(m_Splitter);
  m_Splitter->addWidget(m_MessageView);
  m_Splitter->addWidget(m_TracePane);
  m_Splitter->setChildrenCollapsible(false);
  // The table keeps its height when the window is resized; the trace pane takes the difference.
  m_Splitter->setStretchFactor(0, 0);
  m_Splitter->setStretchFactor(1, 1);
  m_Splitter->setSizes({kInitialUpperPaneHeight, kInitialUpperPaneHeight});
  setCentralWidget(m_Splitter);
  m_MessageView->ShowHits(m_Session.Statistics());
  m_TraceCommands = new TraceCommands(*this, *m_TracePane);
  m_TransferProgress = new CXmodemProgress(this);
  m_WakeOnData = new WakeOnData(this);
  m_Session.SetTransferMonitor(
      {[this](int done, int total) { m_TransferProgress->Progress(done, total); },
       [this] { return m_TransferProgress->Cancelled(); }});
  connect(m_TracePane, &CBottomView::HasTextChanged, this, [this] { UpdateCommandStates(); });
}

QAction* CMainFrame::AddAction(const char* name, const QString& text, const QString& statusTip,
                               const QString& icon) {
  auto* action = new QAction(text, this);
  action->setObjectName(name);
  action->setStatusTip(statusTip);
  if (!icon.isEmpty()) {
    action->setIcon(QIcon(":/" + icon + ".svg"));
  }
  return action;
}

void CMainFrame::CreateActions() {
  Actions& a = m_Actions;
  a.fileNew = AddAction("fileNew", tr("&New"), tr("Create a new document"), "new");
  a.fileOpen = AddAction("fileOpen", tr("&Open..."), tr("Open an existing document"), "open");
  a.fileSave = AddAction("fileSave", tr("&Save"), tr("Save the active document"), "save");
  a.fileSaveAs =
      AddAction("fileSaveAs", tr("Save &As..."), tr("Save the active document with a new name"));
  a.filePrint = AddAction("filePrint", tr("&Print..."), tr("Print the active document"), "print");
  a.filePrintPreview =
      AddAction("filePrintPreview", tr("Print Pre&view"), tr("Display full pages"));
  a.filePrintSetup = AddAction("filePrintSetup", tr("P&rint Setup..."),
                               tr("Change the printer and printing options"));
  a.appExit =
      AddAction("appExit", tr("E&xit"), tr("Quit the application; prompts to save documents"));
  a.editUndo = AddAction("editUndo", tr("&Undo"), tr("Undo the last action"));
  a.editCut =
      AddAction("editCut", tr("Cu&t"), tr("Cut the selection and put it on the Clipboard"), "cut");
  a.editCopy = AddAction("editCopy", tr("&Copy"),
                         tr("Copy the selection and put it on the Clipboard"), "copy");
  a.editPaste = AddAction("editPaste", tr("&Paste"), tr("Insert Clipboard contents"), "paste");
  a.viewToolBar = AddAction("viewToolBar", tr("&Toolbar"), tr("Show or hide the toolbar"));
  a.viewStatusBar =
      AddAction("viewStatusBar", tr("&Status Bar"), tr("Show or hide the status bar"));
  a.clearTrace = AddAction("clearTrace", tr("Clear"), tr("Clear the trace pane"));
  a.openConnection = AddAction("openConnection", tr("Open Connection"),
                               tr("Open the link of the configured mode"), "connect");
  a.closeConnection =
      AddAction("closeConnection", tr("Close Connection"), tr("Close the link"), "disconnect");
  a.configuration =
      AddAction("configuration", tr("Configuration"), tr("Change the link and program settings"));
  a.switchMessageTrigger = AddAction("switchMessageTrigger", tr("Switch message / trigger"),
                                     tr("Exchange the message and trigger texts of the used rows"));
  a.computeCrc = AddAction("computeCrc", tr("Compute CRC"),
                           tr("Compute checksums of the selected message text"));
  a.autoSend =
      AddAction("autoSend", tr("AutoSend"),
                tr("Send the active rows one after another at the cycle time"), "autosend");
  a.statistics =
      AddAction("statistics", tr("&Statistics..."),
                tr("Show how often each row was sent and how fast the device answered it"));
  a.appAbout = AddAction("appAbout", tr("&About Linkwright..."),
                         tr("Display program information, version number and copyright"), "about");
  a.viewSymbols =
      AddAction("viewSymbols", tr("View Symbols"), tr("List the escape symbols of message texts"));

  // The accelerators; plain Ctrl+C, Ctrl+V and Ctrl+X stay with the widget that has the focus,
  // and Ctrl+Shift+X is Clear, not Cut.
  a.editCopy->setShortcuts({QKeySequence("Ctrl+Shift+C"), QKeySequence("Ctrl+Insert")});
  a.computeCrc->setShortcut(QKeySequence("Ctrl+Shift+K"));
  a.fileNew->setShortcut(QKeySequence("Ctrl+N"));
  a.fileOpen->setShortcut(QKeySequence("Ctrl+O"));
  a.filePrint->setShortcut(QKeySequence("Ctrl+P"));
  a.fileSave->setShortcut(QKeySequence("Ctrl+S"));
  a.editPaste->setShortcuts({QKeySequence("Ctrl+Shift+V"), QKeySequence("Shift+Insert")});
  a.editUndo->setShortcuts({QKeySequence("Alt+Backspace"), QKeySequence("Ctrl+Z")});
  a.editCut->setShortcut(QKeySequence("Shift+Delete"));
  a.clearTrace->setShortcut(QKeySequence("Ctrl+Shift+X"));

  // The edit commands and Compute CRC follow the message view's cell editor and selection.
  new CEditCommands(*m_MessageView, m_Session.Table(),
                    {a.editUndo, a.editCut, a.editCopy, a.editPaste}, this);
  new CComputeCrcCommand(*m_MessageView, a.computeCrc, m_Session.Trace(), this);
  a.autoSend->setCheckable(true);
  a.viewStatusBar->setCheckable(true);
  a.viewStatusBar->setChecked(true);

  connect(a.fileNew, &QAction::triggered, this, &CMainFrame::OnFileNew);
  connect(a.fileOpen, &QAction::triggered, this, &CMainFrame::OnFileOpen);
  connect(a.fileSave, &QAction::triggered, this, &CMainFrame::OnFileSave);
  connect(a.fileSaveAs, &QAction::triggered, this, &CMainFrame::OnFileSaveAs);
  connect(a.filePrint, &QAction::triggered, this, &CMainFrame::OnFilePrint);
  connect(a.filePrintPreview, &QAction::triggered, this, &CMainFrame::OnFilePrintPreview);
  connect(a.filePrintSetup, &QAction::triggered, this, &CMainFrame::OnFilePrintSetup);
  connect(a.appExit, &QAction::triggered, this, &QWidget::close);
  connect(a.viewStatusBar, &QAction::toggled, this,
          [this](bool visible) { statusBar()->setVisible(visible); });
  connect(a.clearTrace, &QAction::triggered, this, &CMainFrame::ClearTrace);
  connect(a.openConnection, &QAction::triggered, this, &CMainFrame::OnOpenConnection);
  connect(a.closeConnection, &QAction::triggered, this, &CMainFrame::OnCloseConnection);
  connect(a.switchMessageTrigger, &QAction::triggered, this,
          [this] { m_Session.Table().SwitchMessageTrigger(); });
  connect(a.autoSend, &QAction::triggered, this, &CMainFrame::OnToggleAutoSend);
  connect(a.configuration, &QAction::triggered, this, &CMainFrame::OnConfiguration);
  connect(a.appAbout, &QAction::triggered, this, [this] { CAboutBox(this).exec(); });
  connect(a.viewSymbols, &QAction::triggered, this, [this] { CSymbolsDialog(this).exec(); });
  connect(a.statistics, &QAction::triggered, this, &CMainFrame::OnStatistics);
}

void CMainFrame::CreateMenus() {
  const Actions& a = m_Actions;
  m_FileMenu = menuBar()->addMenu(tr("&File"));
  m_FileMenu->addActions({a.fileNew, a.fileOpen, a.fileSave, a.fileSaveAs});
  m_FileMenu->addSeparator();
  m_FileMenu->addActions({m_TraceCommands->SaveAs(), m_TraceCommands->Log()});
  m_FileMenu->addSeparator();
  m_FileMenu->addActions({a.filePrint, a.filePrintPreview, a.filePrintSetup});
  m_FileMenu->addSeparator();
  QAction* recentFileEnd = m_FileMenu->addSeparator();
  m_FileMenu->addAction(a.appExit);
  m_RecentFiles = new RecentFileList(
      m_FileMenu, recentFileEnd, [this](const QString& path) { OnOpenRecentFile(path); }, this);

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

  QMenu* tools = menuBar()->addMenu(tr("&Tools"));
  tools->addActions({a.openConnection, a.closeConnection, a.configuration});
  tools->addAction(m_WakeOnData->Toggle());
  tools->addSeparator();
  tools->addActions({a.switchMessageTrigger, a.computeCrc});
  tools->addSeparator();
  tools->addAction(a.autoSend);
  tools->addSeparator();
  tools->addAction(a.statistics);
  tools->addAction(tr("Run Scenario..."), this, [this] { ScenarioPanel::OpenFor(*this); });
  // The AutoSend setting may have been changed by another program or the configuration editor.
  connect(tools, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(a.appAbout);
  help->addAction(a.viewSymbols);
}

void CMainFrame::CreateToolBar() {
  const Actions& a = m_Actions;
  m_ToolBar = addToolBar(tr("Toolbar"));
  m_ToolBar->setObjectName("toolBar");
  m_ToolBar->setIconSize(QSize(16, 16));
  m_ToolBar->addActions({a.fileNew, a.fileOpen, a.fileSave});
  m_ToolBar->addSeparator();
  m_ToolBar->addActions({a.openConnection, a.closeConnection});
  m_ToolBar->addSeparator();
  m_ToolBar->addAction(a.autoSend);
  m_ToolBar->addSeparator();
  m_ToolBar->addActions({a.editCut, a.editCopy, a.editPaste});
  m_ToolBar->addSeparator();
  m_ToolBar->addAction(a.filePrint);
  m_ToolBar->addSeparator();
  m_ToolBar->addAction(a.appAbout);

  // The View entry follows the toolbar however it was hidden (menu or the toolbar's own menu).
  a.viewToolBar->setCheckable(true);
  a.viewToolBar->setChecked(true);
  connect(a.viewToolBar, &QAction::toggled, m_ToolBar, &QToolBar::setVisible);
  connect(m_ToolBar, &QToolBar::visibilityChanged, a.viewToolBar, &QAction::setChecked);
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
  m_TxPane = new QLabel(bar);
  m_LinkPane = new QLabel(bar);
  m_LinkIcon = new QLabel(bar);
  const QFontMetrics metrics(bar->font());
  m_TxPane->setMinimumWidth(metrics.horizontalAdvance(QString(kTxPaneBlanks, ' ')));
  m_LinkPane->setMinimumWidth(metrics.horizontalAdvance(QString(kLinkPaneBlanks, ' ')));
  m_LinkIcon->setFixedSize(kLinkIconSize, kLinkIconSize);
  bar->addPermanentWidget(m_TxPane);
  bar->addPermanentWidget(m_LinkIcon);
  bar->addPermanentWidget(m_LinkPane);
}

void CMainFrame::UpdateCommandStates() {
  const bool open = m_Session.IsOpen();
  m_Actions.openConnection->setEnabled(!open);
  m_Actions.closeConnection->setEnabled(open);
  m_Actions.autoSend->setChecked(m_Config.GetBool("AutoSend", "Enabled"));
  m_Actions.clearTrace->setEnabled(m_TracePane != nullptr && m_TracePane->HasText());
}

void CMainFrame::RearmTicks() {
  // A transfer reads the line itself; the handles are watched again once it has ended.
  if (!m_TransferProgress->Running()) {
    m_WakeOnData->Watch(m_Session.WaitHandles());
  }
  const std::optional<Session::Clock::time_point> due = m_Session.NextDue();
  if (!due) {
    m_TickTimer.stop();
    return;
  }
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*due - Session::Clock::now());
  m_TickTimer.start(static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, wait.count())));
}

void CMainFrame::OnTick() {
  // A transfer lets the window repaint; its ticks wait until it has ended.
  if (m_TransferProgress->Running()) {
    RearmTicks();
    return;
  }
  m_Session.RunDueTicks();
  m_TransferProgress->Finish();
  m_MessageView->RefreshHits();
  emit TicksRan();
  RearmTicks();
}

void CMainFrame::OnDataWaiting() {
  m_Session.WakeForData();
  OnTick();
}

void CMainFrame::OnStatistics() {
  auto* dialog = findChild<CStatisticsDialog*>();
  if (dialog == nullptr) {
    dialog = new CStatisticsDialog(m_Session.Statistics(), this);
  }
  dialog->show();
  dialog->raise();
}

void CMainFrame::SendRow(int row) {
  const bool sent = m_Session.SendRow(row);
  m_TransferProgress->Finish();
  if (!sent) {
    statusBar()->showMessage(FromStd(m_Session.LastError().Message()));
  }
}

void CMainFrame::OnOpenConnection() {
  if (!m_Session.OpenConnection()) {
    statusBar()->showMessage(FromStd(m_Session.LastError().Message()));
  }
  RearmTicks();
  UpdateCommandStates();
}

void CMainFrame::OnCloseConnection() {
  m_Session.CloseConnection();
  RearmTicks();
  UpdateCommandStates();
}

void CMainFrame::OnToggleAutoSend() {
  if (!m_Session.ToggleAutoSend()) {
    statusBar()->showMessage(FromStd(m_Session.LastError().Message()));
  }
  RearmTicks();
  UpdateCommandStates();
}

void CMainFrame::OnConfiguration() {
  const std::string signatureBefore = ConnectionSignature(m_Config);
  const ConfigEditResult result = EditConfiguration(m_Config, this);
  if (result == ConfigEditResult::kCancelled) {
    return;
  }
  if (result == ConfigEditResult::kSaveFailed) {
    statusBar()->showMessage(tr("The settings could not be saved to %1; they apply to this run")
                                 .arg(QString::fromStdString(CConfiguration::FilePath().string())));
  }
  if (!ApplyChangedSettings(m_Session, m_Config, signatureBefore)) {
    statusBar()->showMessage(FromStd(m_Session.LastError().Message()));
  }
  ApplyWindowOptions();
  RearmTicks();
  UpdateCommandStates();
}

// ---- FrontEnd ----

void CMainFrame::AppendTrace(const TraceBatch& pieces) {
  m_TracePane->AppendTrace(pieces);
}

void CMainFrame::ClearTrace() {
  m_TracePane->Clear();
}

void CMainFrame::PlaySignal(bool success) {
  QApplication::beep();
  if (!success) {
    QTimer::singleShot(kSecondBellMs, this, [] { QApplication::beep(); });
  }
}

void CMainFrame::SetTxPaneText(const std::string& text) {
  m_TxPane->setText(FromStd(text));
}

void CMainFrame::ShowLinkStatus(const std::string& description, LinkState state) {
  setWindowTitle(FromStd(LinkTitle(description)));
  m_LinkPane->setText(FromStd(description));
  const QIcon icon = LinkStateIcon(state);
  m_LinkIcon->setPixmap(icon.pixmap(kLinkIconSize));
  setWindowIcon(icon.isNull() ? QIcon(kProgramIcon) : icon);
  UpdateCommandStates();
}

void CMainFrame::ShowNotice(const std::string& text) {
  // Not modal: the core goes on while the notice is up.
  auto* box = new QMessageBox(QMessageBox::Information, QApplication::applicationName(),
                              FromStd(text), QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

// ---- Window state and options ----

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
  const bool onTop = m_Config.GetBool("UserInterface", "AlwaysOnTop");
  if (onTop != windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
    // Changing a window flag hides the window; it comes back where it was.
    const bool visible = isVisible();
    const QRect placement = geometry();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    setGeometry(placement);
    if (visible) {
      show();
    }
  }
  const int transparency =
      std::clamp(m_Config.GetInt("UserInterface", "Transparency"), 0, kMaxTransparency);
  setWindowOpacity(static_cast<double>(kMaxTransparency - transparency) / kMaxTransparency);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  SaveWindowState();
  if (!SaveModified()) {
    event->ignore();
    return;
  }
  event->accept();
}

// ---- Document ----

QString CMainFrame::DocumentTitle() const {
  return m_DocumentPath.isEmpty() ? tr("Untitled") : QFileInfo(m_DocumentPath).fileName();
}

bool CMainFrame::SaveModified() {
  if (!m_Session.Table().IsModified()) {
    return true;
  }
  const auto answer = QMessageBox::question(
      this, QApplication::applicationName(), tr("Save changes to %1?").arg(DocumentTitle()),
      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
  if (answer == QMessageBox::Yes) {
    return OnFileSave();
  }
  return answer == QMessageBox::No;
}

void CMainFrame::OnFileNew() {
  if (!SaveModified()) {
    return;
  }
  m_Session.NewTable();
  m_DocumentPath.clear();
}

void CMainFrame::OnFileOpen() {
  const QString path =
      QFileDialog::getOpenFileName(this, tr("Open"), QFileInfo(m_DocumentPath).path(),
                                   tr("Linkwright Files (*.xml);;All Files (*)"));
  if (!path.isEmpty() && SaveModified()) {
    OpenDocument(path);
  }
}

void CMainFrame::OnOpenRecentFile(const QString& path) {
  if (SaveModified() && !OpenDocument(path) && !QFileInfo::exists(path)) {
    m_RecentFiles->Remove(path);
  }
}

bool CMainFrame::OpenDocument(const QString& path) {
  if (const Error loaded = m_Session.LoadTable(ToPath(path)); loaded.Failed()) {
    QMessageBox::warning(this, QApplication::applicationName(), FromStd(loaded.Message()));
    return false;
  }
  m_DocumentPath = path;
  m_RecentFiles->Add(path);
  return true;
}

void CMainFrame::OpenStartupFile(const QString& path) {
  if (const Error loaded = m_Session.LoadTable(ToPath(path)); loaded.Failed()) {
    statusBar()->showMessage(FromStd(loaded.Message()));
    return;
  }
  m_DocumentPath = QFileInfo(path).absoluteFilePath();
  m_RecentFiles->Add(m_DocumentPath);
}

bool CMainFrame::OnFileSave() {
  return m_DocumentPath.isEmpty() ? OnFileSaveAs() : SaveDocument(m_DocumentPath);
}

bool CMainFrame::OnFileSaveAs() {
  QFileDialog dialog(this, tr("Save As"), m_DocumentPath.isEmpty() ? QString() : m_DocumentPath,
                     tr("Linkwright Files (*.xml);;All Files (*)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix("xml");
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return false;
  }
  return SaveDocument(dialog.selectedFiles().constFirst());
}

bool CMainFrame::SaveDocument(const QString& path) {
  if (const Error saved = m_Session.SaveTable(ToPath(path)); saved.Failed()) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                    QString("Errore nella scrittura del file \"%1\"").arg(path), QMessageBox::Ok,
                    this);
    box.setInformativeText(FromStd(saved.Message()));
    box.exec();
    return false;
  }
  m_DocumentPath = path;
  m_RecentFiles->Add(path);
  return true;
}

// ---- Printing ----

QPrinter& CMainFrame::Printer() {
  // Made on first use: setting up a printer asks the print system, which may take a while.
  if (!m_Printer) {
    m_Printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  }
  return *m_Printer;
}

void CMainFrame::OnFilePrint() {
  QPrintDialog dialog(&Printer(), this);
  if (dialog.exec() == QDialog::Accepted) {
    m_MessageView->Print(&Printer());
  }
}

void CMainFrame::OnFilePrintPreview() {
  QPrintPreviewDialog preview(&Printer(), this);
  connect(&preview, &QPrintPreviewDialog::paintRequested, m_MessageView, &CLinkwrightView::Print);
  preview.exec();
}

void CMainFrame::OnFilePrintSetup() {
  QPageSetupDialog dialog(&Printer(), this);
  dialog.exec();
}
