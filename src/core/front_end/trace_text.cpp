#include "front_end/trace_text.h"

#include "codec/escape_codec.h"
#include "config/configuration.h"

namespace {

void AppendTraceBody(const CConfiguration& config, std::string_view bytes, std::string& text) {
  if (!config.GetBool(setting::kHexTrace)) {
    AppendBytesAsText(bytes, false, text);
  } else if (config.GetBool(setting::kHexTrace2)) {
    AppendBytesAsText(bytes, true, text);
  } else {
    AppendHexDump(bytes, " ", text);
  }
}

}  // namespace

TracePiece DataTracePiece(const CConfiguration& config, std::string_view bytes,
                          TraceDirection direction, bool endLine) {
  // The text is built in place: one allocation per piece, the prefix included.
  TracePiece piece{direction, direction == TraceDirection::kSent ? "<-- " : "", endLine};
  AppendTraceBody(config, bytes, piece.text);
  return piece;
}

TraceWriter::TraceWriter(const CConfiguration& config, FrontEnd& frontEnd)
    : m_Config(config), m_FrontEnd(frontEnd) {}

void TraceWriter::Write(std::string_view bytes, TraceDirection direction, bool endLine) {
  Add(DataTracePiece(m_Config, bytes, direction, endLine));
}

void TraceWriter::WriteReport(std::string_view line) {
  Add({TraceDirection::kReport, std::string(line), true});
}

void TraceWriter::Add(TracePiece piece) {
  m_Pending.push_back(std::move(piece));
  if (m_OpenBatches == 0) {
    HandOver();
  }
}

void TraceWriter::Clear() {
  m_Pending.clear();
  m_FrontEnd.ClearTrace();
}

void TraceWriter::HandOver() {
  if (m_Pending.empty()) {
    return;
  }
  TraceBatch pieces;
  pieces.swap(m_Pending);
  m_FrontEnd.AppendTrace(pieces);
  // A stream's batches hold hundreds of pieces: the list's memory is kept for the next batch
  // unless a write during the call started one already.
  if (m_Pending.empty()) {
    pieces.clear();
    m_Pending.swap(pieces);
  }
}

TraceWriter::Batch::Batch(TraceWriter& writer) : m_Writer(writer) {
  ++m_Writer.m_OpenBatches;
}

TraceWriter::Batch::~Batch() {
  if (--m_Writer.m_OpenBatches == 0) {
    m_Writer.HandOver();
  }
}
