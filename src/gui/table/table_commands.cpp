#include "gui/table/table_commands.h"

#include <QApplication>

#include "gui/session/session_driver.h"
#include "gui/table/function_keys.h"
#include "gui/table/message_table_view.h"

namespace linkwright {

void WireTableCommands(MessageTableView& view, SessionDriver& driver,
                       const EditCommands::Actions& editActions, QObject* owner) {
  new EditCommands(view, driver.GetSession().Table(), editActions, owner);
  // Before any widget, an open cell editor too.
  qApp->installEventFilter(
      new FunctionKeyFilter([&driver](int row) { driver.SendRow(row); }, owner));
}

}  // namespace linkwright
