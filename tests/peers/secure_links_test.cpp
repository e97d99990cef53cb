#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "document/message_file.h"
#include "document/message_table.h"
#include "support/background_command.h"
#include "support/loopback_socket.h"
#include "support/running_cli.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

using std::chrono::milliseconds;

// Certificates made with openssl for this run: a CA, a server certificate it signed for
// localhost, 127.0.0.1 and ::1, the same one already expired, and a CA that signed nothing.
class Certificates {
 public:
  Certificates() {
    const std::string script =
        "set -e; cd '" + m_Dir.path().string() +
        "'\n"
        "openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 "
        "-subj /CN=TestCA\n"
        "openssl req -x509 -newkey rsa:2048 -nodes -keyout other.key -out other.pem -days 2 "
        "-subj /CN=OtherCA\n"
        "openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr "
        "-subj /CN=localhost\n"
        "printf 'subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1\\n' > san.cnf\n"
        "openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial "
        "-extfile san.cnf -days 2 -out server.pem\n"
        "openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial "
        "-extfile san.cnf -days -1 -out expired.pem\n";
    made = RunProgram("sh", {"-c", script}).exitCode == 0;
  }

  std::string operator/(const std::string& name) const { return (m_Dir / name).string(); }

  bool made = false;

 private:
  TempDir m_Dir;
};

const Certificates& Certs() {
  static const Certificates certificates;
  return certificates;
}

// Runs the console until it finds the peer listening (a peer started in the background takes
// a moment to listen; a probe connection would take the place of the real one).
ProcessResult RunUntilListening(const std::vector<std::string>& args) {
  ProcessResult result = RunCli(args);
  for (int attempt = 0; attempt < 50 && result.err.find("refused") != std::string::npos;
       ++attempt) {
    std::this_thread::sleep_for(milliseconds(100));
    result = RunCli(args);
  }
  return result;
}

class SecureLinksTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(Certs().made) << "openssl could not make certificates"; }

  std::vector<std::string> Arguments(const std::string& command,
                                     const std::vector<std::string>& settings) const {
    std::vector<std::string> args{"--config", (m_Dir / "linkwright.cfg").string(), command};
    for (const std::string& setting : settings) {
      args.insert(args.end(), {"--set", "Connection." + setting});
    }
    return args;
  }

  std::string MessageFile() const {
    MessageTable table;
    table.LoadRows({{"PONG[CR]", "", 1, "PING[CR]"}});
    const std::string path = (m_Dir / "rows.xml").string();
    EXPECT_FALSE(SaveMessageFile(table, path).Failed());
    return path;
  }

  TempDir m_Dir;
};

struct HandshakeCase {
  std::string certificate;
  std::string caFile;
  std::string serverName;
  std::string expected;  // in the error line; empty: the link works
};

TEST_F(SecureLinksTest, TlsClientTalksToOpensslServerOrSaysWhyTheHandshakeFailed) {
  const std::vector<HandshakeCase> cases = {
      {"server.pem", "ca.pem", "", ""},
      {"expired.pem", "ca.pem", "", "TLS handshake failed: certificate has expired"},
      {"server.pem", "ca.pem", "device.example", "TLS handshake failed: hostname mismatch"},
      {"server.pem", "other.pem", "",
       "TLS handshake failed: unable to get local issuer certificate"},
  };
  for (const HandshakeCase& c : cases) {
    SCOPED_TRACE(c.certificate + " " + c.caFile + " " + c.serverName);
    const uint16_t port = UnusedTcpPortNumber();
    const std::string received = (m_Dir / "received").string();
    BackgroundCommand server("(printf 'HELLO\\n'; sleep 10) | openssl s_server -quiet -accept " +
                             std::to_string(port) + " -cert " + Certs() / c.certificate + " -key " +
                             Certs() / "server.key" + " > " + received + " 2>&1");
    std::vector<std::string> args =
        Arguments("send", {"Mode=1", "ActAsServer=0", "SocketHost=localhost",
                           "SocketPort=" + std::to_string(port), "TlsEnabled=1",
                           "TlsCaFile=" + Certs() / c.caFile, "TlsServerName=" + c.serverName,
                           "PacketCloser=[LF]"});
    args.insert(args.end(), {"--wait", "3000", "--replies", "1", "PING[LF]"});
    const ProcessResult result = RunUntilListening(args);
    if (c.expected.empty()) {
      EXPECT_EQ(result.exitCode, 0) << result.err;
      EXPECT_EQ(result.out, "<-- PING[LF]\nHELLO[LF]\n");
      EXPECT_NE(result.err.find(":" + std::to_string(port) + " (TLSv1.3)"), std::string::npos)
          << result.err;
      EXPECT_EQ(ReadFileBytes(received), "PING\n");
    } else {
      EXPECT_EQ(result.exitCode, 1);
      EXPECT_NE(result.err.find(c.expected), std::string::npos) << result.err;
    }
  }
}

