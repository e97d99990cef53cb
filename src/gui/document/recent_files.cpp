#include "gui/document/recent_files.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace linkwright {

namespace {

constexpr const char* kSettingsKey = "Recent File List/Files";

}  // namespace

RecentFileList::RecentFileList(QMenu* menu, QAction* before, Opener open, QObject* parent)
    : QObject(parent),
      m_Menu(menu),
      m_Before(before),
      m_Open(std::move(open)),
      m_Files(QSettings().value(kSettingsKey).toStringList().mid(0, kMaxFiles)) {
  RebuildMenu();
}

void RecentFileList::Add(const QString& path) {
  m_Files.removeAll(path);
  m_Files.prepend(path);
  m_Files = m_Files.mid(0, kMaxFiles);
  Store();
}

void RecentFileList::Remove(const QString& path) {
  m_Files.removeAll(path);
  Store();
}

void RecentFileList::Store() {
  QSettings().setValue(kSettingsKey, m_Files);
  RebuildMenu();
}

void RecentFileList::RebuildMenu() {
  // An entry may be rebuilding the menu from its own triggered signal: delete it later.
  for (QAction* action : std::as_const(m_Actions)) {
    m_Menu->removeAction(action);
    action->deleteLater();
  }
  m_Actions.clear();
  if (m_Files.isEmpty()) {
    auto* none = new QAction(tr("Recent File"), this);
    none->setEnabled(false);
    m_Actions.append(none);
  }
  for (int i = 0; i < m_Files.size(); ++i) {
    const QString path = m_Files.at(i);
    auto* action = new QAction(QString("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()), this);
    action->setObjectName(QString("recentFile%1").arg(i + 1));
    action->setStatusTip(path);
    connect(action, &QAction::triggered, this, [this, path] { m_Open(path); });
    m_Actions.append(action);
  }
  m_Menu->insertActions(m_Before, m_Actions);
}

}  // namespace linkwright
