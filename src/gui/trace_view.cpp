#include "trace_view.h"

#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QScrollBar>
#include <chrono>

#include "trace_bytes.h"
#include "trace_find_bar.h"

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

QString PieceText(const TracePiece& piece) {
  QString text = TraceChars(piece.text);
  if (piece.endsLine) {
    text += '\n';
  }
  return text;
}

}  // namespace

CBottomView::CBottomView(QWidget* parent, int maxLines)
    : QPlainTextEdit(parent), m_FindBar(new CTraceFindBar(this)) {
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

void CBottomView::AppendTrace(const TraceBatch& batch) {
  const TraceBatch pieces =
      m_Timestamps ? m_Stamper.Stamp(batch, std::chrono::system_clock::now()) : batch;
  const bool hadText = HasText();
  InsertPieces(pieces);
  if (!m_FindBar->isVisible()) {
    ScrollToEnd();
  }
  if (!hadText && HasText()) {
    emit HasTextChanged(true);
  }
}

// One edit block for the whole batch: the document reports one change and lays out once, even
// when colours split the batch into several inserts.
void CBottomView::InsertPieces(const TraceBatch& pieces) {
  QString all;
  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  end.beginEditBlock();
  QString run;
  for (size_t i = 0; i < pieces.size(); ++i) {
    run += PieceText(pieces[i]);
    const bool runEnds = i + 1 == pieces.size() || pieces[i + 1].direction != pieces[i].direction;
    if (!m_Colours || !runEnds || run.isEmpty()) {
      continue;
    }
    end.insertText(run, DirectionFormat(pieces[i].direction));
    all += run;
    run.clear();
  }
  if (!run.isEmpty()) {
    end.insertText(run, QTextCharFormat());
    all += run;
  }
  end.endEditBlock();
  if (!all.isEmpty()) {
    emit TextAppended(all);
  }
}

// Scrolled by the bar, not by moving the caret into view: that lays out every line on the way and
// costs more than the insert itself.
void CBottomView::ScrollToEnd() {
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

// The raw text, not toPlainText(): that turns the no-break space (byte 0xA0) into a blank.
QString CBottomView::TraceText() const {
  return document()->toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

void CBottomView::Clear() {
  const bool hadText = HasText();
  clear();
  m_Stamper.Restart();
  if (hadText) {
    emit HasTextChanged(false);
  }
}

void CBottomView::OpenFindBar() {
  m_FindBar->show();
  m_FindBar->FocusText();
}

void CBottomView::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  PlaceFindBar();
}

bool CBottomView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_FindBar && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
    PlaceFindBar();
    if (event->type() == QEvent::Hide) {
      ScrollToEnd();
    }
  }
  return QPlainTextEdit::eventFilter(watched, event);
}

void CBottomView::PlaceFindBar() {
  const int height = m_FindBar->isVisibleTo(this) ? m_FindBar->sizeHint().height() : 0;
  setViewportMargins(0, 0, 0, height);
  const QRect area = contentsRect();
  m_FindBar->setGeometry(area.left(), area.bottom() + 1 - height, area.width(), height);
}
