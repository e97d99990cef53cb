#pragma once

#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <memory>

#include "front_end/front_end.h"
#include "session/session.h"

class CBottomView;
class CConfiguration;
class CLinkwrightView;
class FunctionKeyFilter;
class QAction;
class RecentFileList;
class TraceCommands;
class SerialControls;
class WakeOnData;
class CXmodemProgress;
class QLabel;
class QMenu;
class QPrinter;
class QSplitter;
class QToolBar;

// The main window: menus, toolbar and status bar over a splitter with the message table above
// and the trace pane below. It owns the session (link, table, timers) and is its front-end: the
// core's trace, beeps, status texts and notices arrive here. Ticks run on one single-shot timer
// armed at the session's next due time, so they never overlap and never busy-wait; with wake on
// data the link's handles call for the receive tick too.
class CMainFrame : public QMainWindow, public FrontEnd {
  Q_OBJECT

 public:
  explicit CMainFrame(CConfiguration& config, QWidget* parent = nullptr);
  ~CMainFrame() override;

  Session& GetSession() { return m_Session; }
  CLinkwrightView* MessageView() const { return m_MessageView; }
  CBottomView* TracePane() const { return m_TracePane; }
  QSplitter* Splitter() const { return m_Splitter; }
  const QString& DocumentPath() const { return m_DocumentPath; }

  // Opens the message file named on the command line; when it cannot be opened the table stays
  // empty and the status bar says why.
  void OpenStartupFile(const QString& path);

  // Places the window as it was last closed; false, leaving the default placement, when no
  // complete placement was saved. Call before the window is shown.
  bool RestoreWindowState();
  void SaveWindowState();

  // Puts the window in the top-most band or back ("UserInterface"/"AlwaysOnTop"), keeping its
  // position and size, and makes it as transparent as "Transparency" says (0 opaque).
  void ApplyWindowOptions();

  // Brings the enabled and checked states of the commands in step with the link, the settings
  // and the trace; for anything that changes them outside the frame's own commands.
  void UpdateCommandStates();
  // Sets the tick timer anew after something changed the session's timers.
  void RearmTicks();

  // FrontEnd
  void AppendTrace(const TraceBatch& pieces) override;
  void ClearTrace() override;
  void PlaySignal(bool success) override;
  void SetTxPaneText(const std::string& text) override;
  void ShowLinkStatus(const std::string& description, LinkState state) override;
  void ShowNotice(const std::string& text) override;

 signals:
  // One run of the due ticks has ended.
  void TicksRan();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void CreateViews();
  QAction* AddAction(const char* name, const QString& text, const QString& statusTip,
                     const QString& icon = {});

  void OnFileNew();
  void OnFileOpen();
  void OnOpenRecentFile(const QString& path);
  bool OnFileSave();
  bool OnFileSaveAs();
  void OnFilePrint();
  void OnFilePrintPreview();
  void OnFilePrintSetup();
  QPrinter& Printer();
  void OnOpenConnection();
  void OnCloseConnection();
  void OnToggleAutoSend();
  void OnConfiguration();
  void OnTick();
  void OnDataWaiting();
  void OnStatistics();
  void SendRow(int row);

  // Asks "Save changes to …?" when the table is modified: true when the caller may go on
  // (saved, or not to be saved), false when the user cancelled or the save failed.
  bool SaveModified();
  QString DocumentTitle() const;
  bool OpenDocument(const QString& path);
  bool SaveDocument(const QString& path);

  CConfiguration& m_Config;
  Session m_Session;
  QTimer m_TickTimer;
  std::unique_ptr<QPrinter> m_Printer;
  QString m_DocumentPath;

  QSplitter* m_Splitter = nullptr;
  CLinkwrightView* m_MessageView = nullptr;
  CBottomView* m_TracePane = nullptr;
  FunctionKeyFilter* m_FunctionKeys = nullptr;
  QToolBar* m_ToolBar = nullptr;
  QLabel* m_TxPane = nullptr;
  QLabel* m_LinkPane = nullptr;
  QLabel* m_LinkIcon = nullptr;
  QMenu* m_FileMenu = nullptr;
  RecentFileList* m_RecentFiles = nullptr;
  TraceCommands* m_TraceCommands = nullptr;
  CXmodemProgress* m_TransferProgress = nullptr;
  WakeOnData* m_WakeOnData = nullptr;
  SerialControls* m_SerialControls = nullptr;

  struct Actions {
    QAction* fileNew;
    QAction* fileOpen;
    QAction* fileSave;
    QAction* fileSaveAs;
    QAction* filePrint;
    QAction* filePrintPreview;
    QAction* filePrintSetup;
    QAction* appExit;
    QAction* editUndo;
    QAction* editCut;
    QAction* editCopy;
    QAction* editPaste;
    QAction* viewToolBar;
    QAction* viewStatusBar;
    QAction* clearTrace;
    QAction* openConnection;
    QAction* closeConnection;
    QAction* configuration;
    QAction* switchMessageTrigger;
    QAction* computeCrc;
    QAction* autoSend;
    QAction* statistics;
    QAction* appAbout;
    QAction* viewSymbols;
  } m_Actions{};
};
