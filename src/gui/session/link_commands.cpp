#include "gui/session/link_commands.h"

#include <QAction>
#include <QWidget>

#include "config/configuration.h"
#include "config/connection_signature.h"
#include "gui/dialogs/config_editor.h"
#include "gui/session/session_driver.h"

LinkCommands::LinkCommands(SessionDriver& driver, const Actions& actions, QWidget& window)
    : QObject(&window), m_Driver(driver), m_Actions(actions), m_Window(window) {
  m_Actions.autoSend->setCheckable(true);
  connect(m_Actions.openConnection, &QAction::triggered, &driver, &SessionDriver::OpenConnection);
  connect(m_Actions.closeConnection, &QAction::triggered, &driver, &SessionDriver::CloseConnection);
  connect(m_Actions.autoSend, &QAction::triggered, &driver, &SessionDriver::ToggleAutoSend);
  connect(m_Actions.configuration, &QAction::triggered, this, &LinkCommands::EditConfiguration);
  connect(&driver, &SessionDriver::LinkCommandEnded, this, &LinkCommands::UpdateStates);
  // A link lost during a tick shows as a new link status.
  connect(&driver, &SessionDriver::LinkStatusChanged, this, &LinkCommands::UpdateStates);
  UpdateStates();
}

void LinkCommands::UpdateStates() {
  const bool open = m_Driver.GetSession().IsOpen();
  m_Actions.openConnection->setEnabled(!open);
  m_Actions.closeConnection->setEnabled(open);
  m_Actions.autoSend->setChecked(m_Driver.Configuration().GetBool("AutoSend", "Enabled"));
}

void LinkCommands::EditConfiguration() {
  CConfiguration& config = m_Driver.Configuration();
  const std::string signatureBefore = ConnectionSignature(config);
  const ConfigEditResult result = ::EditConfiguration(config, &m_Window);
  if (result == ConfigEditResult::kCancelled) {
    return;
  }
  if (result == ConfigEditResult::kSaveFailed) {
    m_Driver.ReportFailure(tr("The settings could not be saved to %1; they apply to this run")
                               .arg(QString::fromStdString(CConfiguration::FilePath().string())));
  }
  m_Driver.ApplyChangedSettings(signatureBefore);
  emit SettingsApplied();
}
