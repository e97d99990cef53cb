#pragma once

#include <QObject>
#include <QString>

#include "link/link_state.h"

class QLabel;
class QStatusBar;
class QWidget;

namespace linkwright {

class SessionDriver;

// What the session shows outside the trace: the status bar's sent-count pane, the link state's
// icon and the link description, kept in step with the driver; the reason a command failed in
// the status bar's message pane; the core's notices in boxes that do not stop the window. The
// window's title and icon follow the link too: the title starts with the description, and the icon
// is the link state's, or the program's while no kind of link is configured.
class LinkStatusPanes : public QObject {
  Q_OBJECT

 public:
  LinkStatusPanes(SessionDriver& driver, QStatusBar& bar, QWidget& window);

 private:
  void Show(const QString& description, LinkState state);

  QWidget& m_Window;
  QLabel* m_TxPane;
  QLabel* m_LinkIcon;
  QLabel* m_LinkPane;
};

}  // namespace linkwright
