#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "link/http/http_client.h"
#include "support/test_support.h"

extern char** environ;

namespace linkwright {

namespace {

// Python's http.server serving one folder on 127.0.0.1 at a port it chose itself; the port is
// read from the line it prints once it listens.
class PythonHttpServer {
 public:
  explicit PythonHttpServer(const std::filesystem::path& folder) {
    int out[2];
    if (pipe(out) != 0) {
      throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string directory = folder.string();
    std::vector<const char*> argv = {
        "python3", "-u",        "-m",          "http.server",     "0",
        "--bind",  "127.0.0.1", "--directory", directory.c_str(), nullptr};
    const int spawned = posix_spawnp(&m_Pid, "python3", &actions, nullptr,
                                     const_cast<char* const*>(argv.data()), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
      close(out[0]);
      throw std::runtime_error("cannot start python3");
    }
    // The pipe stays open while the server runs: a write to a closed pipe would end it.
    m_Output = out[0];
    m_Port = ReadAnnouncedPort(m_Output);
  }

  ~PythonHttpServer() {
    kill(m_Pid, SIGTERM);
    waitpid(m_Pid, nullptr, 0);
    close(m_Output);
  }

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_Port) + path;
  }
  int Port() const { return m_Port; }

 private:
  // Reads the line "Serving HTTP on 127.0.0.1 port N ..." within ten seconds; 0 when it did not
  // come.
  static int ReadAnnouncedPort(int fd) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string text;
    while (std::chrono::steady_clock::now() < deadline) {
      const size_t at = text.find(" port ");
      if (at != std::string::npos && text.find('\n', at) != std::string::npos) {
        return std::atoi(text.c_str() + at + 6);
      }
      pollfd entry{fd, POLLIN, 0};
      char buffer[256];
      ssize_t n = 0;
      if (poll(&entry, 1, 100) > 0 && (n = read(fd, buffer, sizeof buffer)) <= 0) {
        break;
      }
      text.append(buffer, static_cast<size_t>(n));
    }
    return 0;
  }

  pid_t m_Pid = -1;
  int m_Output = -1;
  int m_Port = 0;
};

// One server for the whole suite: starting Python takes far longer than a request.
class HttpServerPeer : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_Folder = std::make_unique<TempDir>();
    std::filesystem::create_directory(s_Folder->path() / "base");
    WriteFileBytes(s_Folder->path() / "base" / "status", "STATUS-OK");
    s_Server = std::make_unique<PythonHttpServer>(s_Folder->path());
  }

  static void TearDownTestSuite() {
    s_Server.reset();
    s_Folder.reset();
  }

  void SetUp() override {
    ASSERT_GT(s_Server->Port(), 0) << "python3 -m http.server did not start";
  }

  static std::unique_ptr<TempDir> s_Folder;
  static std::unique_ptr<PythonHttpServer> s_Server;
};

std::unique_ptr<TempDir> HttpServerPeer::s_Folder;
std::unique_ptr<PythonHttpServer> HttpServerPeer::s_Server;

TEST_F(HttpServerPeer, FileComesBackWithItsHeader) {
  ByteString header;
  ByteString body;
  ASSERT_FALSE(HttpExchange(s_Server->Url("/base/status"), header, body, 5000).Failed());
  EXPECT_EQ(header.rfind("HTTP/1.0 200 OK\r\n", 0), 0u) << header;
  EXPECT_NE(header.find("Content-Length: 9\r\n"), std::string::npos) << header;
  EXPECT_EQ(header.substr(header.size() - 4), "\r\n\r\n");
  EXPECT_EQ(body, "STATUS-OK");
}

TEST_F(HttpServerPeer, LargeBinaryFileArrivesIntact) {
  std::string content;
  for (int i = 0; i < 300000; ++i) {
    content.push_back(static_cast<char>((i * 7 + i / 256) & 0xFF));
  }
  WriteFileBytes(s_Folder->path() / "blob.bin", content);
  ByteString header;
  ByteString body;
  ASSERT_FALSE(HttpExchange(s_Server->Url("/blob.bin"), header, body, 5000).Failed());
  EXPECT_EQ(body.size(), content.size());
  EXPECT_TRUE(body == content);
}

TEST_F(HttpServerPeer, MissingFileIsStillAResponse) {
  ByteString header;
  ByteString body;
  ASSERT_FALSE(HttpExchange(s_Server->Url("/base/nothing"), header, body, 5000).Failed());
  EXPECT_EQ(header.rfind("HTTP/1.0 404 ", 0), 0u) << header;
  EXPECT_NE(body.find("404"), std::string::npos);
}

TEST_F(HttpServerPeer, RequestsInARowEachGetTheirOwnConnection) {
  for (int i = 0; i < 5; ++i) {
    ByteString header;
    ByteString body;
    ASSERT_FALSE(HttpExchange(s_Server->Url("/base/status"), header, body, 5000).Failed());
    EXPECT_EQ(body, "STATUS-OK");
  }
}

}  // namespace

}  // namespace linkwright
