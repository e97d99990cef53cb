#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace linkwright {

// Shows a box that does not stop the window: the ticks and the core go on while it is up, and
// it deletes itself when closed.
void ShowNoticeBox(QWidget* window, QMessageBox::Icon icon, const QString& title,
                   const QString& text);

}  // namespace linkwright
