#pragma once

#include <QObject>
#include <vector>

#include "link/wait_handle.h"

class QAction;
class QSocketNotifier;

namespace linkwright {

// Tools › "Wake on Data" (remembered in the user settings, off unless switched on): while it is
// checked the window watches the link's handles with socket notifiers and says DataWaiting as
// soon as one turns readable, so the receive tick runs then instead of at the next poll. A
// notifier that fired stays quiet until the next Watch, which the window calls after the tick,
// so a handle that stays readable never makes a busy loop.
class WakeOnData : public QObject {
  Q_OBJECT

 public:
  explicit WakeOnData(QObject* parent);

  QAction* Toggle() const { return m_Toggle; }

  // Watches whatever the item says, as long as `forced` holds: a scenario run wants its answers
  // at once. Takes effect at the next Watch.
  void SetForced(bool forced) { m_Forced = forced; }

  // Watches `handles` (none while the item is unchecked and nothing forces it), making new
  // notifiers only when the set changed, and lets every notifier fire again.
  void Watch(const std::vector<WaitHandle>& handles);

 signals:
  void DataWaiting();

 private:
  void Quieten();

  QAction* m_Toggle;
  bool m_Forced = false;
  std::vector<WaitHandle> m_Watched;
  std::vector<QSocketNotifier*> m_Notifiers;
};

}  // namespace linkwright
