#pragma once

#include <QObject>
#include <functional>

#include "byte_string.h"

class QAbstractItemView;
class QAction;

// The bytes of the text selected in the cell being edited in `view`: the selected characters
// decoded as escaped text. Empty when no cell is being edited in a line edit, when nothing is
// selected, or when the selection decodes to nothing.
ByteString GetSelectedCellBytes(const QAbstractItemView& view);

// Tools › "Compute CRC" (Ctrl+Shift+K) on the window's action: writes the checksums of the
// selected cell text to the trace, a header line and eight result lines, each as a received
// line. The action is enabled exactly while GetSelectedCellBytes gives at least one byte,
// followed as the focus, the text and the selection change.
class CComputeCrcCommand : public QObject {
  Q_OBJECT

 public:
  // Writes one line to the trace as received data followed by a line end.
  using LineWriter = std::function<void(const ByteString& line)>;

  // Takes over the action's triggering and enabled state.
  CComputeCrcCommand(const QAbstractItemView& view, QAction* action, LineWriter writeLine,
                     QObject* parent = nullptr);

  void Run();

 private:
  void UpdateEnabled();

  const QAbstractItemView& m_View;
  LineWriter m_WriteLine;
  QAction* m_Action;
};
