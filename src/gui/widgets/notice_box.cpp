#include "gui/widgets/notice_box.h"

namespace linkwright {

void ShowNoticeBox(QWidget* window, QMessageBox::Icon icon, const QString& title,
                   const QString& text) {
  auto* box = new QMessageBox(icon, title, text, QMessageBox::Ok, window);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

}  // namespace linkwright
