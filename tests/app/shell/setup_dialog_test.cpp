// The Setup dialog on a running program: its controls, the product switch, the board
// UART behind the hidden selectors, the instrument probes against simulated
// instruments on ptys, the firmware name and the ports' release at exit.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "block_panels/wave_generator.h"
#include "instruments/meter_panel.h"
#include "kit/segment_display.h"
#include "shell/main_panel.h"
#include "shell/setup_dialog.h"
#include "app/support/program_fixture.h"

namespace {

QStringList Items(QComboBox* c) {
  QStringList v;
  for (int i = 0; i < c->count(); ++i) v << c->itemText(i);
  return v;
}

class SetupDialog : public ProgramTest {
protected:
  TOption* Opt() const { return prog->Option; }
  QString Status(int panel) const { return prog->MainPanel->StatusBar1->Text(panel); }
  InstrumentPorts& Ports() const { return prog->G.Instruments; }
  int64_t NowMs() { return sim.clock.SteadyUs() / 1000; }
  // The message boxes shown since the last look.
  QList<ScriptedDialogs::Shown> TakeMessages() {
    QList<ScriptedDialogs::Shown> m = sim.dialogs.messages;
    sim.dialogs.messages.clear();
    return m;
  }
  // True when nothing holds the port any more.
  bool Free(const QString& port) {
    const int h = sim.serial.Open(port);
    if (!SerialHandleValid(h)) return false;
    sim.serial.Close(h);
    return true;
  }
  LineSettings Line(int handle) {
    LineSettings s;
    EXPECT_TRUE(sim.serial.GetCommState(handle, s));
    return s;
  }
  // A refused probe: its status text, one box with the single button Yes, the port free again.
  void ExpectRefused(const QString& status, const char* message, const QString& port) {
    EXPECT_EQ(Status(1), status);
    const auto shown = TakeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, QString::fromUtf8(message));
    EXPECT_EQ(shown[0].buttons, MB_YES);
    EXPECT_TRUE(Free(port)) << "port left open";
  }
  void Choose(QComboBox* c, int index) {
    c->setCurrentIndex(index);
    emit c->activated(index);
  }
};

// ---- the dialog itself ---------------------------------------------------------------

