#include "gui/dialogs/compute_crc_command.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLineEdit>

#include "checksum/crc_report.h"
#include "codec/escape_codec.h"
#include "front_end/trace_text.h"
#include "gui/table/cell_editor.h"

namespace linkwright {

ByteString GetSelectedCellBytes(const QAbstractItemView& view) {
  QLineEdit* editor = CurrentCellEditor(view);
  if (editor == nullptr || !editor->hasSelectedText()) {
    return {};
  }
  return TextToBytes(editor->selectedText().toUtf8().toStdString());
}

ComputeCrcCommand::ComputeCrcCommand(const QAbstractItemView& view, QAction* action,
                                     TraceWriter& trace, QObject* parent)
    : QObject(parent), m_View(view), m_Trace(trace), m_Action(action) {
  connect(m_Action, &QAction::triggered, this, &ComputeCrcCommand::Run);
  auto* watcher = new CellEditorWatcher(view, this);
  connect(watcher, &CellEditorWatcher::Changed, this, &ComputeCrcCommand::UpdateEnabled);
  UpdateEnabled();
}

void ComputeCrcCommand::Run() {
  TraceWriter::Batch batch(m_Trace);
  for (const std::string& line : CrcReportLines(GetSelectedCellBytes(m_View))) {
    m_Trace.Write(line, TraceDirection::kReport, true);
  }
}

void ComputeCrcCommand::UpdateEnabled() {
  m_Action->setEnabled(!GetSelectedCellBytes(m_View).empty());
}

}  // namespace linkwright
