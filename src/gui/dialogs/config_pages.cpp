#include "gui/dialogs/config_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/dialogs/serial_settings_dialog.h"
#include "gui/widgets/numeric_edit.h"
#include "link/serial/serial_port.h"

namespace linkwright {

namespace {

std::string Utf8(const QString& text) {
  return text.toUtf8().toStdString();
}

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void ExchangeLineEdit(Configuration& configuration, ExchangeDirection direction, QLineEdit* edit,
                      const SettingKey& setting) {
  std::string text = Utf8(edit->text());
  configuration.ExchangeText(direction, text, setting);
  edit->setText(FromUtf8(text));
}

void ExchangeNumber(Configuration& configuration, ExchangeDirection direction, NumericEdit* edit,
                    const SettingKey& setting) {
  std::string text = Utf8(edit->Text());
  configuration.ExchangeText(direction, text, setting);
  edit->SetText(FromUtf8(text));
}

void ExchangeCheck(Configuration& configuration, ExchangeDirection direction, QCheckBox* box,
                   const SettingKey& setting) {
  bool checked = box->isChecked();
  configuration.ExchangeCheck(direction, checked, setting);
  box->setChecked(checked);
}

void ExchangeCombo(Configuration& configuration, ExchangeDirection direction, QComboBox* list,
                   const ConfigControlRow& row) {
  ComboContent content;
  for (int i = 0; i < list->count(); ++i) {
    content.items.push_back(Utf8(list->itemText(i)));
  }
  content.selected = list->currentIndex();
  configuration.ExchangeCombo(direction, content, row.setting, row.items, '|');
  if (direction == ExchangeDirection::kToControls) {
    list->clear();
    for (const std::string& item : content.items) {
      list->addItem(FromUtf8(item));
    }
    list->setCurrentIndex(content.selected);
  }
}

}  // namespace

ConfigPage::ConfigPage(Configuration& configuration, const ConfigPageTable& table, QWidget* parent)
    : QWidget(parent), m_Configuration(configuration), m_Table(table) {
  // Every control exists before any layout, so the tab order is the table's.
  for (const ConfigControlRow& row : m_Table.rows) {
    AddControl(row);
  }
  LayOut();
}

void ConfigPage::AddControl(const ConfigControlRow& row) {
  QWidget* control = nullptr;
  QWidget* button = nullptr;
  QLabel* label = nullptr;
  auto enablingChanged = [this] { UpdateEnabling(); };
  switch (row.kind) {
    case ConfigControlKind::kText:
    case ConfigControlKind::kSerialSettings: {
      auto* edit = new QLineEdit(this);
      edit->setPlaceholderText(row.placeholder);
      connect(edit, &QLineEdit::textChanged, this, enablingChanged);
      control = edit;
      break;
    }
    case ConfigControlKind::kNumber:
      control = new NumericEdit(0, row.maximum, this);
      break;
    case ConfigControlKind::kCheck: {
      auto* box = new QCheckBox(row.label, this);
      connect(box, &QCheckBox::toggled, this, enablingChanged);
      control = box;
      break;
    }
    case ConfigControlKind::kCombo: {
      auto* list = new QComboBox(this);
      connect(list, &QComboBox::currentIndexChanged, this, enablingChanged);
      control = list;
      break;
    }
  }
  control->setObjectName(row.setting.key);
  if (row.kind == ConfigControlKind::kSerialSettings) {
    static_cast<QLineEdit*>(control)->setReadOnly(true);
    auto* dots = new QPushButton("...", this);
    dots->setObjectName(QString(row.setting.key) + "Button");
    dots->setFixedWidth(dots->fontMetrics().horizontalAdvance("...") + 24);
    const size_t index = m_Controls.size();
    connect(dots, &QPushButton::clicked, this, [this, index] { EditSerialSettings(index); });
    button = dots;
  }
  if (row.kind != ConfigControlKind::kCheck && row.label[0] != '\0') {
    label = new QLabel(row.label, this);
  }
  m_Controls.push_back(control);
  m_Buttons.push_back(button);
  m_Labels.push_back(label);
}

void ConfigPage::LayOut() {
  auto* page = new QVBoxLayout(this);
  QHBoxLayout* groups = nullptr;
  for (size_t box = 0; box < m_Table.boxes.size(); ++box) {
    auto* form = new QFormLayout;
    for (size_t row = 0; row < m_Table.rows.size(); ++row) {
      if (m_Table.rows[row].box == static_cast<int>(box) && !m_Table.rows[row].sameLine) {
        AddFormRow(form, row);
      }
    }
    if (m_Table.boxes[box] == nullptr) {
      page->addLayout(form);
      continue;
    }
    if (groups == nullptr) {
      groups = new QHBoxLayout;
      page->addLayout(groups);
    }
    auto* group = new QGroupBox(m_Table.boxes[box], this);
    group->setLayout(form);
    groups->addWidget(group);
  }
  page->addStretch();
}

void ConfigPage::AddFormRow(QFormLayout* form, size_t row) {
  QWidget* control = m_Controls[row];
  const bool sharesLine = row + 1 < m_Table.rows.size() && m_Table.rows[row + 1].sameLine;
  if (m_Buttons[row] == nullptr && !sharesLine) {
    form->addRow(m_Labels[row], control);
    return;
  }
  auto* line = new QHBoxLayout;
  line->addWidget(control);
  if (m_Buttons[row] != nullptr) {
    line->addWidget(m_Buttons[row]);
  }
  for (size_t next = row + 1; next < m_Table.rows.size() && m_Table.rows[next].sameLine; ++next) {
    line->addWidget(m_Controls[next]);
  }
  if (sharesLine) {
    line->addStretch();
  }
  form->addRow(m_Labels[row], line);
}

void ConfigPage::Activate() {
  if (m_Filled) {
    return;
  }
  m_Filled = true;
  Exchange(ExchangeDirection::kToControls);
  UpdateEnabling();
}

void ConfigPage::Deactivate() {
  if (m_Filled) {
    Exchange(ExchangeDirection::kFromControls);
  }
}

void ConfigPage::Exchange(ExchangeDirection direction) {
  for (size_t row = 0; row < m_Table.rows.size(); ++row) {
    ExchangeRow(direction, row);
  }
}

void ConfigPage::ExchangeRow(ExchangeDirection direction, size_t row) {
  const ConfigControlRow& entry = m_Table.rows[row];
  QWidget* control = m_Controls[row];
  switch (entry.kind) {
    case ConfigControlKind::kText:
    case ConfigControlKind::kSerialSettings:
      ExchangeLineEdit(m_Configuration, direction, static_cast<QLineEdit*>(control), entry.setting);
      break;
    case ConfigControlKind::kNumber:
      ExchangeNumber(m_Configuration, direction, static_cast<NumericEdit*>(control), entry.setting);
      break;
    case ConfigControlKind::kCheck:
      ExchangeCheck(m_Configuration, direction, static_cast<QCheckBox*>(control), entry.setting);
      break;
    case ConfigControlKind::kCombo:
      ExchangeCombo(m_Configuration, direction, static_cast<QComboBox*>(control), entry);
      break;
  }
}

void ConfigPage::UpdateEnabling() {
  for (size_t row = 0; row < m_Controls.size(); ++row) {
    const ConfigControlRow& entry = m_Table.rows[row];
    if (entry.enabled == nullptr) {
      continue;
    }
    const bool enabled = entry.enabled(*this);
    m_Controls[row]->setEnabled(enabled);
    if (m_Buttons[row] != nullptr) {
      m_Buttons[row]->setEnabled(enabled);
    }
    if (entry.labelFollows && m_Labels[row] != nullptr) {
      m_Labels[row]->setEnabled(enabled);
    }
  }
}

void ConfigPage::EditSerialSettings(size_t row) {
  auto* field = static_cast<QLineEdit*>(m_Controls[row]);
  SerialPort port;
  port.ParseSettings(Utf8(field->text()));
  SerialSettings settings = port.Settings();
  if (ShowSettingsDialog(settings, this)) {
    port.SetSettings(settings);
    field->setText(FromUtf8(port.FormatSettings()));
  }
}

QWidget* ConfigPage::ControlOf(const SettingKey& setting) const {
  for (size_t row = 0; row < m_Table.rows.size(); ++row) {
    if (m_Table.rows[row].setting.row == setting.row) {
      return m_Controls[row];
    }
  }
  return nullptr;
}

int ConfigPage::Index(const SettingKey& setting) const {
  auto* list = qobject_cast<QComboBox*>(ControlOf(setting));
  return list != nullptr ? list->currentIndex() : -1;
}

bool ConfigPage::Checked(const SettingKey& setting) const {
  auto* box = qobject_cast<QCheckBox*>(ControlOf(setting));
  return box != nullptr && box->isChecked();
}

QString ConfigPage::Text(const SettingKey& setting) const {
  auto* edit = qobject_cast<QLineEdit*>(ControlOf(setting));
  return edit != nullptr ? edit->text() : QString();
}

}  // namespace linkwright
