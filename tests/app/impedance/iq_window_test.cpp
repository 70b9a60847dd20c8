// The I/Q test window on the running program: its settings file, the input rules,
// the mode buttons and "Calculate".
#include <gtest/gtest.h>

#include <QGroupBox>

#include "iq_window_fixture.h"
#include "shell/main_panel.h"

namespace {

using IQWindow = IQWindowTest;

const QByteArray kDefaults =
    "0\r\n1\r\n0\r\n0\r\n2\r\n1\r\n0\r\n0\r\n0\r\n0.1\r\n1\r\n1\r\n0\r\n0800\r\n0800\r\n1\r\n0800\r\n0800\r\n1\r\n"
    "0800\r\n0800\r\n";

TEST_F(IQWindow, OpensAsPanelFifteenWithItsDefaults) {
  Start();
  Click("IQTest1");
  EXPECT_TRUE(w->Shown());
  EXPECT_EQ(prog->PanelOf(15), w);
  EXPECT_EQ(w->Caption(), "IQForm");
  EXPECT_EQ(Text("T_Rref"), "5100");
  for (const char* n : {"T_RsDATA", "T_CpDATA", "T_ADC4_2", "T_Theta_1", "edtADC1", "T_Zm2", "T_Ratio_p"})
    EXPECT_EQ(Text(n), "000000") << n;
  EXPECT_EQ(Text("T_Resd"), "5100");
  EXPECT_EQ(Text("edtDCResd"), "5100");
  EXPECT_TRUE(Edit("T_RsDATA")->isReadOnly());
  EXPECT_EQ(w->Label13->text(), "0 Save Data");
  EXPECT_TRUE(w->rbACMode->isChecked());
  EXPECT_FALSE(w->PCAPTEST->isEnabled());
  EXPECT_EQ(w->PCAPTEST->palette().color(QPalette::Button), QColor(0xA0, 0xA0, 0xA4));
  EXPECT_EQ(List("scanCAPTimer")->currentText(), "250 ms");
  EXPECT_EQ(S().IntervalMs, 250);
  EXPECT_TRUE(S().CapTestIdle);
  EXPECT_TRUE(Find<QGroupBox>(w, "MorvexBox1")->isHidden());
  // The waveform generator's frequency goes into the frequency field.
  w->SetFrequencyText("2500");
  EXPECT_EQ(Text("T_Freq"), "2500");
  // Every hide writes the settings file.
  EXPECT_EQ(ReadFile("MxIQFormSet.txt"), kDefaults);
}

TEST_F(IQWindow, SettingsFileIsAppliedAtCreationAndWrittenBack) {
  const QByteArray file =
      "3\r\n0\r\n4\r\n12\r\n5\r\n0\r\n2\r\n3\r\n2\r\n0.3\r\n2\r\n0\r\n77\r\n0100\r\n0200\r\n0\r\n\r\nabcd\r\n1\r\n"
      "0500\r\n0600\r\n";
  WriteFile("MxIQFormSet.txt", file);
  Start();
  EXPECT_TRUE(w->rbDCACMode->isChecked());
  EXPECT_TRUE(w->rbACManualStop->isHidden());  // a combined mode hides "Continuous Read"
  EXPECT_TRUE(w->rbACTime->isChecked());
  EXPECT_TRUE(w->rbACTime2->isChecked());
  EXPECT_EQ(List("cbACTime")->currentIndex(), 4);
  EXPECT_EQ(List("cbACTime2")->currentIndex(), 4);
  EXPECT_EQ(List("cbACAmount")->currentIndex(), -1);  // no such item: no selection
  EXPECT_EQ(List("cbACAmount2")->currentIndex(), 0);  // not in the file
  EXPECT_EQ(List("scanCAPTimer2")->currentText(), "2 s");
  EXPECT_EQ(S().IntervalMs, 2000);
  EXPECT_TRUE(w->rbDCTime->isChecked());
  EXPECT_EQ(List("cbDCTime")->currentText(), "3 s");
  EXPECT_EQ(List("cbDCAmount")->currentText(), "300");
  EXPECT_EQ(List("cbACAvg")->currentText(), "4");
  EXPECT_EQ(Text("edtBiasTime"), "0.3");
  EXPECT_EQ(Text("edtReantionTime"), "2");
  EXPECT_FALSE(Check("cbADCThreshold")->isChecked());
  EXPECT_TRUE(Edit("edtADCThres")->isHidden());
  EXPECT_TRUE(Find<QLabel>(w, "lbADCThres")->isHidden());
  EXPECT_EQ(Text("edtADCThres"), "77");
  EXPECT_FALSE(Check("cbDABIT1")->isChecked());
  EXPECT_TRUE(Check("cbDABIT2")->isChecked());
  EXPECT_EQ(Text("edtDABIT1_1"), "");
  EXPECT_EQ(Text("edtDABIT1_2"), "abcd");
  EXPECT_EQ(Text("edtDABIT2_2"), "0600");
  // Written back at the start-up hide, the list without selection as -1.
  QByteArray back = file;
  back.replace("\r\n12\r\n", "\r\n-1\r\n");
  EXPECT_EQ(ReadFile("MxIQFormSet.txt"), back);
}

TEST_F(IQWindow, SettingsFileCodesOutsideTheirRangeChangeNothing) {
  WriteFile("MxIQFormSet.txt", "7\n9\n0\n0\n2\n5\n0\n0\n0\n0.1\n1\n4\n0\n0800\n0800\n3\n0800\n0800\n-1\n0800\n0800\n");
  Start();
  EXPECT_TRUE(w->rbACMode->isChecked());
  EXPECT_TRUE(w->rbACAmount->isChecked());
  EXPECT_TRUE(w->rbACTime2->isChecked());
  EXPECT_TRUE(w->rbDCAmount->isChecked());
  EXPECT_TRUE(Check("cbADCThreshold")->isChecked());
  EXPECT_TRUE(Check("cbDABIT1")->isChecked());
  EXPECT_TRUE(Check("cbDABIT2")->isChecked());
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(IQWindow, SettingsLineThatIsNotANumberKeepsOnlyItsDefault) {
  // Mode 2 and the time limit are read; the third line is not a number, so the AC
  // time keeps its default, and the lines after it are read.
  QByteArray file = kDefaults;
  file.replace(0, 15, "2\r\n0\r\nthree\r\n7\r\n5\r\n");
  WriteFile("MxIQFormSet.txt", file);
  Start();
  EXPECT_EQ(Messages(), QStringList{QCoreApplication::applicationName() +
                                    ": Invalid numeric format in line 3 of MxIQFormSet.txt.\n"
                                    "That setting keeps its default; the other lines are read."});
  EXPECT_TRUE(w->rbACDCMode->isChecked());
  EXPECT_TRUE(w->rbACTime->isChecked());
  EXPECT_EQ(List("cbACTime")->currentIndex(), 0);
  EXPECT_EQ(List("cbACAmount")->currentIndex(), 7);
  EXPECT_EQ(S().IntervalMs, 2000);
  // Written back at the start-up hide with the default in the bad line's place.
  QByteArray written = file;
  written.replace("three", "0");
  EXPECT_EQ(ReadFile("MxIQFormSet.txt"), written);
}

TEST_F(IQWindow, EditsKeepOnlyTheirCharacters) {
  Start();
  struct Case {
    const char* edit;
    const char* typed;
    const char* result;
  };
  const Case cases[] = {
      {"edtDABIT0_1", "aG-F9z", "aF9"},   // hexadecimal digits of both cases
      {"edtDABIT2_2", "12345", "1234"},   // four at most
      {"edtReantionTime", "1.2.3", "1.23"},
      {"edtBiasTime", "1.55", "1.5"},     // three at most
      {"edtADCThres", "5.5.1-e", "5.51"},  // its own text decides about the "."
  };
  for (const Case& c : cases) {
    QLineEdit* e = Edit(c.edit);
    e->clear();
    if (std::string(c.edit) == "edtADCThres") Edit("edtBiasTime")->setText("0.1");
    Type(e, c.typed);
    EXPECT_EQ(e->text(), c.result) << c.edit;
  }
  // Text from the settings file is not cut to the typed length.
  QLineEdit* bias = Edit("edtBiasTime");
  bias->setText("0.25");
  EXPECT_EQ(bias->text(), "0.25");
}

TEST_F(IQWindow, LeavingATimeEditChecksItsRange) {
  Start();
  struct Case {
    const char* leave;   // the edit focus leaves
    const char* edit;    // the edit checked
    const char* text;
    const char* after;
    const char* message;  // nullptr: none
  };
  const char* bias = "warning: Input is out of range, value is between 0~10";
  const char* reaction = "warning: Input is out of range, value is between 1~200000000";
  const Case cases[] = {
      {"edtBiasTime", "edtBiasTime", "12", "10", bias},
      {"edtBiasTime", "edtBiasTime", "10", "10", nullptr},
      {"edtBiasTime", "edtBiasTime", "-1", "0", bias},
      {"edtADCThres", "edtBiasTime", "11", "10", bias},  // the threshold edit checks the bias time
      {"edtReantionTime", "edtReantionTime", "0.5", "1", reaction},
      {"edtReantionTime", "edtReantionTime", "300000000", "200000000", reaction},
      {"edtReantionTime", "edtReantionTime", "200000000", "200000000", nullptr},
  };
  for (const Case& c : cases) {
    Edit(c.edit)->setText(c.text);
    Leave(Edit(c.leave));
    EXPECT_EQ(Text(c.edit), c.after) << c.text;
    EXPECT_EQ(Messages(), c.message ? QStringList{c.message} : QStringList()) << c.text;
  }
  // Not a number: the conversion error, the text as it was.
  Edit("edtReantionTime")->setText("abc");
  Leave(Edit("edtReantionTime"));
  const QStringList shown = Messages();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].endsWith(": 'abc' is not a valid floating point value")) << shown[0].toStdString();
  EXPECT_EQ(Text("edtReantionTime"), "abc");
  // Focus lost to another window (a message box) is no exit.
  Edit("edtBiasTime")->setText("50");
  QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QCoreApplication::sendEvent(Edit("edtBiasTime"), &away);
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(IQWindow, ModeButtonsThresholdAndScanLists) {
  Start();
  // A combined mode moves "Continuous Read" to "Measuring Amount" and hides it.
  w->rbACManualStop->setChecked(true);
  w->rbACDCMode->setChecked(true);
  EXPECT_TRUE(w->rbACAmount->isChecked());
  EXPECT_TRUE(w->rbACManualStop->isHidden());
  w->rbACMode->setChecked(true);
  EXPECT_FALSE(w->rbACManualStop->isHidden());

  // CAP TEST follows the calibrations the mode needs.
  S().ACCalibrated = true;
  w->rbDCMode->setChecked(true);
  EXPECT_FALSE(w->PCAPTEST->isEnabled());
  w->rbACMode->setChecked(true);
  EXPECT_TRUE(w->PCAPTEST->isEnabled());
  EXPECT_EQ(w->PCAPTEST->palette().color(QPalette::Button), w->palette().color(QPalette::Button));
  w->rbDCACMode2->setChecked(true);
  EXPECT_FALSE(w->PCAPTEST->isEnabled());
  S().DCCalibrated = true;
  w->rbDCACMode->setChecked(true);
  EXPECT_TRUE(w->PCAPTEST->isEnabled());

  Check("cbADCThreshold")->setChecked(false);
  EXPECT_TRUE(Edit("edtADCThres")->isHidden());
  Check("cbADCThreshold")->setChecked(true);
  EXPECT_FALSE(Edit("edtADCThres")->isHidden());

  // A choice in either scan list sets the row interval; the other list stays.
  QComboBox* simple = List("scanCAPTimer2");
  simple->setCurrentIndex(5);
  emit simple->activated(5);
  EXPECT_EQ(S().IntervalMs, 2000);
  EXPECT_EQ(List("scanCAPTimer")->currentIndex(), 2);
  List("scanCAPTimer")->setCurrentIndex(0);
  emit List("scanCAPTimer")->activated(0);
  EXPECT_EQ(S().IntervalMs, 0);
}

// ---- Calculate ------------------------------------------------------------------

TEST_F(IQWindow, CalculateInAcModeCalibratesAcAndShowsItsReadings) {
  Start();
  ScriptReadings({600, 800}, [](uint64_t) { return std::pair<double, double>{2000, 0}; });
  w->Pcalculate->click();
  EXPECT_TRUE(Messages().isEmpty());
  const std::pair<const char*, const char*> shown[] = {
      {"T_IDATA_0", "600.00"}, {"T_QDATA_0", "800.00"},   {"T_YDATA_0", "1000.00"}, {"T_Theta_0", "0.927"},
      {"T_IDATA_1", "2000.00"}, {"T_QDATA_1", "0.00"},    {"T_YDATA_1", "2000.00"}, {"T_Theta_1", "0.000"},
      {"T_Resd", "5100.00"},   {"T_Gain", "10200000.00"}, {"T_IDATA_2", "000000"},  {"edtADC1", "000000"}};
  for (auto [name, text] : shown) EXPECT_EQ(Text(name), text) << name;
  EXPECT_TRUE(S().ACCalibrated);
  EXPECT_FALSE(S().DCCalibrated);
  EXPECT_EQ(sim.board.iqConversions, 2u);
  EXPECT_EQ(CountSent({0xC4, 0x02}), 0);  // no DC calibration
  EXPECT_TRUE(w->PCAPTEST->isEnabled());
  for (QWidget* c : std::initializer_list<QWidget*>{w->Pcalculate, w->gbMode, w->gbACSet, w->gbDCSet})
    EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
}

TEST_F(IQWindow, CalculateInDcModeAveragesTheStreamWithTheMeasuringCodes) {
  Start();
  ScriptStreams({[](uint64_t) { return 1000; }, [](uint64_t) { return 2000; }});
  w->rbDCMode->setChecked(true);
  Edit("edtDABIT2_1")->setText("1234");
  Edit("edtDABIT2_2")->setText("ffff");
  w->Pcalculate->click();
  EXPECT_TRUE(Messages().isEmpty());
  EXPECT_EQ(Text("edtDCResd"), "5100.00");
  EXPECT_EQ(Text("edtADC1"), "1000");
  EXPECT_EQ(Text("edtDCGain"), "10200000.00");
  EXPECT_DOUBLE_EQ(S().Resd_dc, 5100);
  EXPECT_TRUE(S().DCCalibrated);
  EXPECT_FALSE(S().ACCalibrated);
  EXPECT_EQ(sim.board.iqConversions, 0u);
  std::vector<std::pair<int, int>> dabit;
  for (auto [a, v] : RegisterWrites())
    if (a == 23 || a == 24 || a == 26 || a == 27) dabit.emplace_back(a, v);
  EXPECT_EQ(dabit, (std::vector<std::pair<int, int>>{
                       {23, 0x12}, {24, 0x34}, {26, 0xFF}, {27, 0xFF}, {23, 0}, {24, 0}, {26, 0}, {27, 0}}));
  EXPECT_EQ(CountSent({0xC4, 0x02}), 2);
  EXPECT_FALSE(sim.board.streaming);
  EXPECT_TRUE(w->PCAPTEST->isEnabled());
}

TEST_F(IQWindow, CalculateErrorsAreShownAndTheWindowIsUsableAgain) {
  Start();
  struct Case {
    QRadioButton* mode;
    const char* edit;
    const char* text;
    const char* message;
  };
  ScriptReadings({600, 800}, [](uint64_t) { return std::pair<double, double>{2000, 0}; });
  const Case cases[] = {
      {w->rbACMode, "T_Rref", "abc", "'abc' is not a valid integer value"},
      {w->rbDCMode, "edtDABIT2_1", "", "'0x' is not a valid integer value"},
      {w->rbDCMode, "edtDABIT2_1", "12G4", "'0x12G4' is not a valid integer value"},
  };
  for (const Case& c : cases) {
    Edit(c.edit)->setText(c.text);
    c.mode->setChecked(true);
    w->Pcalculate->click();
    const QStringList shown = Messages();
    ASSERT_EQ(shown.size(), 1) << c.text;
    EXPECT_TRUE(shown[0].endsWith(QString(": ") + c.message)) << shown[0].toStdString();
    for (QWidget* ctl : std::initializer_list<QWidget*>{w->Pcalculate, w->gbMode, w->gbACSet, w->gbDCSet})
      EXPECT_TRUE(ctl->isEnabled()) << ctl->objectName().toStdString();
    // No finished calibration: CAP TEST stays as it was.
    EXPECT_FALSE(w->PCAPTEST->isEnabled()) << c.text;
    EXPECT_FALSE(S().ACCalibrated || S().DCCalibrated) << c.text;
    Edit(c.edit)->setText(c.edit == std::string("T_Rref") ? "5100" : "0800");
  }
  ScriptReadings({0, 0}, [](uint64_t) { return std::pair<double, double>{2000, 0}; });
  w->rbACMode->setChecked(true);
  w->Pcalculate->click();
  const QStringList shown = Messages();
  ASSERT_EQ(shown.size(), 1);
  // Five conversions with I = 0, then the arctangent of 0 / 0.
  EXPECT_TRUE(shown[0].endsWith(": Invalid floating point operation")) << shown[0].toStdString();
  EXPECT_TRUE(w->Pcalculate->isEnabled());
}

TEST_F(IQWindow, ACalibrationThatLosesItsReadingsKeepsTheLastOne) {
  Start();
  ScriptReadings({600, 800}, [](uint64_t) { return std::pair<double, double>{2000, 0}; });
  ScriptStreams({[](uint64_t) { return 1000; }, [](uint64_t) { return 2000; }});
  w->rbACDCMode->setChecked(true);
  w->Pcalculate->click();
  ASSERT_TRUE(Messages().isEmpty());
  ASSERT_TRUE(S().ACCalibrated && S().DCCalibrated);
  const char* figures[] = {"T_Resd", "T_Gain", "edtDCResd", "edtADC1", "edtDCGain"};
  QStringList before;
  for (const char* f : figures) before << Text(f);
  const double resd = S().Z.Resd, resdDc = S().Resd_dc;

  struct Case {
    const char* name;
    QRadioButton* mode;
    std::function<void()> fault;
    const char* message;
  };
  const Case cases[] = {
      {"demodulator stuck", w->rbACMode, [this] { sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::StuckFromNow()); },
       "I/Q conversion failed"},
      {"link lost in the AC reading", w->rbACMode,
       [this] {
         sim.board.afterCommand = [this](const std::vector<uint8_t>& p) {
           if (p.size() >= 4 && p[0] == 0xC4 && p[1] == 0x00 && p[3] == 0x0F) sim.board.Arm(BoardFault::FailedTransfer);
         };
       },
       "I/Q conversion failed"},
      {"stream silent in the second average", w->rbDCMode,
       [this] { sim.board.pollCount = [this](uint64_t) { return (sim.board.chip.Peek(0x13) >> 4) == 4 ? 0 : 21; }; },
       "ADC stream lost"},
      {"link lost in the second average", w->rbDCMode,
       [this] {
         sim.board.afterCommand = [this](const std::vector<uint8_t>& p) {
           if (p.size() >= 3 && p[0] == 0xC4 && p[1] == 0x02 && (sim.board.chip.Peek(0x13) >> 4) == 4)
             sim.board.Arm(BoardFault::FailedTransfer);  // the poll after the second stream start
         };
       },
       "ADC stream lost"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!prog->G.Channels[0].Devc.Opened) Click("USBScan");
    c.mode->setChecked(true);
    c.fault();
    w->Pcalculate->click();
    sim.board.ClearFaults();
    sim.board.pollCount = nullptr;
    sim.board.afterCommand = nullptr;
    const QStringList shown = Messages();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].endsWith(QString(": ") + c.message)) << shown[0].toStdString();
    QStringList after;
    for (const char* f : figures) after << Text(f);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(S().ACCalibrated && S().DCCalibrated);
    EXPECT_EQ(S().Z.Resd, resd);
    EXPECT_EQ(S().Resd_dc, resdDc);
    EXPECT_TRUE(w->PCAPTEST->isEnabled());
    EXPECT_TRUE(w->Pcalculate->isEnabled());
    EXPECT_FALSE(sim.board.streaming && prog->G.Channels[0].Devc.Opened);
  }
}

}  // namespace
