#include "document/message_xml.h"

#include "document/message_text.h"
#include "xml/xml_builders.h"
#include "xml/xml_reader.h"

namespace linkwright {

namespace {

constexpr const char* kLineEnd = "\r\n";

void AppendRow(ByteString& out, int id, const MessageRow& row) {
  std::string idAttribute = "id='" + std::to_string(id) + "'";
  out += "\t" + XmlOpenTag("row", idAttribute) + kLineEnd;
  out += "\t\t" + XmlElement("message", row.message) + kLineEnd;
  out += "\t\t" + XmlElement("comment", row.comment) + kLineEnd;
  out += "\t\t" + XmlElement("active", row.active != 0 ? "1" : "0") + kLineEnd;
  out += "\t\t" + XmlElement("trigger", row.trigger) + kLineEnd;
  out += "\t" + XmlCloseTag("row") + kLineEnd;
}

// Reads the row the reader has just entered.
MessageRow ReadRow(XmlReader& reader) {
  MessageRow row;
  row.message = reader.GetChildTextByName("message");
  row.comment = reader.GetChildTextByName("comment");
  row.active = DecimalValue(reader.GetChildTextByName("active"));
  row.trigger = reader.GetChildTextByName("trigger");
  return row;
}

}  // namespace

ByteString FormatMessageXml(const MessageTable& table) {
  ByteString out = "<?xml version='1.0' encoding='UTF-8'?>";
  out += kLineEnd;
  out += XmlOpenTag("Linkwright") + kLineEnd;
  int last = table.LastUsedRow();
  for (int id = 1; id <= last; ++id) {
    AppendRow(out, id, table.GetRow(id));
  }
  out += XmlCloseTag("Linkwright") + kLineEnd;
  return out;
}

Error ParseMessageXml(const ByteString& data, int maxRows, std::vector<MessageRow>& rows) {
  XmlReader reader;
  if (!reader.SetText(data)) {
    return reader.LastError();
  }
  rows.clear();
  bool found = reader.FindChildElement("row");
  while (found && static_cast<int>(rows.size()) < maxRows) {
    reader.EnterElement();
    rows.push_back(ReadRow(reader));
    reader.LeaveElement();
    found = reader.FindChildElement("row");
  }
  return Error();
}

}  // namespace linkwright
