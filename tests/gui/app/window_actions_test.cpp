#include <QAction>
#include <QKeySequence>
#include <QtTest>

#include "gui/app/window_actions.h"

namespace linkwright {

// The window's keys, as the README's key table lists them, come from the action table.
class WindowActionsTest : public QObject {
  Q_OBJECT

 private slots:
  void KeysAreTheDocumentedOnes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("keys");
    QTest::newRow("New") << "fileNew"
                         << "Ctrl+N";
    QTest::newRow("Open") << "fileOpen"
                          << "Ctrl+O";
    QTest::newRow("Save") << "fileSave"
                          << "Ctrl+S";
    QTest::newRow("Print") << "filePrint"
                           << "Ctrl+P";
    QTest::newRow("Clear") << "clearTrace"
                           << "Ctrl+Shift+X";
    QTest::newRow("Compute CRC") << "computeCrc"
                                 << "Ctrl+Shift+K";
    QTest::newRow("Copy") << "editCopy"
                          << "Ctrl+Shift+C; Ctrl+Ins";
    QTest::newRow("Paste") << "editPaste"
                           << "Ctrl+Shift+V; Shift+Ins";
    QTest::newRow("Cut") << "editCut"
                         << "Shift+Del";
    QTest::newRow("Undo") << "editUndo"
                          << "Alt+Backspace; Ctrl+Z";
    QTest::newRow("Save As has none") << "fileSaveAs"
                                      << "";
  }

  void KeysAreTheDocumentedOnes() {
    QFETCH(QString, name);
    QFETCH(QString, keys);
    QObject owner;
    MakeWindowActions(&owner);
    const auto* action = owner.findChild<QAction*>(name);
    QVERIFY(action != nullptr);
    QCOMPARE(QKeySequence::listToString(action->shortcuts()), keys);
  }

  // Plain Ctrl+C, Ctrl+V and Ctrl+X stay with the widget that has the focus.
  void NoActionTakesThePlainClipboardKeys() {
    QObject owner;
    MakeWindowActions(&owner);
    for (const QAction* action : owner.findChildren<QAction*>()) {
      for (const char* key : {"Ctrl+C", "Ctrl+V", "Ctrl+X"}) {
        QVERIFY2(!action->shortcuts().contains(QKeySequence(key)),
                 qPrintable(action->objectName()));
      }
    }
  }
};

}  // namespace linkwright

QTEST_MAIN(linkwright::WindowActionsTest)
#include "window_actions_test.moc"
