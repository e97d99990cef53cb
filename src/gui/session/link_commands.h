#pragma once

#include <QObject>

class QAction;
class QWidget;
class SessionDriver;

// The link's commands in Tools and the toolbar: Open Connection and Close Connection (each
// enabled only when it can act), AutoSend (checked as the setting says) and Configuration,
// whose changed settings are applied to the running link. Settings may also change outside
// these commands (another program, the configuration editor), so UpdateStates is called before
// the Tools menu shows.
class LinkCommands : public QObject {
  Q_OBJECT

 public:
  struct Actions {
    QAction* openConnection;
    QAction* closeConnection;
    QAction* autoSend;
    QAction* configuration;
  };

  // `window` is the parent of the configuration editor.
  LinkCommands(SessionDriver& driver, const Actions& actions, QWidget& window);

  void UpdateStates();

 signals:
  // The configuration editor's changes are in force.
  void SettingsApplied();

 private:
  void EditConfiguration();

  SessionDriver& m_Driver;
  Actions m_Actions;
  QWidget& m_Window;
};
