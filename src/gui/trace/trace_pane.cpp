#include "gui/trace/trace_pane.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>
#include <chrono>

#include "gui/trace/trace_bytes.h"
#include "gui/trace/trace_find_bar.h"

namespace linkwright {

namespace {

const QColor kBackground(220, 240, 255);
constexpr int kPointSize = 9;

// Dark blue, near black and burnt orange on the light blue ground: apart by lightness as well as
// hue, so they stay apart for people who do not tell red from green.
const QColor kSentColour(0, 70, 170);
const QColor kReceivedColour(25, 25, 25);
const QColor kReportColour(165, 70, 0);

// "Courier New" where it exists (or a metric twin the font configuration offers for it), else
// the system's fixed-pitch font at the same size.
QFont TraceFont() {
  QFont font("Courier New", kPointSize);
  font.setStyleHint(QFont::TypeWriter);
  if (QFontInfo(font).fixedPitch()) {
    return font;
  }
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPointSize(kPointSize);
  return fixed;
}

QTextCharFormat DirectionFormat(TraceDirection direction) {
  QTextCharFormat format;
  switch (direction) {
    case TraceDirection::kSent:
      format.setForeground(kSentColour);
      break;
    case TraceDirection::kReceived:
      format.setForeground(kReceivedColour);
      break;
    case TraceDirection::kReport:
      format.setForeground(kReportColour);
      break;
  }
  return format;
}

const QString kContinuationBreak = QString(QChar(TracePane::kContinuation)) + u'\n';

// Appends `text` to `display`, breaking the open line where it would pass `limit` characters.
// `column` is the length of the open line and follows the text.
void AppendFolded(QStringView text, qsizetype limit, qsizetype& column, QString& display) {
  while (!text.isEmpty()) {
    const qsizetype room = std::max<qsizetype>(0, limit - column);
    const qsizetype lineEnd = text.first(std::min(text.size(), room + 1)).indexOf(u'\n');
    if (lineEnd >= 0) {
      display += text.first(lineEnd + 1);
      text = text.sliced(lineEnd + 1);
      column = 0;
    } else if (text.size() <= room) {
      display += text;
      column += text.size();
      return;
    } else {
      display += text.first(room);
      display += kContinuationBreak;
      text = text.sliced(room);
      column = 0;
    }
  }
}

QString PieceText(const TracePiece& piece) {
  QString text = TraceChars(piece.text);
  if (piece.endsLine) {
    text += '\n';
  }
  return text;
}

}  // namespace

TracePane::TracePane(QWidget* parent, int maxLines, int maxLineLength)
    : QPlainTextEdit(parent),
      m_MaxLineLength(maxLineLength),
      m_MaxCharacters(maxLines * kCharactersPerLine),
      m_FindBar(new TraceFindBar(this)) {
  setReadOnly(true);
  setUndoRedoEnabled(false);
  setMaximumBlockCount(maxLines);
  setFont(TraceFont());
  QPalette colours = palette();
  colours.setColor(QPalette::Base, kBackground);
  setPalette(colours);
  m_FindBar->hide();
  m_FindBar->installEventFilter(this);
}

void TracePane::AppendTrace(const TraceBatch& batch) {
  const TraceBatch pieces =
      m_Timestamps ? m_Stamper.Stamp(batch, std::chrono::system_clock::now()) : batch;
  const bool hadText = HasText();
  InsertPieces(pieces);
  DropLinesOverCharacterBound();
  if (!m_FindBar->isVisible()) {
    ScrollToEnd();
  }
  if (!hadText && HasText()) {
    emit HasTextChanged(true);
  }
}

// One edit block for the whole batch: the document reports one change and lays out once, even
// when colours split the batch into several inserts.
void TracePane::InsertPieces(const TraceBatch& pieces) {
  QString trace;
  QString run;
  qsizetype column = document()->lastBlock().length() - 1;
  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  end.beginEditBlock();
  for (size_t i = 0; i < pieces.size(); ++i) {
    const QString text = PieceText(pieces[i]);
    trace += text;
    AppendFolded(text, m_MaxLineLength, column, run);
    const bool runEnds = i + 1 == pieces.size() || pieces[i + 1].direction != pieces[i].direction;
    if (!m_Colours || !runEnds || run.isEmpty()) {
      continue;
    }
    end.insertText(run, DirectionFormat(pieces[i].direction));
    run.clear();
  }
  if (!run.isEmpty()) {
    end.insertText(run, QTextCharFormat());
  }
  end.endEditBlock();
  if (!trace.isEmpty()) {
    emit TextAppended(trace);
  }
}

// Whole lines go, the oldest first, up to the one that holds the first character to keep. The
// open line stays whatever it holds: it is never longer than one display line.
void TracePane::DropLinesOverCharacterBound() {
  const int excess = document()->characterCount() - m_MaxCharacters;
  if (excess <= 0) {
    return;
  }
  const QTextBlock firstKept = document()->findBlock(excess - 1).next();
  if (!firstKept.isValid()) {
    return;
  }
  QTextCursor oldest(document());
  oldest.setPosition(firstKept.position(), QTextCursor::KeepAnchor);
  oldest.removeSelectedText();
}

// Scrolled by the bar, not by moving the caret into view: that lays out every line on the way and
// costs more than the insert itself.
void TracePane::ScrollToEnd() {
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

// The raw text, not toPlainText(): that turns the no-break space (byte 0xA0) into a blank.
QString TracePane::TraceText() const {
  const QString continuation = QString(QChar(kContinuation)) + QChar::ParagraphSeparator;
  return document()->toRawText().remove(continuation).replace(QChar::ParagraphSeparator, u'\n');
}

void TracePane::Clear() {
  const bool hadText = HasText();
  clear();
  m_Stamper.Restart();
  if (hadText) {
    emit HasTextChanged(false);
  }
}

void TracePane::OpenFindBar() {
  m_FindBar->show();
  m_FindBar->FocusText();
}

void TracePane::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  PlaceFindBar();
}

bool TracePane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_FindBar && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
    PlaceFindBar();
    if (event->type() == QEvent::Hide) {
      ScrollToEnd();
    }
  }
  return QPlainTextEdit::eventFilter(watched, event);
}

void TracePane::PlaceFindBar() {
  const int height = m_FindBar->isVisibleTo(this) ? m_FindBar->sizeHint().height() : 0;
  setViewportMargins(0, 0, 0, height);
  const QRect area = contentsRect();
  m_FindBar->setGeometry(area.left(), area.bottom() + 1 - height, area.width(), height);
}

}  // namespace linkwright
