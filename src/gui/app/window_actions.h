#pragma once

class QAction;
class QObject;

namespace linkwright {

// The window's own commands, each a QAction named for tests and scripts ("fileNew", …). The
// parts of the window take theirs over; the menus and the toolbar show them.
struct WindowActions {
  QAction* fileNew;
  QAction* fileOpen;
  QAction* fileSave;
  QAction* fileSaveAs;
  QAction* filePrint;
  QAction* filePrintPreview;
  QAction* filePrintSetup;
  QAction* appExit;
  QAction* editUndo;
  QAction* editCut;
  QAction* editCopy;
  QAction* editPaste;
  QAction* viewToolBar;
  QAction* viewStatusBar;
  QAction* clearTrace;
  QAction* openConnection;
  QAction* closeConnection;
  QAction* configuration;
  QAction* switchMessageTrigger;
  QAction* computeCrc;
  QAction* autoSend;
  QAction* statistics;
  QAction* appAbout;
  QAction* viewSymbols;
};

// Makes every action of the table, owned by `owner`, with its text, status tip, icon and keys.
WindowActions MakeWindowActions(QObject* owner);

}  // namespace linkwright
