#pragma once

#include <QPlainTextEdit>

#include "front_end/front_end.h"
#include "front_end/trace_timestamps.h"

namespace linkwright {

class TraceFindBar;

// The lower pane of the main window: the read-only trace of everything sent and received, on a
// light blue ground in a fixed-pitch font. Everything one tick (or one command) traced arrives as
// one batch and goes in with one insert, so a fast stream costs one document change and one
// scroll per tick, not one per piece. The pane keeps the newest lines up to a bound, dropping the
// oldest, so a device that never stops cannot fill the memory: each kept line costs about half a
// kilobyte once shown, and 40,000 lines stay near 20 MB. A line is bounded too: a longer one goes
// on over as many display lines as it needs, each but the last ended by kContinuation, so a
// device that never ends a line does not grow one block that is laid out anew on every append.
// Saving and logging take the trace without those breaks. With long lines the text is bounded
// as well, to kCharactersPerLine for each line the pane may keep, again dropping the oldest. After
// every append the pane shows the end of the trace, except while the find bar is open, so a match
// being looked at stays in view; a selection the user made stays, so text can be copied while the
// trace runs.
//
// Two options change what new text looks like, both off until switched on: timestamps put the
// local time a line began in front of it ("HH:MM:SS.mmm "), colours show sent data, received
// data and report lines in three colours.
class TracePane : public QPlainTextEdit {
  Q_OBJECT

 public:
  static constexpr int kMaxLines = 40000;
  static constexpr int kMaxLineLength = 1000;
  static constexpr int kCharactersPerLine = 100;
  // Ends a display line that the next one continues ("↵"). Trace characters are bytes
  // (Latin-1), so no trace text holds it.
  static constexpr char16_t kContinuation = u'\u21B5';

  explicit TracePane(QWidget* parent = nullptr, int maxLines = kMaxLines,
                     int maxLineLength = kMaxLineLength);

  void AppendTrace(const TraceBatch& batch);
  void Clear();
  bool HasText() const { return !document()->isEmpty(); }
  // The trace the pane holds, lines ended by '\n', continued display lines joined again.
  QString TraceText() const;

  void ShowTimestamps(bool show) { m_Timestamps = show; }
  bool TimestampsShown() const { return m_Timestamps; }
  void ShowColours(bool show) { m_Colours = show; }
  bool ColoursShown() const { return m_Colours; }

  // The find bar under the trace text, hidden until OpenFindBar.
  TraceFindBar* FindBar() const { return m_FindBar; }
  // Shows the find bar and puts the focus in its text.
  void OpenFindBar();

 signals:
  // The pane went from empty to holding text or back (the Clear command's enabled state).
  void HasTextChanged(bool hasText);
  // Trace text went into the pane: lines ended by '\n', without the display's continuation
  // breaks.
  void TextAppended(const QString& text);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void InsertPieces(const TraceBatch& pieces);
  void DropLinesOverCharacterBound();
  void ScrollToEnd();
  // Keeps the space under the text as high as the find bar while it is shown.
  void PlaceFindBar();

  int m_MaxLineLength;
  int m_MaxCharacters;
  bool m_Timestamps = false;
  bool m_Colours = false;
  TraceTimestamper m_Stamper;
  TraceFindBar* m_FindBar;
};

}  // namespace linkwright
