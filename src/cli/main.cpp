#include <iostream>

#include "cli_context.h"
#include "diag/diag_log.h"
#include "version.h"

int Fail(const std::string& message) {
  std::cerr << "linkwright-cli: " << message << '\n';
  return kExitFailed;
}

int main(int argc, char** argv) {
  CliContext context;
  CLI::App app{"Linkwright console: message codec, checksums, settings and links",
               "linkwright-cli"};
  app.set_version_flag("--version", std::string("linkwright-cli ") + kLinkwrightVersion);
  app.add_option("--config", context.configPath, "Configuration file to use");
  app.add_flag("--diag", context.diag, "Write the diagnostic log to standard error");
  app.require_subcommand(1);
  app.parse_complete_callback([&context] {
    if (context.diag || DiagRequestedByEnvironment()) {
      SetDiagToStandardError();
    }
  });

  AddCodecCommands(app, context);
  AddConvertCommands(app, context);
  AddConfigCommands(app, context);
  AddCrcCommands(app, context);
  AddRunCommands(app, context);
  AddSendCommands(app, context);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "linkwright-cli: " << e.what() << '\n';
    return kExitUsage;
  }
  return context.exitCode;
}
