#include "trace_view.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QScrollBar>

namespace {

const QColor kBackground(220, 240, 255);
constexpr int kPointSize = 9;

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

}  // namespace

CBottomView::CBottomView(QWidget* parent, int maxLines) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setUndoRedoEnabled(false);
  setMaximumBlockCount(maxLines);
  setFont(TraceFont());
  QPalette colours = palette();
  colours.setColor(QPalette::Base, kBackground);
  setPalette(colours);
}

void CBottomView::AppendTrace(const TraceBatch& batch) {
  const QString text = QString::fromStdString(TraceText(batch));
  if (text.isEmpty()) {
    return;
  }
  const bool hadText = HasText();
  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  end.insertText(text);
  // Scrolled by the bar, not by moving the caret into view: that lays out every line on the
  // way and costs more than the insert itself.
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
  if (!hadText) {
    emit HasTextChanged(true);
  }
}

void CBottomView::Clear() {
  const bool hadText = HasText();
  clear();
  if (hadText) {
    emit HasTextChanged(false);
  }
}
