#include <iostream>
#include <memory>
#include <optional>

#include "cli_context.h"
#include "codec/escape_codec.h"
#include "codec/symbol_listing.h"
#include "console_front_end.h"

namespace linkwright {

namespace {

// Pairs of hexadecimal digits to bytes; nothing for an odd length or a non-hex digit.
std::optional<ByteString> ParseHexPairs(const std::string& hex) {
  if (hex.size() % 2 != 0) {
    return std::nullopt;
  }
  ByteString bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    // TextToBytes reads "[xHH]" exactly when both characters are hexadecimal digits.
    std::string escape = "[x" + hex.substr(i, 2) + "]";
    ByteString one = TextToBytes(escape);
    if (one.size() != 1) {
      return std::nullopt;
    }
    bytes += one;
  }
  return bytes;
}

}  // namespace

void AddCodecCommands(CLI::App& app, CliContext& /*context*/) {
  auto* symbols = app.add_subcommand("symbols", "Print the table of control symbols");
  symbols->callback([] { std::cout << WithLineFeeds(SymbolListing()) << '\n'; });

  auto decodeText = std::make_shared<std::string>();
  auto* decode = app.add_subcommand("decode", "Print the bytes of an escaped text in hexadecimal");
  decode->add_option("TEXT", *decodeText, "Escaped message text")->required();
  decode->callback([decodeText] { std::cout << HexDump(TextToBytes(*decodeText), " ") << '\n'; });

  struct EncodeOptions {
    std::string hex;
    bool allHex = false;
  };
  auto encodeOptions = std::make_shared<EncodeOptions>();
  auto* encode = app.add_subcommand("encode", "Print bytes given in hexadecimal as escaped text");
  encode->add_flag("--all-hex", encodeOptions->allHex, "Write every byte as [xHH]");
  encode->add_option("HEX", encodeOptions->hex, "Pairs of hexadecimal digits")->required();
  encode->callback([encodeOptions] {
    auto bytes = ParseHexPairs(encodeOptions->hex);
    if (!bytes) {
      // Thrown inside parsing, so it ends as a usage error like any other bad argument.
      throw CLI::ValidationError("HEX",
                                 "'" + encodeOptions->hex + "' is not pairs of hexadecimal digits");
    }
    std::cout << BytesToText(*bytes, encodeOptions->allHex) << '\n';
  });
}

}  // namespace linkwright
