#include "shell/setup_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "common/errors.h"
#include "common/handler_guard.h"
#include "common/waits.h"
#include "kit/bench.h"
#include "kit/plain_controls.h"
#include "link/chip_definition.h"
#include "link/serial_protocols.h"
#include "platform/dialogs.h"

namespace {

const uint32_t kBaudRates[] = {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
constexpr int kBaudRateCount = sizeof kBaudRates / sizeof kBaudRates[0];

const char kFirmwareReadFail[] = "Control Board Firmware read fail: the board did not answer with its name";

// The register-list lines of a definition that name no chip cell, the first few of
// them by number and text.
QString CelllessListLinesText(const QString& path, const QList<ChipDefinition::FileLine>& lines) {
  constexpr qsizetype listed = 10;
  QString text = "The chip definition \"" + path + "\" has " +
                 (lines.size() == 1 ? QStringLiteral("a register-list line") : QStringLiteral("register-list lines")) +
                 " whose address names no register or RAM byte of the chip:";
  for (qsizetype i = 0; i < std::min(lines.size(), listed); ++i)
    text += "\nline " + QString::number(lines[i].Number) + ": \"" + lines[i].Text + "\"";
  if (lines.size() > listed) text += "\nand " + QString::number(lines.size() - listed) + " more.";
  return text + (lines.size() == 1
                     ? "\nThe I/Q test applies that line to the register shadow alone: nothing of it reaches the chip."
                     : "\nThe I/Q test applies those lines to the register shadow alone: nothing of them reaches the chip.");
}

template <class W>
W* Named(W* w, const char* name) {
  w->setObjectName(name);
  return w;
}

QComboBox* Selector(QWidget* parent, const char* name, const QStringList& items, int index = 0) {
  auto* c = Named(new QComboBox(parent), name);
  c->addItems(items);
  c->setCurrentIndex(index);
  return c;
}

// Selects an item by index; an index outside the items leaves no selection.
void SelectItem(QComboBox* c, uint32_t index) {
  c->setCurrentIndex(index < static_cast<uint32_t>(c->count()) ? static_cast<int>(index) : -1);
}

QStringList ComItems() {
  QStringList items;
  for (int i = 0; i < ComPortCount; ++i) items << TOption::ComName(i);
  return items;
}

}  // namespace

TOption::TOption(Bench& program, QWidget* parent)
    : TDialogForm(program, "Option", QString::fromUtf8("選項"), parent) {
  setModal(true);
  for (int& h : uart_handles_) h = InvalidSerialHandle;
  CreateControls();
}

void TOption::CreateControls() {
  auto* layout = new QVBoxLayout(this);
  // The dialog always fits what is shown: the instrument section comes and goes with
  // the chip definition.
  layout->setSizeConstraint(QLayout::SetFixedSize);

  // Product and firmware name.
  auto* top = new QGridLayout;
  top->addWidget(Named(new QLabel("Select Chip ", this), "Label1"), 0, 0);
  CbSeluP = Named(new QComboBox(this), "CbSeluP");
  CbSeluP->setMinimumWidth(220);
  top->addWidget(CbSeluP, 0, 1);
  Button4 = Named(new QPushButton("Control Board Firmware", this), "Button4");
  top->addWidget(Button4, 1, 0);
  Edit9 = Named(new QLineEdit(this), "Edit9");
  Edit9->setEnabled(false);
  top->addWidget(Edit9, 1, 1);
  top->setColumnStretch(1, 1);
  layout->addLayout(top);

  // Link kind and board UART: hidden, still acting.
  GroupBox1 = Named(new QGroupBox("Communication", this), "GroupBox1");
  auto* group = new QHBoxLayout(GroupBox1);
  SelIOLPT = Named(new QRadioButton("Interfafce", GroupBox1), "SelIOLPT");
  SelIOLPT->setChecked(true);
  group->addWidget(SelIOLPT);
  SelLPT = Selector(GroupBox1, "SelLPT", {"RS232", "SPI", "Special", "Parallel", "UART", "MX628x"}, LinkKindUsb);
  SelLPT->setEnabled(false);
  group->addWidget(SelLPT);
  GroupBox1->setEnabled(false);
  GroupBox1->hide();
  layout->addWidget(GroupBox1);

  auto* uart = new QHBoxLayout;
  TXCOM = Selector(this, "TXCOM", ComItems(), 15);
  QStringList bauds;
  for (uint32_t b : kBaudRates) bauds << QString::number(b);
  TXBaud = Selector(this, "TXBaud", bauds, 5);
  TXParity = Selector(this, "TXParity", {"None", "Even", "Odd"}, 0);
  CLPT = Selector(this, "CLPT", {"LPT1 : 0x378", "LPT2 : 0x278", "PRN1 : 0x3BC"}, 0);
  Photo = Named(new QCheckBox(QString::fromUtf8("光耦合"), this), "Photo");
  Photo->setEnabled(false);
  for (QWidget* w : std::initializer_list<QWidget*>{TXCOM, TXBaud, TXParity, CLPT, Photo}) {
    w->hide();
    uart->addWidget(w);
  }
  layout->addLayout(uart);

  // Instrument ports: one row per instrument under its section line, the port
  // selectors and "Select" buttons in one column each.
  PanelENG = Named(new QFrame(this), "PanelENG");
  PanelENG->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  auto* eng = new QGridLayout(PanelENG);
  eng->setColumnStretch(2, 1);
  int row = 0;
  auto section = [&](const char* name, const char* text) {
    eng->addWidget(Named(new QLabel(text, PanelENG), name), row++, 0, 1, 5);
  };
  auto port = [&](const char* comName, const char* buttonName, QComboBox*& com, QPushButton*& button) {
    com = Selector(PanelENG, comName, ComItems());
    button = Named(new QPushButton("Select", PanelENG), buttonName);
    eng->addWidget(com, row, 3);
    eng->addWidget(button, row++, 4);
  };
  section("Label13", "======================Power Supply=================");
  port("PowerCOM", "PowerSelect", PowerCOM, PowerSelect);
  section("Label4", "======================Fluke5500===================");
  port("FlukeCOM", "FlukeSelect", FlukeCOM, FlukeSelect);
  section("Label6", "======================Chamber====================");
  port("ChamberCOM", "ChamberSelect", ChamberCOM, ChamberSelect);
  section("Label7", "======================BryMen=====================");
  eng->addWidget(Named(new QLabel("Select Channel ", PanelENG), "Label8"), row, 0);
  BryMemChannel = Selector(PanelENG, "BryMemChannel", {"0", "1", "2", "3", "4", "5"});
  eng->addWidget(BryMemChannel, row, 1);
  auto* comLabel = Named(new QLabel("COM", PanelENG), "Label9");
  comLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  eng->addWidget(comLabel, row, 2);
  port("BryMemCom", "BryMemButtom", BryMemCom, BryMemButtom);
  PanelENG->hide();
  layout->addWidget(PanelENG);

  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  BtClose = Named(new QPushButton(QString::fromUtf8("關閉"), this), "BtClose");
  bottom->addWidget(BtClose);
  layout->addLayout(bottom);

  // Change handlers run on the user's choices only: a selection made by code runs none.
  connect(CbSeluP, &QComboBox::activated, this, GuardedSlot(P, this, &TOption::CbSeluPChange));
  connect(SelLPT, &QComboBox::activated, this, GuardedSlot(P, [this] { SelLPTChange(); }));
  connect(TXCOM, &QComboBox::activated, this, GuardedSlot(P, [this] { TXCOMChange(); }));
  for (QComboBox* c : {FlukeCOM, PowerCOM, ChamberCOM})
    connect(c, &QComboBox::activated, this, GuardedSlot(P, [this] { TXCOMChange(); }));
  connect(TXBaud, &QComboBox::activated, this, GuardedSlot(P, [this] { TXBaudChange(); }));
  connect(TXParity, &QComboBox::activated, this, GuardedSlot(P, [this] { TXParityChange(); }));
  connect(CLPT, &QComboBox::activated, this, GuardedSlot(P, [this] { CLPTChange(); }));
  connect(FlukeSelect, &QPushButton::clicked, this, GuardedSlot(P, [this] { FlukeSelectClick(); }));
  connect(PowerSelect, &QPushButton::clicked, this, GuardedSlot(P, [this] { PowerSelectClick(); }));
  connect(ChamberSelect, &QPushButton::clicked, this, GuardedSlot(P, [this] { ChamberSelectClick(); }));
  connect(BryMemButtom, &QPushButton::clicked, this, GuardedSlot(P, [this] { BryMemButtomClick(); }));
  connect(Button4, &QPushButton::clicked, this, GuardedSlot(P, [this] { Button4Click(); }));
  connect(BtClose, &QPushButton::clicked, this, GuardedSlot(P, [this] { BtCloseClick(); }));
}

void TOption::FormCreate() {
  P.G.IncludeDir = P.ExeDir;
  CbSeluP->clear();
  QStringList products;
  try {
    products = ProductListItems(P.G.IncludeDir);
  } catch (const MxError& e) {
    // As without the file: the built-in list.
    DefinitionFault(e.Text());
    products = BuiltInProductItems();
  }
  CbSeluP->addItems(products);
  CbSeluP->setCurrentIndex(0);
  P.G.Channels[0].ProductIndex = 0;
  P.G.Channels[0].LinkKind = LinkKindUsb;
  GetSELUP();
  ComOpenMask = 0;
  CLPT->setCurrentIndex(0);
  CLPT->setEnabled(false);
}

// Closing keeps everything chosen; the product took effect when it was chosen.
void TOption::FormClose() {}

void TOption::ShowSetup(int left, int top) {
  move(left, top);
  SelLPT->setCurrentIndex(LinkKindUsb);
  SelectItem(CbSeluP, P.G.Channels[0].ProductIndex);
  exec();
}

void TOption::ChennalComChange() {
  const STND& ch = P.G.Channels[0];
  SelectItem(CbSeluP, ch.ProductIndex);
  SelectItem(SelLPT, ch.LinkKind);
  SelectItem(TXCOM, ch.UartComIndex);
  SelectItem(TXBaud, ch.UartBaudIndex);
  SelectItem(TXParity, ch.UartParityIndex);
  SelLPTChange();
  GetSELUP();
}

QString TOption::ProductText(int index) const {
  return index >= 0 && index < CbSeluP->count() ? CbSeluP->itemText(index) : QString();
}

bool TOption::GetSELUP() {
  try {
    const bool found = P.ChipDef.GetSELUP();
    if (found && P.ChipDef.KeywordLines() == 0)
      DefinitionFault("The chip definition \"" + P.ChipDef.IncludePath() +
                      "\" is empty or not a chip definition: no register, panel or menu of the chip is known.");
    else if (found && !P.ChipDef.CelllessListLines().isEmpty())
      DefinitionFault(CelllessListLinesText(P.ChipDef.IncludePath(), P.ChipDef.CelllessListLines()));
    else if (found)
      shownFault_.clear();
    return found;
  } catch (const MxError& e) {
    // The parse stops where it stood; the program goes on as without the file.
    DefinitionFault(e.Text());
    return false;
  }
}

void TOption::DefinitionFault(const QString& text) {
  if (text == shownFault_) return;
  shownFault_ = text;
  P.ShowError(text);
}

uint16_t TOption::IsPseudo(const QString& word) { return ChipDefinition::IsPseudo(word); }

void TOption::CbSeluPChange(int index) {
  if (index < 0) return;
  P.G.Channels[0].ProductIndex = static_cast<uint16_t>(index);
  GetSELUP();
}

void TOption::SelLPTChange() {
  P.G.Channels[0].LinkKind = LinkKindUsb;
  SelLPT->setCurrentIndex(LinkKindUsb);
}

// ---- board UART ----

uint32_t TOption::BaudRateValue() const {
  const int i = TXBaud->currentIndex();
  return i >= 0 && i < kBaudRateCount ? kBaudRates[i] : 0;
}

uint8_t TOption::GetParity() const {
  switch (TXParity->currentIndex()) {
    case 1: return EvenParity;
    case 2: return OddParity;
    default: return NoParity;
  }
}

QString TOption::GetParityText() const {
  switch (TXParity->currentIndex()) {
    case 1: return "EVEN";
    case 2: return "ODD";
    default: return "None";
  }
}

QString TOption::ComName(int index) { return "COM" + QString::number(index + 1); }

void TOption::TXCOMChange() {
  STND& ch = P.G.Channels[0];
  DevcRS232& port = ch.UartPort;
  const int index = TXCOM->currentIndex();
  ch.UartComIndex = static_cast<uint32_t>(index);
  port.PortName = ComName(index);
  port.Parity = GetParity();
  port.BaudRate = BaudRateValue();
  port.StopBits = OneStopBit;
  port.ByteSize = 8;

  const bool listed = index >= 0 && index < ComPortCount;
  if (listed && (ComOpenMask & (1u << index))) {
    // Opened earlier in this run: not opened again; that port's own handle serves.
    port.Handle = uart_handles_[index];
    port.Connected = 1;
  } else {
    port.Handle = P.Plat.serial->Open(port.PortName);
    if (!SerialHandleValid(port.Handle)) {
      port.Handle = InvalidSerialHandle;
      port.Connected = 0;
      Status(0, "Uart  not  found");
      return;
    }
    ComOpenMask |= 1u << index;
    uart_handles_[index] = port.Handle;
    port.Connected = 1;
  }
  const LineSettings back = SetLine(port, {port.BaudRate, port.ByteSize, port.Parity, port.StopBits});
  Status(0, "RS232 " + port.PortName + " , Baud = " + QString::number(back.BaudRate) +
                ", Pariyt = " + GetParityText());
}

void TOption::TXBaudChange() {
  P.G.Channels[0].UartBaudIndex = static_cast<uint32_t>(TXBaud->currentIndex());
  TXCOMChange();
}

void TOption::TXParityChange() {
  P.G.Channels[0].UartParityIndex = static_cast<uint32_t>(TXParity->currentIndex());
  TXCOMChange();
}

LineSettings TOption::SetLine(DevcRS232& port, const LineSettings& line) {
  port.BaudRate = line.BaudRate;
  port.ByteSize = line.ByteSize;
  port.Parity = line.Parity;
  port.StopBits = line.StopBits;
  SerialServices& serial = *P.Plat.serial;
  serial.SetCommState(port.Handle, line);
  LineSettings back = line;
  serial.GetCommState(port.Handle, back);
  return back;
}

// ---- instrument ports ----

void TOption::SelectInstrument(DevcRS232& port, int comIndex, const ProbeTexts& t,
                               const std::function<bool(DevcRS232&)>& probe) {
  if (port.Connected) {
    Status(1, t.already);
    return;
  }
  SerialServices& serial = *P.Plat.serial;
  port.PortName = ComName(comIndex);
  port.Handle = serial.Open(port.PortName);
  if (!SerialHandleValid(port.Handle)) {
    port.Handle = InvalidSerialHandle;
    port.Connected = 0;
    Status(1, t.notFound);
    return;
  }
  if (probe(port)) {
    // The port stays open until the program ends.
    port.Connected = 1;
    Status(1, t.success + port.PortName);
    return;
  }
  Status(1, t.fail + port.PortName);
  P.dialogs().MessageBox(this, t.notThis, QCoreApplication::applicationName(), MB_YES);
  serial.Close(port.Handle);
  port.Handle = InvalidSerialHandle;
  port.Connected = 0;
}

void TOption::FlukeSelectClick() {
  SelectInstrument(P.G.Instruments.FlukePort, FlukeCOM->currentIndex(),
                   {QString::fromUtf8("Fluke 已經設定"), "Fluke Uart  not  found", "Successful Select Fluke In ", {}, {}},
                   [this](DevcRS232& port) {
                     SetLine(port, {9600, 8, NoParity, OneStopBit});
                     // The calibrator's answer is collected, not judged.
                     P.Serial.ProbeCalibrator(port);
                     return true;
                   });
}

void TOption::PowerSelectClick() {
  SelectInstrument(
      P.G.Instruments.PowerPort, PowerCOM->currentIndex(),
      {QString::fromUtf8("Power Supply 已經設定"), "Power Supply Uart  not  found",
       "Successful Select Power Supply In ", "Fail Select Power Supply ",
       QString::fromUtf8("此通道連接的不是Power Supply!!")},
      [this](DevcRS232& port) {
        SetLine(port, {9600, 8, NoParity, TwoStopBits});
        return P.Serial.ProbePowerSupply(port);
      });
}

void TOption::ChamberSelectClick() {
  SelectInstrument(P.G.Instruments.ChamberPort, ChamberCOM->currentIndex(),
                   {QString::fromUtf8("Chamber 已經設定"), "Chamber Uart  not  found", "Successful Select Chamber In ",
                    "Fail Select Chamber ", QString::fromUtf8("此通道連接的不是溫控廂!!")},
                   [this](DevcRS232& port) {
                     SerialServices& serial = *P.Plat.serial;
                     LineSettings saved;
                     const bool haveSaved = serial.GetCommState(port.Handle, saved);
                     SetLine(port, {9600, 8, NoParity, OneStopBit});
                     if (P.Serial.ProbeChamber()) return true;
                     // The port goes back to the line it had before.
                     if (haveSaved) serial.SetCommState(port.Handle, saved);
                     return false;
                   });
}

void TOption::BryMemButtomClick() {
  const int channel = BryMemChannel->currentIndex();
  if (channel < 0 || channel >= BryMenChannelCount) return;
  const QString n = QString::number(channel);
  SelectInstrument(P.G.Instruments.BryMenPorts[channel], BryMemCom->currentIndex(),
                   {"BryMem - " + n + QString::fromUtf8(" 電表 已經設定"), QString::fromUtf8("BryMem 電表 Uart  not  found"),
                    "Successful Select BryMen In ", "Fail Select BryMen ", QString::fromUtf8("此通道連接的不是BryMen!!")},
                   [this, channel](DevcRS232& port) {
                     SetLine(port, {9600, 8, NoParity, OneStopBit});
                     if (!P.Serial.ProbeMeter(channel)) return false;
                     ShowMeterChannel(channel);
                     return true;
                   });
}

// ---- what the main configuration keeps ----

void TOption::ShowBoardUart(int baudIndex, int comIndex, int parityIndex) {
  SelectItem(TXBaud, baudIndex);
  SelectItem(TXCOM, comIndex);
  SelectItem(TXParity, parityIndex);
}

int TOption::ParallelPortIndex() const { return CLPT ? CLPT->currentIndex() : -1; }

void TOption::SelectParallelPort(int index) { SelectItem(CLPT, index); }

bool TOption::PhotoChecked() const { return Photo && Photo->isChecked(); }

void TOption::SetPhoto(bool checked) { Photo->setChecked(checked); }

void TOption::LockPortSelectors() {
  for (QComboBox* box : {TXBaud, TXCOM, TXParity, CLPT})
    if (box) box->setEnabled(false);
}

void TOption::CloseSerialPorts() {
  SerialServices& serial = *P.Plat.serial;
  auto close = [&serial](DevcRS232& port) {
    if (SerialHandleValid(port.Handle)) serial.Close(port.Handle);
    port.Handle = InvalidSerialHandle;
    port.Connected = 0;
  };
  DevcRS232& uart = P.G.Channels[0].UartPort;
  const int uartHandle = uart.Handle;
  close(uart);
  for (int& h : uart_handles_) {
    if (SerialHandleValid(h) && h != uartHandle) serial.Close(h);
    h = InvalidSerialHandle;
  }
  InstrumentPorts& ports = P.G.Instruments;
  close(ports.FlukePort);
  close(ports.PowerPort);
  close(ports.ChamberPort);
  for (DevcRS232& meter : ports.BryMenPorts) close(meter);
}

// ---- firmware name and close ----

void TOption::Button4Click() {
  const std::optional<QString> name = FirmwareName();
  if (!name) {
    P.dialogs().MessageBox(this, kFirmwareReadFail, QCoreApplication::applicationName(), MB_OK);
    return;
  }
  // Shown as the board sends it, up to a NUL that ends a shorter name.
  const qsizetype nul = name->indexOf(QChar(0));
  Edit9->setText(nul < 0 ? *name : name->left(nul));
  ApplyFirmwareName(*name);
}

void TOption::BtCloseClick() { close(); }

void TOption::Status(int panel, const QString& text) { P.Status(panel, text); }
