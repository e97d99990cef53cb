#include "trace_log.h"

bool CTraceLog::Start(const QString& path) {
  Stop();
  m_File.setFileName(path);
  if (!m_File.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
    m_Error = FileError();
    return false;
  }
  m_Error.clear();
  return true;
}

void CTraceLog::Stop() {
  if (m_File.isOpen()) {
    m_File.close();
  }
}

void CTraceLog::Append(const QString& text) {
  if (!m_File.isOpen()) {
    return;
  }
  const QByteArray bytes = text.toUtf8();
  if (m_File.write(bytes) == bytes.size() && m_File.flush()) {
    return;
  }
  m_Error = FileError();
  m_File.close();
  emit Failed(m_Error);
}

QString CTraceLog::FileError() const {
  return tr("cannot write %1: %2").arg(m_File.fileName(), m_File.errorString());
}
