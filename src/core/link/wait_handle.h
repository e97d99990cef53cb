#pragma once

#include <cstdint>

namespace linkwright {

// A native handle of the platform (a socket or a file descriptor) that a front-end can watch
// for reading: it turns readable when a transport has something for TakeWaiting to take.
using WaitHandle = std::intptr_t;

}  // namespace linkwright
