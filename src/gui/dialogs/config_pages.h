#pragma once

#include <QWidget>

#include "config/configuration.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class CNumericEdit;

// One tab of the configuration editor. It edits the editor's copy of the store: its controls
// are filled from the copy the first time the page is shown and written back whenever the user
// leaves it and on OK. A page never shown exchanges nothing. Every control is named after its
// key, so it can be found by that name.
class CConfigPage : public QWidget {
  Q_OBJECT

 public:
  CConfigPage(CConfiguration& configuration, QWidget* parent);

  // The page becomes the visible one: the first time, its controls are filled.
  void Activate();
  // The page is left or the editor confirmed: its controls go back into the copy.
  void Deactivate();

 protected:
  virtual void Exchange(ExchangeDirection direction) = 0;
  // Enables the controls whose use depends on other controls.
  virtual void UpdateEnabling() {}

  void ExchangeText(ExchangeDirection direction, QLineEdit* edit, const char* section);
  void ExchangeNumber(ExchangeDirection direction, CNumericEdit* edit, const char* section);
  void ExchangeCheck(ExchangeDirection direction, QCheckBox* box, const char* section);
  void ExchangeCombo(ExchangeDirection direction, QComboBox* list, const char* section,
                     const char* itemList);

  // Controls named after their key.
  QLineEdit* NewEdit(const char* key);
  CNumericEdit* NewNumericEdit(const char* key, int maximum);
  QCheckBox* NewCheck(const char* key, const QString& text);

 private:
  CConfiguration& m_Configuration;
  bool m_Filled = false;
};

class CConfigPageConnection : public CConfigPage {
  Q_OBJECT

 public:
  CConfigPageConnection(CConfiguration& configuration, QWidget* parent);

 protected:
  void Exchange(ExchangeDirection direction) override;
  void UpdateEnabling() override;

 private:
  // The "..." button: the serial settings dialog on the field's text.
  void EditCommConfig();
  QWidget* NewTlsGroup();
  QWidget* NewMulticastGroup();

  QComboBox* m_Mode;
  QCheckBox* m_ActAsServer;
  QLineEdit* m_Host;
  QLineEdit* m_Port;
  QLineEdit* m_CommConfig;
  QPushButton* m_CommConfigButton;
  CNumericEdit* m_ResponseTimeout;
  QLineEdit* m_PacketOpener;
  QLineEdit* m_PacketCloser;
  CNumericEdit* m_PacketBreakTimeout;
  CNumericEdit* m_RxPollingTime;
  QCheckBox* m_UseRegex;
  QLineEdit* m_HttpUrl;
  QCheckBox* m_TlsEnabled;
  QLineEdit* m_TlsCaFile;
  QLineEdit* m_TlsCertFile;
  QLineEdit* m_TlsKeyFile;
  QCheckBox* m_TlsVerifyPeer;
  QLineEdit* m_TlsServerName;
  QLineEdit* m_MulticastGroup;
  QLineEdit* m_MulticastInterface;
  CNumericEdit* m_MulticastTtl;
};

class CConfigPageUserInterface : public CConfigPage {
  Q_OBJECT

 public:
  CConfigPageUserInterface(CConfiguration& configuration, QWidget* parent);

 protected:
  void Exchange(ExchangeDirection direction) override;
  void UpdateEnabling() override;

 private:
  QCheckBox* m_BeepOnFailure;
  QCheckBox* m_BeepOnSuccess;
  QCheckBox* m_HexTrace;
  QCheckBox* m_HexTrace2;
  QCheckBox* m_AlwaysOnTop;
  CNumericEdit* m_Transparency;
  QCheckBox* m_ClearTextOnSend;
};

class CConfigPageTools : public CConfigPage {
  Q_OBJECT

 public:
  CConfigPageTools(CConfiguration& configuration, QWidget* parent);

 protected:
  void Exchange(ExchangeDirection direction) override;
  void UpdateEnabling() override;

 private:
  QCheckBox* m_Enabled;
  QLabel* m_CycleTimeLabel;
  CNumericEdit* m_CycleTime;
};
