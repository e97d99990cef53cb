#include "gui/dialogs/config_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/dialogs/serial_settings_dialog.h"
#include "gui/widgets/numeric_edit.h"
#include "link/serial/serial_port.h"

namespace {

constexpr const char* kConnection = "Connection";
constexpr const char* kUserInterface = "UserInterface";
constexpr const char* kAutoSend = "AutoSend";
constexpr const char* kAutoReply = "AutoReply";
constexpr const char* kModeItems = "Comm|Tcp|Udp|Http|Xmodem";

enum Mode { kComm = 0, kTcp = 1, kUdp = 2, kHttp = 3, kXmodem = 4 };

std::string Utf8(const QString& text) {
  return text.toUtf8().toStdString();
}

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string KeyOf(const QObject* control) {
  return Utf8(control->objectName());
}

}  // namespace

CConfigPage::CConfigPage(CConfiguration& configuration, QWidget* parent)
    : QWidget(parent), m_Configuration(configuration) {}

void CConfigPage::Activate() {
  if (m_Filled) {
    return;
  }
  m_Filled = true;
  Exchange(ExchangeDirection::kToControls);
  UpdateEnabling();
}

void CConfigPage::Deactivate() {
  if (m_Filled) {
    Exchange(ExchangeDirection::kFromControls);
  }
}

void CConfigPage::ExchangeText(ExchangeDirection direction, QLineEdit* edit, const char* section) {
  std::string text = Utf8(edit->text());
  m_Configuration.ExchangeText(direction, text, section, KeyOf(edit));
  edit->setText(FromUtf8(text));
}

void CConfigPage::ExchangeNumber(ExchangeDirection direction, CNumericEdit* edit,
                                 const char* section) {
  std::string text = Utf8(edit->Text());
  m_Configuration.ExchangeText(direction, text, section, KeyOf(edit));
  edit->SetText(FromUtf8(text));
}

void CConfigPage::ExchangeCheck(ExchangeDirection direction, QCheckBox* box, const char* section) {
  bool checked = box->isChecked();
  m_Configuration.ExchangeCheck(direction, checked, section, KeyOf(box));
  box->setChecked(checked);
}

void CConfigPage::ExchangeCombo(ExchangeDirection direction, QComboBox* list, const char* section,
                                const char* itemList) {
  ComboContent content;
  for (int i = 0; i < list->count(); ++i) {
    content.items.push_back(Utf8(list->itemText(i)));
  }
  content.selected = list->currentIndex();
  m_Configuration.ExchangeCombo(direction, content, section, KeyOf(list), itemList, '|');
  if (direction == ExchangeDirection::kToControls) {
    list->clear();
    for (const std::string& item : content.items) {
      list->addItem(FromUtf8(item));
    }
    list->setCurrentIndex(content.selected);
  }
}

QLineEdit* CConfigPage::NewEdit(const char* key) {
  auto* edit = new QLineEdit(this);
  edit->setObjectName(key);
  return edit;
}

CNumericEdit* CConfigPage::NewNumericEdit(const char* key, int maximum) {
  auto* edit = new CNumericEdit(0, maximum, this);
  edit->setObjectName(key);
  return edit;
}

QCheckBox* CConfigPage::NewCheck(const char* key, const QString& text) {
  auto* box = new QCheckBox(text, this);
  box->setObjectName(key);
  return box;
}

