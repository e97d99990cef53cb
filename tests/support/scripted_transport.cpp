#include "support/scripted_transport.h"

#include <utility>

namespace linkwright {

void ScriptedTransport::Script::Add(ByteString bytes, std::optional<size_t> newPeerAt,
                                    bool wholeMessage) {
  Arrival arrival;
  arrival.bytes = std::move(bytes);
  arrival.newPeerAt = newPeerAt;
  arrival.wholeMessage = wholeMessage;
  arrivals.push_back(std::move(arrival));
}

bool ScriptedTransport::Close() {
  m_IsOpen = false;
  return true;
}

bool ScriptedTransport::Send(const ByteString& message) {
  if (m_Gathered) {
    *m_Gathered += message;
  } else {
    m_Script->sent.push_back(message);
  }
  return true;
}

bool ScriptedTransport::EndGathering() {
  const std::optional<ByteString> gathered = std::exchange(m_Gathered, std::nullopt);
  if (!gathered || gathered->empty()) {
    return true;
  }
  if (m_Script->refuseGathered) {
    return Fail(ErrorKind::kPeer, "the scripted peer refused the gathered messages");
  }
  m_Script->sent.push_back(*gathered);
  return true;
}

Arrival ScriptedTransport::TakeWaiting(size_t /*limit*/) {
  if (m_Script->arrivals.empty()) {
    return {};
  }
  Arrival arrival = std::move(m_Script->arrivals.front());
  m_Script->arrivals.pop_front();
  return arrival;
}

LinkState ScriptedTransport::State() const {
  return m_IsOpen ? LinkState::kSerialOpen : LinkState::kSerialClosed;
}

}  // namespace linkwright
