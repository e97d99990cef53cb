#pragma once

#include "gui/table/edit_commands.h"

class CLinkwrightView;
class SessionDriver;

// Wires the message table's commands: the Edit menu on the view and the F-keys, which send
// their row through the driver from wherever the focus is. Both belong to `owner`.
void WireTableCommands(CLinkwrightView& view, SessionDriver& driver,
                       const CEditCommands::Actions& editActions, QObject* owner);