CConfigPageConnection::CConfigPageConnection(CConfiguration& configuration, QWidget* parent)
    : CConfigPage(configuration, parent),
      m_Mode(new QComboBox(this)),
      m_ActAsServer(NewCheck("ActAsServer", "Act as server")),
      m_Host(NewEdit("SocketHost")),
      m_Port(NewEdit("SocketPort")),
      m_CommConfig(NewEdit("CommConfig")),
      m_CommConfigButton(new QPushButton("...", this)),
      m_ResponseTimeout(NewNumericEdit("ResponseTimeout", 65000)),
      m_PacketOpener(NewEdit("PacketOpener")),
      m_PacketCloser(NewEdit("PacketCloser")),
      m_PacketBreakTimeout(NewNumericEdit("PacketBreakTimeout", 65000)),
      m_RxPollingTime(NewNumericEdit("RxPollingTime", 10000)),
      m_UseRegex(NewCheck("UseRegex", "User regex to match autoreply trigger")),
      m_HttpUrl(NewEdit("HttpUrl")),
      m_TlsEnabled(NewCheck("TlsEnabled", "Use TLS")),
      m_TlsCaFile(NewEdit("TlsCaFile")),
      m_TlsCertFile(NewEdit("TlsCertFile")),
      m_TlsKeyFile(NewEdit("TlsKeyFile")),
      m_TlsVerifyPeer(NewCheck("TlsVerifyPeer", "Verify the peer's certificate")),
      m_TlsServerName(NewEdit("TlsServerName")),
      m_MulticastGroup(NewEdit("MulticastGroup")),
      m_MulticastInterface(NewEdit("MulticastInterface")),
      m_MulticastTtl(NewNumericEdit("MulticastTtl", 255)) {
  m_Mode->setObjectName("Mode");
  m_CommConfig->setReadOnly(true);
  m_CommConfigButton->setObjectName("CommConfigButton");
  m_CommConfigButton->setFixedWidth(m_CommConfigButton->fontMetrics().horizontalAdvance("...") +
                                    24);

  auto* commConfigRow = new QHBoxLayout;
  commConfigRow->addWidget(m_CommConfig);
  commConfigRow->addWidget(m_CommConfigButton);

  auto* page = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  page->addLayout(form);
  auto* networkRow = new QHBoxLayout;
  networkRow->addWidget(NewTlsGroup());
  networkRow->addWidget(NewMulticastGroup());
  page->addLayout(networkRow);
  form->addRow("Mode", m_Mode);
  form->addRow(QString(), m_ActAsServer);
  form->addRow("Host", m_Host);
  form->addRow("Port", m_Port);
  form->addRow("Comm Config.", commConfigRow);
  form->addRow("Response timeout [ms]", m_ResponseTimeout);
  form->addRow("Packet opener", m_PacketOpener);
  form->addRow("Packet closer", m_PacketCloser);
  form->addRow("Packet break timeout [ms]", m_PacketBreakTimeout);
  form->addRow("Rx polling time [ms]", m_RxPollingTime);
  form->addRow(QString(), m_UseRegex);
  form->addRow("Http url", m_HttpUrl);

  connect(m_Mode, &QComboBox::currentIndexChanged, this, &CConfigPageConnection::UpdateEnabling);
  connect(m_ActAsServer, &QCheckBox::toggled, this, &CConfigPageConnection::UpdateEnabling);
  connect(m_CommConfigButton, &QPushButton::clicked, this, &CConfigPageConnection::EditCommConfig);
  connect(m_TlsEnabled, &QCheckBox::toggled, this, &CConfigPageConnection::UpdateEnabling);
  connect(m_MulticastGroup, &QLineEdit::textChanged, this, &CConfigPageConnection::UpdateEnabling);
}

QWidget* CConfigPageConnection::NewTlsGroup() {
  auto* group = new QGroupBox("TLS (TCP, https)", this);
  auto* form = new QFormLayout(group);
  form->addRow(QString(), m_TlsEnabled);
  form->addRow("CA file", m_TlsCaFile);
  form->addRow("Certificate file", m_TlsCertFile);
  form->addRow("Key file", m_TlsKeyFile);
  form->addRow(QString(), m_TlsVerifyPeer);
  form->addRow("Server name", m_TlsServerName);
  m_TlsServerName->setPlaceholderText("the host");
  return group;
}

QWidget* CConfigPageConnection::NewMulticastGroup() {
  auto* group = new QGroupBox("UDP multicast", this);
  auto* form = new QFormLayout(group);
  form->addRow("Group", m_MulticastGroup);
  form->addRow("Interface", m_MulticastInterface);
  form->addRow("TTL", m_MulticastTtl);
  m_MulticastGroup->setPlaceholderText("none");
  m_MulticastInterface->setPlaceholderText("any");
  return group;
}

void CConfigPageConnection::Exchange(ExchangeDirection direction) {
  ExchangeCombo(direction, m_Mode, kConnection, kModeItems);
  ExchangeCheck(direction, m_ActAsServer, kConnection);
  ExchangeText(direction, m_Host, kConnection);
  ExchangeText(direction, m_Port, kConnection);
  ExchangeText(direction, m_CommConfig, kConnection);
  ExchangeNumber(direction, m_ResponseTimeout, kConnection);
  ExchangeText(direction, m_PacketOpener, kConnection);
  ExchangeText(direction, m_PacketCloser, kConnection);
  ExchangeNumber(direction, m_PacketBreakTimeout, kConnection);
  ExchangeNumber(direction, m_RxPollingTime, kConnection);
  ExchangeCheck(direction, m_UseRegex, kAutoReply);
  ExchangeText(direction, m_HttpUrl, kConnection);
  ExchangeCheck(direction, m_TlsEnabled, kConnection);
  ExchangeText(direction, m_TlsCaFile, kConnection);
  ExchangeText(direction, m_TlsCertFile, kConnection);
  ExchangeText(direction, m_TlsKeyFile, kConnection);
  ExchangeCheck(direction, m_TlsVerifyPeer, kConnection);
  ExchangeText(direction, m_TlsServerName, kConnection);
  ExchangeText(direction, m_MulticastGroup, kConnection);
  ExchangeText(direction, m_MulticastInterface, kConnection);
  ExchangeNumber(direction, m_MulticastTtl, kConnection);
}

