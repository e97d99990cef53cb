#include "gui/trace/trace_commands.h"

#include <QAction>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <string>
#include <string_view>

#include "atomic_file.h"
#include "gui/trace/trace_bytes.h"
#include "gui/trace/trace_pane.h"
#include "gui/widgets/notice_box.h"

namespace linkwright {

namespace {

constexpr char kTimestampsKey[] = "Trace/Timestamps";
constexpr char kColoursKey[] = "Trace/ColourTrace";
QString TextFiles() {
  return QObject::tr("Text files (*.txt *.log);;All files (*)");
}

}  // namespace

TraceCommands::TraceCommands(QMainWindow& frame, TracePane& pane)
    : QObject(&frame),
      m_Frame(frame),
      m_Pane(pane),
      m_LogNote(new QLabel(&frame)),
      m_Timestamps(AddCheck(tr("&Timestamps"), kTimestampsKey, false)),
      m_Colours(AddCheck(tr("Colour &trace"), kColoursKey, true)),
      m_Find(new QAction(tr("&Find in Trace..."), this)),
      m_SaveAs(new QAction(tr("Save T&race As..."), this)),
      m_Log(new QAction(tr("&Log Trace to File..."), this)) {
  m_Timestamps->setStatusTip(tr("Start each trace line with the time it began"));
  m_Colours->setStatusTip(tr("Show sent data, received data and reports in their own colours"));
  connect(m_Timestamps, &QAction::toggled, &m_Pane, &TracePane::ShowTimestamps);
  connect(m_Colours, &QAction::toggled, &m_Pane, &TracePane::ShowColours);
  m_Pane.ShowTimestamps(m_Timestamps->isChecked());
  m_Pane.ShowColours(m_Colours->isChecked());

  m_Find->setShortcut(QKeySequence::Find);
  m_Find->setStatusTip(tr("Find text in the trace"));
  connect(m_Find, &QAction::triggered, &m_Pane, &TracePane::OpenFindBar);

  m_SaveAs->setStatusTip(tr("Save the trace as a text file"));
  connect(m_SaveAs, &QAction::triggered, this, &TraceCommands::OnSaveAs);

  m_Log->setCheckable(true);
  m_Log->setStatusTip(tr("Append the trace to a file as it arrives, until switched off"));
  connect(m_Log, &QAction::triggered, this, &TraceCommands::OnLog);
  connect(&m_Pane, &TracePane::TextAppended, &m_TraceLog, &TraceLog::Append);
  connect(&m_TraceLog, &TraceLog::Failed, this, &TraceCommands::LogFailed);
  m_Frame.statusBar()->addPermanentWidget(m_LogNote);
  m_LogNote->hide();
}

QAction* TraceCommands::AddCheck(const QString& text, const char* key, bool byDefault) {
  auto* action = new QAction(text, this);
  action->setCheckable(true);
  action->setChecked(QSettings().value(key, byDefault).toBool());
  connect(action, &QAction::toggled, this,
          [key](bool checked) { QSettings().setValue(key, checked); });
  return action;
}

Error TraceCommands::SaveTrace(const QString& path) const {
  QByteArray bytes = TraceBytes(m_Pane.TraceText());
  if (!bytes.isEmpty() && !bytes.endsWith('\n')) {
    bytes += '\n';
  }
  return WriteFileAtomically(path.toStdString(), std::string_view(bytes.constData(), bytes.size()));
}

void TraceCommands::OnSaveAs() {
  const QString path =
      QFileDialog::getSaveFileName(&m_Frame, tr("Save Trace As"), "trace.txt", TextFiles());
  if (path.isEmpty()) {
    return;
  }
  if (const Error saved = SaveTrace(path); saved.Failed()) {
    QMessageBox::warning(&m_Frame, tr("Save Trace As"), QString::fromStdString(saved.Message()));
  }
}

void TraceCommands::OnLog(bool start) {
  if (!start) {
    StopLog();
    return;
  }
  const QString path =
      QFileDialog::getSaveFileName(&m_Frame, tr("Log Trace to File"), "trace.log", TextFiles(),
                                   nullptr, QFileDialog::DontConfirmOverwrite);
  if (path.isEmpty() || !StartLog(path)) {
    m_Log->setChecked(false);
  }
}

bool TraceCommands::StartLog(const QString& path) {
  if (!m_TraceLog.Start(path)) {
    m_Log->setChecked(false);
    QMessageBox::warning(&m_Frame, tr("Log Trace to File"), m_TraceLog.Error());
    return false;
  }
  m_Log->setChecked(true);
  m_LogNote->setText(tr("Logging to %1").arg(path));
  m_LogNote->show();
  return true;
}

void TraceCommands::StopLog() {
  m_TraceLog.Stop();
  m_Log->setChecked(false);
  m_LogNote->hide();
}

void TraceCommands::LogFailed(const QString& reason) {
  StopLog();
  const QString text = tr("Trace log stopped: %1").arg(reason);
  m_Frame.statusBar()->showMessage(text);
  ShowNoticeBox(&m_Frame, QMessageBox::Warning, tr("Log Trace to File"), text);
}

}  // namespace linkwright
