// Data exchange between the configuration editor's controls and the store under edit.

#include <string>
#include <string_view>
#include <vector>

#include "config/configuration.h"

namespace linkwright {

namespace {

std::string_view TrimmedOfBlanks(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The items of a list text such as "Comm|Tcp|Udp": every piece between separators, trimmed;
// an empty last piece (a trailing separator, or an empty text) is not an item.
std::vector<std::string> SplitItems(std::string_view itemList, char separator) {
  std::vector<std::string> items;
  size_t start = 0;
  while (start <= itemList.size()) {
    size_t end = itemList.find(separator, start);
    bool last = end == std::string_view::npos;
    std::string_view item = TrimmedOfBlanks(itemList.substr(start, last ? end : end - start));
    if (last && item.empty()) {
      break;
    }
    items.emplace_back(item);
    if (last) {
      break;
    }
    start = end + 1;
  }
  return items;
}

}  // namespace

void Configuration::ExchangeText(ExchangeDirection direction, std::string& text,
                                 const SettingKey& setting) {
  if (direction == ExchangeDirection::kToControls) {
    text = GetString(setting);
    return;
  }
  Set(setting, text);
}

void Configuration::ExchangeCheck(ExchangeDirection direction, bool& checked,
                                  const SettingKey& setting) {
  if (direction == ExchangeDirection::kToControls) {
    checked = GetBool(setting);
    return;
  }
  Set(setting, checked ? "1" : "0");
}

void Configuration::ExchangeCombo(ExchangeDirection direction, ComboContent& combo,
                                  const SettingKey& setting, std::string_view itemList,
                                  char separator) {
  if (direction == ExchangeDirection::kToControls) {
    combo.items = SplitItems(itemList, separator);
    int index = GetInt(setting);
    bool namesAnItem = index >= 0 && static_cast<size_t>(index) < combo.items.size();
    combo.selected = namesAnItem ? index : -1;
    return;
  }
  bool selectsAnItem =
      combo.selected >= 0 && static_cast<size_t>(combo.selected) < combo.items.size();
  Set(setting, std::to_string(selectsAnItem ? combo.selected : -1));
}

}  // namespace linkwright
