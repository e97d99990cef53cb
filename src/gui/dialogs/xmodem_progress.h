#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>

#include "gui/session/transfer_display.h"

class QWidget;

namespace linkwright {

// The progress of a long transfer (Xmodem send or receive) in the window. The transfer reports
// each block; once it has taken longer than kShowAfterMs a progress dialog shows the blocks done
// (of the total when known) with a Cancel button. Between blocks the session driver gives the
// window's event loop its turn, so the dialog repaints and its Cancel works. Cancel makes
// Cancelled() true, which the transfer checks between blocks to end with the cancel sequence.
// Finish ends the transfer's display. The dialog is window-modal, so while it is up no other
// command of the window can start.
class XmodemProgress : public QObject, public TransferDisplay {
  Q_OBJECT

 public:
  static constexpr int kShowAfterMs = 500;

  explicit XmodemProgress(QWidget* window);
  ~XmodemProgress() override;

  // A block was done; `total` is 0 when the number of blocks is not known.
  void Progress(int done, int total) override;
  // True once the user pressed Cancel during this transfer.
  bool Cancelled() const override;
  // The transfer ended: the dialog goes and the next report starts a new transfer.
  void Finish() override;
  // A transfer has reported and not finished.
  bool Running() const { return m_Started.isValid(); }

  QProgressDialog* Dialog() const { return m_Dialog; }

 private:
  void ShowDialog();

  QWidget* m_Window;
  QPointer<QProgressDialog> m_Dialog;
  QElapsedTimer m_Started;
};

}  // namespace linkwright
