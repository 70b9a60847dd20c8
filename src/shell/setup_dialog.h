#pragma once
// The Setup dialog: product choice (which chip definition is parsed), the board's
// firmware name, the board UART and link kind (hidden, still acting), and the
// instrument ports with their identification probes.

#include <functional>
#include <optional>

#include "common/line_tokens.h"
#include "common/number_text.h"
#include "kit/form.h"
#include "link/chip_definition_listener.h"
#include "platform/serial_port_map.h"
#include "platform/serial_services.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct DevcRS232;

class TOption : public TDialogForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TOption(Bench& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;

  // Shown modally by the main menu's "Setup" at the given screen point, with the link
  // kind and the channel's product selected.
  void ShowSetup(int left, int top);
  // The Setup selectors take channel 0's settings, the link kind is forced to the
  // USB bridge and the chip definition is parsed again.
  void ChennalComChange();
  // The text of the product list item at an index (empty when out of range).
  QString ProductText(int index) const;

  // The shared number and line helpers, under the names the panels know them by.
  static QString IntToBin(int32_t value, int digits) { return ::IntToBin(value, digits); }
  static void CutLIPara(LineRec& rec) { ::CutLIPara(rec); }

  // The chip definition of the selected product (ChipDefinition::GetSELUP). A file
  // that cannot be read, an include file that holds no keyword, or register-list lines
  // that name no chip cell are shown; the same fault met again by the next parses
  // (start-up parses up to three times) is not shown again until a parse succeeds.
  bool GetSELUP();
  static uint16_t IsPseudo(const QString& word);

  // ---- handlers ----
  // A product chosen in CbSeluP: the chip definition follows at once.
  void CbSeluPChange(int index);
  // The link kind stays the USB bridge.
  void SelLPTChange();
  // Opens and sets up the board UART from TXCOM, TXBaud and TXParity; also run by any
  // change of the calibrator's, the power supply's and the chamber's port selector.
  void TXCOMChange();
  void TXBaudChange();
  void TXParityChange();
  void CLPTChange() {}
  // "Select": open and identify one instrument port (status panel 1).
  void FlukeSelectClick();
  void PowerSelectClick();
  void ChamberSelectClick();
  void BryMemButtomClick();
  // "Control Board Firmware": F9 05; the name also goes into Edit9. A failed read is
  // told, and the field and what the name switches stay as they were.
  void Button4Click();
  void BtCloseClick();

  // ---- small routines ----
  // TXBaud's item to its baud rate (0 for no item).
  uint32_t BaudRateValue() const;
  // TXParity's item to the parity code: None 0, Even 2, Odd 1.
  uint8_t GetParity() const;
  QString GetParityText() const;
  // "COM" + (index + 1), the port of a COM selector's item.
  static QString ComName(int index);

  // What the main configuration keeps of the dialog; selections made by code run no
  // handler, and an index out of range selects nothing.
  void ShowBoardUart(int baudIndex, int comIndex, int parityIndex);
  int ParallelPortIndex() const;
  void SelectParallelPort(int index);
  bool PhotoChecked() const;
  void SetPhoto(bool checked);
  // After the configuration: the board UART's and the parallel port's selectors are
  // locked.
  void LockPortSelectors();

  // Closes the board UART and every instrument port opened here; at exit.
  void CloseSerialPorts();

  // ---- hooks the program fills ----
  // The main window's F9 05 exchange (nothing when it failed) and what the name
  // switches in the other windows.
  std::function<std::optional<QString>()> FirmwareName;
  std::function<void(const QString& name)> ApplyFirmwareName;
  // The meter panel shows a meter that answered its probe.
  std::function<void(int channel)> ShowMeterChannel;

  // ---- controls ----
  QComboBox* CbSeluP = nullptr;
  QGroupBox* GroupBox1 = nullptr;  // "Communication", hidden
  QRadioButton* SelIOLPT = nullptr;
  QComboBox* SelLPT = nullptr;     // link kind
  QComboBox* TXCOM = nullptr;      // board UART, hidden
  QComboBox* TXBaud = nullptr;
  QComboBox* TXParity = nullptr;
  QComboBox* CLPT = nullptr;       // parallel port, hidden
  QCheckBox* Photo = nullptr;      // "光耦合", hidden
  QPushButton* Button4 = nullptr;  // "Control Board Firmware"
  QLineEdit* Edit9 = nullptr;      // the firmware name
  QPushButton* BtClose = nullptr;
  QFrame* PanelENG = nullptr;      // the instrument ports
  QComboBox* PowerCOM = nullptr;
  QPushButton* PowerSelect = nullptr;
  QComboBox* FlukeCOM = nullptr;
  QPushButton* FlukeSelect = nullptr;
  QComboBox* ChamberCOM = nullptr;
  QPushButton* ChamberSelect = nullptr;
  QComboBox* BryMemChannel = nullptr;
  QComboBox* BryMemCom = nullptr;
  QPushButton* BryMemButtom = nullptr;

  bool AutoLoad = false;     // "#AUTOLOAD" in the chip definition
  uint32_t ComOpenMask = 0;  // bit n: board-UART port COM(n+1) opened in this run

  // Chip definition: "光耦合", the instrument rows and the auto-load flag.
  void ParseStarted() override;
  void DefinitionOpened() override;
  void KeywordMet(uint16_t code) override;

private:
  struct ProbeTexts {
    QString already, notFound, success, fail, notThis;
  };
  void CreateControls();
  // The steps every "Select" shares: already set, open, probe, keep or close.
  void SelectInstrument(DevcRS232& port, int comIndex, const ProbeTexts& texts,
                        const std::function<bool(DevcRS232&)>& probe);
  // Stores the line settings in the record, writes them to the port and reads them back.
  LineSettings SetLine(DevcRS232& port, const LineSettings& line);
  void Status(int panel, const QString& text);
  void DefinitionFault(const QString& text);
  QString shownFault_;

  // The handle of each board-UART port opened in this run.
  int uart_handles_[ComPortCount];
};
