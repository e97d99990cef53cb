#include "gui/app/window_menus.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>

#include "gui/app/window_actions.h"
#include "gui/scenario/scenario_panel.h"
#include "gui/session/session_driver.h"
#include "gui/trace/trace_commands.h"

namespace linkwright {

namespace {

void BuildToolBar(QMainWindow& window, const WindowActions& a) {
  QToolBar* toolBar = window.addToolBar(QObject::tr("Toolbar"));
  toolBar->setObjectName("toolBar");
  toolBar->setIconSize(QSize(16, 16));
  toolBar->addActions({a.fileNew, a.fileOpen, a.fileSave});
  toolBar->addSeparator();
  toolBar->addActions({a.openConnection, a.closeConnection});
  toolBar->addSeparator();
  toolBar->addAction(a.autoSend);
  toolBar->addSeparator();
  toolBar->addActions({a.editCut, a.editCopy, a.editPaste});
  toolBar->addSeparator();
  toolBar->addAction(a.filePrint);
  toolBar->addSeparator();
  toolBar->addAction(a.appAbout);
}

}  // namespace

WindowMenus BuildWindowMenus(QMainWindow& window, const WindowActions& a, SessionDriver& driver,
                             TracePane& tracePane) {
  const auto* trace = new TraceCommands(window, tracePane);
  QMenuBar* bar = window.menuBar();
  WindowMenus menus{};
  menus.file = bar->addMenu(QObject::tr("&File"));
  menus.file->addActions({a.fileNew, a.fileOpen, a.fileSave, a.fileSaveAs});
  menus.file->addSeparator();
  menus.file->addActions({trace->SaveAs(), trace->Log()});
  menus.file->addSeparator();
  menus.file->addActions({a.filePrint, a.filePrintPreview, a.filePrintSetup});
  menus.file->addSeparator();
  menus.recentFilesEnd = menus.file->addSeparator();
  menus.file->addAction(a.appExit);

  QMenu* edit = bar->addMenu(QObject::tr("&Edit"));
  edit->addAction(a.editUndo);
  edit->addSeparator();
  edit->addActions({a.editCut, a.editCopy, a.editPaste});

  QMenu* view = bar->addMenu(QObject::tr("&View"));
  view->addActions({a.viewToolBar, a.viewStatusBar});
  view->addSeparator();
  view->addActions({trace->Timestamps(), trace->Colours()});
  view->addSeparator();
  view->addActions({a.clearTrace, trace->Find()});

  menus.tools = bar->addMenu(QObject::tr("&Tools"));
  menus.tools->addActions({a.openConnection, a.closeConnection, a.configuration});
  menus.tools->addAction(driver.WakeOnDataToggle());
  menus.tools->addSeparator();
  menus.tools->addActions({a.switchMessageTrigger, a.computeCrc});
  menus.tools->addSeparator();
  menus.tools->addAction(a.autoSend);
  menus.tools->addSeparator();
  menus.tools->addAction(a.statistics);
  menus.tools->addAction(QObject::tr("Run Scenario..."), &window,
                         [&driver, &window] { ScenarioPanel::OpenFor(driver, window); });

  QMenu* help = bar->addMenu(QObject::tr("&Help"));
  help->addAction(a.appAbout);
  help->addAction(a.viewSymbols);

  BuildToolBar(window, a);
  return menus;
}

}  // namespace linkwright
