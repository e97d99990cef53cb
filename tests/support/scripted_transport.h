#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "link/transport.h"

namespace linkwright {

// A transport that plays back what a test scripted: each poll takes the next arrival, each
// send is kept, and the sends of one gathering are kept as one write. The script is shared, so
// the test reaches it after the controller took the transport.
class ScriptedTransport : public Transport {
 public:
  struct Script {
    std::deque<Arrival> arrivals;
    // The writes, in order: a message sent alone, or the messages of one gathering joined.
    std::vector<ByteString> sent;
    // Makes every gathering that kept messages fail at its end, as a connection the peer reset
    // does.
    bool refuseGathered = false;

    // Queues bytes for one poll; `newPeerAt` where a new peer's bytes begin, `wholeMessage` as
    // an Xmodem transfer delivers them.
    void Add(ByteString bytes, std::optional<size_t> newPeerAt = std::nullopt,
             bool wholeMessage = false);
  };

  explicit ScriptedTransport(std::shared_ptr<Script> script) : m_Script(std::move(script)) {}

  bool Open() override { return m_IsOpen = true; }
  bool Close() override;
  bool IsOpen() const override { return m_IsOpen; }
  bool Send(const ByteString& message) override;
  void StartGathering() override { m_Gathered = ByteString(); }
  bool EndGathering() override;
  Arrival TakeWaiting(size_t limit) override;
  std::string Description() const override { return "scripted"; }
  LinkState State() const override;

 private:
  std::shared_ptr<Script> m_Script;
  bool m_IsOpen = false;
  std::optional<ByteString> m_Gathered;
};

}  // namespace linkwright
