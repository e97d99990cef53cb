#include "support/pty_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace linkwright {

namespace {

std::string SocatCommand(const TempDir& dir) {
  const auto end = [&dir](const char* name) {
    return "pty,raw,echo=0,link=" + (dir / name).string();
  };
  return "exec socat " + end("a") + " " + end("b");
}

std::string ProgramCommand(const TempDir& dir, const std::string& command) {
  return "exec socat -t 0.1 pty,raw,echo=0,link=" + (dir / "tty").string() + " 'SYSTEM:cd " +
         dir.path().string() + " && { " + command + " ; } ; echo $? > status'";
}

bool WaitForPaths(const TempDir& dir, std::initializer_list<const char*> names) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    if (std::all_of(names.begin(), names.end(),
                    [&dir](const char* name) { return std::filesystem::exists(dir / name); })) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace

PtyPair::PtyPair() {
  Start();
}

void PtyPair::Stop() {
  m_Socat.reset();
  m_Ready = false;
}

bool PtyPair::Start() {
  std::filesystem::remove(m_Dir / "a");
  std::filesystem::remove(m_Dir / "b");
  m_Socat = std::make_unique<BackgroundCommand>(SocatCommand(m_Dir));
  m_Ready = WaitForPaths(m_Dir, {"a", "b"});
  return m_Ready;
}

PtyProgram::PtyProgram(const std::string& command) : m_Socat(ProgramCommand(m_Dir, command)) {
  m_Ready = WaitForPaths(m_Dir, {"tty"});
}

int PtyProgram::Wait(std::chrono::milliseconds limit) {
  if (m_Socat.Wait(limit) < 0) {
    return -1;
  }
  const std::string status = ReadFileBytes(m_Dir / "status");
  return status.empty() ? -1 : std::atoi(status.c_str());
}

PtyEnd::PtyEnd(const std::string& path) {
  m_Fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  termios state{};
  if (m_Fd >= 0 && tcgetattr(m_Fd, &state) == 0) {
    cfmakeraw(&state);
    tcsetattr(m_Fd, TCSANOW, &state);
  }
}

PtyEnd::~PtyEnd() {
  if (m_Fd >= 0) {
    close(m_Fd);
  }
}

bool PtyEnd::Write(const std::string& bytes, std::chrono::milliseconds limit) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = write(m_Fd, bytes.data() + done, bytes.size() - done);
    if (count > 0) {
      done += static_cast<std::size_t>(count);
    } else if (count < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    } else {
      pollfd entry{m_Fd, POLLOUT, 0};
      if (poll(&entry, 1, static_cast<int>(limit.count())) == 0) {
        return false;
      }
    }
  }
  return true;
}

int PtyEnd::ReadByte(std::chrono::milliseconds limit) {
  pollfd entry{m_Fd, POLLIN, 0};
  unsigned char byte = 0;
  if (poll(&entry, 1, static_cast<int>(limit.count())) > 0 && read(m_Fd, &byte, 1) == 1) {
    return byte;
  }
  return -1;
}

std::string PtyEnd::Read(std::size_t count, std::chrono::milliseconds limit) {
  std::string bytes;
  while (bytes.size() < count) {
    const int byte = ReadByte(limit);
    if (byte < 0) {
      break;
    }
    bytes.push_back(static_cast<char>(byte));
  }
  return bytes;
}

std::string PtyEnd::ReadUntilQuiet(std::chrono::milliseconds quiet) {
  std::string bytes;
  for (int byte = ReadByte(quiet); byte >= 0; byte = ReadByte(quiet)) {
    bytes.push_back(static_cast<char>(byte));
  }
  return bytes;
}

}  // namespace linkwright
