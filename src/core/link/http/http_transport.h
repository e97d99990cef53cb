#pragma once

#include "link/transport.h"

namespace linkwright {

class Configuration;

// HTTP: every send is a GET of "HttpUrl" with the message appended as its path, answered
// within "ResponseTimeout" unless the monitor says stop first; opening touches no network.
class HttpTransport : public Transport {
 public:
  explicit HttpTransport(const Configuration& config) : m_Config(config) {}

  bool Open() override;
  bool Close() override;
  bool IsOpen() const override { return m_IsOpen; }
  bool Send(const ByteString& message) override;
  Arrival TakeWaiting(size_t /*limit*/) override { return {}; }
  std::string Description() const override { return {}; }
  LinkState State() const override;
  SendTracing Tracing() const override { return SendTracing::kResponseOnly; }
  // The header, an empty line and the body of the last response.
  std::vector<ByteString> TakeReply() override;

 private:
  const Configuration& m_Config;
  bool m_IsOpen = false;
  std::vector<ByteString> m_Reply;
};

}  // namespace linkwright
