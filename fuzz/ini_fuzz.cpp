#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "config/ini_file.h"

namespace linkwright {

namespace {

void Check(bool condition) {
  if (!condition) {
    __builtin_trap();
  }
}

using Setting = std::pair<std::pair<std::string, std::string>, std::string>;

// Every key the file lists, with the value a reader finds for it (the first of its name).
std::vector<Setting> ReadableSettings(const IniFile& file) {
  std::vector<Setting> settings;
  for (const auto& name : file.Keys()) {
    std::optional<std::string> value = file.Get(name.first, name.second);
    if (value) {
      Check(value->size() <= IniFile::kMaxValueLength);
      settings.emplace_back(name, *value);
    }
  }
  return settings;
}

void CheckValues(const IniFile& file, const std::vector<Setting>& settings) {
  for (const auto& [name, value] : settings) {
    Check(file.Get(name.first, name.second) == value);
  }
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != text.npos;
}

}  // namespace

// Parses arbitrary bytes, then checks that serializing keeps every value, that writing every
// value back through Set keeps it, and that a value taken from the input survives Set.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  IniFile file = IniFile::Parse(text);
  std::vector<Setting> settings = ReadableSettings(file);
  CheckValues(IniFile::Parse(file.Serialize()), settings);

  for (const auto& [name, value] : settings) {
    Check(file.Set(name.first, name.second, value) == !HasLineBreak(value));
  }
  CheckValues(IniFile::Parse(file.Serialize()), settings);

  std::string_view extra = text.substr(0, 80);
  bool stored = file.Set("Fuzz", "Value", extra);
  Check(stored == !HasLineBreak(extra));
  if (stored) {
    Check(IniFile::Parse(file.Serialize()).Get("fuzz", "value") == extra);
  }
  return 0;
}

}  // namespace linkwright
