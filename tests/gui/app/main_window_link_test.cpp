#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>
#include <memory>

#include "gui/app/main_window.h"
#include "gui/session/link_icons.h"
#include "gui/session/session_driver.h"
#include "gui/table/function_keys.h"
#include "gui/table/message_table_view.h"
#include "gui/trace/trace_pane.h"
#include "gui_test_support.h"
#include "support/loopback_socket.h"

namespace linkwright {

// The window against a real peer: a TCP listener on loopback that the frame connects to.
class MainWindowLinkTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_Env = std::make_unique<GuiTestEnvironment>();
    m_Listener = std::make_unique<LoopbackSocket>(LoopbackSocket::TcpListener());
    UseTcpClient(m_Listener->Port());
    GetConfiguration().Set(setting::kRxPollingTime, std::to_string(10));
    m_Frame = std::make_unique<MainWindow>(GetConfiguration());
    m_Frame->show();
    QVERIFY(TriggerAction(*m_Frame, "openConnection"));
    QVERIFY(m_Frame->Driver().GetSession().IsOpen());
    m_Peer = std::make_unique<LoopbackSocket>(m_Listener->Accept());
    QVERIFY(m_Peer->valid());
  }
  void cleanup() {
    m_Frame.reset();
    m_Peer.reset();
    m_Listener.reset();
    m_Env.reset();
  }

  // F-keys send their row even while a cell editor has the focus, and the editor never sees
  // the key.
  void FunctionKeysSendFromAnOpenCellEditor() {
    MessageTable& table = m_Frame->Driver().GetSession().Table();
    table.SetItemText(3, MessageTable::kMessageColumn, "ROW3[CR]");
    table.SetItemText(24, MessageTable::kMessageColumn, "ROW24[CR]");
    table.SetItemText(1, MessageTable::kMessageColumn, "typed");
    MessageTableView* view = m_Frame->findChild<MessageTableView*>();
    QApplication::setActiveWindow(m_Frame.get());
    QVERIFY(QTest::qWaitForWindowActive(m_Frame.get()));
    view->edit(view->model()->index(0, MessageTable::kMessageColumn));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor != nullptr);
    editor->installEventFilter(this);

    QTest::keyClick(editor, Qt::Key_F3);
    QCOMPARE(m_Peer->Read(5), std::string("ROW3\r"));
    QTest::keyClick(editor, Qt::Key_F24, Qt::ShiftModifier);
    QCOMPARE(m_Peer->Read(6), std::string("ROW24\r"));
    QCOMPARE(QApplication::focusWidget(), editor);
    QCOMPARE(editor->text(), QString("typed"));
    QCOMPARE(m_FunctionKeysSeenByEditor, 0);
  }

  // The window's icon shows the link state, as the status bar does.
  void WindowIconFollowsTheLinkState() {
    QVERIFY(ShowsIcon(m_Frame->windowIcon(), LinkStateIcon(LinkState::kTcpClientOpen)));
    QVERIFY(TriggerAction(*m_Frame, "closeConnection"));
    QVERIFY(ShowsIcon(m_Frame->windowIcon(), LinkStateIcon(LinkState::kTcpClientClosed)));
  }

  // Everything one tick traces reaches the pane in one insert: three packets in one read and
  // the three answers they trigger.
  void OneTraceAppendPerTick() {
    MessageTable& table = m_Frame->Driver().GetSession().Table();
    table.SetRow(1, {"PONG[CR]", "", 1, "PING[CR]"});
    int appends = 0;
    int mostAppendsInATick = 0;
    QTextDocument* trace = m_Frame->findChild<TracePane*>()->document();
    connect(trace, &QTextDocument::contentsChange, this, [&] { ++appends; });
    connect(&m_Frame->Driver(), &SessionDriver::TicksRan, this, [&] {
      mostAppendsInATick = std::max(mostAppendsInATick, appends);
      appends = 0;
    });

    QVERIFY(m_Peer->Write("PING\rPING\rPING\r"));
    QTRY_COMPARE(trace->toPlainText().count("<-- PONG[CR]"), 3);
    QCOMPARE(m_Peer->Read(15), std::string("PONG\rPONG\rPONG\r"));
    QCOMPARE(trace->toPlainText().count("PING[CR]"), 3);
    QCOMPARE(mostAppendsInATick, 1);
  }

  // With Tools › "Wake on Data" a request is answered when it arrives, not at the next receive
  // tick (a minute away here), and the choice is remembered.
  void WakeOnDataAnswersWithoutWaitingForTheNextTick() {
    m_Frame->Driver().GetSession().Table().SetRow(1, {"PONG[CR]", "", 1, "PING[CR]"});
    QVERIFY(TriggerAction(*m_Frame, "closeConnection"));
    GetConfiguration().Set(setting::kRxPollingTime, std::to_string(60000));
    QVERIFY(TriggerAction(*m_Frame, "wakeOnData"));
    QVERIFY(TriggerAction(*m_Frame, "openConnection"));
    LoopbackSocket peer = m_Listener->Accept();
    QVERIFY(peer.Write("PING\r"));
    QTRY_COMPARE(m_Frame->Driver().GetSession().PacketsReceived(), size_t{1});
    QCOMPARE(peer.Read(5), std::string("PONG\r"));
    QVERIFY(QSettings().value("Link/WakeOnData").toBool());
  }

 protected:
  // Counts the function keys that reach the watched editor.
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::KeyPress &&
        FunctionKeyFilter::RowOfKey(static_cast<QKeyEvent*>(event)->key()) != 0) {
      ++m_FunctionKeysSeenByEditor;
    }
    return false;
  }

 private:
  static bool ShowsIcon(const QIcon& shown, const QIcon& expected) {
    const int size = 16;
    return shown.pixmap(size).toImage() == expected.pixmap(size).toImage();
  }

  int m_FunctionKeysSeenByEditor = 0;
  std::unique_ptr<GuiTestEnvironment> m_Env;
  std::unique_ptr<LoopbackSocket> m_Listener;
  std::unique_ptr<LoopbackSocket> m_Peer;
  std::unique_ptr<MainWindow> m_Frame;
};

}  // namespace linkwright

QTEST_MAIN(linkwright::MainWindowLinkTest)
#include "main_window_link_test.moc"
