#include "gui/widgets/link_label.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>

namespace {

const QColor kNotOpenedColour(0, 0, 255);
const QColor kOpenedColour(128, 0, 128);

}  // namespace

CLink::CLink(QWidget* parent) : QLabel(parent) {
  setCursor(Qt::PointingHandCursor);
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  ShowState();
}

void CLink::SetUrl(const QUrl& url) {
  m_Url = url;
}

void CLink::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    Open();
  }
  QLabel::mouseReleaseEvent(event);
}

void CLink::Open() {
  QUrl url = m_Url.isEmpty() ? QUrl::fromUserInput(text()) : m_Url;
  if (!QDesktopServices::openUrl(url)) {
    QApplication::beep();
    return;
  }
  m_Opened = true;
  ShowState();
}

void CLink::ShowState() {
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, m_Opened ? kOpenedColour : kNotOpenedColour);
  setPalette(colours);
}
