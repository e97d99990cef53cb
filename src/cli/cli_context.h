#pragma once

#include <string>

#include <CLI/CLI.hpp>

#include "error.h"

namespace linkwright {

// Exit codes of the console program.
enum ExitCode { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// Options every command shares, and the exit code the chosen command leaves.
struct CliContext {
  std::string configPath;
  bool diag = false;
  int exitCode = kExitOk;
};

// Reports a failure as one line on standard error and returns kExitFailed.
int Fail(const std::string& message);
int Fail(const Error& error);

// Loads the process-wide configuration for a command, from `--config FILE` when given.
void LoadConfiguration(const CliContext& context);

// Each command family adds its subcommands; the callbacks set `context.exitCode`.
void AddCodecCommands(CLI::App& app, CliContext& context);
void AddConvertCommands(CLI::App& app, CliContext& context);
void AddConfigCommands(CLI::App& app, CliContext& context);
void AddCrcCommands(CLI::App& app, CliContext& context);
void AddPortCommands(CLI::App& app, CliContext& context);
void AddRunCommands(CLI::App& app, CliContext& context);
void AddSendCommands(CLI::App& app, CliContext& context);
void AddTestCommands(CLI::App& app, CliContext& context);

}  // namespace linkwright
