#include "gui/widgets/hyperlink_label.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>

namespace linkwright {

namespace {

const QColor kNotOpenedColour(0, 0, 255);
const QColor kOpenedColour(128, 0, 128);

}  // namespace

HyperlinkLabel::HyperlinkLabel(QWidget* parent) : QLabel(parent) {
  setCursor(Qt::PointingHandCursor);
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  ShowState();
}

void HyperlinkLabel::SetUrl(const QUrl& url) {
  m_Url = url;
}

void HyperlinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    Open();
  }
  QLabel::mouseReleaseEvent(event);
}

void HyperlinkLabel::Open() {
  QUrl url = m_Url.isEmpty() ? QUrl::fromUserInput(text()) : m_Url;
  if (!QDesktopServices::openUrl(url)) {
    QApplication::beep();
    return;
  }
  m_Opened = true;
  ShowState();
}

void HyperlinkLabel::ShowState() {
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, m_Opened ? kOpenedColour : kNotOpenedColour);
  setPalette(colours);
}

}  // namespace linkwright
