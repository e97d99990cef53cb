#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QtTest>

#include <QDialogButtonBox>
#include <QMainWindow>
#include <QPushButton>
#include <QTableWidget>
#include <chrono>
#include <filesystem>

#include "gui/dialogs/statistics_dialog.h"
#include "gui/table/message_table_model.h"
#include "gui/trace/trace_commands.h"
#include "gui/trace/trace_find_bar.h"
#include "gui/trace/trace_log.h"
#include "gui/trace/trace_pane.h"
#include "gui_test_support.h"
#include "session/response_statistics.h"
#include "support/file_size_limit.h"
#include "support/test_support.h"

namespace linkwright {

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
    TracePane pane;
    pane.ShowColours(true);
    pane.ShowTimestamps(true);
    pane.AppendTrace({Piece(TraceDirection::kReceived, "PI", false)});
    QSignalSpy inserts(pane.document(), &QTextDocument::contentsChange);
    QSignalSpy appended(&pane, &TracePane::TextAppended);
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
    TracePane pane;
    pane.resize(400, 150);
    pane.show();
    TraceBatch lines;
    for (int line = 0; line < 300; ++line) {
      lines.push_back(Piece(TraceDirection::kReceived, line % 3 == 0 ? "ping PING" : "pong"));
    }
    pane.AppendTrace(lines);
    pane.OpenFindBar();
    TraceFindBar& bar = *pane.FindBar();
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
    TraceLog log;
    QVERIFY(log.Start(path));
    log.Append("A\n");
    log.Stop();
    log.Append("not logged\n");
    QCOMPARE(ReadFileBytes(dir / "trace.log"), std::string("earlier\nA\n"));

    QVERIFY(log.Start("/dev/full"));
    QSignalSpy failed(&log, &TraceLog::Failed);
    log.Append("B\n");
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed[0][0].toString(), "cannot write /dev/full: No space left on device");
    QVERIFY(!log.IsLogging());
    QVERIFY(!log.Start(QString::fromStdString((dir / "missing" / "x.log").string())));
    QVERIFY(log.Error().startsWith("cannot write "));
  }

  // A disk that fills up during a write takes part of it and refuses the rest: the reason the
  // system gives for the refusal is the one reported.
  void LogThatFillsTheDiskSaysWhy() {
    TempDir dir;
    const QString path = QString::fromStdString((dir / "trace.log").string());
    TraceLog log;
    QVERIFY(log.Start(path));
    QSignalSpy failed(&log, &TraceLog::Failed);
    {
      FileSizeLimit limit(1000);
      log.Append(QString(600, 'A'));
      log.Append(QString(600, 'B'));
    }
    QCOMPARE(failed.count(), 1);
    QCOMPARE(failed[0][0].toString(), "cannot write " + path + ": File too large");
    QCOMPARE(ReadFileBytes(dir / "trace.log"), std::string(600, 'A') + std::string(400, 'B'));
  }

  // The saved file holds the pane's lines with line feeds and a final one, replacing what was
  // there; a line the pane shows over several display lines is saved whole. A failed save says
  // why.
  void SaveTraceReplacesTheFileWithThePaneText() {
    GuiTestEnvironment environment;
    QMainWindow frame;
    TracePane pane(nullptr, TracePane::kMaxLines, 5);
    TraceCommands commands(frame, pane);
    pane.AppendTrace({Piece(TraceDirection::kSent, "<-- PING[CR]"),
                      Piece(TraceDirection::kReceived, "PO", false)});
    WriteFileBytes(environment.Dir() / "trace.txt", "an older, longer trace\n\n\n");
    QVERIFY(!commands.SaveTrace(environment.PathOf("trace.txt")).Failed());
    QCOMPARE(ReadFileBytes(environment.Dir() / "trace.txt"), std::string("<-- PING[CR]\nPO\n"));
    const Error failed = commands.SaveTrace(environment.PathOf("missing/trace.txt"));
    QVERIFY(failed.Kind() == ErrorKind::kSystem);
    QVERIFY(!failed.Message().empty());
    QVERIFY(!std::filesystem::exists(environment.Dir() / "missing"));
  }

  // Each byte above 0x7F shows as a character of its own, and the saved and the logged trace
  // hold the bytes themselves, as the console prints them.
  void BytesAboveAsciiSurviveThePaneTheSaveAndTheLog() {
    GuiTestEnvironment environment;
    QMainWindow frame;
    TracePane pane;
    TraceCommands commands(frame, pane);
    QVERIFY(commands.StartLog(environment.PathOf("trace.log")));
    const std::string bytes = "A\x80\x9F\xA0\xC3\xA9\xFF";
    pane.AppendTrace({Piece(TraceDirection::kReceived, bytes)});
    commands.StopLog();
    const QString shown = pane.toPlainText().chopped(1);
    QCOMPARE(shown.size(), static_cast<qsizetype>(bytes.size()));
    QCOMPARE(QSet<QChar>(shown.begin(), shown.end()).size(), shown.size());
    QVERIFY(!commands.SaveTrace(environment.PathOf("trace.txt")).Failed());
    QCOMPARE(ReadFileBytes(environment.Dir() / "trace.txt"), bytes + '\n');
    QCOMPARE(ReadFileBytes(environment.Dir() / "trace.log"), bytes + '\n');
  }

  // The dialog shows a row per counted row and a total line, follows Reset, and formats the
  // times in ms.
  void StatisticsDialogShowsRowsTotalsAndReset() {
    ResponseStatistics::Clock::time_point now{};
    ResponseStatistics statistics([&now] { return now; });
    statistics.RowSent(3, false);
    now += std::chrono::milliseconds(12);
    statistics.PacketCut();
    statistics.RowSent(7, true);
    StatisticsDialog dialog(statistics);
    dialog.Refresh();
    QTableWidget* table = dialog.Table();
    const auto line = [table](int at) {
      QStringList cells;
      for (int column = 0; column < table->columnCount(); ++column) {
        cells << table->item(at, column)->text();
      }
      return cells.join('|');
    };
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(line(0),
             QString::fromStdString(MessageTable::RowLabel(3)) + "|1|0|1|12.000|12.000|12.000");
    QCOMPARE(line(1), QString::fromStdString(MessageTable::RowLabel(7)) + "|1|1|0|–|–|–");
    QCOMPARE(line(2), QString("All rows|2|1|1|12.000|12.000|12.000"));
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    QVERIFY(buttons != nullptr);
    buttons->button(QDialogButtonBox::Reset)->click();
    QVERIFY(statistics.Rows().empty());
    QCOMPARE(table->rowCount(), 1);
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

}  // namespace linkwright

QTEST_MAIN(linkwright::TraceToolsTest)
#include "trace_tools_test.moc"
