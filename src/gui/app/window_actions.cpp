#include "gui/app/window_actions.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QKeySequence>
#include <array>

namespace linkwright {

namespace {

// One row of the action table. Plain Ctrl+C, Ctrl+V and Ctrl+X stay with the widget that has
// the focus, and Ctrl+Shift+X is Clear, not Cut.
struct ActionRow {
  QAction* WindowActions::*slot;
  const char* name;
  const char* text;
  const char* statusTip;
  const char* icon;
  std::array<const char*, 2> keys;
};

// The texts are translated in the context of the window that shows them.
#define WINDOW_TEXT(text) QT_TRANSLATE_NOOP("CMainFrame", text)

constexpr ActionRow kActionTable[] = {
    {&WindowActions::fileNew,
     "fileNew",
     WINDOW_TEXT("&New"),
     WINDOW_TEXT("Create a new document"),
     "new",
     {"Ctrl+N"}},
    {&WindowActions::fileOpen,
     "fileOpen",
     WINDOW_TEXT("&Open..."),
     WINDOW_TEXT("Open an existing document"),
     "open",
     {"Ctrl+O"}},
    {&WindowActions::fileSave,
     "fileSave",
     WINDOW_TEXT("&Save"),
     WINDOW_TEXT("Save the active document"),
     "save",
     {"Ctrl+S"}},
    {&WindowActions::fileSaveAs,
     "fileSaveAs",
     WINDOW_TEXT("Save &As..."),
     WINDOW_TEXT("Save the active document with a new name"),
     nullptr,
     {}},
    {&WindowActions::filePrint,
     "filePrint",
     WINDOW_TEXT("&Print..."),
     WINDOW_TEXT("Print the active document"),
     "print",
     {"Ctrl+P"}},
    {&WindowActions::filePrintPreview,
     "filePrintPreview",
     WINDOW_TEXT("Print Pre&view"),
     WINDOW_TEXT("Display full pages"),
     nullptr,
     {}},
    {&WindowActions::filePrintSetup,
     "filePrintSetup",
     WINDOW_TEXT("P&rint Setup..."),
     WINDOW_TEXT("Change the printer and printing options"),
     nullptr,
     {}},
    {&WindowActions::appExit,
     "appExit",
     WINDOW_TEXT("E&xit"),
     WINDOW_TEXT("Quit the application; prompts to save documents"),
     nullptr,
     {}},
    {&WindowActions::editUndo,
     "editUndo",
     WINDOW_TEXT("&Undo"),
     WINDOW_TEXT("Undo the last action"),
     nullptr,
     {"Alt+Backspace", "Ctrl+Z"}},
    {&WindowActions::editCut,
     "editCut",
     WINDOW_TEXT("Cu&t"),
     WINDOW_TEXT("Cut the selection and put it on the Clipboard"),
     "cut",
     {"Shift+Delete"}},
    {&WindowActions::editCopy,
     "editCopy",
     WINDOW_TEXT("&Copy"),
     WINDOW_TEXT("Copy the selection and put it on the Clipboard"),
     "copy",
     {"Ctrl+Shift+C", "Ctrl+Insert"}},
    {&WindowActions::editPaste,
     "editPaste",
     WINDOW_TEXT("&Paste"),
     WINDOW_TEXT("Insert Clipboard contents"),
     "paste",
     {"Ctrl+Shift+V", "Shift+Insert"}},
    {&WindowActions::viewToolBar,
     "viewToolBar",
     WINDOW_TEXT("&Toolbar"),
     WINDOW_TEXT("Show or hide the toolbar"),
     nullptr,
     {}},
    {&WindowActions::viewStatusBar,
     "viewStatusBar",
     WINDOW_TEXT("&Status Bar"),
     WINDOW_TEXT("Show or hide the status bar"),
     nullptr,
     {}},
    {&WindowActions::clearTrace,
     "clearTrace",
     WINDOW_TEXT("Clear"),
     WINDOW_TEXT("Clear the trace pane"),
     nullptr,
     {"Ctrl+Shift+X"}},
    {&WindowActions::openConnection,
     "openConnection",
     WINDOW_TEXT("Open Connection"),
     WINDOW_TEXT("Open the link of the configured mode"),
     "connect",
     {}},
    {&WindowActions::closeConnection,
     "closeConnection",
     WINDOW_TEXT("Close Connection"),
     WINDOW_TEXT("Close the link"),
     "disconnect",
     {}},
    {&WindowActions::configuration,
     "configuration",
     WINDOW_TEXT("Configuration"),
     WINDOW_TEXT("Change the link and program settings"),
     nullptr,
     {}},
    {&WindowActions::switchMessageTrigger,
     "switchMessageTrigger",
     WINDOW_TEXT("Switch message / trigger"),
     WINDOW_TEXT("Exchange the message and trigger texts of the used rows"),
     nullptr,
     {}},
    {&WindowActions::computeCrc,
     "computeCrc",
     WINDOW_TEXT("Compute CRC"),
     WINDOW_TEXT("Compute checksums of the selected message text"),
     nullptr,
     {"Ctrl+Shift+K"}},
    {&WindowActions::autoSend,
     "autoSend",
     WINDOW_TEXT("AutoSend"),
     WINDOW_TEXT("Send the active rows one after another at the cycle time"),
     "autosend",
     {}},
    {&WindowActions::statistics,
     "statistics",
     WINDOW_TEXT("&Statistics..."),
     WINDOW_TEXT("Show how often each row was sent and how fast the device answered it"),
     nullptr,
     {}},
    {&WindowActions::appAbout,
     "appAbout",
     WINDOW_TEXT("&About Linkwright..."),
     WINDOW_TEXT("Display program information, version number and copyright"),
     "about",
     {}},
    {&WindowActions::viewSymbols,
     "viewSymbols",
     WINDOW_TEXT("View Symbols"),
     WINDOW_TEXT("List the escape symbols of message texts"),
     nullptr,
     {}},
};

#undef WINDOW_TEXT

QString Translated(const char* text) {
  return QCoreApplication::translate("CMainFrame", text);
}

QAction* MakeAction(const ActionRow& row, QObject* owner) {
  auto* action = new QAction(Translated(row.text), owner);
  action->setObjectName(row.name);
  action->setStatusTip(Translated(row.statusTip));
  if (row.icon != nullptr) {
    action->setIcon(QIcon(QString(":/%1.svg").arg(row.icon)));
  }
  QList<QKeySequence> keys;
  for (const char* key : row.keys) {
    if (key != nullptr) {
      keys.append(QKeySequence(key));
    }
  }
  action->setShortcuts(keys);
  return action;
}

}  // namespace

WindowActions MakeWindowActions(QObject* owner) {
  WindowActions actions{};
  for (const ActionRow& row : kActionTable) {
    actions.*row.slot = MakeAction(row, owner);
  }
  return actions;
}

}  // namespace linkwright
