#include "config/configuration.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>
#include <unordered_map>

#include "ascii_text.h"
#include "atomic_file.h"
#include "config/config_file_lock.h"
#include "config/config_file_path.h"
#include "config/ini_file.h"
#include "diag/diag_log.h"
#include "diag/program_path.h"

namespace linkwright {

namespace {

std::optional<ConfigFileLocation>& CachedLocation() {
  static std::optional<ConfigFileLocation> location;
  return location;
}

std::string_view Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

const ConfigFileLocation& Location() {
  std::optional<ConfigFileLocation>& cached = CachedLocation();
  if (!cached) {
    cached = FindDefaultConfigLocation(ProgramPath(), Environment("XDG_CONFIG_HOME"),
                                       Environment("HOME"));
  }
  return *cached;
}

Error CannotRead(const std::filesystem::path& path, const std::string& reason) {
  return Error(ErrorKind::kSystem, "cannot read " + path.string() + ": " + reason);
}

// The bytes of the file into `content`; empty when nothing is there. Fails, leaving `content`
// empty, when something is there that cannot be read as a regular file: a save must not replace
// what it could not read (its other lines would be lost, and a device such as /dev/full must
// stay a device).
Error ReadExistingFile(const std::filesystem::path& path, std::string& content) {
  content.clear();
  std::error_code error;
  std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) {
    return Error();
  }
  if (error || !std::filesystem::is_regular_file(status)) {
    return CannotRead(path, error ? error.message() : "not a regular file");
  }
  std::ifstream in(path, std::ios::binary);
  std::string read(std::istreambuf_iterator<char>(in), {});
  if (!in.is_open() || in.bad()) {
    return CannotRead(path, SystemErrorText(errno));
  }
  content = std::move(read);
  return Error();
}

Error PrepareFolder(const ConfigFileLocation& location) {
  if (!location.createFolders) {
    return Error();
  }
  const std::filesystem::path folder = location.path.parent_path();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) {
    return Error(ErrorKind::kSystem, "cannot create " + folder.string() + ": " + error.message());
  }
  return Error();
}

// Fails for the first row still marked in `unsaved`: its value could not be stored.
Error FirstUnsavedValue(const std::vector<bool>& unsaved) {
  const auto left = std::find(unsaved.begin(), unsaved.end(), true);
  if (left == unsaved.end()) {
    return Error();
  }
  const ConfigKey& key = Configuration::KeyTable()[static_cast<size_t>(left - unsaved.begin())];
  return Error(ErrorKind::kSetting, std::string("cannot save ") + key.section + "." + key.key +
                                        ": its value holds a line break");
}

// Writes the rows marked in `unsaved` into the file as it stands now, and the default of each
// listed key the file lacks; every other line and value of the file stays. Clears the mark of each
// row written. Fails when the old file cannot be read, a value cannot be stored (the other keys are
// still written), or the write fails.
Error WriteSettings(const std::filesystem::path& path, const std::vector<std::string>& values,
                    std::vector<bool>& unsaved) {
  std::string old;
  if (Error read = ReadExistingFile(path, old); read.Failed()) {
    return read;
  }
  IniFile file = IniFile::Parse(old);
  const std::vector<ConfigKey>& table = Configuration::KeyTable();
  std::vector<bool> left = unsaved;
  for (size_t i = 0; i < table.size(); ++i) {
    if (unsaved[i]) {
      left[i] = !file.Set(table[i].section, table[i].key, values[i]);
    } else if (i < Configuration::kListedKeyCount && !file.Get(table[i].section, table[i].key)) {
      file.Set(table[i].section, table[i].key, table[i].defaultValue);
    }
  }
  if (Error written = WriteFileAtomically(path, file.Serialize()); written.Failed()) {
    return written;
  }
  unsaved = std::move(left);
  return FirstUnsavedValue(unsaved);
}

// A section and key as asked for; hashed and compared without regard to ASCII case, so a
// lookup needs neither a copy of the names nor a walk through the table.
struct KeyName {
  std::string_view section;
  std::string_view key;
};

