#include "gui/dialogs/dialog_commands.h"

#include <QAction>
#include <QWidget>

#include "gui/dialogs/about_box.h"
#include "gui/dialogs/compute_crc_command.h"
#include "gui/dialogs/statistics_dialog.h"
#include "gui/dialogs/symbols_dialog.h"
#include "gui/dialogs/xmodem_progress.h"
#include "gui/session/session_driver.h"

DialogCommands::DialogCommands(SessionDriver& driver, const QAbstractItemView& messageView,
                               const Actions& actions, QWidget& window)
    : QObject(&window) {
  QWidget* parent = &window;
  Session& session = driver.GetSession();
  connect(actions.about, &QAction::triggered, this, [parent] { CAboutBox(parent).exec(); });
  connect(actions.symbols, &QAction::triggered, this, [parent] { CSymbolsDialog(parent).exec(); });
  connect(actions.statistics, &QAction::triggered, this,
          [parent, &session] { ShowStatisticsDialog(session.Statistics(), parent); });
  new CComputeCrcCommand(messageView, actions.computeCrc, session.Trace(), this);
  driver.ShowTransfersIn(*new CXmodemProgress(parent));
}
