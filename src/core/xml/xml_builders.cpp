#include "xml/xml_builders.h"

#include "xml/xml_entities.h"

namespace linkwright {

ByteString XmlOpenTag(std::string_view name, std::string_view attributes) {
  ByteString tag = "<";
  tag.append(name);
  if (!attributes.empty()) {
    tag.push_back(' ');
    tag.append(attributes);
  }
  tag.push_back('>');
  return tag;
}

ByteString XmlCloseTag(std::string_view name) {
  ByteString tag = "</";
  tag.append(name);
  tag.push_back('>');
  return tag;
}

ByteString XmlElement(std::string_view name, std::string_view value, std::string_view attributes) {
  return XmlOpenTag(name, attributes) + EncodeXmlText(value) + XmlCloseTag(name);
}

}  // namespace linkwright
