#pragma once

#include <QLabel>
#include <QUrl>

namespace linkwright {

// A label that opens a web address when clicked, with the pointing-hand cursor over it. A text
// label looks like a link: underlined, blue until the address has been opened once, purple
// after. A picture label keeps its look and is just as clickable. When opening fails, only the
// system's default signal sounds.
class HyperlinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit HyperlinkLabel(QWidget* parent = nullptr);

  // The address to open; without one, the label's own text is taken as the address.
  void SetUrl(const QUrl& url);
  bool IsOpened() const { return m_Opened; }

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Open();
  void ShowState();

  QUrl m_Url;
  bool m_Opened = false;
};

}  // namespace linkwright
