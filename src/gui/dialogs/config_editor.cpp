#include "gui/dialogs/config_editor.h"

#include <QDialogButtonBox>
#include <QSettings>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui/dialogs/config_pages.h"

namespace linkwright {

namespace {

constexpr const char* kConfigTabKey = "WindowState/ConfigTab";

}  // namespace

ConfigEditor::ConfigEditor(const Configuration& store, QWidget* parent)
    : QDialog(parent), m_Configuration(store), m_Tabs(new QTabWidget(this)) {
  setWindowTitle("Configuration");
  for (const ConfigPageTable& table : ConfigPageTables()) {
    m_Pages.push_back(new ConfigPage(m_Configuration, table, m_Tabs));
    m_Tabs->addTab(m_Pages.back(), table.title);
  }

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &ConfigEditor::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &ConfigEditor::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_Tabs);
  layout->addWidget(buttons);

  int tab = QSettings().value(kConfigTabKey, 0).toInt();
  SwitchPage(tab >= 0 && tab < m_Tabs->count() ? tab : 0);
  connect(m_Tabs, &QTabWidget::currentChanged, this, &ConfigEditor::SwitchPage);
}

void ConfigEditor::accept() {
  m_Pages[static_cast<size_t>(m_ActivePage)]->Deactivate();
  QDialog::accept();
}

void ConfigEditor::done(int result) {
  QSettings().setValue(kConfigTabKey, m_Tabs->currentIndex());
  QDialog::done(result);
}

void ConfigEditor::SwitchPage(int index) {
  if (m_ActivePage >= 0) {
    m_Pages[static_cast<size_t>(m_ActivePage)]->Deactivate();
  }
  m_ActivePage = index;
  m_Tabs->setCurrentIndex(index);
  m_Pages[static_cast<size_t>(index)]->Activate();
}

ConfigEditResult EditConfiguration(Configuration& store, QWidget* parent) {
  ConfigEditor editor(store, parent);
  if (editor.exec() != QDialog::Accepted) {
    return ConfigEditResult::kCancelled;
  }
  store.TakeChangesFrom(editor.EditedConfiguration());
  return store.Save() ? ConfigEditResult::kSaved : ConfigEditResult::kSaveFailed;
}

}  // namespace linkwright
