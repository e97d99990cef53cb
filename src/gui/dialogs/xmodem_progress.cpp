#include "gui/dialogs/xmodem_progress.h"

#include <QProgressDialog>
#include <algorithm>

namespace linkwright {

XmodemProgress::XmodemProgress(QWidget* window) : QObject(window), m_Window(window) {}

XmodemProgress::~XmodemProgress() {
  delete m_Dialog;
}

void XmodemProgress::Progress(int done, int total) {
  if (!m_Started.isValid()) {
    m_Started.start();
  }
  if (m_Dialog == nullptr && m_Started.elapsed() >= kShowAfterMs) {
    ShowDialog();
  }
  if (m_Dialog != nullptr) {
    // A total of 0 turns the bar into a busy indicator.
    m_Dialog->setMaximum(total);
    m_Dialog->setValue(total > 0 ? std::min(done, total) : 0);
    m_Dialog->setLabelText(total > 0 ? tr("Xmodem: block %1 of %2").arg(done).arg(total)
                                     : tr("Xmodem: block %1").arg(done));
  }
}

bool XmodemProgress::Cancelled() const {
  return m_Dialog != nullptr && m_Dialog->wasCanceled();
}

void XmodemProgress::Finish() {
  m_Started.invalidate();
  delete m_Dialog;
}

void XmodemProgress::ShowDialog() {
  m_Dialog = new QProgressDialog(tr("Xmodem"), tr("Cancel"), 0, 0, m_Window);
  m_Dialog->setWindowTitle(tr("Xmodem transfer"));
  m_Dialog->setWindowModality(Qt::WindowModal);
  m_Dialog->setMinimumDuration(0);
  m_Dialog->setAutoReset(false);
  m_Dialog->setAutoClose(false);
  m_Dialog->show();
}

}  // namespace linkwright
