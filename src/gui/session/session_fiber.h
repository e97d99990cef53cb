#pragma once

#include <boost/context/fiber.hpp>
#include <functional>

namespace linkwright {

// Runs a session call on a stack of its own, on the window's thread, so that a long transfer
// inside it can hand the thread back to the window's event loop between its blocks (Yield) and
// be carried on later (Resume) instead of running an event loop of its own. Only one call is
// under way at a time; the session is never entered by two of them.
class SessionFiber {
 public:
  SessionFiber() = default;
  SessionFiber(const SessionFiber&) = delete;
  SessionFiber& operator=(const SessionFiber&) = delete;

  // Runs `call` until it ends or yields; true when it yielded and waits to be resumed.
  bool Start(std::function<void()> call);
  // Carries the waiting call on until it ends or yields again; true while it still waits.
  bool Resume();
  // Inside a call: back to whoever started or resumed it. Elsewhere it does nothing, so a
  // call made outside the fiber runs to its end.
  void Yield();
  // A call yielded and waits to be resumed.
  bool Waiting() const { return static_cast<bool>(m_Call); }

 private:
  boost::context::fiber m_Call;
  boost::context::fiber m_Caller;
  bool m_Inside = false;
};

}  // namespace linkwright
