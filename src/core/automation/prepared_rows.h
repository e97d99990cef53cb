#pragma once

#include <optional>
#include <vector>

#include "automation/regex_checker.h"
#include "byte_string.h"
#include "document/message_table.h"

namespace linkwright {

// The rows of a table as sending and AutoReply use them, prepared once on first use instead of
// for every packet: each row's message and trigger decoded from their escape text, the trigger
// compiled as an expression, and the list of active rows. A row is prepared again after the
// table reports it changed, so an edit counts from the next packet on.
class PreparedRows : public MessageTableListener {
 public:
  explicit PreparedRows(MessageTable& table);
  ~PreparedRows() override;
  PreparedRows(const PreparedRows&) = delete;
  PreparedRows& operator=(const PreparedRows&) = delete;

  // The rows whose active mark is set, in ascending order.
  const std::vector<int>& ActiveRows();

  // The bytes of the message of message row `row`.
  const ByteString& MessageBytes(int row);
  // The bytes of the trigger of message row `row`.
  const ByteString& Bytes(int row);
  // Those bytes as a regular expression.
  const RegexChecker& Expression(int row);

  void RowsChanged(int first, int last) override;
  void TableReset() override;

 private:
  struct Prepared {
    std::optional<ByteString> message;
    std::optional<ByteString> bytes;
    std::optional<RegexChecker> expression;
  };

  Prepared& Row(int row);
  // The cell of `column` in `row` decoded, into `bytes` unless it is there already.
  const ByteString& Decoded(int row, int column, std::optional<ByteString>& bytes);

  MessageTable& m_Table;
  // Index row − 1; grows with the table.
  std::vector<Prepared> m_Rows;
  std::vector<int> m_ActiveRows;
  bool m_ActiveRowsKnown = false;
};

}  // namespace linkwright
