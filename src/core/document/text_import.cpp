#include "document/text_import.h"

#include "document/message_text.h"

namespace linkwright {

namespace {

// Hands out the LF-terminated lines of a text; a last line without LF counts as well.
class LineReader {
 public:
  explicit LineReader(std::string_view data) : m_Data(data) {}

  bool Next(std::string_view& line) {
    if (m_Position >= m_Data.size()) {
      return false;
    }
    size_t end = m_Data.find('\n', m_Position);
    if (end == std::string_view::npos) {
      end = m_Data.size();
    }
    line = m_Data.substr(m_Position, end - m_Position);
    m_Position = end + 1;
    return true;
  }

 private:
  std::string_view m_Data;
  size_t m_Position = 0;
};

// The active value of a key line "F<key> <active>"; 0 when the line has another form.
int ActiveFromKeyLine(std::string_view line) {
  if (line.empty() || line.front() != 'F') {
    return 0;
  }
  size_t position = 1;
  int key = 0;
  int active = 0;
  if (!ReadDecimal(line, position, key) || !ReadDecimal(line, position, active)) {
    return 0;
  }
  return active;
}

// Editors on Windows like to start UTF-8 files with a byte order mark; it is not row content.
std::string_view WithoutByteOrderMark(std::string_view data) {
  constexpr std::string_view kMark = "\xEF\xBB\xBF";
  return data.starts_with(kMark) ? data.substr(kMark.size()) : data;
}

}  // namespace

std::vector<MessageRow> ParseTextImport(std::string_view data, int maxRows) {
  std::vector<MessageRow> rows;
  LineReader reader(WithoutByteOrderMark(data));
  std::string_view keyLine;
  while (static_cast<int>(rows.size()) < maxRows && reader.Next(keyLine)) {
    std::string_view messageLine;
    std::string_view triggerLine;
    bool complete = reader.Next(messageLine) && reader.Next(triggerLine);
    rows.push_back(MakeImportedRow(ActiveFromKeyLine(keyLine), messageLine, triggerLine));
    if (!complete) {
      break;
    }
  }
  return rows;
}

}  // namespace linkwright
