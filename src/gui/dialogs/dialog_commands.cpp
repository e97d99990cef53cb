#include "gui/dialogs/dialog_commands.h"

#include <QAction>
#include <QWidget>

#include "config/configuration.h"
#include "config/connection_signature.h"
#include "gui/dialogs/about_box.h"
#include "gui/dialogs/compute_crc_command.h"
#include "gui/dialogs/config_editor.h"
#include "gui/dialogs/statistics_dialog.h"
#include "gui/dialogs/symbols_dialog.h"
#include "gui/dialogs/xmodem_progress.h"
#include "gui/session/session_driver.h"

namespace linkwright {

DialogCommands::DialogCommands(SessionDriver& driver, const QAbstractItemView& messageView,
                               const Actions& actions, QWidget& window)
    : QObject(&window), m_Driver(driver), m_Window(window) {
  QWidget* parent = &window;
  Session& session = driver.GetSession();
  connect(actions.about, &QAction::triggered, this, [parent] { AboutBox(parent).exec(); });
  connect(actions.symbols, &QAction::triggered, this, [parent] { SymbolsDialog(parent).exec(); });
  connect(actions.statistics, &QAction::triggered, this,
          [parent, &session] { ShowStatisticsDialog(session.Statistics(), parent); });
  new ComputeCrcCommand(messageView, actions.computeCrc, session.Trace(), this);
  connect(actions.configuration, &QAction::triggered, this, &DialogCommands::EditConfiguration);
  driver.ShowTransfersIn(*new XmodemProgress(parent));
}

void DialogCommands::EditConfiguration() {
  Configuration& config = m_Driver.Config();
  const std::string signatureBefore = ConnectionSignature(config);
  const ConfigEditResult result = linkwright::EditConfiguration(config, &m_Window);
  if (result == ConfigEditResult::kCancelled) {
    return;
  }
  if (result == ConfigEditResult::kSaveFailed) {
    m_Driver.ReportFailure(tr("The settings could not be saved to %1; they apply to this run")
                               .arg(QString::fromStdString(Configuration::FilePath().string())));
  }
  m_Driver.ApplyChangedSettings(signatureBefore);
  emit SettingsApplied();
}

}  // namespace linkwright
