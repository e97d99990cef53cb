#pragma once

#include <QString>

#include "front_end/front_end.h"

// The resource path of the small picture the status bar shows for a link state; empty for
// kNoLink, which shows none.
QString LinkStateIconPath(LinkState state);