// Two socat clients over IPv6 to a server listening on "any": one that stays a moment, so the
// status shows it, and one that sends its request and closes at once, whose request is still
// answered before its close is seen, as on a plain connection.
TEST_F(SecureLinksTest, TlsServerAnswersSocatClientsOverIpv6) {
  const uint16_t port = UnusedTcpPortNumber();
  std::vector<std::string> args = Arguments(
      "run", {"Mode=1", "ActAsServer=1", "SocketPort=" + std::to_string(port), "TlsEnabled=1",
              "TlsCertFile=" + Certs() / "server.pem", "TlsKeyFile=" + Certs() / "server.key"});
  args.push_back(MessageFile());
  RunningCli server(args);
  ASSERT_TRUE(server.WaitForErr("link: TCP ")) << server.Err();
  const std::string socat = " | timeout 10 socat -t 2 - OPENSSL:[::1]:" + std::to_string(port) +
                            ",cafile=" + Certs() / "ca.pem" + ",commonname=localhost";
  for (const std::string request : {"(printf 'PING\\r'; sleep 1)", "printf 'PING\\r'"}) {
    SCOPED_TRACE(request);
    const ProcessResult client = RunProgram("sh", {"-c", request + socat});
    EXPECT_EQ(client.out, "PONG\r") << client.err;
  }
  // A client without TLS is refused, and the trace says which and why.
  RunProgram(
      "sh", {"-c", "printf 'PING\\r' | timeout 10 socat -t 1 - TCP:[::1]:" + std::to_string(port)});
  ASSERT_TRUE(server.Signal(SIGTERM));
  EXPECT_EQ(server.Wait(), 0);
  const std::string refused =
      "PING[CR]\n<-- PONG[CR]\nPING[CR]\n<-- PONG[CR]\npeer refused, [::1]:";
  EXPECT_EQ(server.Out().substr(0, refused.size()), refused);
  EXPECT_NE(server.Out().find(": TLS handshake failed: "), std::string::npos) << server.Out();
  EXPECT_NE(server.Err().find("link: TCP --> [::1]:"), std::string::npos) << server.Err();
  EXPECT_NE(server.Err().find("(TLSv1.3)"), std::string::npos) << server.Err();
}

TEST_F(SecureLinksTest, HttpsFetchesFromAnIpv6UrlOverTls) {
  const uint16_t port = UnusedTcpPortNumber();
  WriteFileBytes(m_Dir / "hello.txt", "hello body\n");
  BackgroundCommand server(
      "cd " + m_Dir.path().string() +
      " && exec openssl s_server -quiet -WWW -accept '[::1]:" + std::to_string(port) + "' -cert " +
      Certs() / "server.pem" + " -key " + Certs() / "server.key");
  std::vector<std::string> args =
      Arguments("send", {"Mode=3", "HttpUrl=https://[::1]:" + std::to_string(port) + "/",
                         "TlsCaFile=" + Certs() / "ca.pem"});
  args.push_back("hello.txt");
  const ProcessResult result = RunUntilListening(args);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("\nhello body[LF]\n"), std::string::npos) << result.out;
}

TEST_F(SecureLinksTest, UdpServerJoinsAGroupOnLoopbackAndAnswersWhatIsSentToIt) {
  const uint16_t port = UnusedUdpPortNumber();
  const std::vector<std::string> group = {"SocketPort=" + std::to_string(port),
                                          "MulticastGroup=239.255.41.7", "MulticastInterface=lo"};
  std::vector<std::string> serverSettings = {"Mode=2", "ActAsServer=1"};
  serverSettings.insert(serverSettings.end(), group.begin(), group.end());
  std::vector<std::string> args = Arguments("run", serverSettings);
  args.push_back(MessageFile());
  RunningCli server(args);
  ASSERT_TRUE(server.WaitForErr("link: UDP ")) << server.Err();

  std::vector<std::string> clientSettings = {"Mode=2", "ActAsServer=0", "ResponseTimeout=3000"};
  clientSettings.insert(clientSettings.end(), group.begin(), group.end());
  std::vector<std::string> send = Arguments("send", clientSettings);
  send.push_back("PING[CR]");
  const ProcessResult client = RunCli(send);
  EXPECT_EQ(client.exitCode, 0) << client.err;
  EXPECT_EQ(client.out, "<-- PING[CR]\nPONG\n");
  EXPECT_NE(client.err.find("UDP --> 239.255.41.7:" + std::to_string(port)), std::string::npos)
      << client.err;
  ASSERT_TRUE(server.Signal(SIGTERM));
  EXPECT_EQ(server.Wait(), 0);
  EXPECT_EQ(server.Out(), "PING[CR]\n<-- PONG[CR]\n");
}

struct SettingCase {
  std::vector<std::string> settings;
  std::string expected;
};

TEST_F(SecureLinksTest, UnusableTlsAndMulticastSettingsFailTheOpenSayingWhich) {
  const std::vector<SettingCase> cases = {
      {{"Mode=1", "ActAsServer=1", "TlsEnabled=1"},
       "a TLS server needs TlsCertFile and TlsKeyFile"},
      {{"Mode=1", "ActAsServer=0", "TlsEnabled=1", "TlsCaFile=/nonexistent/ca.pem"},
       "TlsCaFile '/nonexistent/ca.pem' cannot be used: no readable file there"},
      {{"Mode=2", "ActAsServer=1", "MulticastGroup=10.1.2.3"},
       "MulticastGroup '10.1.2.3' is not a multicast address"},
      {{"Mode=2", "ActAsServer=1", "MulticastGroup=239.1.2.3", "MulticastInterface=nosuch0"},
       "MulticastInterface 'nosuch0' is not an IPv4 address or an interface with one for group "
       "239.1.2.3"},
  };
  for (const SettingCase& c : cases) {
    SCOPED_TRACE(c.expected);
    std::vector<std::string> settings = c.settings;
    settings.push_back("SocketPort=" + std::to_string(UnusedTcpPortNumber()));
    std::vector<std::string> args = Arguments("send", settings);
    args.push_back("X");
    const ProcessResult result = RunCli(args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("linkwright-cli: " + c.expected + "\n"), std::string::npos)
        << result.err;
  }
}

}  // namespace

}  // namespace linkwright
