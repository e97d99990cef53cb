#pragma once

#include <QDialog>

#include "link/serial/serial_port.h"

class QComboBox;

namespace linkwright {

// The serial settings dialog, "Opzioni per porta seriale": port, bits per second, data bits,
// parity, stop bits and flow control as six drop-down lists, "OK" and "Cancella". The port
// list offers the serial ports present on this machine by their by-id names and paths (with
// their description), the configured device when it is a path that is absent now, and COM1 …
// COM16; it is read again every second while the dialog is open. Any speed may be typed.
class SerialSettingsDialog : public QDialog {
  Q_OBJECT

 public:
  SerialSettingsDialog(const SerialSettings& settings, QWidget* parent = nullptr);

  // The settings with the lists' choices; a list without a selection keeps the field's value.
  SerialSettings Chosen() const;

  // Reads the port list again, keeping the chosen port; PortsChanged when the list changed.
  void RefreshPorts();

 signals:
  void PortsChanged();

 private:
  QComboBox* NewList(const char* name);
  void FillPorts();

  SerialSettings m_Settings;
  QComboBox* m_Port;
  QComboBox* m_Baud;
  QComboBox* m_DataBits;
  QComboBox* m_Parity;
  QComboBox* m_StopBits;
  QComboBox* m_FlowControl;
};

// Runs the dialog on `settings`: true when the user pressed OK, and then `settings` holds the
// choices; "Cancella" leaves it unchanged.
bool ShowSettingsDialog(SerialSettings& settings, QWidget* parent);

}  // namespace linkwright
