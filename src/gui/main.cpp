#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QMainWindow>

#include "version.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Linkwright");
  QApplication::setApplicationVersion(kLinkwrightVersion);
  QApplication::setWindowIcon(QIcon(":/linkwright.svg"));

  QCommandLineParser parser;
  parser.addHelpOption();
  parser.addVersionOption();
  parser.process(app);

  QMainWindow window;
  window.setWindowTitle(QString("Linkwright %1").arg(kLinkwrightVersion));
  window.show();
  return QApplication::exec();
}
