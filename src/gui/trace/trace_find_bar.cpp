#include "gui/trace/trace_find_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBlock>
#include <QToolButton>

#include "gui/trace/trace_pane.h"

namespace linkwright {

namespace {

// Amber behind every match in view, apart from the pane's blue ground and the selection.
const QColor kMatchBackground(255, 214, 102);
// New text is counted again after this pause, however fast it arrives.
constexpr int kRecountMilliseconds = 300;

// Calls found(position) for each match of `text` in `in` that does not overlap the one before.
template <typename Found>
void ForEachMatch(const QString& in, const QString& text, Qt::CaseSensitivity sensitivity,
                  Found&& found) {
  for (qsizetype at = in.indexOf(text, 0, sensitivity); at >= 0;
       at = in.indexOf(text, at + text.size(), sensitivity)) {
    found(static_cast<int>(at));
  }
}

QToolButton* Button(const QString& text, const QString& tip, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setText(text);
  button->setToolTip(tip);
  button->setAutoRaise(true);
  return button;
}

}  // namespace

TraceFindBar::TraceFindBar(TracePane* pane)
    : QWidget(pane),
      m_Pane(pane),
      m_Text(new QLineEdit(this)),
      m_Case(new QCheckBox(tr("Match case"), this)),
      m_Count(new QLabel(this)) {
  setAutoFillBackground(true);
  m_Text->setPlaceholderText(tr("Find in trace"));
  m_Text->setClearButtonEnabled(true);
  QToolButton* previous = Button(tr("Previous"), tr("Previous match (Shift+Enter)"), this);
  QToolButton* next = Button(tr("Next"), tr("Next match (Enter)"), this);
  QToolButton* close = Button(tr("Close"), tr("Close the find bar (Esc)"), this);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 2, 4, 2);
  layout->addWidget(m_Text, 1);
  layout->addWidget(m_Case);
  layout->addWidget(previous);
  layout->addWidget(next);
  layout->addWidget(m_Count);
  layout->addWidget(close);

  m_Recount.setSingleShot(true);
  m_Recount.setInterval(kRecountMilliseconds);
  connect(&m_Recount, &QTimer::timeout, this, &TraceFindBar::Recount);
  connect(m_Text, &QLineEdit::textChanged, this, &TraceFindBar::SearchAnew);
  connect(m_Case, &QCheckBox::toggled, this, &TraceFindBar::SearchAnew);
  connect(m_Text, &QLineEdit::returnPressed, this, &TraceFindBar::FindNext);
  connect(next, &QToolButton::clicked, this, &TraceFindBar::FindNext);
  connect(previous, &QToolButton::clicked, this, &TraceFindBar::FindPrevious);
  connect(close, &QToolButton::clicked, this, &QWidget::hide);
  auto* backward = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Return), this);
  backward->setContext(Qt::WidgetWithChildrenShortcut);
  connect(backward, &QShortcut::activated, this, &TraceFindBar::FindPrevious);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WidgetWithChildrenShortcut);
  connect(escape, &QShortcut::activated, this, &QWidget::hide);

  connect(m_Pane->verticalScrollBar(), &QScrollBar::valueChanged, this,
          &TraceFindBar::HighlightVisibleMatches);
  connect(m_Pane, &TracePane::TextAppended, this, [this] {
    if (isVisible() && !m_Text->text().isEmpty() && !m_Recount.isActive()) {
      m_Recount.start();
    }
  });
}

void TraceFindBar::FocusText() {
  m_Text->setFocus();
  m_Text->selectAll();
  SearchAnew();
}

void TraceFindBar::SetText(const QString& text) {
  m_Text->setText(text);
}

QString TraceFindBar::Text() const {
  return m_Text->text();
}

void TraceFindBar::SetCaseSensitive(bool on) {
  m_Case->setChecked(on);
}

Qt::CaseSensitivity TraceFindBar::Sensitivity() const {
  return m_Case->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

bool TraceFindBar::FindNext() {
  return Find(false);
}

bool TraceFindBar::FindPrevious() {
  return Find(true);
}

bool TraceFindBar::Find(bool backward) {
  const QString text = m_Text->text();
  if (text.isEmpty()) {
    return false;
  }
  QTextDocument::FindFlags flags;
  if (backward) {
    flags |= QTextDocument::FindBackward;
  }
  if (m_Case->isChecked()) {
    flags |= QTextDocument::FindCaseSensitively;
  }
  if (m_Pane->find(text, flags)) {
    return true;
  }
  QTextCursor wrapped(m_Pane->document());
  wrapped.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
  m_Pane->setTextCursor(wrapped);
  return m_Pane->find(text, flags);
}

void TraceFindBar::SearchAnew() {
  Recount();
  // A longer text can still match where the shorter one did: search again from its start.
  QTextCursor cursor = m_Pane->textCursor();
  cursor.setPosition(cursor.selectionStart());
  m_Pane->setTextCursor(cursor);
  FindNext();
}

void TraceFindBar::Recount() {
  m_MatchCount = CountMatches(*m_Pane->document(), m_Text->text(), Sensitivity());
  m_Count->setText(m_Text->text().isEmpty() ? QString()
                   : m_MatchCount == 0      ? tr("No matches")
                   : m_MatchCount == 1      ? tr("1 match")
                                            : tr("%1 matches").arg(m_MatchCount));
  HighlightVisibleMatches();
}

int TraceFindBar::CountMatches(const QTextDocument& document, const QString& text,
                               Qt::CaseSensitivity sensitivity) {
  if (text.isEmpty()) {
    return 0;
  }
  int count = 0;
  ForEachMatch(document.toPlainText(), text, sensitivity, [&count](int) { ++count; });
  return count;
}

void TraceFindBar::HighlightVisibleMatches() {
  QList<QTextEdit::ExtraSelection> matches;
  const QString text = m_Text->text();
  if (isVisible() && !text.isEmpty()) {
    const QRect view = m_Pane->viewport()->rect();
    const QTextBlock last = m_Pane->cursorForPosition(view.bottomRight()).block();
    for (QTextBlock block = m_Pane->cursorForPosition(view.topLeft()).block();
         block.isValid() && block.blockNumber() <= last.blockNumber(); block = block.next()) {
      ForEachMatch(block.text(), text, Sensitivity(), [&](int at) {
        QTextEdit::ExtraSelection match;
        match.format.setBackground(kMatchBackground);
        match.cursor = QTextCursor(block);
        match.cursor.setPosition(block.position() + at);
        match.cursor.setPosition(block.position() + at + static_cast<int>(text.size()),
                                 QTextCursor::KeepAnchor);
        matches.push_back(match);
      });
    }
  }
  m_Pane->setExtraSelections(matches);
}

void TraceFindBar::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  m_Pane->setExtraSelections({});
}

}  // namespace linkwright
