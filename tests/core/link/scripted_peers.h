#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace linkwright {

// What the diagnostic log writes while an instance lives, as (level, text) pairs.
class CapturedLog {
 public:
  struct Line {
    char level;
    std::string text;
  };

  CapturedLog();
  ~CapturedLog();
  CapturedLog(const CapturedLog&) = delete;
  CapturedLog& operator=(const CapturedLog&) = delete;

  const std::vector<Line>& Lines() const { return m_Lines; }
  // How many lines have exactly this level and text.
  int Count(char level, const std::string& text) const;
  bool Has(char level, const std::string& text) const { return Count(level, text) > 0; }
  // Index of the first line with this level and text, -1 when none.
  int IndexOf(char level, const std::string& text) const;

 private:
  std::vector<Line> m_Lines;
};

// One datagram the UDP peer sends back, after a pause.
struct ScriptedDatagram {
  std::string bytes;
  std::chrono::milliseconds delay{0};
};

// A UDP peer on 127.0.0.1 at a port the system chose. Every datagram it receives is recorded and
// answered, to its sender, with the replies scripted for it: the n-th datagram gets the n-th
// reply list (none once the lists run out); with echo set, each datagram is sent back instead.
class UdpScriptedPeer {
 public:
  explicit UdpScriptedPeer(std::vector<std::vector<ScriptedDatagram>> replies, bool echo = false);
  ~UdpScriptedPeer();
  UdpScriptedPeer(const UdpScriptedPeer&) = delete;
  UdpScriptedPeer& operator=(const UdpScriptedPeer&) = delete;

  uint16_t Port() const { return m_Port; }
  std::vector<std::string> Received() const;

 private:
  void Serve();

  // Declared before the socket, whose initialiser sets it.
  uint16_t m_Port = 0;
  int m_Socket = -1;
  std::vector<std::vector<ScriptedDatagram>> m_Replies;
  bool m_Echo;
  std::atomic<bool> m_Stop{false};
  mutable std::mutex m_Mutex;
  std::vector<std::string> m_Received;
  std::thread m_Thread;
};

// What the scripted TCP server does after it has read a request.
enum class AfterResponse {
  kClose,     // closes the connection
  kKeepOpen,  // keeps it open until the client closes it
};

// A TCP server on 127.0.0.1 at a port the system chose. It accepts one connection, reads one
// HTTP request (header up to the empty line, then the body its Content-Length announces, plus
// the line end the client adds), records it, sends `response` and then closes or waits.
// With `respond` false it closes right after accepting, before reading anything.
class TcpScriptedServer {
 public:
  TcpScriptedServer(std::string response, AfterResponse after, bool respond = true);
  ~TcpScriptedServer();
  TcpScriptedServer(const TcpScriptedServer&) = delete;
  TcpScriptedServer& operator=(const TcpScriptedServer&) = delete;

  uint16_t Port() const { return m_Port; }
  std::string Request() const;

 private:
  void Serve();
  // Reads into `data` until `enough` says so, the peer closes, or the server stops.
  template <typename Enough>
  bool ReadUntil(int socket, std::string& data, Enough enough);

  uint16_t m_Port = 0;
  int m_Listener = -1;
  std::string m_Response;
  AfterResponse m_After;
  bool m_Respond;
  std::atomic<bool> m_Stop{false};
  mutable std::mutex m_Mutex;
  std::string m_Request;
  std::thread m_Thread;
};

}  // namespace linkwright
