#pragma once

#include <QObject>
#include <QString>

#include "error.h"
#include "gui/trace/trace_log.h"

class QAction;
class QLabel;
class QMainWindow;

namespace linkwright {

class TracePane;

// The trace pane's own commands: View › "Timestamps" and "Colour trace" (remembered in the
// user settings, colours on unless switched off), Find in Trace (Ctrl+F), File › "Save Trace
// As..." (written atomically) and "Log Trace to File..." (appending as the trace grows, for
// this run only, with a note in the status bar while it runs). The frame puts the actions in
// its menus.
class TraceCommands : public QObject {
  Q_OBJECT

 public:
  TraceCommands(QMainWindow& frame, TracePane& pane);

  QAction* Timestamps() const { return m_Timestamps; }
  QAction* Colours() const { return m_Colours; }
  QAction* Find() const { return m_Find; }
  QAction* SaveAs() const { return m_SaveAs; }
  QAction* Log() const { return m_Log; }

  // Writes the pane's text to `path`, replacing the file only once all of it is written; the
  // error tells why it was not.
  Error SaveTrace(const QString& path) const;
  // Starts or stops the log (the Log entry's check follows); false with the reason shown when
  // the file cannot be opened.
  bool StartLog(const QString& path);
  void StopLog();
  const TraceLog& FileLog() const { return m_TraceLog; }

 private:
  QAction* AddCheck(const QString& text, const char* key, bool byDefault);
  void OnSaveAs();
  void OnLog(bool start);
  void LogFailed(const QString& reason);

  QMainWindow& m_Frame;
  TracePane& m_Pane;
  TraceLog m_TraceLog;
  QLabel* m_LogNote;
  QAction* m_Timestamps;
  QAction* m_Colours;
  QAction* m_Find;
  QAction* m_SaveAs;
  QAction* m_Log;
};

}  // namespace linkwright
