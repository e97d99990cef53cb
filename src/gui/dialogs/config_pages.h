#pragma once

#include <QWidget>
#include <vector>

#include "config/configuration.h"
#include "gui/dialogs/config_page_table.h"

class QBoxLayout;
class QFormLayout;
class QLabel;

namespace linkwright {

// One tab of the configuration editor, built from its table. It edits the editor's copy of the
// store: its controls are filled from the copy the first time the page is shown and written back
// whenever the user leaves it and on OK. A page never shown exchanges nothing.
class ConfigPage : public QWidget, public ConfigControlState {
  Q_OBJECT

 public:
  ConfigPage(Configuration& configuration, const ConfigPageTable& table, QWidget* parent);

  // The page becomes the visible one: the first time, its controls are filled.
  void Activate();
  // The page is left or the editor confirmed: its controls go back into the copy.
  void Deactivate();

  int Index(const SettingKey& setting) const override;
  bool Checked(const SettingKey& setting) const override;
  QString Text(const SettingKey& setting) const override;

 private:
  void AddControl(const ConfigControlRow& row);
  void LayOut();
  // The field a row takes in its form: the control, with its button or the controls that share
  // its line.
  void AddFormRow(QFormLayout* form, size_t row);
  void Exchange(ExchangeDirection direction);
  void ExchangeRow(ExchangeDirection direction, size_t row);
  void UpdateEnabling();
  // The "..." button: the serial settings dialog on the field's text.
  void EditSerialSettings(size_t row);
  QWidget* ControlOf(const SettingKey& setting) const;

  Configuration& m_Configuration;
  const ConfigPageTable& m_Table;
  // Per table row: the control, its "..." button or form label (null where none).
  std::vector<QWidget*> m_Controls;
  std::vector<QWidget*> m_Buttons;
  std::vector<QLabel*> m_Labels;
  bool m_Filled = false;
};

}  // namespace linkwright
