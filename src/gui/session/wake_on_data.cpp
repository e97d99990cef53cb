#include "gui/session/wake_on_data.h"

#include <QAction>
#include <QSettings>
#include <QSocketNotifier>

namespace linkwright {

namespace {

constexpr char kWakeOnDataKey[] = "Link/WakeOnData";

}  // namespace

WakeOnData::WakeOnData(QObject* parent)
    : QObject(parent), m_Toggle(new QAction(tr("&Wake on Data"), this)) {
  m_Toggle->setObjectName("wakeOnData");
  m_Toggle->setCheckable(true);
  m_Toggle->setChecked(QSettings().value(kWakeOnDataKey, false).toBool());
  m_Toggle->setStatusTip(
      tr("Receive as soon as bytes arrive instead of at the next receive-polling tick"));
  connect(m_Toggle, &QAction::toggled, this,
          [](bool checked) { QSettings().setValue(kWakeOnDataKey, checked); });
}

void WakeOnData::Watch(const std::vector<WaitHandle>& handles) {
  const std::vector<WaitHandle> wanted =
      m_Toggle->isChecked() || m_Forced ? handles : std::vector<WaitHandle>();
  if (wanted != m_Watched) {
    qDeleteAll(m_Notifiers);
    m_Notifiers.clear();
    for (const WaitHandle handle : wanted) {
      auto* notifier = new QSocketNotifier(handle, QSocketNotifier::Read, this);
      connect(notifier, &QSocketNotifier::activated, this, &WakeOnData::Quieten);
      m_Notifiers.push_back(notifier);
    }
    m_Watched = wanted;
  }
  for (QSocketNotifier* notifier : m_Notifiers) {
    notifier->setEnabled(true);
  }
}

void WakeOnData::Quieten() {
  for (QSocketNotifier* notifier : m_Notifiers) {
    notifier->setEnabled(false);
  }
  emit DataWaiting();
}

}  // namespace linkwright
