#include "scripted_peers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

#include "diag/diag_log.h"

namespace linkwright {

namespace {

constexpr int kPollMilliseconds = 20;
// "|" + 20-character module + "|" + level + "|" + text + "\n"
constexpr size_t kLevelAt = 22;
constexpr size_t kTextAt = 24;
constexpr std::string_view kHeader = "|app                 |c|message\n";

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A socket of `type` bound to 127.0.0.1 at a port the system chose; `port` gets that port.
int BoundLoopbackSocket(int type, uint16_t& port) {
  const int fd = socket(AF_INET, type, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("cannot bind a loopback socket");
  }
  port = ntohs(address.sin_port);
  return fd;
}

bool Readable(int fd) {
  pollfd entry{fd, POLLIN, 0};
  return poll(&entry, 1, kPollMilliseconds) > 0;
}

}  // namespace

CapturedLog::CapturedLog() {
  SetDiagSink([this](std::string_view line) {
    if (line != kHeader && line.size() > kTextAt && line.substr(kLevelAt + 1, 1) == "|") {
      m_Lines.push_back(
          {line[kLevelAt], std::string(line.substr(kTextAt, line.size() - kTextAt - 1))});
    }
  });
}

CapturedLog::~CapturedLog() {
  SetDiagSink(nullptr);
}

int CapturedLog::Count(char level, const std::string& text) const {
  int count = 0;
  for (const Line& line : m_Lines) {
    count += line.level == level && line.text == text;
  }
  return count;
}

int CapturedLog::IndexOf(char level, const std::string& text) const {
  for (size_t i = 0; i < m_Lines.size(); ++i) {
    if (m_Lines[i].level == level && m_Lines[i].text == text) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

UdpScriptedPeer::UdpScriptedPeer(std::vector<std::vector<ScriptedDatagram>> replies, bool echo)
    : m_Socket(BoundLoopbackSocket(SOCK_DGRAM, m_Port)),
      m_Replies(std::move(replies)),
      m_Echo(echo),
      m_Thread([this] { Serve(); }) {}

UdpScriptedPeer::~UdpScriptedPeer() {
  m_Stop = true;
  m_Thread.join();
  close(m_Socket);
}

std::vector<std::string> UdpScriptedPeer::Received() const {
  std::lock_guard lock(m_Mutex);
  return m_Received;
}

void UdpScriptedPeer::Serve() {
  size_t served = 0;
  while (!m_Stop) {
    if (!Readable(m_Socket)) {
      continue;
    }
    char buffer[65536];
    sockaddr_in sender{};
    socklen_t senderLength = sizeof sender;
    const ssize_t n = recvfrom(m_Socket, buffer, sizeof buffer, 0,
                               reinterpret_cast<sockaddr*>(&sender), &senderLength);
    if (n < 0) {
      continue;
    }
    const std::string datagram(buffer, static_cast<size_t>(n));
    {
      std::lock_guard lock(m_Mutex);
      m_Received.push_back(datagram);
    }
    std::vector<ScriptedDatagram> answers;
    if (m_Echo) {
      answers.push_back({datagram});
    } else if (served < m_Replies.size()) {
      answers = m_Replies[served];
    }
    ++served;
    for (const ScriptedDatagram& answer : answers) {
      std::this_thread::sleep_for(answer.delay);
      sendto(m_Socket, answer.bytes.data(), answer.bytes.size(), 0,
             reinterpret_cast<sockaddr*>(&sender), senderLength);
    }
  }
}

TcpScriptedServer::TcpScriptedServer(std::string response, AfterResponse after, bool respond)
    : m_Listener(BoundLoopbackSocket(SOCK_STREAM, m_Port)),
      m_Response(std::move(response)),
      m_After(after),
      m_Respond(respond) {
  if (listen(m_Listener, 1) != 0) {
    throw std::runtime_error("cannot listen");
  }
  m_Thread = std::thread([this] { Serve(); });
}

TcpScriptedServer::~TcpScriptedServer() {
  m_Stop = true;
  m_Thread.join();
  close(m_Listener);
}

std::string TcpScriptedServer::Request() const {
  std::lock_guard lock(m_Mutex);
  return m_Request;
}

template <typename Enough>
bool TcpScriptedServer::ReadUntil(int socket, std::string& data, Enough enough) {
  while (!m_Stop && !enough(data)) {
    if (!Readable(socket)) {
      continue;
    }
    char buffer[4096];
    const ssize_t n = read(socket, buffer, sizeof buffer);
    if (n <= 0) {
      return false;
    }
    data.append(buffer, static_cast<size_t>(n));
  }
  return !m_Stop;
}

namespace {

// Bytes of a whole request: header, then the announced body and the line end behind it.
size_t WholeRequestLength(const std::string& data) {
  const size_t headerEnd = data.find("\r\n\r\n");
  if (headerEnd == std::string::npos) {
    return std::string::npos;
  }
  const size_t field = data.find("Content-Length: ");
  const size_t bodyLength =
      field < headerEnd ? std::strtoul(data.c_str() + field + 16, nullptr, 10) + 2 : 0;
  return headerEnd + 4 + bodyLength;
}

}  // namespace

void TcpScriptedServer::Serve() {
  while (!m_Stop && !Readable(m_Listener)) {
  }
  if (m_Stop) {
    return;
  }
  const int connection = accept(m_Listener, nullptr, nullptr);
  if (connection < 0) {
    return;
  }
  std::string request;
  const bool whole = m_Respond && ReadUntil(connection, request, [](const std::string& data) {
                       return data.size() >= WholeRequestLength(data);
                     });
  {
    std::lock_guard lock(m_Mutex);
    m_Request = request;
  }
  if (whole) {
    if (!m_Response.empty()) {
      // A client may hang up before it has read everything; that must not raise SIGPIPE.
      (void)send(connection, m_Response.data(), m_Response.size(), MSG_NOSIGNAL);
    }
    if (m_After == AfterResponse::kKeepOpen) {
      std::string ignored;
      ReadUntil(connection, ignored, [](const std::string&) { return false; });
    }
  }
  close(connection);
}

}  // namespace linkwright
