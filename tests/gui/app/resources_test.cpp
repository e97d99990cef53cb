#include <QDirIterator>
#include <QSvgRenderer>
#include <QtTest>

namespace linkwright {

// Every drawing bundled with the program must parse: a broken SVG only shows as a blank icon.
class ResourcesTest : public QObject {
  Q_OBJECT
 private slots:
  void EverySvgRenders() {
    int count = 0;
    for (QDirIterator it(":/", {"*.svg"}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
      const QString path = it.next();
      QSvgRenderer renderer(path);
      QVERIFY2(renderer.isValid(), qPrintable(path));
      QVERIFY2(!renderer.defaultSize().isEmpty(), qPrintable(path));
      ++count;
    }
    QVERIFY(count > 0);
  }
};

}  // namespace linkwright

QTEST_MAIN(linkwright::ResourcesTest)
#include "resources_test.moc"
