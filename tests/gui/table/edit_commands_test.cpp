#include "gui/table/edit_commands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <optional>

#include "gui/table/message_table_view.h"

namespace linkwright {

class EditCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    m_Table.emplace();
    m_Table->SetRow(2, {"[STX]A", "first\tcomment", 1, ""});
    m_Table->SetRow(3, {"B[CR]", "", 0, "T"});
    m_Table->SetModified(false);
    m_View.emplace(*m_Table, [](int) {});
    m_Commands.emplace(*m_View, *m_Table,
                       EditCommands::Actions{&m_Undo, &m_Cut, &m_Copy, &m_Paste});
    m_View->show();
    QApplication::setActiveWindow(&*m_View);
    QVERIFY(QTest::qWaitForWindowActive(&*m_View));
    QApplication::clipboard()->clear();
  }

  void CopiedCellsPasteIntoOtherRows() {
    m_View->setCurrentIndex(Cell(2, 1));
    m_View->selectionModel()->select(QItemSelection(Cell(2, 1), Cell(3, 4)),
                                     QItemSelectionModel::ClearAndSelect);
    QVERIFY(!m_Undo.isEnabled());
    QVERIFY(!m_Cut.isEnabled());
    QVERIFY(!m_Paste.isEnabled());
    m_Copy.trigger();
    QCOMPARE(QApplication::clipboard()->text(),
             QString("[STX]A\t\"first\tcomment\"\t1\t\nB[CR]\t\t0\tT\n"));

    m_View->setCurrentIndex(Cell(20, 1));
    QVERIFY(m_Paste.isEnabled());
    m_Paste.trigger();
    QCOMPARE(m_Table->GetRow(20), m_Table->GetRow(2));
    QCOMPARE(m_Table->GetRow(21), m_Table->GetRow(3));
    QVERIFY(m_Table->IsModified());
  }

  void WhileACellIsEditedTheCommandsActOnItsEditor() {
    m_View->setCurrentIndex(Cell(2, 1));
    m_View->edit(Cell(2, 1));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor != nullptr);
    QVERIFY(!m_Undo.isEnabled());
    editor->deselect();
    QVERIFY(!m_Copy.isEnabled());

    editor->setSelection(0, 5);
    QVERIFY(m_Cut.isEnabled());
    m_Cut.trigger();
    QCOMPARE(editor->text(), QString("A"));
    QCOMPARE(QApplication::clipboard()->text(), QString("[STX]"));
    QVERIFY(m_Undo.isEnabled());
    m_Paste.trigger();
    m_Paste.trigger();
    QCOMPARE(editor->text(), QString("[STX][STX]A"));
    m_Undo.trigger();
    QCOMPARE(editor->text(), QString("[STX]A"));
    QCOMPARE(m_Table->GetItemText(2, 1), "[STX]A");
  }

 private:
  QModelIndex Cell(int row, int column) const { return m_View->model()->index(row - 1, column); }

  std::optional<MessageTable> m_Table;
  std::optional<MessageTableView> m_View;
  QAction m_Undo;
  QAction m_Cut;
  QAction m_Copy;
  QAction m_Paste;
  std::optional<EditCommands> m_Commands;
};

}  // namespace linkwright

QTEST_MAIN(linkwright::EditCommandsTest)
#include "edit_commands_test.moc"
