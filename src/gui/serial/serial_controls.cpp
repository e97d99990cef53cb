#include "gui/serial/serial_controls.h"

#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "session/session.h"

namespace linkwright {

namespace {

constexpr int kDefaultPulseMs = 100;
constexpr int kDefaultBreakMs = 250;

}  // namespace

SerialControls::SerialControls(Session& session, QMenuBar& menuBar, QStatusBar& statusBar,
                               QObject* parent)
    : QObject(parent),
      m_Session(session),
      m_StatusBar(statusBar),
      m_Menu(new QMenu(tr("&Serial"), &menuBar)),
      m_LinePane(new QLabel(&statusBar)) {
  m_Menu->setObjectName("SerialMenu");
  m_LinePane->setObjectName("SerialLines");
  AddLineActions(ControlLine::kDtr);
  m_Menu->addSeparator();
  AddLineActions(ControlLine::kRts);
  m_Menu->addSeparator();
  m_Menu->addAction(tr("Send &Break…"), this, [this] {
    AskAndRun({LineCommand::Action::kBreak, ControlLine::kDtr, kDefaultBreakMs}, tr("Break"));
  });
  connect(m_Menu, &QMenu::aboutToShow, this, [this] {
    for (QAction* action : m_Menu->actions()) {
      action->setEnabled(m_Session.IsOpen());
    }
  });
  // Before Help, the last menu by custom.
  const QList<QAction*> menus = menuBar.actions();
  menuBar.insertMenu(menus.isEmpty() ? nullptr : menus.constLast(), m_Menu);
  statusBar.addPermanentWidget(m_LinePane);
  Refresh();
}

void SerialControls::AddLineActions(ControlLine line) {
  using Action = LineCommand::Action;
  const QString name = ControlLineName(line);
  m_Menu->addAction(tr("%1 On").arg(name), this, [this, line] { Run({Action::kSet, line, 0}); });
  m_Menu->addAction(tr("%1 Off").arg(name), this, [this, line] { Run({Action::kClear, line, 0}); });
  m_Menu->addAction(tr("Pulse %1…").arg(name), this, [this, line, name] {
    AskAndRun({Action::kPulse, line, kDefaultPulseMs}, tr("Pulse %1").arg(name));
  });
}

void SerialControls::AskAndRun(LineCommand command, const QString& title) {
  bool ok = false;
  const int milliseconds =
      QInputDialog::getInt(m_Menu->parentWidget(), title, tr("Length [ms]:"), command.milliseconds,
                           1, kMaxLineMilliseconds, 1, &ok);
  if (ok) {
    command.milliseconds = milliseconds;
    Run(command);
  }
}

void SerialControls::Run(const LineCommand& command) {
  if (m_Session.ApplyLineCommand(command)) {
    m_StatusBar.showMessage(QString::fromStdString(DescribeLineCommand(command)));
  } else {
    m_StatusBar.showMessage(QString::fromStdString(m_Session.LastError().Message()));
  }
  Refresh();
}

void SerialControls::Refresh() {
  const std::optional<ModemStatus> status = m_Session.ReadModemStatus();
  const bool serialOpen = m_Session.Link().Status().state == LinkState::kSerialOpen;
  m_LinePane->setVisible(serialOpen);
  m_LinePane->setText(status ? QString::fromStdString(DescribeModemStatus(*status))
                             : tr("no modem lines"));
}

}  // namespace linkwright
