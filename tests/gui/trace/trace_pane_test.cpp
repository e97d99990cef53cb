#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include "gui/trace/trace_pane.h"

namespace linkwright {

namespace {

TracePiece Received(const std::string& text, bool endsLine = false) {
  return {TraceDirection::kReceived, text, endsLine};
}

}  // namespace

class TracePaneTest : public QObject {
  Q_OBJECT

 private slots:
  // A tick's pieces go in with one insert, continue the open line, end lines at their CR LF,
  // and leave the pane scrolled to the end.
  void OneInsertPerBatch() {
    TracePane pane;
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

  // A line longer than the bound goes on over display lines of that length, each but the last
  // ended by the continuation mark, across batches; the trace itself keeps its lines.
  void LongLinesGoOnOverBoundedDisplayLines() {
    TracePane pane(nullptr, TracePane::kMaxLines, 4);
    QSignalSpy appended(&pane, &TracePane::TextAppended);
    pane.AppendTrace({Received("ABC")});
    pane.AppendTrace(
        {Received("DEFGHIJ", true), Received("KLMN", true), Received("OPQR"), Received("STU")});
    const QString more = QString(QChar(TracePane::kContinuation)) + '\n';
    QCOMPARE(pane.toPlainText(), "ABCD" + more + "EFGH" + more + "IJ\nKLMN\nOPQR" + more + "STU");
    QCOMPARE(pane.TraceText(), "ABCDEFGHIJ\nKLMN\nOPQRSTU");
    QCOMPARE(appended.count(), 2);
    QCOMPARE(appended[0][0].toString() + appended[1][0].toString(), pane.TraceText());
  }

  // Three lines at most, display lines included, so a line that never ends is trimmed too; and
  // no more characters than three lines may hold, so long lines are trimmed before that.
  void KeepsOnlyTheNewestLines_data() {
    QTest::addColumn<int>("lineLength");
    QTest::addColumn<TraceBatch>("first");
    QTest::addColumn<TraceBatch>("second");
    QTest::addColumn<QString>("kept");
    QTest::newRow("ended lines") << 4 << TraceBatch{Received("1", true), Received("2", true)}
                                 << TraceBatch{Received("3", true), Received("4", true),
                                               Received("5")}
                                 << "3\n4\n5";
    QTest::newRow("one line, never ended")
        << 4 << TraceBatch{Received("123456")} << TraceBatch{Received("7890AB"), Received("CDEF")}
        << "567890ABCDEF";
    const std::string line(TracePane::kCharactersPerLine, 'x');
    QTest::newRow("more characters than three lines may hold")
        << TracePane::kMaxLineLength << TraceBatch{Received("1" + line + line, true)}
        << TraceBatch{Received("2" + line)} << QString::fromStdString("2" + line);
  }

  void KeepsOnlyTheNewestLines() {
    QFETCH(int, lineLength);
    QFETCH(TraceBatch, first);
    QFETCH(TraceBatch, second);
    QFETCH(QString, kept);
    TracePane pane(nullptr, 3, lineLength);
    pane.AppendTrace(first);
    pane.AppendTrace(second);
    QCOMPARE(pane.TraceText(), kept);
  }

  // The Clear command is enabled exactly while the pane holds text.
  void TellsWhenItGainsOrLosesText() {
    TracePane pane;
    QSignalSpy hasText(&pane, &TracePane::HasTextChanged);
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

}  // namespace linkwright

QTEST_MAIN(linkwright::TracePaneTest)
#include "trace_pane_test.moc"
