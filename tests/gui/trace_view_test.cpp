#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include "trace_view.h"

namespace {

TracePiece Received(const std::string& text, bool endsLine = false) {
  return {TraceDirection::kReceived, text, endsLine};
}

}  // namespace

class TraceViewTest : public QObject {
  Q_OBJECT

 private slots:
  // A tick's pieces go in with one insert, continue the open line, end lines at their CR LF,
  // and leave the pane scrolled to the end.
  void OneInsertPerBatch() {
    CBottomView pane;
    pane.resize(300, 80);
    pane.show();
    pane.AppendTrace({Received("AB")});
    TraceBatch tick{Received("C", true), {TraceDirection::kSent, "<-- PING", true}};
    for (int line = 0; line < 50; ++line) {
      tick.push_back(Received("line " + std::to_string(line), true));
    }
    QSignalSpy inserts(pane.document(), &QTextDocument::contentsChange);
    pane.AppendTrace(tick);
    QCOMPARE(inserts.count(), 1);
    const QStringList lines = pane.toPlainText().split('\n');
    QCOMPARE(lines.size(), 53);
    QCOMPARE(lines[0], "ABC");
    QCOMPARE(lines[1], "<-- PING");
    QCOMPARE(lines[51], "line 49");
    QCOMPARE(lines[52], "");
    const QPoint bottomLeft = pane.viewport()->rect().bottomLeft() + QPoint(5, -5);
    QCOMPARE(pane.cursorForPosition(bottomLeft).blockNumber(), 52);
  }

  void KeepsOnlyTheNewestLines() {
    CBottomView pane(nullptr, 3);
    pane.AppendTrace({Received("1", true), Received("2", true)});
    pane.AppendTrace({Received("3", true), Received("4", true), Received("5")});
    QCOMPARE(pane.toPlainText(), "3\n4\n5");
  }

  // The Clear command is enabled exactly while the pane holds text.
  void TellsWhenItGainsOrLosesText() {
    CBottomView pane;
    QSignalSpy hasText(&pane, &CBottomView::HasTextChanged);
    pane.AppendTrace({});
    pane.Clear();
    QCOMPARE(hasText.count(), 0);
    pane.AppendTrace({Received("A")});
    pane.AppendTrace({Received("B", true)});
    pane.Clear();
    QCOMPARE(hasText.count(), 2);
    QCOMPARE(hasText[0][0].toBool(), true);
    QCOMPARE(hasText[1][0].toBool(), false);
    QVERIFY(!pane.HasText());
  }
};

QTEST_MAIN(TraceViewTest)
#include "trace_view_test.moc"
