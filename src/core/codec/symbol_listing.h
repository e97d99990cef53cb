#pragma once

#include <string>

namespace linkwright {

// The table of control symbols as the Symbols dialog shows it: a two-line head, then one
// CR LF-separated line per symbol with its name, decimal, hexadecimal and caret notation.
std::string SymbolListing();

}  // namespace linkwright
