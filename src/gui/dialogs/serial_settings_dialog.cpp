#include "gui/dialogs/serial_settings_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <initializer_list>
#include <limits>
#include <utility>

#include "link/serial/serial_device_list.h"

namespace linkwright {

namespace {

enum FlowChoice { kFlowXonXoff = 1, kFlowHardware = 2, kFlowNone = 3 };

using Item = std::pair<QString, int>;

void AddItems(QComboBox* list, std::initializer_list<Item> items) {
  for (const Item& item : items) {
    list->addItem(item.first, item.second);
  }
}

// Selects the item carrying `value`; none when no item does.
void SelectValue(QComboBox* list, const QVariant& value) {
  list->setCurrentIndex(list->findData(value));
}

// The selected item's value, or `unchanged` when nothing is selected.
template <typename Field>
Field ValueOr(const QComboBox* list, Field unchanged) {
  return list->currentIndex() < 0 ? unchanged : static_cast<Field>(list->currentData().toInt());
}

int FlowChoiceOf(const SerialSettings& settings) {
  if (settings.m_Hardware != 0) {
    return kFlowHardware;
  }
  return settings.m_XonXoff != 0 ? kFlowXonXoff : kFlowNone;
}

QStringList ItemTexts(const QComboBox* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) {
    texts << list->itemText(i);
  }
  return texts;
}

// How often the port list is read again while the dialog is open, so a device plugged in or
// pulled meanwhile shows: a look at a few small folders.
constexpr int kPortRescanMs = 1000;

QString PortLabel(const std::string& path, const SerialDeviceInfo& device) {
  QString label = QString::fromStdString(path);
  if (!device.description.empty()) {
    label += QStringLiteral(u" \u2014 ") + QString::fromStdString(device.description);
  }
  if (!device.mayOpen) {
    label += QObject::tr(" (no access)");
  }
  return label;
}

}  // namespace