void CConfigPageConnection::UpdateEnabling() {
  int mode = m_Mode->currentIndex();
  bool socket = mode == kTcp || mode == kUdp;
  bool server = m_ActAsServer->isChecked();
  bool serial = mode == kComm || mode == kXmodem;
  m_ActAsServer->setEnabled(socket);
  m_Host->setEnabled(socket && !server);
  m_Port->setEnabled(socket);
  m_ResponseTimeout->setEnabled(mode == kHttp || (mode == kUdp && !server));
  m_CommConfig->setEnabled(serial);
  m_CommConfigButton->setEnabled(serial);
  m_HttpUrl->setEnabled(mode == kHttp);
  m_RxPollingTime->setEnabled(mode != kHttp);
  // TLS serves TCP when switched on, and https addresses whatever the switch says.
  const bool tls = (mode == kTcp && m_TlsEnabled->isChecked()) || mode == kHttp;
  m_TlsEnabled->setEnabled(mode == kTcp);
  for (QWidget* control :
       {static_cast<QWidget*>(m_TlsCaFile), static_cast<QWidget*>(m_TlsCertFile),
        static_cast<QWidget*>(m_TlsKeyFile), static_cast<QWidget*>(m_TlsVerifyPeer)}) {
    control->setEnabled(tls);
  }
  m_TlsServerName->setEnabled(tls && (mode == kHttp || !server));
  const bool group = mode == kUdp && !m_MulticastGroup->text().trimmed().isEmpty();
  m_MulticastGroup->setEnabled(mode == kUdp);
  m_MulticastInterface->setEnabled(group);
  m_MulticastTtl->setEnabled(group && !server);
}

void CConfigPageConnection::EditCommConfig() {
  SerialPort port;
  port.ParseSettings(Utf8(m_CommConfig->text()));
  SerialSettings settings = port.Settings();
  if (ShowSettingsDialog(settings, this)) {
    port.SetSettings(settings);
    m_CommConfig->setText(FromUtf8(port.FormatSettings()));
  }
}

CConfigPageUserInterface::CConfigPageUserInterface(CConfiguration& configuration, QWidget* parent)
    : CConfigPage(configuration, parent),
      m_BeepOnFailure(NewCheck("BeepOnFailure", "Beep on Failure")),
      m_BeepOnSuccess(NewCheck("BeepOnSuccess", "Beep on Success")),
      m_HexTrace(NewCheck("HexTrace", "Hex trace")),
      m_HexTrace2(NewCheck("HexTrace2", "[xHEX]")),
      m_AlwaysOnTop(NewCheck("AlwaysOnTop", "Always On Top")),
      m_Transparency(NewNumericEdit("Transparency", 128)),
      m_ClearTextOnSend(NewCheck("ClearTextOnSend", "Clear Text on every Send")) {
  auto* hexRow = new QHBoxLayout;
  hexRow->addWidget(m_HexTrace);
  hexRow->addWidget(m_HexTrace2);
  hexRow->addStretch();

  auto* form = new QFormLayout(this);
  form->addRow(QString(), m_BeepOnFailure);
  form->addRow(QString(), m_BeepOnSuccess);
  form->addRow(QString(), hexRow);
  form->addRow(QString(), m_AlwaysOnTop);
  form->addRow("Transparency", m_Transparency);
  form->addRow(QString(), m_ClearTextOnSend);

  connect(m_HexTrace, &QCheckBox::toggled, this, &CConfigPageUserInterface::UpdateEnabling);
}

void CConfigPageUserInterface::Exchange(ExchangeDirection direction) {
  ExchangeCheck(direction, m_BeepOnFailure, kUserInterface);
  ExchangeCheck(direction, m_BeepOnSuccess, kUserInterface);
  ExchangeCheck(direction, m_HexTrace, kUserInterface);
  ExchangeCheck(direction, m_HexTrace2, kUserInterface);
  ExchangeCheck(direction, m_AlwaysOnTop, kUserInterface);
  ExchangeNumber(direction, m_Transparency, kUserInterface);
  ExchangeCheck(direction, m_ClearTextOnSend, kUserInterface);
}

void CConfigPageUserInterface::UpdateEnabling() {
  m_HexTrace2->setEnabled(m_HexTrace->isChecked());
}

CConfigPageTools::CConfigPageTools(CConfiguration& configuration, QWidget* parent)
    : CConfigPage(configuration, parent),
      m_Enabled(NewCheck("Enabled", "Enabled")),
      m_CycleTimeLabel(new QLabel("Cycle time [ms]", this)),
      m_CycleTime(NewNumericEdit("CycleTime", 10000)) {
  auto* group = new QGroupBox("Autosend", this);
  auto* form = new QFormLayout(group);
  form->addRow(QString(), m_Enabled);
  form->addRow(m_CycleTimeLabel, m_CycleTime);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addStretch();

  connect(m_Enabled, &QCheckBox::toggled, this, &CConfigPageTools::UpdateEnabling);
}

void CConfigPageTools::Exchange(ExchangeDirection direction) {
  ExchangeCheck(direction, m_Enabled, kAutoSend);
  ExchangeNumber(direction, m_CycleTime, kAutoSend);
}

void CConfigPageTools::UpdateEnabling() {
  m_CycleTimeLabel->setEnabled(m_Enabled->isChecked());
  m_CycleTime->setEnabled(m_Enabled->isChecked());
}
