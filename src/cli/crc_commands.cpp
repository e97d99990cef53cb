#include <iostream>
#include <memory>

#include "checksum/crc_report.h"
#include "cli_context.h"
#include "codec/escape_codec.h"

namespace linkwright {

void AddCrcCommands(CLI::App& app, CliContext& context) {
  auto text = std::make_shared<std::string>();
  auto* crc = app.add_subcommand("crc", "Print the checksums of an escaped text");
  crc->add_option("TEXT", *text, "Escaped message text")->required();
  crc->callback([text, &context] {
    auto lines = CrcReportLines(TextToBytes(*text));
    if (lines.empty()) {
      context.exitCode = Fail("crc: the text decodes to no bytes, nothing to compute");
      return;
    }
    for (const auto& line : lines) {
      std::cout << line << '\n';
    }
  });
}

}  // namespace linkwright
