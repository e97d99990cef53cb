#pragma once

#include "gui/table/edit_commands.h"

namespace linkwright {

class MessageTableView;
class SessionDriver;

// Wires the message table's commands: the Edit menu on the view and the F-keys, which send
// their row through the driver from wherever the focus is. Both belong to `owner`.
void WireTableCommands(MessageTableView& view, SessionDriver& driver,
                       const EditCommands::Actions& editActions, QObject* owner);

}  // namespace linkwright
