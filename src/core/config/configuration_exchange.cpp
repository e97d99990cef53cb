// Data exchange between the configuration editor's controls and the store under edit.

#include <string>
#include <string_view>
#include <vector>

#include "config/configuration.h"

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

bool CConfiguration::ExchangeText(ExchangeDirection direction, std::string& text,
                                  std::string_view section, std::string_view key) {
  if (!KeyIndex(section, key)) {
    return false;
  }
  if (direction == ExchangeDirection::kToControls) {
    text = GetString(section, key);
    return true;
  }
  return SetFormatted(section, key, "%s", text.c_str());
}

bool CConfiguration::ExchangeCheck(ExchangeDirection direction, bool& checked,
                                   std::string_view section, std::string_view key) {
  if (!KeyIndex(section, key)) {
    return false;
  }
  if (direction == ExchangeDirection::kToControls) {
    checked = GetBool(section, key);
    return true;
  }
  return SetFormatted(section, key, "%d", checked ? 1 : 0);
}

bool CConfiguration::ExchangeCombo(ExchangeDirection direction, ComboContent& combo,
                                   std::string_view section, std::string_view key,
                                   std::string_view itemList, char separator) {
  if (!KeyIndex(section, key)) {
    return false;
  }
  if (direction == ExchangeDirection::kToControls) {
    combo.items = SplitItems(itemList, separator);
    int index = GetInt(section, key);
    bool namesAnItem = index >= 0 && static_cast<size_t>(index) < combo.items.size();
    combo.selected = namesAnItem ? index : -1;
    return true;
  }
  bool selectsAnItem =
      combo.selected >= 0 && static_cast<size_t>(combo.selected) < combo.items.size();
  return SetFormatted(section, key, "%d", selectsAnItem ? combo.selected : -1);
}
