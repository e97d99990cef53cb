#include "gui/trace/trace_log.h"

#include "gui/trace/trace_bytes.h"

namespace linkwright {

bool TraceLog::Start(const QString& path) {
  Stop();
  m_File.setFileName(path);
  // Unbuffered: every write reaches the system at once, so a refused one is seen with the
  // system's reason, not later as a buffered flush that lost it.
  if (!m_File.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text |
                   QIODevice::Unbuffered)) {
    m_Error = FileError();
    return false;
  }
  m_Error.clear();
  return true;
}

void TraceLog::Stop() {
  if (m_File.isOpen()) {
    m_File.close();
  }
}

void TraceLog::Append(const QString& text) {
  if (!m_File.isOpen()) {
    return;
  }
  if (WriteAll(TraceBytes(text))) {
    return;
  }
  m_Error = FileError();
  m_File.close();
  emit Failed(m_Error);
}

// A disk that fills up takes part of a write and gives no reason for the rest; the next write
// of the rest is refused with one (or goes on, when the short write had another cause).
bool TraceLog::WriteAll(const QByteArray& bytes) {
  for (qint64 done = 0; done < bytes.size();) {
    const qint64 written = m_File.write(bytes.constData() + done, bytes.size() - done);
    if (written <= 0) {
      return false;
    }
    done += written;
  }
  return true;
}

QString TraceLog::FileError() const {
  return tr("cannot write %1: %2").arg(m_File.fileName(), m_File.errorString());
}

}  // namespace linkwright
