#pragma once

#include <string>
#include <utility>

namespace linkwright {

// What kind of failure an operation met. Code that reacts to failures looks at the kind (a stop
// request is no fault of the peer, a lost link closes the link); people read the message.
enum class ErrorKind {
  kNone,     // no failure
  kState,    // not possible in the object's present state: the link is not open, already open
  kSetting,  // a setting holds no usable value: a port of 0, a serial setting that does not parse
  kInput,    // text or a file to read does not hold what it must: XML, escape text, a row number
  kSystem,   // the system refused: a file, device or host missing, open, read, write, bind, connect
  kTimeout,  // the peer did not answer within its time limit
  kPeer,     // the peer broke the protocol or went away
  kStopped,  // a stop was asked for while it ran
};

// The one error type of the core: a kind and a message, both empty for success. Free functions
// that can fail return one; objects that can fail keep their last one (see LastErrorHolder).
class Error {
 public:
  Error() = default;
  Error(ErrorKind kind, std::string message) : m_Kind(kind), m_Message(std::move(message)) {}

  bool Failed() const { return m_Kind != ErrorKind::kNone; }
  ErrorKind Kind() const { return m_Kind; }
  // In words for a person; empty for success.
  const std::string& Message() const { return m_Message; }

 private:
  ErrorKind m_Kind = ErrorKind::kNone;
  std::string m_Message;
};

// The last error of an object that can fail, set in one place and read through LastError. Fail
// returns false, so a failing path ends with `return Fail(...)`.
class LastErrorHolder {
 public:
  // The failure of the last operation that failed; an operation that succeeds may leave it.
  const Error& LastError() const { return m_LastError; }

 protected:
  bool Fail(ErrorKind kind, std::string message) {
    m_LastError = Error(kind, std::move(message));
    return false;
  }
  bool Fail(Error error) {
    m_LastError = std::move(error);
    return false;
  }
  void ClearError() { m_LastError = Error(); }

 private:
  Error m_LastError;
};

}  // namespace linkwright
