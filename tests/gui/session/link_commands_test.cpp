#include <QAction>
#include <QMainWindow>
#include <QStatusBar>
#include <QtTest>
#include <memory>

#include "gui/session/link_commands.h"
#include "gui/session/session_driver.h"
#include "gui_test_support.h"
#include "support/loopback_socket.h"

namespace linkwright {

// The link's commands and status with a session driver, without the main window: a bare window
// whose status bar the commands fill, and a TCP client to a listener on loopback.
class LinkCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_Env = std::make_unique<GuiTestEnvironment>();
    m_Listener = std::make_unique<LoopbackSocket>(LoopbackSocket::TcpListener());
    UseTcpClient(m_Listener->Port());
    GetConfiguration().Set(setting::kRxPollingTime, std::to_string(10));
    m_Window = std::make_unique<QMainWindow>();
    m_Driver = new SessionDriver(GetConfiguration(), m_Window.get());
    m_Actions = {new QAction(m_Window.get()), new QAction(m_Window.get()),
                 new QAction(m_Window.get())};
    new LinkCommands(*m_Driver, m_Actions, *m_Window);
    m_Driver->ShowStatus();
  }
  void cleanup() {
    m_Window.reset();
    m_Listener.reset();
    m_Env.reset();
  }

  // A peer that goes away closes the link during a tick; the commands follow without a command
  // of the user's.
  void CommandsFollowALinkLostDuringATick() {
    QVERIFY(m_Actions.openConnection->isEnabled());
    QVERIFY(!m_Actions.closeConnection->isEnabled());
    m_Actions.openConnection->trigger();
    LoopbackSocket peer = m_Listener->Accept();
    QVERIFY(peer.valid());
    QVERIFY(!m_Actions.openConnection->isEnabled());
    QVERIFY(m_Actions.closeConnection->isEnabled());

    peer.Close();
    QTRY_VERIFY(!m_Driver->GetSession().IsOpen());
    QVERIFY(m_Actions.openConnection->isEnabled());
    QVERIFY(!m_Actions.closeConnection->isEnabled());
    QVERIFY(m_Window->windowTitle().startsWith(
        QString::fromStdString(m_Driver->GetSession().Link().Status().description)));
  }

  // A link that does not open says why in the status bar and stays closed.
  void FailedOpenShowsItsReasonInTheStatusBar() {
    m_Listener.reset();
    m_Actions.openConnection->trigger();
    QVERIFY(!m_Driver->GetSession().IsOpen());
    const QString reason = QString::fromStdString(m_Driver->GetSession().LastError().Message());
    QVERIFY(!reason.isEmpty());
    QCOMPARE(m_Window->statusBar()->currentMessage(), reason);
    QVERIFY(m_Actions.openConnection->isEnabled());
  }

 private:
  std::unique_ptr<GuiTestEnvironment> m_Env;
  std::unique_ptr<LoopbackSocket> m_Listener;
  std::unique_ptr<QMainWindow> m_Window;
  SessionDriver* m_Driver = nullptr;
  LinkCommands::Actions m_Actions{};
};

}  // namespace linkwright

QTEST_MAIN(linkwright::LinkCommandsTest)
#include "link_commands_test.moc"
