#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "config/configuration.h"

class QTabWidget;

namespace linkwright {

class ConfigPage;

// The modal "Configuration" editor: tabs "Connection", "User Interface" and "Tools" over a copy
// of the store, OK and Cancel. It opens on the tab that was active when it last closed (kept as
// "ConfigTab" in the "WindowState" group of the application settings), and remembers the
// active tab however it closes.
class ConfigEditor : public QDialog {
  Q_OBJECT

 public:
  explicit ConfigEditor(const Configuration& store, QWidget* parent = nullptr);

  // The copy under edit; after OK it holds every page's values.
  const Configuration& EditedConfiguration() const { return m_Configuration; }
  QTabWidget* Tabs() const { return m_Tabs; }

  void accept() override;
  void done(int result) override;

 private:
  void SwitchPage(int index);

  Configuration m_Configuration;
  QTabWidget* m_Tabs;
  std::vector<ConfigPage*> m_Pages;
  int m_ActivePage = -1;
};

enum class ConfigEditResult { kCancelled, kSaved, kSaveFailed };

// Runs the editor on a copy of `store`. OK takes the copy's changes over and saves them, leaving
// the file's other values as they are (kSaved, or kSaveFailed when the file could not be
// written: the new values are in force anyway); Cancel leaves the store and its file untouched.
ConfigEditResult EditConfiguration(Configuration& store, QWidget* parent);

}  // namespace linkwright
