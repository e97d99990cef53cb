#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTextDocument;

namespace linkwright {

class TracePane;

// The find bar under the trace pane (Ctrl+F): a text, "Match case", Previous and Next (wrapping
// at the ends; Enter and Shift+Enter do the same), the number of matches in the whole trace and
// every match in view highlighted. Esc closes it. Only the lines in view are searched for the
// highlight, and the count is taken again at most a few times a second while traffic arrives,
// so an open bar does not slow the pane down.
class TraceFindBar : public QWidget {
  Q_OBJECT

 public:
  explicit TraceFindBar(TracePane* pane);

  void FocusText();
  void SetText(const QString& text);
  QString Text() const;
  void SetCaseSensitive(bool on);

  // Selects the next (or previous) match after the pane's cursor, wrapping at the end; false
  // when there is none.
  bool FindNext();
  bool FindPrevious();

  int MatchCount() const { return m_MatchCount; }

  // The matches of `text` in the document that do not overlap, counted from its start.
  static int CountMatches(const QTextDocument& document, const QString& text,
                          Qt::CaseSensitivity sensitivity);

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  Qt::CaseSensitivity Sensitivity() const;
  bool Find(bool backward);
  void SearchAnew();
  void Recount();
  void HighlightVisibleMatches();

  TracePane* m_Pane;
  QLineEdit* m_Text;
  QCheckBox* m_Case;
  QLabel* m_Count;
  QTimer m_Recount;
  int m_MatchCount = 0;
};

}  // namespace linkwright
