#include "gui/dialogs/serial_settings_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "support/pty_pair.h"

namespace linkwright {

namespace {

QComboBox* List(const QWidget& dialog, const char* name) {
  auto* list = dialog.findChild<QComboBox*>(name);
  if (list == nullptr) {
    qFatal("no list %s", name);
  }
  return list;
}

QString Shown(const QWidget& dialog, const char* name) {
  return List(dialog, name)->currentText();
}

SerialSettings Com3EvenSeven() {
  SerialPort port;
  if (!port.ParseSettings("COM3:19200,E,7,1.5")) {
    qFatal("settings do not parse");
  }
  return port.Settings();
}

// Presses the dialog's button with the given text once the dialog runs modally.
void PressWhenModal(const QString& text, std::function<void(QWidget&)> before = {}) {
  QTimer::singleShot(0, [text, before] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (before) {
      before(*dialog);
    }
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
      if (button->text() == text) {
        button->click();
      }
    }
  });
}

}  // namespace

class SerialSettingsDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void ListsStartOnTheObjectsValues() {
    SerialSettings settings = Com3EvenSeven();
    settings.m_XonXoff = 1;
    settings.m_Hardware = 1;
    SerialSettingsDialog dialog(settings);
    QCOMPARE(dialog.windowTitle(), QString("Opzioni per porta seriale"));
    QCOMPARE(Shown(dialog, "Port"), QString("COM3"));
    QCOMPARE(Shown(dialog, "Baud"), QString("19200"));
    QCOMPARE(Shown(dialog, "DataBits"), QString("7"));
    QCOMPARE(Shown(dialog, "Parity"), QString("Pari"));
    QCOMPARE(Shown(dialog, "StopBits"), QString("1.5"));
    QCOMPARE(Shown(dialog, "FlowControl"), QString("Hardware"));
    QCOMPARE(List(dialog, "Port")->itemText(List(dialog, "Port")->count() - 1), "COM16");
  }

  void OkTakesTheChoicesAndCancellaNothing() {
    SerialSettings settings = Com3EvenSeven();
    PressWhenModal("Cancella",
                   [](QWidget& dialog) { List(dialog, "Baud")->setCurrentText("300"); });
    QVERIFY(!ShowSettingsDialog(settings, nullptr));
    QCOMPARE(settings.m_Baud, 19200u);

    PressWhenModal("OK", [](QWidget& dialog) {
      List(dialog, "Port")->setCurrentText("COM1");
      List(dialog, "Baud")->setCurrentText("115200");
      List(dialog, "Parity")->setCurrentText("Spazio");
      List(dialog, "FlowControl")->setCurrentText("Xon / Xoff");
    });
    QVERIFY(ShowSettingsDialog(settings, nullptr));
    SerialPort port;
    port.SetSettings(settings);
    QCOMPARE(port.FormatSettings(), "COM1:115200,S,7,1.5");
    QCOMPARE(settings.m_XonXoff, 1);
    QCOMPARE(settings.m_Hardware, 0);
  }

  // A rate the list does not offer shows no selection and survives OK unchanged.
  void AListWithoutSelectionKeepsItsValue() {
    SerialPort port;
    QVERIFY(port.ParseSettings("COM2:921600,N,8,1"));
    SerialSettingsDialog dialog(port.Settings());
    QCOMPARE(List(dialog, "Baud")->currentIndex(), -1);
    QCOMPARE(List(dialog, "Baud")->currentText(), QString("921600"));
    QCOMPARE(dialog.Chosen().m_Baud, 921600u);
    // Any other speed may be typed.
    List(dialog, "Baud")->setEditText("3000000");
    QCOMPARE(dialog.Chosen().m_Baud, 3000000u);
  }

  void AConfiguredPseudoTerminalIsListedAndKeptAsAPath() {
    PtyPair pty;
    QVERIFY(pty.ready());
    SerialPort port;
    QVERIFY(port.ParseSettings(pty.a() + ":9600,N,8,1"));
    SerialSettingsDialog dialog(port.Settings());
    QCOMPARE(Shown(dialog, "Port"), QString::fromStdString(pty.a()));
    port.SetSettings(dialog.Chosen());
    QCOMPARE(port.FormatSettings(), pty.a() + ":9600,N,8,1");

    List(dialog, "Port")->setCurrentText("COM4");
    port.SetSettings(dialog.Chosen());
    QCOMPARE(port.FormatSettings(), "COM4:9600,N,8,1");
  }
};

}  // namespace linkwright

QTEST_MAIN(linkwright::SerialSettingsDialogTest)
#include "serial_settings_dialog_test.moc"
