#pragma once

#include <QObject>

class QAbstractItemView;
class QAction;
class QWidget;

namespace linkwright {

class SessionDriver;

// The commands that open a dialog of their own: Help › About and View Symbols, Tools ›
// Statistics, Compute CRC and Configuration, whose changed settings are applied to the running
// link; and the progress dialog of a long transfer, which the driver shows.
class DialogCommands : public QObject {
  Q_OBJECT

 public:
  struct Actions {
    QAction* about;
    QAction* symbols;
    QAction* statistics;
    QAction* computeCrc;
    QAction* configuration;
  };

  // Compute CRC works on the cell edited in `messageView`; `window` is the dialogs' parent.
  DialogCommands(SessionDriver& driver, const QAbstractItemView& messageView,
                 const Actions& actions, QWidget& window);

 signals:
  // The configuration editor's changes are in force.
  void SettingsApplied();

 private:
  void EditConfiguration();

  SessionDriver& m_Driver;
  QWidget& m_Window;
};

}  // namespace linkwright
