#pragma once

#include <QPoint>
#include <QSize>

class QSettings;
class QSplitter;
class QWidget;

namespace linkwright {

class Configuration;

// The main window's placement in the user's settings, group "WindowState": "flags",
// "showCmd" (1 normal, 2 minimised, 3 maximised), the normal rectangle as "x1", "y1" (left,
// top) and "x2", "y2" (right, bottom, exclusive), and the height of the splitter's upper pane
// as "tvh".
enum ShowCommand { kShowNormal = 1, kShowMinimized = 2, kShowMaximized = 3 };
// Set in "flags" when a minimised window goes back to the maximised state.
constexpr int kRestoreToMaximized = 2;
// Upper pane height without a saved "tvh".
constexpr int kDefaultUpperPaneHeight = 300;

// Writes the window's placement, and the upper pane's height (0 without a splitter).
void SaveWindowState(QSettings& settings, const QWidget& window, const QSplitter* splitter);

// Gives the window its saved normal rectangle and state, to take effect when it is shown. The
// top-left corner is pulled back inside the screen so that at least one icon width and height of
// the window stays visible. False, changing nothing, when any of the six keys is missing.
bool RestoreWindowState(const QSettings& settings, QWidget& window);

// The saved height of the splitter's upper pane, kDefaultUpperPaneHeight when there is none.
int SavedUpperPaneHeight(const QSettings& settings);

// A left/top corner moved back so that it lies at least `icon` inside a screen of `screen`.
QPoint ClampedTopLeft(QPoint topLeft, QSize screen, QSize icon);

// Puts the window in the top-most band or back ("UserInterface"/"AlwaysOnTop"), keeping its
// position and size, and makes it as transparent as "Transparency" says (0 opaque).
void ApplyWindowOptions(QWidget& window, const Configuration& config);

}  // namespace linkwright