TEST_F(SetupDialog, ControlsAndTheirStartingState) {
  StartProgram();
  TOption* o = Opt();
  EXPECT_EQ(o->windowTitle(), QString::fromUtf8("選項"));
  EXPECT_EQ(o->objectName(), "Option");
  struct Row {
    const char* name;
    const char* text;  // caption, or null
    bool hidden;
    bool enabled;
  };
  const Row rows[] = {
      {"CbSeluP", nullptr, false, true},
      {"Label1", "Select Chip ", false, true},
      {"GroupBox1", nullptr, true, false},
      {"SelIOLPT", "Interfafce", false, false},
      {"SelLPT", nullptr, false, false},
      // The start-up's configuration load disables the board-UART selectors.
      {"TXCOM", nullptr, true, false},
      {"TXBaud", nullptr, true, false},
      {"TXParity", nullptr, true, false},
      {"CLPT", nullptr, true, false},
      {"Photo", "光耦合", true, false},
      {"Button4", "Control Board Firmware", false, true},
      {"Edit9", nullptr, false, false},
      {"BtClose", "關閉", false, true},
      {"Label13", "======================Power Supply=================", false, true},
      {"Label4", "======================Fluke5500===================", false, true},
      {"Label6", "======================Chamber====================", false, true},
      {"Label7", "======================BryMen=====================", false, true},
      {"Label8", "Select Channel ", false, true},
      {"Label9", "COM", false, true},
      {"PowerSelect", "Select", false, true},
      {"FlukeSelect", "Select", false, true},
      {"ChamberSelect", "Select", false, true},
      {"BryMemButtom", "Select", false, true},
  };
  for (const Row& r : rows) {
    QWidget* w = Find<QWidget>(o, r.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->isHidden(), r.hidden) << r.name;
    EXPECT_EQ(w->isEnabled(), r.enabled) << r.name;
    if (!r.text) continue;
    QString text = w->property("text").toString();
    if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
    EXPECT_EQ(text, QString::fromUtf8(r.text)) << r.name;
  }
  EXPECT_TRUE(o->SelIOLPT->isChecked());
  EXPECT_EQ(o->GroupBox1->title(), "Communication");
  EXPECT_EQ(Items(o->SelLPT), (QStringList{"RS232", "SPI", "Special", "Parallel", "UART", "MX628x"}));
  EXPECT_EQ(o->SelLPT->currentIndex(), 5);
  EXPECT_EQ(Items(o->TXBaud),
            (QStringList{"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}));
  EXPECT_EQ(o->TXBaud->currentIndex(), 5);
  EXPECT_EQ(o->TXParity->currentIndex(), 0);
  EXPECT_EQ(Items(o->CLPT), (QStringList{"LPT1 : 0x378", "LPT2 : 0x278", "PRN1 : 0x3BC"}));
  EXPECT_EQ(o->CLPT->currentIndex(), 0);
  EXPECT_EQ(Items(o->BryMemChannel), (QStringList{"0", "1", "2", "3", "4", "5"}));
  for (QComboBox* c : {o->TXCOM, o->PowerCOM, o->FlukeCOM, o->ChamberCOM, o->BryMemCom}) {
    ASSERT_EQ(c->count(), 16);
    EXPECT_EQ(c->itemText(0), "COM1");
    EXPECT_EQ(c->itemText(15), "COM16");
  }
  EXPECT_EQ(o->TXCOM->currentIndex(), 15);
  EXPECT_EQ(o->ComOpenMask, 0u);
  // Small routines at their ends.
  EXPECT_EQ(o->BaudRateValue(), 9600u);
  const struct {
    int item;
    uint8_t code;
    const char* text;
  } parities[] = {{0, NoParity, "None"}, {1, EvenParity, "EVEN"}, {2, OddParity, "ODD"}, {-1, NoParity, "None"}};
  for (const auto& p : parities) {
    o->TXParity->setCurrentIndex(p.item);
    EXPECT_EQ(o->GetParity(), p.code) << p.item;
    EXPECT_EQ(o->GetParityText(), p.text) << p.item;
  }
}

TEST_F(SetupDialog, MenuShowsItModallyBesideTheMainWindow) {
  StartProgram();
  prog->MainPanel->move(100, 60);
  TOption* o = Opt();
  o->CbSeluP->setCurrentIndex(-1);
  o->SelLPT->setCurrentIndex(0);
  bool seen = false;
  // The modal loop runs this; the close button ends it.
  QTimer::singleShot(0, o, [&] {
    seen = true;
    EXPECT_TRUE(o->isVisible());
    EXPECT_TRUE(o->isModal());
    EXPECT_EQ(o->pos(), prog->MainPanel->pos() + QPoint(40, 40));
    EXPECT_EQ(o->SelLPT->currentIndex(), 5);
    EXPECT_EQ(o->CbSeluP->currentIndex(), 0);
    o->BtClose->click();
  });
  Click("SMenu_Option");
  EXPECT_TRUE(seen);
  EXPECT_FALSE(o->isVisible());
}

TEST_F(SetupDialog, ProductSwitchParsesTheChosenDefinition) {
  // The third line's first word has two characters: only two products are offered.
  WriteFile("MxSel.INC", "small.inc mx7401 2k\r\nMX7406.INC MX7406 16K\r\nAB C D\r\nLATER.INC X Y\r\n");
  WriteFile("Include/SMALL.INC", "#PRODUCT\nMX7401\n");
  StartProgram();
  TOption* o = Opt();
  EXPECT_EQ(Items(o->CbSeluP), (QStringList{"MX7401  2K", "MX7406  16K"}));
  EXPECT_EQ(prog->G.ProductName, "MX7401");
  EXPECT_FALSE(Item("SMenu_ADC")->isVisible());
  EXPECT_FALSE(o->PanelENG->isVisibleTo(o));

  Choose(o->CbSeluP, 1);
  EXPECT_EQ(prog->G.Channels[0].ProductIndex, 1);
  EXPECT_EQ(prog->G.ProductName, "MX7406");
  for (const char* item : {"SMenu_ADC", "SMenu_OP", "Fluke1", "BryMenShow1", "Power1"})
    EXPECT_TRUE(Item(item)->isVisible()) << item;
  EXPECT_TRUE(o->PanelENG->isVisibleTo(o));

  Choose(o->CbSeluP, 0);
  EXPECT_FALSE(Item("SMenu_ADC")->isVisible());
  EXPECT_FALSE(o->PanelENG->isVisibleTo(o));
}

TEST_F(SetupDialog, ConnectTakesTheChannelSettingsIntoTheSelectors) {
  StartProgram();
  TOption* o = Opt();
  STND& ch = prog->G.Channels[0];
  ch.LinkKind = 2;
  ch.UartComIndex = 3;
  ch.UartBaudIndex = 7;
  ch.UartParityIndex = 2;
  ch.ProductIndex = 0;
  o->ChennalComChange();
  EXPECT_EQ(o->TXCOM->currentIndex(), 3);
  EXPECT_EQ(o->TXBaud->currentIndex(), 7);
  EXPECT_EQ(o->TXParity->currentIndex(), 2);
  EXPECT_EQ(o->SelLPT->currentIndex(), 5);
  EXPECT_EQ(ch.LinkKind, LinkKindUsb);
  EXPECT_EQ(o->ComOpenMask, 0u);  // selecting opens nothing
  // Indexes outside the lists leave the selectors without a selection.
  ch.UartComIndex = 40;
  ch.ProductIndex = 9;
  o->ChennalComChange();
  EXPECT_EQ(o->TXCOM->currentIndex(), -1);
  EXPECT_EQ(o->CbSeluP->currentIndex(), -1);
  // The link kind stays the USB bridge whatever is chosen.
  Choose(o->SelLPT, 1);
  EXPECT_EQ(o->SelLPT->currentIndex(), 5);
  EXPECT_EQ(ch.LinkKind, LinkKindUsb);
}

// ---- board UART ----------------------------------------------------------------------

TEST_F(SetupDialog, InstrumentPortChangeOpensTheBoardUart) {
  StartProgram();
  TOption* o = Opt();
  STND& ch = prog->G.Channels[0];
  // A selection made by code runs no handler.
  o->ChamberCOM->setCurrentIndex(2);
  EXPECT_EQ(Status(0), "");
  // COM16 (the TXCOM item) does not exist.
  Choose(o->ChamberCOM, 3);
  EXPECT_EQ(Status(0), "Uart  not  found");
  EXPECT_EQ(ch.UartPort.Connected, 0);
  EXPECT_EQ(ch.UartComIndex, 15u);
  EXPECT_EQ(o->ComOpenMask, 0u);

  sim.serial.Add<SimCalibrator>(16);
  Choose(o->FlukeCOM, 1);
  EXPECT_EQ(Status(0), "RS232 COM16 , Baud = 9600, Pariyt = None");
  EXPECT_EQ(ch.UartPort.PortName, "COM16");
  EXPECT_EQ(ch.UartPort.Connected, 1);
  EXPECT_EQ(o->ComOpenMask, 1u << 15);
  const int com16 = ch.UartPort.Handle;
  EXPECT_EQ(Line(com16), (LineSettings{9600, 8, NoParity, OneStopBit}));
  EXPECT_FALSE(Free("COM16"));

  // The hidden baud and parity selectors act on the open port without opening it again.
  Choose(o->TXBaud, 9);
  EXPECT_EQ(ch.UartBaudIndex, 9u);
  EXPECT_EQ(Status(0), "RS232 COM16 , Baud = 115200, Pariyt = None");
  Choose(o->TXParity, 1);
  EXPECT_EQ(ch.UartParityIndex, 1u);
  EXPECT_EQ(Status(0), "RS232 COM16 , Baud = 115200, Pariyt = EVEN");
  EXPECT_EQ(ch.UartPort.Handle, com16);
  EXPECT_EQ(ch.UartPort.Parity, EvenParity);
  EXPECT_EQ(Line(com16).BaudRate, 115200u);  // a pty carries no parity
  Choose(o->TXParity, 2);
  EXPECT_EQ(ch.UartPort.Parity, OddParity);
  EXPECT_EQ(Status(0), "RS232 COM16 , Baud = 115200, Pariyt = ODD");

  // Another port, then back: the first port's own handle serves again.
  sim.serial.Add<SimCalibrator>(15);
  Choose(o->TXCOM, 14);
  EXPECT_EQ(Status(0), "RS232 COM15 , Baud = 115200, Pariyt = ODD");
  const int com15 = ch.UartPort.Handle;
  EXPECT_NE(com15, com16);
  Choose(o->TXBaud, 0);
  Choose(o->TXCOM, 15);
  EXPECT_EQ(ch.UartPort.Handle, com16);
  EXPECT_EQ(Status(0), "RS232 COM16 , Baud = 300, Pariyt = ODD");
  EXPECT_EQ(Line(com16).BaudRate, 300u);
  EXPECT_EQ(o->ComOpenMask, (1u << 15) | (1u << 14));
  // Both stay open until exit, then both are released.
  EXPECT_FALSE(Free("COM15"));
  StopProgram();
  EXPECT_TRUE(Free("COM15"));
  EXPECT_TRUE(Free("COM16"));
}

// ---- instrument probes ---------------------------------------------------------------

TEST_F(SetupDialog, PowerSupplyIsAcceptedByItsIdentity) {
  struct Case {
    const char* what;
    QByteArray identity;
    bool wrong, silent;
    int delayMs;
    bool accepted;
  };
  const Case cases[] = {
      {"identity", "HEWLETT-PACKARD,E3631A,0,2.1", false, false, 5, true},
      {"bare maker", "HEWLETT-PACKARD", false, false, 5, true},
      {"other maker", "KEITHLEY INSTRUMENTS,2230", false, false, 5, false},
      {"short", "HEWLE", false, false, 5, false},
      {"error text", "HEWLETT-PACKARD", true, false, 5, false},
      {"silent", "HEWLETT-PACKARD", false, true, 5, false},
      {"too late", "HEWLETT-PACKARD", false, false, 600, false},
  };
  StartProgram();
  TOption* o = Opt();
  int com = SimInstrumentSet::FirstFreeCom - 1;  // each case on a port of its own
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SimPowerSupply& psu = sim.serial.Add<SimPowerSupply>(++com);
    psu.identity = c.identity;
    if (c.wrong) psu.Arm(InstrumentFault::Wrong, FaultSpan::FromNowOn());
    if (c.silent) psu.Arm(InstrumentFault::Silent, FaultSpan::FromNowOn());
    psu.delayMs = c.delayMs;
    o->PowerCOM->setCurrentIndex(com - 1);
    const QString port = QString("COM%1").arg(com);
    const int64_t t0 = NowMs();
    o->PowerSelectClick();
    EXPECT_LT(NowMs() - t0, 3000);
    EXPECT_EQ(psu.received, "SYST:REM\r\nVOLT 0.0\r\nCURR 0.0\r\nOUTP OFF\r\n*IDN?\r\n");
    ASSERT_GE(psu.lineChanges.size(), 2);
    EXPECT_EQ(psu.lineChanges[0].function, CLRDTR);
    EXPECT_EQ(psu.lineChanges[1].function, SETDTR);
    DevcRS232& rec = Ports().PowerPort;
    EXPECT_EQ(rec.PortName, port);
    if (c.accepted) {
      EXPECT_EQ(Status(1), "Successful Select Power Supply In " + port);
      EXPECT_EQ(rec.Connected, 1);
      EXPECT_EQ(Line(rec.Handle), (LineSettings{9600, 8, NoParity, TwoStopBits}));
      EXPECT_FALSE(Free(port));
      EXPECT_TRUE(TakeMessages().isEmpty());
      // Once set, "Select" only says so.
      o->PowerSelectClick();
      EXPECT_EQ(Status(1), QString::fromUtf8("Power Supply 已經設定"));
      Ports().PowerPort = DevcRS232();  // the next case starts unset
    } else {
      ExpectRefused("Fail Select Power Supply " + port, "此通道連接的不是Power Supply!!", port);
      EXPECT_EQ(rec.Connected, 0);
      EXPECT_EQ(rec.Handle, InvalidSerialHandle);
    }
  }
  o->PowerCOM->setCurrentIndex(13);  // COM14: nothing there
  o->PowerSelectClick();
  EXPECT_EQ(Status(1), "Power Supply Uart  not  found");
  EXPECT_TRUE(TakeMessages().isEmpty());
}

TEST_F(SetupDialog, ChamberProbeReadsTheIdentificationRegister) {
  // The bench's chamber on COM1, and two that do not answer as a chamber should.
  SimChamber& good = sim.instruments.chamber;
  const int wrongCom = SimInstrumentSet::FirstFreeCom, silentCom = wrongCom + 1;
  SimChamber& wrong = sim.serial.Add<SimChamber>(wrongCom);
  SimChamber& silent = sim.serial.Add<SimChamber>(silentCom);
  wrong.Arm(InstrumentFault::Wrong, FaultSpan::FromNowOn());
  silent.Arm(InstrumentFault::Silent, FaultSpan::FromNowOn());
  // The refused ports had another line before the probe: they get it back.
  for (int com : {wrongCom, silentCom}) {
    const QString port = QString("COM%1").arg(com);
    const int h = sim.serial.Open(port);
    ASSERT_TRUE(sim.serial.SetCommState(h, {19200, 8, NoParity, TwoStopBits}));
    sim.serial.Close(h);
  }
  StartProgram();
  TOption* o = Opt();
  const QByteArray frame = QByteArray(1, '\x02') + "01RSD,01,0010\r\n";
  for (int com : {wrongCom, silentCom}) {
    o->ChamberCOM->setCurrentIndex(com - 1);
    const QString port = QString("COM%1").arg(com);
    const int64_t t0 = NowMs();
    o->ChamberSelectClick();
    EXPECT_LT(NowMs() - t0, 1500);
    ExpectRefused("Fail Select Chamber " + port, "此通道連接的不是溫控廂!!", port);
    EXPECT_EQ(Ports().ChamberPort.Connected, 0);
    const int h = sim.serial.Open(port);
    EXPECT_EQ(Line(h), (LineSettings{19200, 8, NoParity, TwoStopBits}));
    sim.serial.Close(h);
  }
  EXPECT_EQ(wrong.received, frame);
  EXPECT_EQ(silent.received, frame);

  o->ChamberCOM->setCurrentIndex(0);
  o->ChamberSelectClick();
  EXPECT_EQ(good.received, frame);
  EXPECT_EQ(Status(1), "Successful Select Chamber In COM1");
  const DevcRS232& rec = Ports().ChamberPort;
  EXPECT_EQ(rec.Connected, 1);
  EXPECT_EQ(rec.BaudRate, 9600u);
  EXPECT_EQ(rec.Parity, NoParity);
  EXPECT_EQ(Line(rec.Handle), (LineSettings{9600, 8, NoParity, OneStopBit}));
  o->ChamberSelectClick();
  EXPECT_EQ(Status(1), QString::fromUtf8("Chamber 已經設定"));
  EXPECT_EQ(good.commands.size(), 1);
}

TEST_F(SetupDialog, CalibratorIsTakenWhateverItAnswers) {
  SimCalibrator& cal = sim.serial.Add<SimCalibrator>(7);
  cal.Arm(InstrumentFault::Silent, FaultSpan::FromNowOn());
  StartProgram();
  TOption* o = Opt();
  o->FlukeCOM->setCurrentIndex(8);  // COM9: nothing there
  o->FlukeSelectClick();
  EXPECT_EQ(Status(1), "Fluke Uart  not  found");
  EXPECT_EQ(Ports().FlukePort.Connected, 0);

  o->FlukeCOM->setCurrentIndex(6);
  const int64_t t0 = NowMs();
  o->FlukeSelectClick();
  EXPECT_LT(NowMs() - t0, 1200);  // half a second, then at most the line's wait
  EXPECT_EQ(cal.received, "*OPT\r");
  EXPECT_EQ(Status(1), "Successful Select Fluke In COM7");
  EXPECT_EQ(Ports().FlukePort.Connected, 1);
  EXPECT_EQ(Line(Ports().FlukePort.Handle), (LineSettings{9600, 8, NoParity, OneStopBit}));
  EXPECT_TRUE(TakeMessages().isEmpty());
  o->FlukeSelectClick();
  EXPECT_EQ(Status(1), QString::fromUtf8("Fluke 已經設定"));
  EXPECT_EQ(cal.received, "*OPT\r");
}

TEST_F(SetupDialog, MeterChannelsAreProbedWithAFrame) {
  SimMeter& meter = sim.instruments.voltmeter;  // on COM4
  SimMeter& silent = sim.serial.Add<SimMeter>(8);
  SimMeter& garbled = sim.serial.Add<SimMeter>(9);
  silent.Arm(InstrumentFault::Silent, FaultSpan::FromNowOn());
  garbled.Arm(InstrumentFault::Wrong, FaultSpan::FromNowOn());
  StartProgram();
  TOption* o = Opt();
  const _MeterAll& m = prog->Meter->MeterAll[2];
  o->BryMemChannel->setCurrentIndex(2);
  for (int com : {8, 9}) {
    o->BryMemCom->setCurrentIndex(com - 1);
    const int64_t t0 = NowMs();
    o->BryMemButtomClick();
    EXPECT_LT(NowMs() - t0, 6000);
    const QString port = QString("COM%1").arg(com);
    ExpectRefused("Fail Select BryMen " + port, "此通道連接的不是BryMen!!", port);
  }
  EXPECT_EQ(Ports().BryMenPorts[2].Connected, 0);
  EXPECT_FALSE(m.ComboBox->isEnabled());
  EXPECT_TRUE(m.LedArray->isHidden());

  o->BryMemCom->setCurrentIndex(3);
  o->BryMemButtomClick();
  EXPECT_EQ(Status(1), "Successful Select BryMen In COM4");
  EXPECT_EQ(Ports().BryMenPorts[2].Connected, 1);
  EXPECT_GE(meter.requests, 2);  // the power-up read, then the judged one
  ASSERT_GE(meter.lineChanges.size(), 6);
  EXPECT_EQ(meter.lineChanges[0].function, SETRTS);
  // The meter panel reads the channel from now on.
  EXPECT_FALSE(m.CheckBox->isEnabled());
  EXPECT_TRUE(m.Label->isEnabled());
  EXPECT_TRUE(m.ComboBox->isEnabled());
  for (QWidget* w : {(QWidget*)m.LedArray, (QWidget*)m.MUnit, (QWidget*)m.Panel}) EXPECT_FALSE(w->isHidden());
  o->BryMemButtomClick();
  EXPECT_EQ(Status(1), QString::fromUtf8("BryMem - 2 電表 已經設定"));

  // Another channel is a record of its own; a missing port is reported as such.
  o->BryMemChannel->setCurrentIndex(0);
  o->BryMemCom->setCurrentIndex(9);  // COM10: nothing there
  o->BryMemButtomClick();
  EXPECT_EQ(Status(1), QString::fromUtf8("BryMem 電表 Uart  not  found"));
}

TEST_F(SetupDialog, OpenedPortsStayOpenUntilExit) {
  // The bench: chamber COM1, calibrator COM2, power supply COM3, a meter on COM4.
  StartProgram();
  TOption* o = Opt();
  o->FlukeCOM->setCurrentIndex(1);
  o->FlukeSelectClick();
  o->PowerCOM->setCurrentIndex(2);
  o->PowerSelectClick();
  o->BryMemChannel->setCurrentIndex(5);
  o->BryMemCom->setCurrentIndex(3);
  o->BryMemButtomClick();
  o->ChamberCOM->setCurrentIndex(0);
  o->ChamberSelectClick();
  for (const DevcRS232* rec : {&Ports().FlukePort, &Ports().PowerPort, &Ports().BryMenPorts[5], &Ports().ChamberPort})
    EXPECT_EQ(rec->Connected, 1) << rec->PortName.toStdString();
  // The same port for a second instrument: it is held already.
  o->BryMemChannel->setCurrentIndex(0);
  o->BryMemCom->setCurrentIndex(2);
  o->BryMemButtomClick();
  EXPECT_EQ(Status(1), QString::fromUtf8("BryMem 電表 Uart  not  found"));
  for (const char* port : {"COM1", "COM2", "COM3", "COM4"}) EXPECT_FALSE(Free(port)) << port;
  StopProgram();
  for (const char* port : {"COM1", "COM2", "COM3", "COM4"}) EXPECT_TRUE(Free(port)) << port;
}

// ---- firmware name -------------------------------------------------------------------

TEST_F(SetupDialog, FirmwareButtonAsksTheBoardForItsName) {
  StartProgram();
  TOption* o = Opt();
  auto* vod = Find<QWidget>(prog->WaveGenForm, "VodCorrection");
  // No board yet: the read fails and says so; the field and the trim buttons stay as they are.
  vod->setEnabled(true);
  o->Edit9->setText("old");
  o->Button4->click();
  EXPECT_EQ(o->Edit9->text(), "old");
  EXPECT_TRUE(vod->isEnabled());
  EXPECT_EQ(TakeMessages().size(), 1);

  Click("USBScan");
  sim.board.ClearLog();
  sim.board.boardName = "E7403V01";
  o->Button4->click();
  EXPECT_EQ(Sent(), (std::vector<Bytes>{{0xF9, 0x05}}));
  EXPECT_EQ(o->Edit9->text(), "E7403V01");
  EXPECT_FALSE(vod->isEnabled());
  sim.board.boardName = "E7403V02";
  o->Button4Click();
  EXPECT_EQ(o->Edit9->text(), "E7403V02");
  EXPECT_TRUE(vod->isEnabled());
  // A shorter name ends at its first NUL.
  sim.board.boardName = std::string("E74\0\0\0\0\0", 8);
  o->Button4Click();
  EXPECT_EQ(o->Edit9->text(), "E74");
  EXPECT_TRUE(TakeMessages().isEmpty());
}

// The F9 05 exchange failing after a good read: the user is told, the field keeps the
// name read before and the oscillator trim and counter scan stay as that name set them.
TEST_F(SetupDialog, FailedFirmwareReadKeepsTheNameAndTheTrim) {
  StartProgram();
  TOption* o = Opt();
  auto* vod = Find<QWidget>(prog->WaveGenForm, "VodCorrection");
  auto* scan = Find<QWidget>(prog->WaveGenForm, "btnScan");
  struct Case {
    const char* what;
    std::function<void()> fault;
  };
  const std::vector<Case> cases = {
      {"command not sent", [this] { sim.board.Arm(BoardFault::FailedTransfer); }},
      {"reply failed", [this] { sim.board.Arm(BoardFault::FailedTransfer, {.after = 1}); }},
      {"empty reply", [this] { sim.board.Arm(BoardFault::EmptyReply); }},
      {"cut reply", [this] { sim.board.Arm(BoardFault::ShortReply, {.bytes = 5}); }},
      {"unplugged", [this] { sim.board.UnplugAll(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim.board.devices.clear();
    sim.board.AddDriverBoard(0);
    Click("USBScan");
    sim.board.boardName = "E7403V02";
    o->Button4->click();
    ASSERT_EQ(o->Edit9->text(), "E7403V02");
    ASSERT_TRUE(vod->isEnabled());
    TakeMessages();
    // A name that would switch the trim off, were it taken.
    sim.board.boardName = "E7403V01";
    c.fault();
    o->Button4->click();
    EXPECT_EQ(o->Edit9->text(), "E7403V02");
    EXPECT_TRUE(vod->isEnabled());
    EXPECT_TRUE(scan->isEnabled());
    const auto shown = TakeMessages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].text, "Control Board Firmware read fail: the board did not answer with its name");
    EXPECT_EQ(Status(0), "USB not Connect !!!");
    sim.board.ClearFaults();
  }
}

}  // namespace
