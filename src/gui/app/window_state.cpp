#include "gui/app/window_state.h"

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <array>

#include "config/configuration.h"

namespace linkwright {

namespace {

constexpr const char* kGroup = "WindowState/";
constexpr int kMaxTransparency = 255;

QString Key(const char* name) {
  return QString(kGroup) + name;
}

int ShowCommandOf(Qt::WindowStates states) {
  if (states & Qt::WindowMinimized) {
    return kShowMinimized;
  }
  return (states & Qt::WindowMaximized) ? kShowMaximized : kShowNormal;
}

Qt::WindowStates WindowStatesOf(int showCmd, int flags) {
  switch (showCmd) {
    case kShowMinimized:
      return (flags & kRestoreToMaximized) ? (Qt::WindowMinimized | Qt::WindowMaximized)
                                           : Qt::WindowMinimized;
    case kShowMaximized:
      return Qt::WindowMaximized;
    default:
      return Qt::WindowNoState;
  }
}

// The virtual desktop's size, or the primary screen's when the virtual size is empty.
QSize ScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) {
    return {};
  }
  const QSize virtualSize = screen->virtualSize();
  return (virtualSize.width() < 1 || virtualSize.height() < 1) ? screen->size() : virtualSize;
}

QSize IconSize() {
  const int size = QApplication::style()->pixelMetric(QStyle::PM_LargeIconSize);
  return {size, size};
}

}  // namespace

QPoint ClampedTopLeft(QPoint topLeft, QSize screen, QSize icon) {
  if (topLeft.x() >= screen.width() - icon.width()) {
    topLeft.setX(screen.width() - icon.width());
  }
  if (topLeft.y() >= screen.height() - icon.height()) {
    topLeft.setY(screen.height() - icon.height());
  }
  return topLeft;
}

void SaveWindowState(QSettings& settings, const QWidget& window, const QSplitter* splitter) {
  const Qt::WindowStates states = window.windowState();
  const bool restoreToMaximized = (states & Qt::WindowMinimized) && (states & Qt::WindowMaximized);
  const QRect normal = window.normalGeometry();
  settings.setValue(Key("flags"), restoreToMaximized ? kRestoreToMaximized : 0);
  settings.setValue(Key("showCmd"), ShowCommandOf(states));
  settings.setValue(Key("x1"), normal.left());
  settings.setValue(Key("y1"), normal.top());
  settings.setValue(Key("x2"), normal.left() + normal.width());
  settings.setValue(Key("y2"), normal.top() + normal.height());
  settings.setValue(Key("tvh"), splitter != nullptr ? splitter->sizes().value(0) : 0);
}

bool RestoreWindowState(const QSettings& settings, QWidget& window) {
  constexpr std::array kKeys{"flags", "showCmd", "x1", "y1", "x2", "y2"};
  std::array<int, kKeys.size()> values{};
  for (size_t i = 0; i < kKeys.size(); ++i) {
    bool ok = false;
    values[i] = settings.value(Key(kKeys[i]), -1).toInt(&ok);
    if (!ok || values[i] == -1) {
      return false;
    }
  }
  const auto [flags, showCmd, x1, y1, x2, y2] = values;
  const QPoint topLeft = ClampedTopLeft({x1, y1}, ScreenSize(), IconSize());
  window.setGeometry(topLeft.x(), topLeft.y(), x2 - topLeft.x(), y2 - topLeft.y());
  window.setWindowState(WindowStatesOf(showCmd, flags));
  return true;
}

int SavedUpperPaneHeight(const QSettings& settings) {
  return settings.value(Key("tvh"), kDefaultUpperPaneHeight).toInt();
}

void ApplyWindowOptions(QWidget& window, const Configuration& config) {
  const bool onTop = config.GetBool(setting::kAlwaysOnTop);
  if (onTop != window.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
    // Changing a window flag hides the window; it comes back where it was.
    const bool visible = window.isVisible();
    const QRect placement = window.geometry();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    window.setGeometry(placement);
    if (visible) {
      window.show();
    }
  }
  const int transparency = std::clamp(config.GetInt(setting::kTransparency), 0, kMaxTransparency);
  window.setWindowOpacity(static_cast<double>(kMaxTransparency - transparency) / kMaxTransparency);
}

}  // namespace linkwright
