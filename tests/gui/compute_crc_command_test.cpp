#include "compute_crc_command.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <string>
#include <vector>

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
    CComputeCrcCommand command(m_View, [](const ByteString&) {});
    QAction* action = command.Action();
    QCOMPARE(action->shortcut(), QKeySequence("Ctrl+Shift+K"));
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
    CComputeCrcCommand command(m_View, [&](const ByteString& line) { lines.push_back(line); });
    m_View.setCurrentIndex(m_View.model()->index(0, MessageTable::kTriggerColumn));
    StartEditing("[STX]123456789%s[ETX]")->setSelection(5, 9);
    command.Action()->trigger();
    const std::vector<ByteString> expected = {
        "*** CRC \"123456789\"  (HEX \"31 32 33 34 35 36 37 38 39 \")  ... ***",
        "   xor             -->       49 (HEX 31)",
        "   lrc             -->        8 (HEX 08)",
        "   lrc (modbus )   -->       35 (HEX 23)",
        "   crc (modbus )   -->    14155 (HEX 374B)",
        "   crc (modbus GE) -->    14155 (HEX 374B)",
        "   crc (sol)       -->     8585 (HEX 2189)",
        "   crc (OPLC)      -->    65059 (HEX FE23)",
        "   md5             --> 25f9e794323b453885f5181f1b624d0b",
    };
    QCOMPARE(lines, expected);
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
};

QTEST_MAIN(ComputeCrcCommandTest)
#include "compute_crc_command_test.moc"
