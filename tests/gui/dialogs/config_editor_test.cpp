#include "gui/dialogs/config_editor.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <vector>

#include "gui/dialogs/config_page_table.h"
#include "gui/widgets/numeric_edit.h"
#include "support/test_support.h"

namespace linkwright {

namespace {

Configuration Defaults() {
  Configuration configuration;
  for (const ConfigKey& key : Configuration::KeyTable()) {
    configuration.SetFormatted(key.section, key.key, "%s", key.defaultValue);
  }
  return configuration;
}

template <typename Control>
Control* Find(const QWidget& editor, const char* key) {
  auto* control = editor.findChild<Control*>(key);
  if (control == nullptr) {
    qFatal("no control %s", key);
  }
  return control;
}

// For each control named in `keys`, its letter of `letters` when it is enabled, else "-".
QString EnabledControls(const QWidget& editor, const std::vector<const char*>& keys,
                        const QString& letters) {
  QString seen;
  for (size_t i = 0; i < keys.size(); ++i) {
    seen += Find<QWidget>(editor, keys[i])->isEnabled() ? QString(letters[int(i)]) : "-";
  }
  return seen;
}

// Runs `interact` on the modal dialog once its event loop runs.
void WhenModal(std::function<void(QDialog&)> interact) {
  QTimer::singleShot(
      0, [interact] { interact(*qobject_cast<QDialog*>(QApplication::activeModalWidget())); });
}

}  // namespace

class ConfigEditorTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_SettingsDir.path());
    QSettings().clear();
  }

  void ConnectionControlsFollowModeAndServerRole_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("server");
    // Enabled: ActAsServer, SocketHost, SocketPort, ResponseTimeout, CommConfig (and its
    // button), HttpUrl, RxPollingTime.
    QTest::addColumn<QString>("enabled");
    QTest::newRow("Comm") << 0 << true << "----CH-R";
    QTest::newRow("Tcp server") << 1 << true << "A-P----R";
    QTest::newRow("Tcp client") << 1 << false << "AHP----R";
    QTest::newRow("Udp server") << 2 << true << "A-P----R";
    QTest::newRow("Udp client") << 2 << false << "AHPT---R";
    QTest::newRow("Http") << 3 << false << "---T--U-";
    QTest::newRow("Xmodem") << 4 << true << "----CH-R";
  }
  void ConnectionControlsFollowModeAndServerRole() {
    QFETCH(int, mode);
    QFETCH(bool, server);
    QFETCH(QString, enabled);
    ConfigEditor editor(Defaults());
    Find<QCheckBox>(editor, "ActAsServer")->setChecked(server);
    Find<QComboBox>(editor, "Mode")->setCurrentIndex(mode);
    QCOMPARE(EnabledControls(editor,
                             {"ActAsServer", "SocketHost", "SocketPort", "ResponseTimeout",
                              "CommConfig", "CommConfigButton", "HttpUrl", "RxPollingTime"},
                             enabled),
             enabled);
    QVERIFY(Find<QLineEdit>(editor, "PacketCloser")->isEnabled());
  }

  void NetworkControlsFollowModeRoleTlsAndGroup_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("server");
    QTest::addColumn<bool>("tls");
    QTest::addColumn<QString>("group");
    // Enabled: TlsEnabled, TlsCaFile, TlsCertFile, TlsKeyFile, TlsVerifyPeer, TlsServerName,
    // MulticastGroup, MulticastInterface, MulticastTtl.
    QTest::addColumn<QString>("enabled");
    QTest::newRow("Tcp plain") << 1 << false << false << ""
                               << "E--------";
    QTest::newRow("Tcp TLS client") << 1 << false << true << ""
                                    << "ECFKVN---";
    QTest::newRow("Tcp TLS server") << 1 << true << true << ""
                                    << "ECFKV----";
    QTest::newRow("Http") << 3 << false << false << ""
                          << "-CFKVN---";
    QTest::newRow("Udp server") << 2 << true << true << ""
                                << "------G--";
    QTest::newRow("Udp server in a group") << 2 << true << false << "239.1.2.3"
                                           << "------GI-";
    QTest::newRow("Udp client to a group") << 2 << false << false << "239.1.2.3"
                                           << "------GIT";
    QTest::newRow("Comm") << 0 << false << true << "239.1.2.3"
                          << "---------";
  }
  void NetworkControlsFollowModeRoleTlsAndGroup() {
    QFETCH(int, mode);
    QFETCH(bool, server);
    QFETCH(bool, tls);
    QFETCH(QString, group);
    QFETCH(QString, enabled);
    ConfigEditor editor(Defaults());
    Find<QCheckBox>(editor, "ActAsServer")->setChecked(server);
    Find<QCheckBox>(editor, "TlsEnabled")->setChecked(tls);
    Find<QLineEdit>(editor, "MulticastGroup")->setText(group);
    Find<QComboBox>(editor, "Mode")->setCurrentIndex(mode);
    QCOMPARE(
        EnabledControls(editor,
                        {"TlsEnabled", "TlsCaFile", "TlsCertFile", "TlsKeyFile", "TlsVerifyPeer",
                         "TlsServerName", "MulticastGroup", "MulticastInterface", "MulticastTtl"},
                        enabled),
        enabled);
  }

  void DependentControlsFollowTheirCheckBoxes() {
    ConfigEditor editor(Defaults());
    for (int tab : {1, 2}) {
      editor.Tabs()->setCurrentIndex(tab);
    }
    auto* hexTrace = Find<QCheckBox>(editor, "HexTrace");
    auto* enabled = Find<QCheckBox>(editor, "Enabled");
    QVERIFY(!Find<QCheckBox>(editor, "HexTrace2")->isEnabled());
    QVERIFY(!Find<NumericEdit>(editor, "CycleTime")->isEnabled());
    hexTrace->click();
    enabled->click();
    QVERIFY(Find<QCheckBox>(editor, "HexTrace2")->isEnabled());
    QVERIFY(Find<NumericEdit>(editor, "CycleTime")->isEnabled());
  }

  void NumericEditsTakeDigitsAndKeepNumbersAboveTheSpinRange() {
    Configuration store = Defaults();
    store.Set(setting::kMode, std::to_string(9));
    ConfigEditor editor(store);
    auto* breakTimeout = Find<NumericEdit>(editor, "PacketBreakTimeout");
    breakTimeout->SetText("");
    QTest::keyClicks(breakTimeout, "9a9-9 999");
    QCOMPARE(breakTimeout->Text(), QString("999999"));
    auto* polling = Find<NumericEdit>(editor, "RxPollingTime");
    polling->SetText("70000");
    polling->stepBy(1);
    QCOMPARE(polling->Text(), QString("10000"));
    // No mode selected: the timeout is disabled, and still exchanged.
    auto* timeout = Find<NumericEdit>(editor, "ResponseTimeout");
    QCOMPARE(Find<QComboBox>(editor, "Mode")->currentIndex(), -1);
    QVERIFY(!timeout->isEnabled());
    timeout->SetText("123");

    editor.accept();
    const Configuration& copy = editor.EditedConfiguration();
    QCOMPARE(copy.GetString(setting::kPacketBreakTimeout), "999999");
    QCOMPARE(copy.GetString(setting::kRxPollingTime), "10000");
    QCOMPARE(copy.GetString(setting::kResponseTimeout), "123");
    QCOMPARE(copy.GetString(setting::kMode), "-1");
  }

  void CommConfigChangesOnlyThroughTheSerialDialog() {
    Configuration store = Defaults();
    store.Set(setting::kCommConfig, "not a setting");
    ConfigEditor editor(store);
    auto* field = Find<QLineEdit>(editor, "CommConfig");
    QVERIFY(field->isReadOnly());
    auto* button = Find<QPushButton>(editor, "CommConfigButton");

    WhenModal([](QDialog& dialog) { dialog.reject(); });
    button->click();
    QCOMPARE(field->text(), QString("not a setting"));

    // A text that does not parse leaves the defaults in the dialog.
    WhenModal([](QDialog& dialog) {
      QCOMPARE(dialog.findChild<QComboBox*>("Baud")->currentText(), QString("9600"));
      dialog.findChild<QComboBox*>("Port")->setCurrentText("COM2");
      dialog.accept();
    });
    button->click();
    QCOMPARE(field->text(), QString("COM2:9600,N,8,1"));
  }

  // Every setting of the file but the test mode and the serial reconnect, which the editor does
  // not show, has exactly one control, found by its key.
  void EverySettingHasOneControlNamedAfterIt() {
    ConfigEditor editor(Defaults());
    std::vector<int> controls(Configuration::kKeyCount, 0);
    for (const ConfigPageTable& page : ConfigPageTables()) {
      for (const ConfigControlRow& row : page.rows) {
        ++controls[row.setting.row];
        QCOMPARE(editor.findChildren<QWidget*>(row.setting.key).size(), 1);
      }
    }
    for (size_t row = 0; row < Configuration::kKeyCount; ++row) {
      const bool notShown = row == setting::kTestMode.row || row == setting::kSerialReconnect.row;
      QCOMPARE(controls[row], notShown ? 0 : 1);
    }
  }

  void OnlyPagesThatWereShownWriteBack() {
    Configuration store = Defaults();
    store.Set(setting::kHexTrace, "2");
    store.Set(setting::kAutoSendEnabled, "7");
    ConfigEditor editor(store);
    editor.Tabs()->setCurrentIndex(1);
    editor.Tabs()->setCurrentIndex(0);
    editor.accept();
    QCOMPARE(editor.EditedConfiguration().GetString(setting::kHexTrace), "1");
    QCOMPARE(editor.EditedConfiguration().GetString(setting::kAutoSendEnabled), "7");
  }

  void OpensOnTheTabActiveWhenItLastClosed() {
    {
      ConfigEditor editor(Defaults());
      QCOMPARE(editor.Tabs()->currentIndex(), 0);
      editor.Tabs()->setCurrentIndex(2);
      editor.reject();
    }
    {
      ConfigEditor editor(Defaults());
      QCOMPARE(editor.Tabs()->currentIndex(), 2);
      editor.Tabs()->setCurrentIndex(1);
      editor.accept();
    }
    QCOMPARE(ConfigEditor(Defaults()).Tabs()->currentIndex(), 1);
    QSettings().setValue("WindowState/ConfigTab", 3);
    QCOMPARE(ConfigEditor(Defaults()).Tabs()->currentIndex(), 0);
  }

  void CancelLeavesStoreAndFileUntouchedAndOkSavesTheChangedKeys() {
    TempDir dir;
    Configuration::SetFilePath(dir / "linkwright.cfg");
    WriteFileBytes(dir / "linkwright.cfg", "[Connection]\nSocketPort=4000\n");
    Configuration store;
    store.Load();
    auto changePort = [](QDialog& editor) {
      Find<QLineEdit>(editor, "SocketPort")->setText("5000");
    };

    WhenModal([&](QDialog& editor) {
      changePort(editor);
      editor.reject();
    });
    QCOMPARE(EditConfiguration(store, nullptr), ConfigEditResult::kCancelled);
    QCOMPARE(store.GetInt(setting::kSocketPort), 4000);
    QCOMPARE(ReadFileBytes(dir / "linkwright.cfg"), "[Connection]\nSocketPort=4000\n");

    // Meanwhile another process (the console's `config set`) changes another key.
    Configuration console;
    console.Load();
    console.Set(setting::kSocketHost, "h1");
    QVERIFY(console.Save());
    WhenModal([&](QDialog& editor) {
      changePort(editor);
      editor.accept();
    });
    QCOMPARE(EditConfiguration(store, nullptr), ConfigEditResult::kSaved);
    QCOMPARE(store.GetInt(setting::kSocketPort), 5000);
    Configuration reloaded;
    reloaded.Load();
    QCOMPARE(reloaded.GetInt(setting::kSocketPort), 5000);
    QCOMPARE(reloaded.GetString(setting::kSocketHost), "h1");
  }

 private:
  QTemporaryDir m_SettingsDir;
};

}  // namespace linkwright

QTEST_MAIN(linkwright::ConfigEditorTest)
#include "config_editor_test.moc"
