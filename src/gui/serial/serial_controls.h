#pragma once

#include <QObject>

#include "link/serial/serial_lines.h"

class QLabel;
class QMenu;
class QMenuBar;
class QStatusBar;

namespace linkwright {

class Session;

// The "Serial" menu (DTR and RTS on, off and pulse, break), placed before the last menu, and
// the status bar's line pane, which shows CTS, DSR, DCD and RI ("no modem lines" for a
// pseudo-terminal) while a serial link is open, as of the last Refresh. A
// device that refuses a command (a pseudo-terminal has no modem lines) is told in the status
// bar; the link stays open.
class SerialControls : public QObject {
  Q_OBJECT

 public:
  SerialControls(Session& session, QMenuBar& menuBar, QStatusBar& statusBar, QObject* parent);

  QMenu* Menu() const { return m_Menu; }
  QLabel* LinePane() const { return m_LinePane; }

  // Reads the input lines again and shows them; called on the ticks and after link commands.
  void Refresh();
  // Runs one command on the open link's lines, telling a refusal in the status bar.
  void Run(const LineCommand& command);

 private:
  void AddLineActions(ControlLine line);
  // Asks for a length in ms and runs the command with it; nothing on Cancel.
  void AskAndRun(LineCommand command, const QString& title);

  Session& m_Session;
  QStatusBar& m_StatusBar;
  QMenu* m_Menu;
  QLabel* m_LinePane;
};

}  // namespace linkwright
