#pragma once

#include <QMainWindow>
#include <QString>

#include "gui/app/window_actions.h"

class QMenu;
class QSplitter;

namespace linkwright {

class TracePane;
class Configuration;
class MessageTableView;
class DocumentCommands;
class SessionDriver;

// The main window: menus, toolbar and status bar over a splitter with the message table above
// and the trace pane below. It builds the parts and wires them to the session driver, which
// owns the session and runs it; the parts follow the driver's signals, not each other.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(Configuration& config, QWidget* parent = nullptr);
  ~MainWindow() override;

  SessionDriver& Driver() { return *m_Driver; }
  const QString& DocumentPath() const;

  // Opens the message file named on the command line; when it cannot be opened the table stays
  // empty and the status bar says why.
  void OpenStartupFile(const QString& path);

  // Places the window as it was last closed; false, leaving the default placement, when no
  // complete placement was saved. Call before the window is shown.
  bool RestoreWindowState();
  void SaveWindowState();
  // Applies "AlwaysOnTop" and "Transparency" of the user interface settings.
  void ApplyWindowOptions();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateViews();
  void CreateMenus();
  void CreateStatusBar();
  void WireCommands();
  void WireViewToggles();

  Configuration& m_Config;
  SessionDriver* m_Driver;
  WindowActions m_Actions;
  QSplitter* m_Splitter = nullptr;
  MessageTableView* m_MessageView = nullptr;
  TracePane* m_TracePane = nullptr;
  DocumentCommands* m_Document = nullptr;
  QMenu* m_ToolsMenu = nullptr;
};

}  // namespace linkwright
