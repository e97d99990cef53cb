#pragma once

#include <QString>
#include <vector>

#include "config/config_keys.h"

namespace linkwright {

// What the enable rules of a configuration page may read of its controls, each named by the
// setting it edits.
class ConfigControlState {
 public:
  virtual ~ConfigControlState() = default;
  // The selected index of a drop-down list, -1 for none.
  virtual int Index(const SettingKey& setting) const = 0;
  virtual bool Checked(const SettingKey& setting) const = 0;
  virtual QString Text(const SettingKey& setting) const = 0;
};

enum class ConfigControlKind {
  kText,
  kNumber,
  kCheck,
  kCombo,
  // A read-only text changed only through the serial settings dialog, by a "..." button.
  kSerialSettings,
};

// One control of a configuration page. The control is named after its setting's key, so it can
// be found by that name.
struct ConfigControlRow {
  ConfigControlKind kind;
  SettingKey setting;
  // The form label, or the text of a check box.
  const char* label = "";
  // A drop-down list's items, separated by "|".
  const char* items = "";
  // The top of a number's spin range.
  int maximum = 0;
  const char* placeholder = "";
  // The page box the control sits in (see ConfigPageTable::boxes).
  int box = 0;
  // The control shares the line of the row before it.
  bool sameLine = false;
  // Whether the control is enabled, read again whenever a text, check box or list changes; a
  // control without a rule is always enabled.
  bool (*enabled)(const ConfigControlState& state) = nullptr;
  // The form label is enabled with its control.
  bool labelFollows = false;
};

// One tab of the configuration editor: its title, its boxes (a box without a title is the
// page's own form, above the others; titled boxes are group boxes side by side below it) and
// its controls in tab order.
struct ConfigPageTable {
  const char* title;
  std::vector<const char*> boxes;
  std::vector<ConfigControlRow> rows;
};

// The editor's tabs in order: "Connection", "User Interface", "Tools".
const std::vector<ConfigPageTable>& ConfigPageTables();

}  // namespace linkwright
