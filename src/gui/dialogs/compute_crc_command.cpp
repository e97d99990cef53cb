#include "gui/dialogs/compute_crc_command.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLineEdit>

#include "checksum/crc_report.h"
#include "codec/escape_codec.h"
#include "front_end/trace_text.h"
#include "gui/table/cell_editor.h"

ByteString GetSelectedCellBytes(const QAbstractItemView& view) {
  QLineEdit* editor = CurrentCellEditor(view);
  if (editor == nullptr || !editor->hasSelectedText()) {
    return {};
  }
  return TextToBytes(editor->selectedText().toUtf8().toStdString());
}

CComputeCrcCommand::CComputeCrcCommand(const QAbstractItemView& view, QAction* action,
                                       TraceWriter& trace, QObject* parent)
    : QObject(parent), m_View(view), m_Trace(trace), m_Action(action) {
  connect(m_Action, &QAction::triggered, this, &CComputeCrcCommand::Run);
  auto* watcher = new CCellEditorWatcher(view, this);
  connect(watcher, &CCellEditorWatcher::Changed, this, &CComputeCrcCommand::UpdateEnabled);
  UpdateEnabled();
}

void CComputeCrcCommand::Run() {
  TraceWriter::Batch batch(m_Trace);
  for (const std::string& line : CrcReportLines(GetSelectedCellBytes(m_View))) {
    m_Trace.Write(line, TraceDirection::kReport, true);
  }
}

void CComputeCrcCommand::UpdateEnabled() {
  m_Action->setEnabled(!GetSelectedCellBytes(m_View).empty());
}
