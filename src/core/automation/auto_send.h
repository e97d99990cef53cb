#pragma once

namespace linkwright {

class MessageTable;

// AutoSend: the active rows are sent one per cycle, in row order and around from the last row
// to row 1. The position in the cycle is the table's focused row.

// The first active row after `start`, going round past the last row to row 1 and ending with
// `start` itself; with no focused row (kNoRow) or the header row as start, rows 1 … last.
// Every row is tested at most once. −1 when no row is active.
int NextActiveRow(const MessageTable& table, int start);

// One step of the cycle: selects the next active row after the focused one and returns it, for
// the caller to send. Without an active row it writes the warning "AutoSend() fallito : nessuna
// riga selezionata" and returns 0.
int AutoSendRow(MessageTable& table);

}  // namespace linkwright
