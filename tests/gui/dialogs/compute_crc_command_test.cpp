#include "gui/dialogs/compute_crc_command.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <string>
#include <vector>

#include "checksum/crc_report.h"
#include "config/configuration.h"
#include "front_end/trace_text.h"
#include "gui/table/message_table_view.h"

namespace linkwright {

// Keeps what reaches the trace; the test support's recorder cannot be used beside Qt, whose
// keyword macros clash with its member names.
class TraceRecorder : public FrontEnd {
 public:
  void AppendTrace(const TraceBatch& pieces) override { batches.push_back(pieces); }
  void ClearTrace() override {}
  void PlaySignal(bool) override {}
  void SetTxPaneText(const std::string&) override {}
  void ShowLinkStatus(const std::string&, LinkState) override {}
  void ShowNotice(const std::string&) override {}

  std::vector<TraceBatch> batches;
};

class ComputeCrcCommandTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_View.show();
    QApplication::setActiveWindow(&m_View);
    QVERIFY(QTest::qWaitForWindowActive(&m_View));
  }

  void EnabledExactlyWhileEditedTextIsSelected() {
    QAction* action = &m_Action;
    ComputeCrcCommand command(m_View, action, m_Trace);
    m_View.setCurrentIndex(m_View.model()->index(1, MessageTable::kMessageColumn));
    QVERIFY(!action->isEnabled());

    QLineEdit* editor = StartEditing("[STX]AB");
    QVERIFY(!action->isEnabled());
    editor->setSelection(0, 5);
    QVERIFY(action->isEnabled());
    editor->deselect();
    QVERIFY(!action->isEnabled());
    editor->selectAll();
    QVERIFY(action->isEnabled());

    m_View.setFocus();
    QVERIFY(!action->isEnabled());
    QVERIFY(GetSelectedCellBytes(m_View).empty());
  }

  void WritesTheNineLinesOfTheSelectionInOneAppend() {
    ComputeCrcCommand command(m_View, &m_Action, m_Trace);
    m_View.setCurrentIndex(m_View.model()->index(0, MessageTable::kTriggerColumn));
    StartEditing("[STX]123456789%s[ETX]")->setSelection(5, 9);
    m_Action.trigger();
    // The selection is the nine digits between the escapes; the lines are the core's report.
    TraceBatch expected;
    for (const std::string& line : CrcReportLines("123456789")) {
      expected.push_back({TraceDirection::kReport, line, true});
    }
    QCOMPARE(expected.size(), size_t{9});
    QCOMPARE(m_FrontEnd.batches, std::vector<TraceBatch>{expected});
  }

 private:
  QLineEdit* StartEditing(const QString& text) {
    m_View.edit(m_View.currentIndex());
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (editor == nullptr) {
      qFatal("no cell editor");
    }
    editor->setText(text);
    return editor;
  }

  MessageTable m_Table;
  MessageTableView m_View{m_Table, [](int) {}};
  QAction m_Action;
  Configuration m_Config;
  TraceRecorder m_FrontEnd;
  TraceWriter m_Trace{m_Config, m_FrontEnd};
};

}  // namespace linkwright

QTEST_MAIN(linkwright::ComputeCrcCommandTest)
#include "compute_crc_command_test.moc"
