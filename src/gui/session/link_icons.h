#pragma once

#include <QIcon>

#include "front_end/front_end.h"

namespace linkwright {

// The small picture of a link state, shown in the status bar and as the window's icon; null for
// kNoLink, which has none.
QIcon LinkStateIcon(LinkState state);

}  // namespace linkwright
