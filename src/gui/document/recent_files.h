#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;

namespace linkwright {

// The four most recently opened or saved message files, kept in the user settings ("Recent
// File List") and shown as numbered entries in a menu before a given entry. Choosing one
// hands its path to the opener.
class RecentFileList : public QObject {
  Q_OBJECT

 public:
  static constexpr int kMaxFiles = 4;
  using Opener = std::function<void(const QString& path)>;

  RecentFileList(QMenu* menu, QAction* before, Opener open, QObject* parent);

  const QStringList& Files() const { return m_Files; }
  // Puts the path first, dropping the oldest entry beyond four.
  void Add(const QString& path);
  void Remove(const QString& path);

 private:
  void Store();
  void RebuildMenu();

  QMenu* m_Menu;
  QAction* m_Before;
  Opener m_Open;
  QStringList m_Files;
  QList<QAction*> m_Actions;
};

}  // namespace linkwright
