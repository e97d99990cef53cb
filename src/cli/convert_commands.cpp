#include <memory>
#include <string>

#include "cli_context.h"
#include "document/message_file.h"
#include "document/message_table.h"

namespace linkwright {

void AddConvertCommands(CLI::App& app, CliContext& context) {
  struct ConvertOptions {
    std::string input;
    std::string output;
  };
  auto options = std::make_shared<ConvertOptions>();
  auto* convert = app.add_subcommand(
      "convert", "Read a message file (XML, text import or archive) and save it as XML");
  convert->add_option("IN", options->input, "Message file to read; .xml, .txt or any other")
      ->required();
  convert->add_option("OUT", options->output, "XML message file to write; must end in .xml")
      ->required();
  convert->callback([options, &context] {
    // Any other name would be read back as text import or archive, not as the XML written.
    if (MessageFileFormatFor(options->output) != MessageFileFormat::kXml) {
      throw CLI::ValidationError(
          "OUT", "'" + options->output + "' does not end in .xml, so it would not load as XML");
    }
    MessageTable table;
    Error error = LoadMessageFile(table, options->input);
    if (!error.Failed()) {
      error = SaveMessageFile(table, options->output);
    }
    if (error.Failed()) {
      context.exitCode = Fail(error);
    }
  });
}

}  // namespace linkwright
