#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include <QWidget>

#include "gui/scenario/scenario_panel.h"
#include "gui/session/session_driver.h"
#include "gui_test_support.h"
#include "scenario/scenario_file.h"
#include "support/loopback_socket.h"

namespace linkwright {

// The panel runs a scenario over the window's own session against a real peer, shows each
// test's and step's state as it goes, and saves the result as JUnit. The receive polling is
// slower than the test's patience: only a tick that wakes on data sees the answer.
class ScenarioPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsTheRunLiveAndSavesItAsJUnit() {
    GuiTestEnvironment env;
    LoopbackSocket listener = LoopbackSocket::TcpListener();
    UseTcpClient(listener.Port());
    GetConfiguration().Set(setting::kRxPollingTime, std::to_string(60000));
    QWidget window;
    auto* driver = new SessionDriver(GetConfiguration(), &window);
    window.show();
    WriteFileBytes(env.Dir() / "s.yaml",
                   "tests:\n"
                   "  - name: answers\n    steps:\n      - send: A[CR]\n      - expect: B[CR]\n"
                   "  - name: silent\n    steps:\n"
                   "      - expect: {text: \"C[CR]\", within: 100}\n");
    Scenario scenario;
    QVERIFY(!ReadScenarioFile(env.Dir() / "s.yaml", scenario).Failed());
    auto* panel = new ScenarioPanel(*driver, window, scenario);
    panel->show();

    panel->Run();
    LoopbackSocket peer = listener.Accept();
    QVERIFY(peer.valid());
    QCOMPARE(peer.Read(2), std::string("A\r"));
    QTreeWidgetItem* answers = panel->Tree()->topLevelItem(0);
    QCOMPARE(answers->text(1), QString("running"));
    QCOMPARE(answers->child(1)->text(1), QString("running"));
    QVERIFY(peer.Write("B\r"));
    QTRY_VERIFY(panel->Runner()->Finished());

    QCOMPARE(answers->text(1), QString("passed"));
    QTreeWidgetItem* silent = panel->Tree()->topLevelItem(1);
    QCOMPARE(silent->text(1), QString("failed"));
    QVERIFY(silent->child(0)->text(0).contains("nothing within 100 ms"));
    QVERIFY(driver->GetSession().IsOpen());
    QVERIFY(panel->SaveJUnit(env.PathOf("junit.xml")));
    QVERIFY(ReadFileBytes(env.Dir() / "junit.xml").find("tests=\"2\" failures=\"1\"") !=
            std::string::npos);
  }
};

}  // namespace linkwright

QTEST_MAIN(linkwright::ScenarioPanelTest)
#include "scenario_panel_test.moc"
