#pragma once

#include <string_view>

#include "automation/prepared_rows.h"
#include "byte_string.h"

namespace linkwright {

class Configuration;
class MessageTable;

// AutoReply: picks the row whose message answers a received packet, the first active row whose
// trigger matches it; the caller sends it. The rows are tested as a ring, starting after the
// focused row, or at the row after the last match when no row has the focus, so several rows with
// the same trigger answer in turn. The trigger is decoded from its escape text first; it matches
// when its bytes equal the packet or, with "AutoReply"/"UseRegex" set, when it matches the whole
// packet as a regular expression. Triggers are decoded and compiled once per edit of their row
// (PreparedRows); "UseRegex" is read for every packet.
class AutoReplier {
 public:
  AutoReplier(const Configuration& config, MessageTable& table, PreparedRows& rows);

  // Tests the packet against the active rows. On a match the row is selected and returned.
  // Without a match the selection is cleared, the next scan without focus starts at row 1 and
  // the result is 0. Writes the "AutoReply test for" log line.
  int AutoReply(std::string_view packet);

  // Where the next scan starts when no row has the focus.
  int RememberedRow() const { return m_RememberedRow; }

 private:
  int FirstRowToTest();
  // The first matching row of the ring start … last, 1 … start − 1; 0 when none matches.
  int FindMatchingRow(std::string_view packet, int start, bool useRegex);
  bool RowMatches(int row, std::string_view packet, bool useRegex);

  const Configuration& m_Config;
  MessageTable& m_Table;
  PreparedRows& m_Triggers;
  int m_RememberedRow = 1;
};

}  // namespace linkwright
