#pragma once

#include <QObject>

class QAction;
class QMainWindow;

namespace linkwright {

class SessionDriver;

// The link's commands in Tools and the toolbar: Open Connection and Close Connection (each
// enabled only when it can act) and AutoSend (checked as the setting says); with them the link's
// panes in the status bar and the serial port's controls. Settings may also change outside
// these commands (another program, the configuration editor), so UpdateStates is called before
// the Tools menu shows.
class LinkCommands : public QObject {
  Q_OBJECT

 public:
  struct Actions {
    QAction* openConnection;
    QAction* closeConnection;
    QAction* autoSend;
  };

  // The status panes and serial controls go into `window`'s status bar and menu bar.
  LinkCommands(SessionDriver& driver, const Actions& actions, QMainWindow& window);

  void UpdateStates();

 private:
  SessionDriver& m_Driver;
  Actions m_Actions;
};

}  // namespace linkwright
