#include "gui/session/link_status_panes.h"

#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QStatusBar>

#include "gui/session/link_icons.h"
#include "gui/session/session_driver.h"
#include "gui/widgets/notice_box.h"

namespace linkwright {

namespace {

// Widths of the transmit-count and link panes, in blanks of the status bar's font.
constexpr int kTxPaneBlanks = 23;
constexpr int kLinkPaneBlanks = 44;
constexpr int kLinkIconSize = 16;
// The window's icon while no kind of link is configured.
const char* const kProgramIcon = ":/linkwright.svg";

}  // namespace

LinkStatusPanes::LinkStatusPanes(SessionDriver& driver, QStatusBar& bar, QWidget& window)
    : QObject(&bar),
      m_Window(window),
      m_TxPane(new QLabel(&bar)),
      m_LinkIcon(new QLabel(&bar)),
      m_LinkPane(new QLabel(&bar)) {
  const QFontMetrics metrics(bar.font());
  m_TxPane->setMinimumWidth(metrics.horizontalAdvance(QString(kTxPaneBlanks, ' ')));
  m_LinkPane->setMinimumWidth(metrics.horizontalAdvance(QString(kLinkPaneBlanks, ' ')));
  m_LinkIcon->setFixedSize(kLinkIconSize, kLinkIconSize);
  bar.addPermanentWidget(m_TxPane);
  bar.addPermanentWidget(m_LinkIcon);
  bar.addPermanentWidget(m_LinkPane);
  connect(&driver, &SessionDriver::TxTextChanged, m_TxPane, &QLabel::setText);
  connect(&driver, &SessionDriver::LinkStatusChanged, this, &LinkStatusPanes::Show);
  connect(&driver, &SessionDriver::CommandFailed, &bar,
          [&bar](const QString& reason) { bar.showMessage(reason); });
  connect(&driver, &SessionDriver::NoticeArrived, this, [&window](const QString& text) {
    ShowNoticeBox(&window, QMessageBox::Information, QApplication::applicationName(), text);
  });
}

void LinkStatusPanes::Show(const QString& description, LinkState state) {
  m_Window.setWindowTitle(QString::fromStdString(LinkTitle(description.toStdString())));
  m_LinkPane->setText(description);
  const QIcon icon = LinkStateIcon(state);
  m_LinkIcon->setPixmap(icon.pixmap(kLinkIconSize));
  m_Window.setWindowIcon(icon.isNull() ? QIcon(kProgramIcon) : icon);
}

}  // namespace linkwright
