#include "front_end/trace_text.h"

#include "codec/escape_codec.h"
#include "config/configuration.h"

namespace linkwright {

namespace {

void AppendTraceBody(const Configuration& config, std::string_view bytes, std::string& text) {
  if (!config.GetBool(setting::kHexTrace)) {
    AppendBytesAsText(bytes, false, text);
  } else if (config.GetBool(setting::kHexTrace2)) {
    AppendBytesAsText(bytes, true, text);
  } else {
    AppendHexDump(bytes, " ", text);
  }
}

}  // namespace

TraceWriter::TraceWriter(const Configuration& config, FrontEnd& frontEnd)
    : m_Config(config), m_FrontEnd(frontEnd) {}

void TraceWriter::Write(std::string_view bytes, TraceDirection direction, bool endLine) {
  TracePiece& piece = AddPiece(direction, endLine);
  if (direction == TraceDirection::kSent) {
    piece.text = "<-- ";
  }
  AppendTraceBody(m_Config, bytes, piece.text);
  HandOverUnlessBatched();
}

void TraceWriter::WriteReport(std::string_view line) {
  AddPiece(TraceDirection::kReport, true).text = line;
  HandOverUnlessBatched();
}

void TraceWriter::HandOverUnlessBatched() {
  if (m_OpenBatches == 0) {
    HandOver();
  }
}

TracePiece& TraceWriter::AddPiece(TraceDirection direction, bool endLine) {
  std::string text;
  if (m_SpareUsed < m_Spare.size()) {
    text = std::move(m_Spare[m_SpareUsed++].text);
    text.clear();
  }
  return m_Pending.emplace_back(TracePiece{direction, std::move(text), endLine});
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
  // The handed-over pieces lend their texts' memory to the next ones. The list they replace,
  // whose texts were lent already, holds the next batch, unless a write during the call started
  // one already.
  pieces.swap(m_Spare);
  m_SpareUsed = 0;
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

}  // namespace linkwright
