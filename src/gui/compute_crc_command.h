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

// Tools › "Compute CRC" (Ctrl+Shift+K): writes the checksums of the selected cell text to the
// trace, a header line and eight result lines, each as a received line. The action is enabled
// exactly while GetSelectedCellBytes gives at least one byte, followed as the focus and the
// selection change.
class CComputeCrcCommand : public QObject {
  Q_OBJECT

 public:
  // Writes one line to the trace as received data followed by a line end.
  using LineWriter = std::function<void(const ByteString& line)>;

  CComputeCrcCommand(const QAbstractItemView& view, LineWriter writeLine,
                     QObject* parent = nullptr);

  // The menu entry and accelerator; the caller adds it to its Tools menu.
  QAction* Action() const { return m_Action; }

  void Run();

 private:
  void UpdateEnabled();

  const QAbstractItemView& m_View;
  LineWriter m_WriteLine;
  QAction* m_Action;
};
