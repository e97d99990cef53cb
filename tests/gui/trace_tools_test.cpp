#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QtTest>

#include "message_table_model.h"
#include "session/response_statistics.h"
#include "support/test_support.h"
#include "trace_find_bar.h"
#include "trace_log.h"
#include "trace_view.h"

namespace {

TracePiece Piece(TraceDirection direction, const std::string& text, bool endsLine = true) {
  return {direction, text, endsLine};
}

}  // namespace

// The trace pane's options, find bar and log, and the hits column of the message view.
class TraceToolsTest : public QObject {
  Q_OBJECT

 private slots:
  void ColoursAndTimestampsKeepOneInsertPerBatch() {
    CBottomView pane;
    pane.ShowColours(true);
    pane.ShowTimestamps(true);
    pane.AppendTrace({Piece(TraceDirection::kReceived, "PI", false)});
    QSignalSpy inserts(pane.document(), &QTextDocument::contentsChange);
    QSignalSpy appended(&pane, &CBottomView::TextAppended);
    pane.AppendTrace({Piece(TraceDirection::kReceived, "NG[CR]"),
                      Piece(TraceDirection::kSent, "<-- PONG[CR]"),
                      Piece(TraceDirection::kReport, "CRC16 1234")});
    QCOMPARE(inserts.count(), 1);
    QCOMPARE(appended.count(), 1);
    const QRegularExpression stamped(
        "^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d PING\\[CR\\]\n"
        "\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d <-- PONG\\[CR\\]\n"
        "\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d CRC16 1234\n$");
    QVERIFY2(stamped.match(pane.toPlainText() + '\n').hasMatch(), qPrintable(pane.toPlainText()));
    QSet<QRgb> colours;
    for (QTextBlock line = pane.document()->begin(); line.isValid(); line = line.next()) {
      if (!line.text().isEmpty()) {
        colours.insert(line.begin().fragment().charFormat().foreground().color().rgb());
      }
    }
    QCOMPARE(colours.size(), 3);
  }

  void FindCountsEveryMatchAndHighlightsOnlyThoseInView() {
    CBottomView pane;
    pane.resize(400, 150);
    pane.show();
    TraceBatch lines;
    for (int line = 0; line < 300; ++line) {
      lines.push_back(Piece(TraceDirection::kReceived, line % 3 == 0 ? "ping PING" : "pong"));
    }
    pane.AppendTrace(lines);
    pane.OpenFindBar();
    CTraceFindBar& bar = *pane.FindBar();
    bar.SetText("PING");
    QCOMPARE(bar.MatchCount(), 200);
    bar.SetCaseSensitive(true);
    QCOMPARE(bar.MatchCount(), 100);
    bar.SetText("pingping");
    QCOMPARE(bar.MatchCount(), 0);
    QVERIFY(!bar.FindNext());

    bar.SetText("ING");
    QVERIFY(pane.textCursor().hasSelection());
    const int visible = static_cast<int>(pane.extraSelections().size());
    QVERIFY(visible > 0);
    QVERIFY(visible < 100);
    // New traffic is counted while the match being looked at stays selected.
    const QString selected = pane.textCursor().selectedText();
    pane.AppendTrace({Piece(TraceDirection::kReceived, "PING")});
    QTRY_COMPARE(bar.MatchCount(), 101);
    QCOMPARE(pane.textCursor().selectedText(), selected);
    bar.hide();
    QVERIFY(pane.extraSelections().isEmpty());
    QCOMPARE(pane.verticalScrollBar()->value(), pane.verticalScrollBar()->maximum());
  }

  void LogAppendsAndAWriteErrorStopsItWithTheReason() {
    TempDir dir;
    const QString path = QString::fromStdString((dir / "trace.log").string());
    WriteFileBytes(dir / "trace.log", "earlier\n");
    CTraceLog log;
    QVERIFY(log.Start(path));
    log.Append("A\n");
    log.Stop();
    log.Append("not logged\n");
    QCOMPARE(ReadFileBytes(dir / "trace.log"), std::string("earlier\nA\n"));

    QVERIFY(log.Start("/dev/full"));
    QSignalSpy failed(&log, &CTraceLog::Failed);
    log.Append("B\n");
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed[0][0].toString(), "cannot write /dev/full: No space left on device");
    QVERIFY(!log.IsLogging());
    QVERIFY(!log.Start(QString::fromStdString((dir / "missing" / "x.log").string())));
    QVERIFY(log.Error().startsWith("cannot write "));
  }

  void HitsColumnFollowsTheStatistics() {
    MessageTable table;
    MessageTableModel model(table);
    ResponseStatistics statistics;
    model.ShowHits(statistics);
    QCOMPARE(model.columnCount(), MessageTableModel::kHitsColumn + 1);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    statistics.RowSent(4, true);
    statistics.RowSent(4, true);
    statistics.RowSent(5, false);
    model.RefreshHits();
    model.RefreshHits();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(model.data(model.CellIndex(4, MessageTableModel::kHitsColumn), Qt::DisplayRole),
             QVariant("2"));
    QCOMPARE(model.data(model.CellIndex(5, MessageTableModel::kHitsColumn), Qt::DisplayRole),
             QVariant());
  }
};

QTEST_MAIN(TraceToolsTest)
#include "trace_tools_test.moc"
