#pragma once

#include <QFile>
#include <QObject>
#include <QString>

namespace linkwright {

// Log Trace to File: appends the trace to a text file as it arrives, until stopped. The file is
// written through at every append, so what a crash leaves behind is complete up to the last
// tick. A write error stops the log and says why; the trace pane is not affected.
class TraceLog : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // Opens `path` for appending (created when missing); false, with Error() saying why, when it
  // cannot be opened. A log already running is stopped first.
  bool Start(const QString& path);
  void Stop();
  bool IsLogging() const { return m_File.isOpen(); }
  QString Path() const { return m_File.fileName(); }
  // Why the last Start failed or the log stopped by itself.
  const QString& Error() const { return m_Error; }

  // Appends text while logging (nothing otherwise). A failed write stops the log and emits
  // Failed.
  void Append(const QString& text);

 signals:
  // The log stopped because the file could not be written; `reason` names file and cause.
  void Failed(const QString& reason);

 private:
  bool WriteAll(const QByteArray& bytes);
  QString FileError() const;

  QFile m_File;
  QString m_Error;
};

}  // namespace linkwright
