#pragma once

#include <QPlainTextEdit>

#include "front_end/front_end.h"

// The lower pane of the main window: the read-only trace of everything sent and received, on a
// light blue ground in a fixed-pitch font. Everything one tick (or one command) traced arrives as
// one batch and goes in with one insert, so a fast stream costs one document change and one
// scroll per tick, not one per piece. The pane keeps the newest lines up to a bound, dropping the
// oldest, so a device that never stops cannot fill the memory: each kept line costs about half a
// kilobyte once shown, and 40,000 lines stay near 20 MB. After every append the pane shows the end
// of the trace; a selection the user made stays, so text can be copied while the trace runs.
class CBottomView : public QPlainTextEdit {
  Q_OBJECT

 public:
  static constexpr int kMaxLines = 40000;

  explicit CBottomView(QWidget* parent = nullptr, int maxLines = kMaxLines);

  void AppendTrace(const TraceBatch& batch);
  void Clear();
  bool HasText() const { return !document()->isEmpty(); }

 signals:
  // The pane went from empty to holding text or back (the Clear command's enabled state).
  void HasTextChanged(bool hasText);
};