SerialSettingsDialog::SerialSettingsDialog(const SerialSettings& settings, QWidget* parent)
    : QDialog(parent),
      m_Settings(settings),
      m_Port(NewList("Port")),
      m_Baud(NewList("Baud")),
      m_DataBits(NewList("DataBits")),
      m_Parity(NewList("Parity")),
      m_StopBits(NewList("StopBits")),
      m_FlowControl(NewList("FlowControl")) {
  setWindowTitle("Opzioni per porta seriale");

  FillPorts();
  SelectValue(m_Port, m_Settings.m_Device.empty()
                          ? QVariant(m_Settings.m_Port)
                          : QVariant(QString::fromStdString(m_Settings.m_Device)));
  for (int baud : {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200,
                   128000, 256000}) {
    m_Baud->addItem(QString::number(baud), baud);
  }
  // Any speed the driver takes may be typed.
  m_Baud->setEditable(true);
  m_Baud->setInsertPolicy(QComboBox::NoInsert);
  m_Baud->lineEdit()->setValidator(new QIntValidator(1, std::numeric_limits<int>::max(), m_Baud));
  for (int bits = 4; bits <= 8; ++bits) {
    m_DataBits->addItem(QString::number(bits), bits);
  }
  AddItems(m_Parity, {{"Pari", kParityEven},
                      {"Dispari", kParityOdd},
                      {"Nessuna", kParityNone},
                      {"Mark", kParityMark},
                      {"Spazio", kParitySpace}});
  AddItems(m_StopBits, {{"1", kStopBitsOne}, {"1.5", kStopBitsOneAndHalf}, {"2", kStopBitsTwo}});
  AddItems(m_FlowControl,
           {{"Xon / Xoff", kFlowXonXoff}, {"Hardware", kFlowHardware}, {"None", kFlowNone}});

  SelectValue(m_Baud, static_cast<int>(settings.m_Baud));
  if (m_Baud->currentIndex() < 0) {
    m_Baud->setEditText(QString::number(settings.m_Baud));
  }
  SelectValue(m_DataBits, settings.m_DataBits);
  SelectValue(m_Parity, settings.m_Parity);
  SelectValue(m_StopBits, settings.m_StopBits);
  SelectValue(m_FlowControl, FlowChoiceOf(settings));

  auto* form = new QFormLayout;
  form->addRow("&Porta:", m_Port);
  form->addRow("&Bit per secondo:", m_Baud);
  form->addRow("&Bit di dati:", m_DataBits);
  form->addRow("&Parita`:", m_Parity);
  form->addRow("&Bit di stop:", m_StopBits);
  form->addRow("&Controlo di flusso:", m_FlowControl);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton("OK", QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton("Cancella", QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &SerialSettingsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &SerialSettingsDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  auto* rescan = new QTimer(this);
  connect(rescan, &QTimer::timeout, this, &SerialSettingsDialog::RefreshPorts);
  rescan->start(kPortRescanMs);
}

QComboBox* SerialSettingsDialog::NewList(const char* name) {
  auto* list = new QComboBox(this);
  list->setObjectName(name);
  return list;
}

// Present ports first, each by its stable by-id name (kept across a replug) and by its path;
// then the configured path when it is absent now (a pseudo-terminal is not listed, a USB
// adapter may be unplugged); then COM1 … COM16. Paths carry their text as value, COMn its
// number.
void SerialSettingsDialog::FillPorts() {
  m_Port->clear();
  for (const SerialDeviceInfo& device : ListSerialDevices()) {
    if (!device.byId.empty()) {
      m_Port->addItem(PortLabel(device.byId, device), QString::fromStdString(device.byId));
    }
    m_Port->addItem(PortLabel(device.path, device), QString::fromStdString(device.path));
  }
  const QString configured = QString::fromStdString(m_Settings.m_Device);
  if (!configured.isEmpty() && m_Port->findData(configured) < 0) {
    m_Port->addItem(configured, configured);
  }
  for (int number = 1; number <= 16; ++number) {
    m_Port->addItem(QString("COM%1").arg(number), number);
  }
}

void SerialSettingsDialog::RefreshPorts() {
  const QStringList before = ItemTexts(m_Port);
  const QVariant chosen = m_Port->currentData();
  const QSignalBlocker quiet(m_Port);
  FillPorts();
  SelectValue(m_Port, chosen);
  if (ItemTexts(m_Port) != before) {
    emit PortsChanged();
  }
}

SerialSettings SerialSettingsDialog::Chosen() const {
  SerialSettings chosen = m_Settings;
  QVariant port = m_Port->currentData();
  if (port.typeId() == QMetaType::QString) {
    chosen.m_Device = port.toString().toStdString();
  } else if (port.isValid()) {
    chosen.m_Device.clear();
    chosen.m_Port = static_cast<std::uint8_t>(port.toInt());
  }
  bool typed = false;
  const std::uint32_t baud = m_Baud->currentText().toUInt(&typed);
  chosen.m_Baud = typed && baud > 0 ? baud : chosen.m_Baud;
  chosen.m_DataBits = ValueOr(m_DataBits, chosen.m_DataBits);
  chosen.m_Parity = ValueOr(m_Parity, chosen.m_Parity);
  chosen.m_StopBits = ValueOr(m_StopBits, chosen.m_StopBits);
  int flow = ValueOr(m_FlowControl, 0);
  chosen.m_XonXoff = flow == kFlowXonXoff ? 1 : 0;
  chosen.m_Hardware = flow == kFlowHardware ? 1 : 0;
  return chosen;
}

bool ShowSettingsDialog(SerialSettings& settings, QWidget* parent) {
  SerialSettingsDialog dialog(settings, parent);
  dialog.adjustSize();
  if (QScreen* screen = dialog.screen()) {
    dialog.move(screen->availableGeometry().center() - dialog.rect().center());
  }
  if (dialog.exec() != QDialog::Accepted) {
    return false;
  }
  settings = dialog.Chosen();
  return true;
}

}  // namespace linkwright
