#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_keys.h"
#include "error.h"

namespace linkwright {

// Which way a dialog's data exchange runs: store values into the controls, or the controls'
// contents back into the store.
enum class ExchangeDirection { kToControls, kFromControls };

// What a drop-down list holds during an exchange: its items in order and the selected index
// (-1 for none).
struct ComboContent {
  std::vector<std::string> items;
  int selected = -1;
};

// One row of the fixed key table.
struct ConfigKey {
  const char* section;
  const char* key;
  const char* defaultValue;
};

// All settings: text values by section and key, in key-table order. Values are read when
// they are needed and never cached elsewhere. Section and key names match without regard to
// ASCII case. The first 22 rows are the settings every saved file lists; the rows after them
// are added settings, written to the file only once set, so that a file without them stays as
// it is.
class Configuration : public LastErrorHolder {
 public:
  static constexpr size_t kKeyCount = 32;
  // The rows a saved file always lists.
  static constexpr size_t kListedKeyCount = 22;
  // `SetFormatted` cuts longer values to this many characters.
  static constexpr size_t kMaxFormattedLength = 2047;

  // Empty values.
  Configuration();

  // The fixed key table.
  static const std::vector<ConfigKey>& KeyTable();

  // The first key-table row whose section and key equal the given ones (ASCII case ignored),
  // or nothing.
  static std::optional<size_t> KeyIndex(std::string_view section, std::string_view key);

  // Fills every value from the file, or from the defaults where the file or the key is missing.
  // A malformed file is no failure. Fails (kSystem, "cannot read PATH: reason") when a file is
  // there that cannot be read as a regular file: then every value is its default.
  bool Load();

  // Writes the values set since the last `Load` or `Save` into the file as it stands at that
  // moment, and the default of each listed key the file lacks, so the file lists all 22. Every
  // other value and line of the file stays: another process (the console's `config set`) may
  // have changed the file since it was loaded. The file is locked (see ConfigFileLock), read
  // again and replaced atomically, so a failed save leaves the old file as it was; the values in
  // memory stay as they are. Fails (with an "E" log line "CConfiguration::Save() failed") when
  // the file or its folder cannot be written or the existing file cannot be read as a regular
  // file (its other lines would be lost), all kSystem, or when a value holds a line break
  // (kSetting: that key keeps its old line and stays unsaved; the others are still written).
  bool Save();

  // The value; empty when section and key name no row.
  std::string GetString(std::string_view section, std::string_view key) const;
  // The leading decimal number of the value as strtol reads it (leading blanks, one sign,
  // 0 when there is none), held to the 32-bit range.
  int32_t GetInt(std::string_view section, std::string_view key) const;
  // Whether `GetInt` is non-zero.
  bool GetBool(std::string_view section, std::string_view key) const;

  // The same by a named setting (see config_keys.h), read from its row without a search.
  std::string GetString(const SettingKey& setting) const { return m_Values[setting.row]; }
  int32_t GetInt(const SettingKey& setting) const { return m_Numbers[setting.row]; }
  bool GetBool(const SettingKey& setting) const { return GetInt(setting) != 0; }
  // Sets a named setting to a text (memory only, like SetFormatted).
  void Set(const SettingKey& setting, std::string_view value);
  // Sets a named setting for this run only: `Save` leaves the file's value of it alone until the
  // setting is set again.
  void Override(const SettingKey& setting, std::string_view value);
  // Sets each value that differs in `edited` (a copy this store was copied into and then
  // changed), so that `Save` writes just what the copy's user changed.
  void TakeChangesFrom(const Configuration& edited);

  // Sets a value from a printf-style format (at most 2,047 characters); false when section
  // and key name no row, and then nothing changes. Memory only; the next `Save` writes it.
  bool SetFormatted(std::string_view section, std::string_view key, const char* format, ...)
      __attribute__((format(printf, 4, 5)));

  // Data exchange of the configuration editor's controls. A dialog page copies each control's
  // content into these plain forms and back; the rules live here, away from any toolkit.
  //
  // Text: the control shows the value; back, the value becomes the text (cut like
  // `SetFormatted`).
  void ExchangeText(ExchangeDirection direction, std::string& text, const SettingKey& setting);
  // Check box: checked when the value reads as a non-zero number; back, "1" or "0".
  void ExchangeCheck(ExchangeDirection direction, bool& checked, const SettingKey& setting);
  // Drop-down list: the items are `itemList` split at `separator`, each trimmed of blanks, a
  // last empty item left out; the selection is the item at `GetInt` of the value (none when
  // that names no item). Back, the value becomes the selected index, -1 when none.
  void ExchangeCombo(ExchangeDirection direction, ComboContent& combo, const SettingKey& setting,
                     std::string_view itemList, char separator);

  // The value of row `index`.
  const std::string& ValueAt(size_t index) const { return m_Values[index]; }

  // The file the store loads and saves. Worked out once per process unless set (see
  // config_file_path.h): the front-ends set it from `--config FILE`. Only the per-user
  // default location gets its folders created by `Save`.
  static std::filesystem::path FilePath();
  static void SetFilePath(const std::filesystem::path& path);

 private:
  // Sets a row's value and the number read from it.
  void StoreValue(size_t row, std::string_view value);
  // The same, for a change the next `Save` writes.
  void ChangeValue(size_t row, std::string_view value);

  std::vector<std::string> m_Values;
  // GetInt of each value, kept with it: numbers are read on every packet.
  std::vector<int32_t> m_Numbers;
  // The rows set since the last load or save: the ones `Save` writes.
  std::vector<bool> m_Unsaved;
};

// The one process-wide store.
Configuration& GetConfiguration();

}  // namespace linkwright
