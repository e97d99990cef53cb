#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>

#include "cli_context.h"
#include "diag/diag_log.h"
#include "version.h"

namespace linkwright {

int Fail(const std::string& message) {
  std::cerr << "linkwright-cli: " << message << '\n';
  return kExitFailed;
}

int Fail(const Error& error) {
  return Fail(error.Message());
}

namespace {

// Whether standard output leads to a reader that went away, such as a pipe whose reading end
// is closed.
bool OutputReaderWentAway() {
  pollfd out{STDOUT_FILENO, POLLOUT, 0};
  return poll(&out, 1, 0) == 1 && (out.revents & (POLLERR | POLLHUP)) != 0;
}

// A command that succeeded fails after all when what it printed did not reach standard output
// (a full disk, /dev/full); a reader that went away wants nothing more and is not told. Checked
// once here, after the last write, rather than after each command's own.
int ExitAfterOutput(int exitCode) {
  if (exitCode != kExitOk) {
    return exitCode;
  }
  // A stream that failed earlier left the errno of its failed write, unless something set it
  // since; one that is still good is flushed now, and that write tells.
  int error = errno;
  if (std::cout) {
    errno = 0;
    std::cout.flush();
    error = errno;
  }
  if (std::cout || error == EPIPE || OutputReaderWentAway()) {
    return exitCode;
  }
  return Fail(std::string("cannot write to standard output: ") +
              std::strerror(error != 0 ? error : EIO));
}

int RunCommandLine(CLI::App& app, int argc, char** argv, const CliContext& context) {
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
  } catch (const std::bad_alloc&) {
    return Fail("out of memory");
  } catch (const std::exception& e) {
    // Nothing below should throw; if something does, it ends with a message, not an abort.
    return Fail(std::string("internal error: ") + e.what());
  }
  return context.exitCode;
}

}  // namespace

}  // namespace linkwright

using namespace linkwright;

int main(int argc, char** argv) {
  // The streams keep buffers of their own instead of going through C stdio, so a batch of trace
  // text leaves in one write. Nothing in this program writes through C stdio.
  std::ios::sync_with_stdio(false);
  CliContext context;
  CLI::App app{"Linkwright console: message codec, checksums, settings and links",
               "linkwright-cli"};
  app.set_version_flag("--version", std::string("linkwright-cli ") + kLinkwrightVersion);
  app.add_option("--config", context.configPath, "Configuration file to use")
      ->check(CLI::Validator(
          [](const std::string& path) {
            return path.empty() ? std::string("the configuration file name is empty")
                                : std::string();
          },
          "FILE"));
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
  AddPortCommands(app, context);
  AddRunCommands(app, context);
  AddSendCommands(app, context);
  AddTestCommands(app, context);

  return ExitAfterOutput(RunCommandLine(app, argc, argv, context));
}