struct FoldedHash {
  size_t operator()(const KeyName& name) const {
    // FNV-1a over the lower-cased names, with a separator no name holds.
    uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](char c) {
      hash = (hash ^ static_cast<unsigned char>(AsciiLower(c))) * 1099511628211ull;
    };
    for (char c : name.section) {
      mix(c);
    }
    mix('\n');
    for (char c : name.key) {
      mix(c);
    }
    return static_cast<size_t>(hash);
  }
};

struct FoldedEqual {
  bool operator()(const KeyName& a, const KeyName& b) const {
    return EqualsIgnoringCase(a.section, b.section) && EqualsIgnoringCase(a.key, b.key);
  }
};

using KeyIndexMap = std::unordered_map<KeyName, size_t, FoldedHash, FoldedEqual>;

const KeyIndexMap& IndexByName() {
  static const KeyIndexMap index = [] {
    KeyIndexMap map;
    const std::vector<ConfigKey>& table = Configuration::KeyTable();
    for (size_t i = 0; i < table.size(); ++i) {
      // emplace keeps the first row of a name.
      map.emplace(KeyName{table[i].section, table[i].key}, i);
    }
    return map;
  }();
  return index;
}

// Each setting with its default, in key-table order.
struct DefaultedSetting {
  SettingKey setting;
  const char* defaultValue;
};

constexpr DefaultedSetting kDefaults[] = {
    {setting::kTestMode, "0"},
    {setting::kMode, "0"},
    {setting::kActAsServer, "1"},
    {setting::kSocketHost, "127.0.0.1"},
    {setting::kSocketPort, "1024"},
    {setting::kCommConfig, "COM1:9600,N,8,1"},
    {setting::kResponseTimeout, "1000"},
    {setting::kRxPollingTime, "100"},
    {setting::kHttpUrl, "http://www.example.com:80/baseurl/"},
    {setting::kPacketOpener, ""},
    {setting::kPacketCloser, "[CR]"},
    {setting::kPacketBreakTimeout, "0"},
    {setting::kBeepOnFailure, "1"},
    {setting::kBeepOnSuccess, "0"},
    {setting::kHexTrace, "0"},
    {setting::kHexTrace2, "0"},
    {setting::kAlwaysOnTop, "0"},
    {setting::kTransparency, "0"},
    {setting::kClearTextOnSend, "0"},
    {setting::kAutoSendEnabled, "0"},
    {setting::kAutoSendCycleTime, "1000"},
    {setting::kUseRegex, "1"},
    {setting::kSerialReconnect, "0"},
    {setting::kTlsEnabled, "0"},
    {setting::kTlsCaFile, ""},
    {setting::kTlsCertFile, ""},
    {setting::kTlsKeyFile, ""},
    {setting::kTlsVerifyPeer, "1"},
    {setting::kTlsServerName, ""},
    {setting::kMulticastGroup, ""},
    {setting::kMulticastInterface, ""},
    {setting::kMulticastTtl, "1"},
};

constexpr bool RowsMatchPositions() {
  for (size_t i = 0; i < std::size(kDefaults); ++i) {
    if (kDefaults[i].setting.row != i) {
      return false;
    }
  }
  return true;
}

static_assert(std::size(kDefaults) == Configuration::kKeyCount && RowsMatchPositions(),
              "every named setting must carry its own key-table row");

int32_t LeadingNumber(const std::string& value) {
  const long number = std::strtol(value.c_str(), nullptr, 10);
  // Where long is wider than 32 bits, saturate as a 32-bit strtol would.
  return static_cast<int32_t>(std::clamp<long>(number, std::numeric_limits<int32_t>::min(),
                                               std::numeric_limits<int32_t>::max()));
}

}  // namespace

Configuration::Configuration() : m_Values(kKeyCount), m_Numbers(kKeyCount), m_Unsaved(kKeyCount) {}

