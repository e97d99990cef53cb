#include "gui/dialogs/serial_settings_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QScreen>
#include <QSerialPortInfo>
#include <QVBoxLayout>
#include <initializer_list>
#include <utility>

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

QString PortLabel(const QSerialPortInfo& port) {
  QString label = port.systemLocation();
  if (!port.description().isEmpty()) {
    label += QStringLiteral(u" \u2014 ") + port.description();
  }
  return label;
}

}  // namespace

CSerialSettingsDialog::CSerialSettingsDialog(const SerialSettings& settings, QWidget* parent)
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
  for (int baud : {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200,
                   128000, 256000}) {
    m_Baud->addItem(QString::number(baud), baud);
  }
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
  connect(buttons, &QDialogButtonBox::accepted, this, &CSerialSettingsDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CSerialSettingsDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

QComboBox* CSerialSettingsDialog::NewList(const char* name) {
  auto* list = new QComboBox(this);
  list->setObjectName(name);
  return list;
}

// Present ports first, by device path; then the configured path when it is absent now (a
// pseudo-terminal is not enumerated, a USB adapter may be unplugged); then COM1 … COM16.
// Paths carry their text as value, COMn its number.
void CSerialSettingsDialog::FillPorts() {
  QString configured = QString::fromStdString(m_Settings.m_Device);
  for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
    m_Port->addItem(PortLabel(port), port.systemLocation());
  }
  if (!configured.isEmpty() && m_Port->findData(configured) < 0) {
    m_Port->addItem(configured, configured);
  }
  for (int number = 1; number <= 16; ++number) {
    m_Port->addItem(QString("COM%1").arg(number), number);
  }
  if (configured.isEmpty()) {
    SelectValue(m_Port, m_Settings.m_Port);
  } else {
    SelectValue(m_Port, configured);
  }
}

SerialSettings CSerialSettingsDialog::Chosen() const {
  SerialSettings chosen = m_Settings;
  QVariant port = m_Port->currentData();
  if (port.typeId() == QMetaType::QString) {
    chosen.m_Device = port.toString().toStdString();
  } else if (port.isValid()) {
    chosen.m_Device.clear();
    chosen.m_Port = static_cast<std::uint8_t>(port.toInt());
  }
  chosen.m_Baud = ValueOr(m_Baud, chosen.m_Baud);
  chosen.m_DataBits = ValueOr(m_DataBits, chosen.m_DataBits);
  chosen.m_Parity = ValueOr(m_Parity, chosen.m_Parity);
  chosen.m_StopBits = ValueOr(m_StopBits, chosen.m_StopBits);
  int flow = ValueOr(m_FlowControl, 0);
  chosen.m_XonXoff = flow == kFlowXonXoff ? 1 : 0;
  chosen.m_Hardware = flow == kFlowHardware ? 1 : 0;
  return chosen;
}

bool ShowSettingsDialog(SerialSettings& settings, QWidget* parent) {
  CSerialSettingsDialog dialog(settings, parent);
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
