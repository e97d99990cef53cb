#pragma once

class QAction;
class QMainWindow;
class QMenu;

namespace linkwright {

class TracePane;
class SessionDriver;
struct WindowActions;

// The menus the window still fills after they are built.
struct WindowMenus {
  QMenu* file;
  // The recent files are listed above it.
  QAction* recentFilesEnd;
  QMenu* tools;
};

// Builds every menu of the window and its toolbar, from the window's actions and those of its
// parts; the trace pane's commands are made here, since only the menus hold them.
WindowMenus BuildWindowMenus(QMainWindow& window, const WindowActions& actions,
                             SessionDriver& driver, TracePane& tracePane);

}  // namespace linkwright
