#pragma once

#include <QDialog>

class CLink;

// The modal "About Linkwright" box: the program icon, the product name and version, the legal
// notice and maker, and the maker's web address as a text link and as a logo, both opening the
// product's web site.
class CAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutBox(QWidget* parent = nullptr);

  CLink* AddressLink() const { return m_Address; }
  CLink* LogoLink() const { return m_Logo; }

 private:
  CLink* m_Address;
  CLink* m_Logo;
};
