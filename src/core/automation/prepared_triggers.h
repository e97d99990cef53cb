#pragma once

#include <optional>
#include <vector>

#include "automation/regex_checker.h"
#include "byte_string.h"
#include "document/message_table.h"

// The AutoReply triggers of a table, decoded from their escape text once and compiled as
// expressions once, on first use, instead of for every packet, and the list of active rows. A
// row is prepared again after the table reports it changed, so an edit counts from the next
// packet on.
class PreparedTriggers : public MessageTableListener {
 public:
  explicit PreparedTriggers(MessageTable& table);
  ~PreparedTriggers() override;
  PreparedTriggers(const PreparedTriggers&) = delete;
  PreparedTriggers& operator=(const PreparedTriggers&) = delete;

  // The rows whose active mark is set, in ascending order.
  const std::vector<int>& ActiveRows();

  // The bytes of the trigger of message row `row`.
  const ByteString& Bytes(int row);
  // Those bytes as a regular expression.
  const RegexChecker& Expression(int row);

  void RowsChanged(int first, int last) override;
  void TableReset() override;

 private:
  struct Prepared {
    bool decoded = false;
    ByteString bytes;
    std::optional<RegexChecker> expression;
  };

  Prepared& Decoded(int row);

  MessageTable& m_Table;
  // Index row − 1; grows with the table.
  std::vector<Prepared> m_Rows;
  std::vector<int> m_ActiveRows;
  bool m_ActiveRowsKnown = false;
};
