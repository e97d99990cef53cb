#include "compute_crc_command.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <string>
#include <vector>

#include "checksum/crc_report.h"
#include "message_view.h"

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
    CComputeCrcCommand command(m_View, action, [](const ByteString&) {});
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

  void WritesTheNineLinesOfTheSelection() {
    std::vector<ByteString> lines;
    CComputeCrcCommand command(m_View, &m_Action,
                               [&](const ByteString& line) { lines.push_back(line); });
    m_View.setCurrentIndex(m_View.model()->index(0, MessageTable::kTriggerColumn));
    StartEditing("[STX]123456789%s[ETX]")->setSelection(5, 9);
    m_Action.trigger();
    // The selection is the nine digits between the escapes; the lines are the core's report.
    QCOMPARE(lines.size(), size_t{9});
    QCOMPARE(lines, CrcReportLines("123456789"));
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
  CLinkwrightView m_View{m_Table, [](int) {}};
  QAction m_Action;
};

QTEST_MAIN(ComputeCrcCommandTest)
#include "compute_crc_command_test.moc"
