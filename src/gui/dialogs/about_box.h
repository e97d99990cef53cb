#pragma once

#include <QDialog>

namespace linkwright {

class HyperlinkLabel;

// The modal "About Linkwright" box: the program icon, the product name and version, the legal
// notice and maker, and the maker's web address as a text link and as a logo, both opening the
// product's web site.
class AboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit AboutBox(QWidget* parent = nullptr);

  HyperlinkLabel* AddressLink() const { return m_Address; }
  HyperlinkLabel* LogoLink() const { return m_Logo; }

 private:
  HyperlinkLabel* m_Address;
  HyperlinkLabel* m_Logo;
};

}  // namespace linkwright
