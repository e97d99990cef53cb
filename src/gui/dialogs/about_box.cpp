#include "gui/dialogs/about_box.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QPushButton>

#include "gui/widgets/hyperlink_label.h"
#include "version.h"

namespace linkwright {

namespace {

constexpr int kIconSize = 32;

QLabel* IconLabel(const QIcon& icon, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setPixmap(icon.pixmap(kIconSize, kIconSize));
  return label;
}

}  // namespace

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent), m_Address(new HyperlinkLabel(this)), m_Logo(new HyperlinkLabel(this)) {
  setWindowTitle("About Linkwright");
  QUrl homepage(kLinkwrightHomepage);

  auto* version = new QLabel(QString("%1 - Versione %2.%3.%4")
                                 .arg(kLinkwrightProductName)
                                 .arg(kLinkwrightVersionMajor)
                                 .arg(kLinkwrightVersionMinor)
                                 .arg(kLinkwrightVersionPatch),
                             this);
  version->setObjectName("Version");
  auto* notice =
      new QLabel(QString("%1 - %2").arg(kLinkwrightLegalNotice, kLinkwrightCompany), this);
  notice->setObjectName("Notice");

  m_Address->setText(homepage.toString());
  m_Address->SetUrl(homepage);
  m_Logo->setPixmap(QIcon(":/maker_logo.svg").pixmap(kIconSize, kIconSize));
  m_Logo->SetUrl(homepage);

  auto* ok = new QPushButton("OK", this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &AboutBox::accept);

  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(12);
  grid->addWidget(IconLabel(QApplication::windowIcon(), this), 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(version, 0, 1);
  grid->addWidget(ok, 0, 2, 1, 2, Qt::AlignRight);
  grid->addWidget(notice, 1, 1, 1, 3);
  grid->addWidget(m_Logo, 2, 2, Qt::AlignRight);
  grid->addWidget(m_Address, 2, 3, Qt::AlignVCenter);
  grid->setColumnStretch(1, 1);
  setFixedSize(sizeHint());
}

}  // namespace linkwright
