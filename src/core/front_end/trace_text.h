#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "byte_string.h"
#include "front_end/front_end.h"

namespace linkwright {

class Configuration;

// The one way data reaches the trace. Outside a batch every write goes to the front-end at
// once; while a Batch is alive the pieces gather and the outermost Batch hands them over in
// one call when it ends, so a tick or a command reaches the front-end in one append.
//
// A write adds one piece. The bytes are shown in the form the settings choose, read anew on
// every write: "UserInterface"/"HexTrace" off gives the symbol form ([CR], other bytes as
// themselves); on, with "HexTrace2" on, every byte as [xHH]; on, with "HexTrace2" off, every
// byte as two hexadecimal digits and a blank. Sent data starts with "<-- ".
class TraceWriter {
 public:
  TraceWriter(const Configuration& config, FrontEnd& frontEnd);
  TraceWriter(const TraceWriter&) = delete;
  TraceWriter& operator=(const TraceWriter&) = delete;

  void Write(std::string_view bytes, TraceDirection direction, bool endLine);
  // A report line of the tool's own, shown as written whatever the trace's form.
  void WriteReport(std::string_view line);
  // Drops what gathered so far and clears the front-end's trace.
  void Clear();

  class Batch {
   public:
    explicit Batch(TraceWriter& writer);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    TraceWriter& m_Writer;
  };

 private:
  void HandOverUnlessBatched();
  void HandOver();
  // A piece at the end of m_Pending, its text in memory an earlier piece used when there is
  // some: a stream writes hundreds of pieces per tick, and new memory for each costs more than
  // building their texts.
  TracePiece& AddPiece(TraceDirection direction, bool endLine);

  const Configuration& m_Config;
  FrontEnd& m_FrontEnd;
  TraceBatch m_Pending;
  // The last batch handed over, kept for its texts' memory; the first m_SpareUsed of them are
  // lent to pieces since.
  TraceBatch m_Spare;
  size_t m_SpareUsed = 0;
  int m_OpenBatches = 0;
};

}  // namespace linkwright
