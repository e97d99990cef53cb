#pragma once

#include <QObject>

#include "byte_string.h"

class QAbstractItemView;
class QAction;

namespace linkwright {

class TraceWriter;

// The bytes of the text selected in the cell being edited in `view`: the selected characters
// decoded as escaped text. Empty when no cell is being edited in a line edit, when nothing is
// selected, or when the selection decodes to nothing.
ByteString GetSelectedCellBytes(const QAbstractItemView& view);

// Tools › "Compute CRC" (Ctrl+Shift+K) on the window's action: writes the checksums of the
// selected cell text to the trace, a header line and eight result lines, each a report line
// shown as received data is, in one append. The action is enabled exactly while
// GetSelectedCellBytes gives at least one byte, followed as the focus, the text and the selection
// change.
class ComputeCrcCommand : public QObject {
  Q_OBJECT

 public:
  // Takes over the action's triggering and enabled state.
  ComputeCrcCommand(const QAbstractItemView& view, QAction* action, TraceWriter& trace,
                    QObject* parent = nullptr);

  void Run();

 private:
  void UpdateEnabled();

  const QAbstractItemView& m_View;
  TraceWriter& m_Trace;
  QAction* m_Action;
};

}  // namespace linkwright
