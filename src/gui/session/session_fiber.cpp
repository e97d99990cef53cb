#include "gui/session/session_fiber.h"

#include <boost/context/fixedsize_stack.hpp>
#include <memory>
#include <utility>

namespace linkwright {

namespace {

// The session's calls reach down through the link into the serial port and the Xmodem engine.
constexpr size_t kStackSize = 1 << 20;

}  // namespace

bool SessionFiber::Start(std::function<void()> call) {
  m_Call = boost::context::fiber(std::allocator_arg, boost::context::fixedsize_stack(kStackSize),
                                 [this, call = std::move(call)](boost::context::fiber&& caller) {
                                   m_Caller = std::move(caller);
                                   call();
                                   return std::move(m_Caller);
                                 });
  return Resume();
}

bool SessionFiber::Resume() {
  m_Inside = true;
  m_Call = std::move(m_Call).resume();
  m_Inside = false;
  return Waiting();
}

void SessionFiber::Yield() {
  if (m_Inside) {
    m_Inside = false;
    m_Caller = std::move(m_Caller).resume();
    m_Inside = true;
  }
}

}  // namespace linkwright
