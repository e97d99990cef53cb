#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include "config/configuration.h"
#include "diag/diag_log.h"
#include "gui/app/main_window.h"
#include "version.h"

namespace linkwright {

namespace {

struct StartOptions {
  QString configPath;
  bool diag = false;
  QString messageFile;
};

// Parses the command line; --help and --version print their text and end the program here.
StartOptions ParseCommandLine(const QCoreApplication& app) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      "Linkwright: send messages to a device over a serial, TCP, UDP, HTTP or Xmodem link, and "
      "answer its packets.\nF1 ... F24 send rows 1 ... 24 of the message table.");
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption config("config", "Configuration file to use.", "FILE");
  const QCommandLineOption diag("diag", "Write the diagnostic log to standard error.");
  parser.addOption(config);
  parser.addOption(diag);
  parser.addPositionalArgument("file", "Message file to open (.xml, .txt or archive).", "[file]");
  parser.process(app);

  StartOptions options;
  options.configPath = parser.value(config);
  options.diag = parser.isSet(diag);
  if (!parser.positionalArguments().isEmpty()) {
    options.messageFile = parser.positionalArguments().constFirst();
  }
  return options;
}

bool AsksForHelpOrVersion(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const QByteArray argument(argv[i]);
    if (argument == "-h" || argument == "--help" || argument == "--help-all" || argument == "-v" ||
        argument == "--version") {
      return true;
    }
  }
  return false;
}

}  // namespace

}  // namespace linkwright

using namespace linkwright;

int main(int argc, char* argv[]) {
  QCoreApplication::setOrganizationName("Linkwright");
  QCoreApplication::setApplicationName("Linkwright");
  QCoreApplication::setApplicationVersion(kLinkwrightVersion);
  if (AsksForHelpOrVersion(argc, argv)) {
    // Printing the help or the version needs no display.
    const QCoreApplication console(argc, argv);
    ParseCommandLine(console);
  }
  QApplication app(argc, argv);
  QApplication::setDesktopFileName("linkwright");
  QApplication::setWindowIcon(QIcon(":/linkwright.svg"));
  const StartOptions options = ParseCommandLine(app);

  if (options.diag || DiagRequestedByEnvironment()) {
    SetDiagToStandardError();
  }
  if (!options.configPath.isEmpty()) {
    Configuration::SetFilePath(options.configPath.toStdString());
  }
  GetConfiguration().Load();
  // AutoSend is off after every start, whatever the file says; the file keeps its value.
  GetConfiguration().Override(setting::kAutoSendEnabled, "0");

  MainWindow frame(GetConfiguration());
  if (!options.messageFile.isEmpty()) {
    frame.OpenStartupFile(options.messageFile);
  }
  frame.RestoreWindowState();
  frame.show();
  frame.ApplyWindowOptions();
  return QApplication::exec();
}
