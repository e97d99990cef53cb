#include "gui/dialogs/about_box.h"

#include <QDesktopServices>
#include <QTest>
#include <QUrl>

#include "gui/widgets/hyperlink_label.h"
#include "version.h"

namespace linkwright {

// Stands in for the desktop's browser: records the addresses it is asked to open.
class Browser : public QObject {
  Q_OBJECT

 public slots:
  void Open(const QUrl& url) { opened.append(url); }

 public:
  QList<QUrl> opened;
};

class AboutBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsTheVersionTheBuildCompiledIn() {
    AboutBox box;
    QCOMPARE(box.windowTitle(), QString("About Linkwright"));
    auto* version = box.findChild<QLabel*>("Version");
    QCOMPARE(version->text(), QString("Linkwright - Versione %1").arg(kLinkwrightVersion));
  }

  void BothLinksOpenTheWebSiteAndTheTextTurnsPurple() {
    Browser browser;
    QDesktopServices::setUrlHandler("https", &browser, "Open");
    AboutBox box;
    HyperlinkLabel* address = box.AddressLink();
    QCOMPARE(address->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QVERIFY(address->font().underline());
    QCOMPARE(address->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(box.LogoLink()->cursor().shape(), Qt::PointingHandCursor);

    QTest::mouseClick(box.LogoLink(), Qt::LeftButton);
    QTest::mouseClick(address, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("https");
    QCOMPARE(browser.opened, QList<QUrl>(2, QUrl(kLinkwrightHomepage)));
    QVERIFY(address->IsOpened());
    QCOMPARE(address->palette().color(QPalette::WindowText), QColor(128, 0, 128));
  }
};

}  // namespace linkwright

QTEST_MAIN(linkwright::AboutBoxTest)
#include "about_box_test.moc"
