#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "config/configuration.h"
#include "support/default_configuration.h"
#include "support/test_support.h"

namespace linkwright {

// Points the user settings and the configuration file at a fresh temporary folder, so a test
// never reads or writes the user's own, and starts from the default configuration.
class GuiTestEnvironment {
 public:
  GuiTestEnvironment() {
    QCoreApplication::setOrganizationName("Linkwright");
    QCoreApplication::setApplicationName("Linkwright");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(m_Dir.path().string()));
    Configuration::SetFilePath(m_Dir / "linkwright.cfg");
    ResetConfigurationToDefaults();
  }

  const TempDir& Dir() const { return m_Dir; }
  QString PathOf(const std::string& name) const {
    return QString::fromStdString((m_Dir / name).string());
  }

 private:
  TempDir m_Dir;
};

// The link settings of a TCP client to 127.0.0.1:port.
inline void UseTcpClient(uint16_t port) {
  Configuration& config = GetConfiguration();
  config.Set(setting::kMode, std::to_string(1));
  config.Set(setting::kActAsServer, std::to_string(0));
  config.Set(setting::kSocketHost, "127.0.0.1");
  config.Set(setting::kSocketPort, std::to_string(port));
}

// Runs the command (QAction) of a window by its object name; false when there is none.
inline bool TriggerAction(const QObject& window, const char* name) {
  auto* action = window.findChild<QAction*>(name);
  if (action == nullptr) {
    return false;
  }
  action->trigger();
  return true;
}

// Polls every 10 ms until `handle` accepts the active modal widget (returns true), then stops.
// `handle` must stay valid until then.
inline void WhenModalIsUp(std::function<bool(QWidget* modal)> handle) {
  auto* poll = new QTimer(qApp);
  QObject::connect(poll, &QTimer::timeout, poll, [poll, handle = std::move(handle)] {
    if (handle(QApplication::activeModalWidget())) {
      poll->deleteLater();
    }
  });
  poll->start(10);
}

// Answers the next modal message box that offers `button` once it is up, and keeps its text.
// The object must live until the box has come.
class MessageBoxAnswer {
 public:
  explicit MessageBoxAnswer(QMessageBox::StandardButton button) {
    WhenModalIsUp([this, button](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      QAbstractButton* answer = box != nullptr ? box->button(button) : nullptr;
      if (answer == nullptr) {
        return false;
      }
      m_Text = box->text();
      answer->click();
      return true;
    });
  }
  const QString& Text() const { return m_Text; }

 private:
  QString m_Text;
};

}  // namespace linkwright
