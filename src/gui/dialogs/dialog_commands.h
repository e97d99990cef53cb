#pragma once

#include <QObject>

class QAbstractItemView;
class QAction;
class QWidget;
class SessionDriver;

// The commands that open a dialog of their own: Help › About and View Symbols, Tools ›
// Statistics and Compute CRC; and the progress dialog of a long transfer, which the driver
// shows.
class DialogCommands : public QObject {
  Q_OBJECT

 public:
  struct Actions {
    QAction* about;
    QAction* symbols;
    QAction* statistics;
    QAction* computeCrc;
  };

  // Compute CRC works on the cell edited in `messageView`; `window` is the dialogs' parent.
  DialogCommands(SessionDriver& driver, const QAbstractItemView& messageView,
                 const Actions& actions, QWidget& window);
};
