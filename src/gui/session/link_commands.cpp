#include "gui/session/link_commands.h"

#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

#include "config/configuration.h"
#include "gui/serial/serial_controls.h"
#include "gui/session/link_status_panes.h"
#include "gui/session/session_driver.h"

namespace linkwright {

LinkCommands::LinkCommands(SessionDriver& driver, const Actions& actions, QMainWindow& window)
    : QObject(&window), m_Driver(driver), m_Actions(actions) {
  m_Actions.autoSend->setCheckable(true);
  connect(m_Actions.openConnection, &QAction::triggered, &driver, &SessionDriver::OpenConnection);
  connect(m_Actions.closeConnection, &QAction::triggered, &driver, &SessionDriver::CloseConnection);
  connect(m_Actions.autoSend, &QAction::triggered, &driver, &SessionDriver::ToggleAutoSend);
  connect(&driver, &SessionDriver::LinkCommandEnded, this, &LinkCommands::UpdateStates);
  // A link lost during a tick shows as a new link status.
  connect(&driver, &SessionDriver::LinkStatusChanged, this, &LinkCommands::UpdateStates);
  UpdateStates();

  new LinkStatusPanes(driver, *window.statusBar(), window);
  auto* serial =
      new SerialControls(driver.GetSession(), *window.menuBar(), *window.statusBar(), this);
  connect(&driver, &SessionDriver::TicksRan, serial, &SerialControls::Refresh);
  connect(&driver, &SessionDriver::LinkStatusChanged, serial, &SerialControls::Refresh);
}

void LinkCommands::UpdateStates() {
  const bool open = m_Driver.GetSession().IsOpen();
  m_Actions.openConnection->setEnabled(!open);
  m_Actions.closeConnection->setEnabled(open);
  m_Actions.autoSend->setChecked(m_Driver.Config().GetBool(setting::kAutoSendEnabled));
}

}  // namespace linkwright
