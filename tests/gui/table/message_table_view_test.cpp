#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "config/configuration.h"
#include "gui/table/message_table_view.h"
#include "session/session.h"
#include "support/default_configuration.h"
#include "support/loopback_socket.h"
#include "support/recording_front_end.h"

namespace linkwright {

namespace {

// A table whose rows 1 … 9 hold "M1" … "M9".
void FillRows(MessageTable& table) {
  for (int row = 1; row <= 9; ++row) {
    table.SetRow(row, {"M" + std::to_string(row), "", 0, ""});
  }
  table.SetModified(false);
}

QPoint CellCentre(const MessageTableView& view, int row, int column) {
  return view.visualRect(view.model()->index(row - 1, column)).center();
}

// Right-clicks a point of the view's cells and picks `entry` from the menu that opens. False
// when no menu opened.
bool ChooseFromRowMenu(MessageTableView& view, const QPoint& pos, const QString& entry) {
  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) {
      return;
    }
    shown = true;
    for (QAction* action : menu->actions()) {
      if (action->text() == entry) {
        menu->setActiveAction(action);
      }
    }
    QTest::keyClick(menu, Qt::Key_Return);
  });
  QContextMenuEvent click(QContextMenuEvent::Mouse, pos, view.viewport()->mapToGlobal(pos));
  QApplication::sendEvent(view.viewport(), &click);
  QCoreApplication::processEvents();
  return shown;
}

}  // namespace

class MessageTableViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    ResetConfigurationToDefaults();
    m_Session.emplace(GetConfiguration(), m_FrontEnd);
    m_Table = &m_Session->Table();
    FillRows(*m_Table);
    m_View.emplace(*m_Table, [this](int row) { m_Session->SendRow(row); });
    m_View->resize(900, 400);
    m_View->show();
    QVERIFY(QTest::qWaitForWindowExposed(&*m_View));
  }

  void cleanup() {
    m_View.reset();
    m_Session.reset();
  }

  // Only a label sends its row; header and data cells only select.
  void LeftClickOnALabelSendsItsRow() {
    LoopbackSocket listener = LoopbackSocket::TcpListener();
    Configuration& config = GetConfiguration();
    config.Set(setting::kMode, "1");
    config.Set(setting::kActAsServer, "0");
    config.Set(setting::kSocketPort, std::to_string(listener.Port()));
    QVERIFY(m_Session->OpenConnection());
    LoopbackSocket device = listener.Accept();
    QVERIFY(device.valid());

    QHeaderView* header = m_View->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    QTest::mouseClick(m_View->viewport(), Qt::LeftButton, {}, CellCentre(*m_View, 5, 0));
    QTest::mouseClick(m_View->viewport(), Qt::LeftButton, {}, CellCentre(*m_View, 2, 1));
    QTest::mouseClick(m_View->viewport(), Qt::LeftButton, {}, CellCentre(*m_View, 3, 2));
    QTest::mouseClick(m_View->viewport(), Qt::RightButton, {}, CellCentre(*m_View, 7, 0));
    QCOMPARE(device.ReadUntilQuiet(std::chrono::milliseconds(200)), "M5");
    QCOMPARE(m_FrontEnd.trace, "<-- M5\r\n");
    QCOMPARE(m_Table->FocusedRow(), 3);
  }

  void RowMenuActsOnTheClickedLabel() {
    QVERIFY(ChooseFromRowMenu(*m_View, CellCentre(*m_View, 5, 0), "Insert row"));
    QCOMPARE(m_Table->GetItemText(5, MessageTable::kMessageColumn), "");
    QCOMPARE(m_Table->GetItemText(6, MessageTable::kMessageColumn), "M5");
    QCOMPARE(m_View->currentIndex(), m_View->model()->index(4, MessageTable::kMessageColumn));

    QVERIFY(ChooseFromRowMenu(*m_View, CellCentre(*m_View, 2, 0), "Delete row"));
    QCOMPARE(m_Table->GetItemText(2, MessageTable::kMessageColumn), "M3");
    QCOMPARE(m_Table->GetItemText(5, MessageTable::kMessageColumn), "M5");

    QVERIFY(ChooseFromRowMenu(*m_View, CellCentre(*m_View, 4, 0), "Cancel"));
    QVERIFY(!ChooseFromRowMenu(*m_View, CellCentre(*m_View, 4, 1), "Delete row"));
    QCOMPARE(m_Table->GetItemText(4, MessageTable::kMessageColumn), "");
    QCOMPARE(m_Table->GetItemText(3, MessageTable::kMessageColumn), "M4");
    QVERIFY(m_Table->IsModified());
  }

  void ModelFollowsTheTable() {
    QAbstractItemModel* model = m_View->model();
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    m_Table->SetItemText(8, MessageTable::kTriggerColumn, "PING[CR]");
    QCOMPARE(changed.count(), 1);
    QCOMPARE(model->index(7, MessageTable::kTriggerColumn).data().toString(), "PING[CR]");

    QSignalSpy reset(model, &QAbstractItemModel::modelReset);
    m_Table->LoadRows({{"A", "first", 1, ""}});
    QCOMPARE(reset.count(), 1);
    QCOMPARE(model->index(0, MessageTable::kMessageColumn).data().toString(), "A");
    QCOMPARE(model->index(0, MessageTable::kActiveColumn).data(Qt::CheckStateRole).toInt(),
             Qt::Checked);
    QCOMPARE(model->index(1, MessageTable::kMessageColumn).data().toString(), "");

    // AutoReply and AutoSend select the row they send; the view shows it.
    m_Table->SelectRow(40);
    QCOMPARE(m_View->currentIndex().row(), 39);
    QVERIFY(m_View->selectionModel()->isRowSelected(39, {}) ||
            m_View->selectionModel()->isSelected(model->index(39, MessageTable::kMessageColumn)));
    QVERIFY(m_View->viewport()->rect().intersects(m_View->visualRect(model->index(39, 1))));
  }

  // Edits in the grid land in the table, mark it modified and keep their bytes.
  void EditsReachTheTable() {
    QAbstractItemModel* model = m_View->model();
    QVERIFY(model->setData(model->index(2, MessageTable::kCommentColumn), "caf\u00e9"));
    QCOMPARE(m_Table->GetItemText(3, MessageTable::kCommentColumn), "caf\xc3\xa9");
    QVERIFY(m_Table->IsModified());
    m_Table->SetModified(false);
    QVERIFY(model->setData(model->index(2, MessageTable::kActiveColumn), Qt::Checked,
                           Qt::CheckStateRole));
    QCOMPARE(m_Table->GetActive(3), 1);
    QVERIFY(m_Table->IsModified());
    QVERIFY(!(model->flags(model->index(2, MessageTable::kLabelColumn)) & Qt::ItemIsEditable));
  }

 private:
  RecordingFrontEnd m_FrontEnd;
  std::optional<Session> m_Session;
  MessageTable* m_Table = nullptr;
  std::optional<MessageTableView> m_View;
};

}  // namespace linkwright

QTEST_MAIN(linkwright::MessageTableViewTest)
#include "message_table_view_test.moc"