const std::vector<ConfigKey>& Configuration::KeyTable() {
  static const std::vector<ConfigKey> table = [] {
    std::vector<ConfigKey> rows;
    for (const DefaultedSetting& row : kDefaults) {
      rows.push_back({row.setting.section, row.setting.key, row.defaultValue});
    }
    return rows;
  }();
  return table;
}

std::optional<size_t> Configuration::KeyIndex(std::string_view section, std::string_view key) {
  const KeyIndexMap& index = IndexByName();
  if (auto found = index.find(KeyName{section, key}); found != index.end()) {
    return found->second;
  }
  return std::nullopt;
}

bool Configuration::Load() {
  std::string text;
  const Error read = ReadExistingFile(FilePath(), text);
  IniFile file = IniFile::Parse(text);
  const std::vector<ConfigKey>& table = KeyTable();
  for (size_t i = 0; i < table.size(); ++i) {
    StoreValue(i, file.GetString(table[i].section, table[i].key, table[i].defaultValue));
  }
  std::fill(m_Unsaved.begin(), m_Unsaved.end(), false);
  if (read.Failed()) {
    return Fail(read);
  }
  return true;
}

bool Configuration::Save() {
  const ConfigFileLocation& location = Location();
  const Error folder = PrepareFolder(location);
  // Held while the file is read again and replaced, so that a `config set` running meanwhile
  // in another process keeps its change and this store keeps its own.
  const ConfigFileLock lock(location.path);
  const Error saved = folder.Failed() ? folder : WriteSettings(location.path, m_Values, m_Unsaved);
  if (saved.Failed()) {
    DiagLog('E', "CConfiguration::Save() failed");
    return Fail(saved);
  }
  return true;
}

std::string Configuration::GetString(std::string_view section, std::string_view key) const {
  std::optional<size_t> index = KeyIndex(section, key);
  return index ? m_Values[*index] : std::string();
}

void Configuration::Set(const SettingKey& setting, std::string_view value) {
  SetFormatted(setting.section, setting.key, "%.*s", static_cast<int>(value.size()), value.data());
}

void Configuration::Override(const SettingKey& setting, std::string_view value) {
  Set(setting, value);
  m_Unsaved[setting.row] = false;
}

void Configuration::TakeChangesFrom(const Configuration& edited) {
  for (size_t row = 0; row < kKeyCount; ++row) {
    if (edited.m_Values[row] != m_Values[row]) {
      ChangeValue(row, edited.m_Values[row]);
    }
  }
}

int32_t Configuration::GetInt(std::string_view section, std::string_view key) const {
  std::optional<size_t> index = KeyIndex(section, key);
  return index ? m_Numbers[*index] : 0;
}

void Configuration::StoreValue(size_t row, std::string_view value) {
  m_Values[row] = value;
  m_Numbers[row] = LeadingNumber(m_Values[row]);
}

void Configuration::ChangeValue(size_t row, std::string_view value) {
  StoreValue(row, value);
  m_Unsaved[row] = true;
}

bool Configuration::GetBool(std::string_view section, std::string_view key) const {
  return GetInt(section, key) != 0;
}

bool Configuration::SetFormatted(std::string_view section, std::string_view key, const char* format,
                                 ...) {
  std::optional<size_t> index = KeyIndex(section, key);
  if (!index) {
    return false;
  }
  char buffer[kMaxFormattedLength + 1];
  va_list args;
  va_start(args, format);
  int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0) {
    return false;
  }
  ChangeValue(*index, std::string_view(buffer, std::min<size_t>(static_cast<size_t>(length),
                                                                kMaxFormattedLength)));
  return true;
}

std::filesystem::path Configuration::FilePath() {
  return Location().path;
}

void Configuration::SetFilePath(const std::filesystem::path& path) {
  CachedLocation() = ConfigFileLocation{path, false};
}

Configuration& GetConfiguration() {
  static Configuration configuration;
  return configuration;
}

}  // namespace linkwright
