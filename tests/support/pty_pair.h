#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "support/background_command.h"
#include "support/test_support.h"

namespace linkwright {

// Two linked pseudo-terminals made by socat: bytes written to one end come out of the other.
// The ends are symbolic links a and b in a private temporary folder.
class PtyPair {
 public:
  PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  // True once socat made both ends (it had five seconds).
  bool ready() const { return m_Ready; }
  std::string a() const { return (m_Dir / "a").string(); }
  std::string b() const { return (m_Dir / "b").string(); }
  const TempDir& dir() const { return m_Dir; }

  // Kills socat, as when a USB adapter is pulled: both ends hang up and their links go stale.
  void Stop();
  // Starts socat again on the same link names, as when the adapter comes back; true once both
  // ends are there.
  bool Start();

 private:
  TempDir m_Dir;
  std::unique_ptr<BackgroundCommand> m_Socat;
  bool m_Ready = false;
};

// A pseudo-terminal whose far side is a program: socat runs the shell command in dir() with its
// standard input and output on pipes to the pseudo-terminal, so the program's own terminal
// calls (flushing its queues at exit, say) cannot discard bytes still on their way. The command
// may not hold commas, colons, quotes or exclamation marks (socat's address syntax).
class PtyProgram {
 public:
  explicit PtyProgram(const std::string& command);
  PtyProgram(const PtyProgram&) = delete;
  PtyProgram& operator=(const PtyProgram&) = delete;

  bool ready() const { return m_Ready; }
  std::string path() const { return (m_Dir / "tty").string(); }
  const TempDir& dir() const { return m_Dir; }

  // Waits for the program to end; its exit status, or -1 when it did not end within the limit.
  int Wait(std::chrono::milliseconds limit);

 private:
  TempDir m_Dir;
  BackgroundCommand m_Socat;
  bool m_Ready = false;
};

// Opens a pseudo-terminal end raw and non-blocking for a test's own scripted peer.
class PtyEnd {
 public:
  explicit PtyEnd(const std::string& path);
  ~PtyEnd();
  PtyEnd(const PtyEnd&) = delete;
  PtyEnd& operator=(const PtyEnd&) = delete;

  bool ok() const { return m_Fd >= 0; }
  // Writes all bytes, waiting for room as needed; true when they all went out, false when the
  // line had no room for the limit.
  bool Write(const std::string& bytes,
             std::chrono::milliseconds limit = std::chrono::milliseconds(1000));
  // The next byte within the limit, or -1.
  int ReadByte(std::chrono::milliseconds limit);
  // Exactly count bytes, or fewer when the limit between two bytes ran out.
  std::string Read(std::size_t count, std::chrono::milliseconds limit);
  // Everything that arrives until the line has been quiet for the given time.
  std::string ReadUntilQuiet(std::chrono::milliseconds quiet);

 private:
  int m_Fd = -1;
};

}  // namespace linkwright
