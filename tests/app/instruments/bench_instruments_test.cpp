// The bench's instruments as `make run` has them, on a Program with the fake clock:
// Setup's "Select" finds each on its port through the program's serial layer, the meter
// panel reads both meters, a short sweep of two steps with the shipped step tables runs
// end to end, and the ADC reads the calibrator's output on AI1.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/text_encoding.h"
#include "instruments/calibrator_grid.h"
#include "instruments/meter_panel.h"
#include "instruments/step_grid.h"
#include "instruments/step_tables.h"
#include "instruments/temperature_files.h"
#include "instruments/temperature_measure.h"
#include "instruments/temperature_test.h"
#include "kit/segment_display.h"
#include "shell/main_panel.h"
#include "shell/setup_dialog.h"
#include "app/support/program_fixture.h"

namespace {

class BenchInstruments : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
    opt = prog->Option;
  }
  void Choose(QComboBox* c, int index) {
    c->setCurrentIndex(index);
    emit c->activated(index);
  }
  QString Status(int panel) const { return prog->MainPanel->StatusBar1->Text(panel); }

  // One instrument as the user selects it: its port chosen (the chamber's default COM1
  // left as it is), then "Select".
  struct Selection {
    const char* what;
    QComboBox* TOption::*com;
    QPushButton* TOption::*select;
    int channel;  // the meter channel, -1 for the others
    int port;
    const char* status;
  };
  std::vector<Selection> Selections() const {
    using S = SimInstrumentSet;
    return {
        {"chamber", &TOption::ChamberCOM, &TOption::ChamberSelect, -1, S::ChamberCom, "Successful Select Chamber In COM1"},
        {"calibrator", &TOption::FlukeCOM, &TOption::FlukeSelect, -1, S::CalibratorCom,
         "Successful Select Fluke In COM2"},
        {"power supply", &TOption::PowerCOM, &TOption::PowerSelect, -1, S::PowerCom,
         "Successful Select Power Supply In COM3"},
        {"voltmeter", &TOption::BryMemCom, &TOption::BryMemButtom, 0, S::VoltmeterCom, "Successful Select BryMen In COM4"},
        {"thermometer", &TOption::BryMemCom, &TOption::BryMemButtom, 1, S::ThermometerCom,
         "Successful Select BryMen In COM5"},
    };
  }
  void Select(const Selection& s) {
    if (s.channel >= 0) Choose(opt->BryMemChannel, s.channel);
    if (s.port != 1) Choose(opt->*s.com, s.port - 1);
    (opt->*s.select)->click();
  }
  void SelectAll() {
    for (const Selection& s : Selections()) Select(s);
  }

  QStringList Commands(const SimInstrument& i) const {
    QStringList l;
    for (const QByteArray& c : i.commands) l << QString::fromLatin1(c).trimmed();
    return l;
  }
  QStringList Lines(const QString& name) const { return SplitLines(DecodeBig5(ReadFile(name))); }

  // Every instrument selected and the temperature test set for "T-Test" of one mode of
  // the user's own, its calibrator row used: in the register columns, the gain x1 (10h)
  // and AI1 against VSS (13h).
  TTMP* OneModeOnAi1() {
    SelectAll();
    TTMP* tmp = prog->TMP;
    tmp->EModenum->setText("1");
    tmp->EModenumKeyPress(QChar(13));
    TStepGrid* reg = tmp->RegChg;
    reg->SetCells(1, 0, "10");
    reg->SetCells(2, 0, "13");
    reg->SetCells(1, 1, "08");
    reg->SetCells(2, 1, "1E");
    reg->SetCells(DelayColumn, 1, "0");
    reg->SetCells(AcmColumn, 1, "2.4");
    prog->FLUKE->FlukeGd->SetCells(1, 1, "1");
    return tmp;
  }

  TOption* opt = nullptr;
};

TEST_F(BenchInstruments, SetupFindsEachInstrumentOnItsPort) {
  const InstrumentPorts& ports = prog->G.Instruments;
  const DevcRS232* records[] = {&ports.ChamberPort, &ports.FlukePort, &ports.PowerPort, &ports.BryMenPorts[0],
                                &ports.BryMenPorts[1]};
  int k = 0;
  for (const Selection& s : Selections()) {
    SCOPED_TRACE(s.what);
    Select(s);
    EXPECT_EQ(Status(1), s.status);
    EXPECT_EQ(records[k]->Connected, 1);
    EXPECT_EQ(records[k]->PortName, "COM" + QString::number(s.port));
    ++k;
  }
  EXPECT_TRUE(sim.dialogs.messages.isEmpty());
  EXPECT_EQ(Commands(sim.instruments.chamber), QStringList{"\x02" "01RSD,01,0010"});
  EXPECT_EQ(Commands(sim.instruments.calibrator), QStringList{"*OPT"});
  EXPECT_TRUE(sim.instruments.power.remote);

  // The meter panel reads both: the voltmeter's steady reading, and the chamber's
  // temperature on the thermometer, which follows the chamber.
  TMeter* meter = prog->Meter;
  auto places = [meter](int ch) {
    TLedArray* led = meter->MeterAll[ch].LedArray;
    std::vector<int> v;
    for (int i = 0; i < led->Digit(); ++i) v.push_back(led->Code(i));
    return v;
  };
  auto unit = [meter](int ch) { return meter->MeterAll[ch].MUnit->text(); };
  auto minus = [meter](int ch) { return !meter->MeterAll[ch].Panel->isHidden(); };
  meter->Timer1Timer();
  EXPECT_EQ(unit(0), "DC V");
  EXPECT_EQ(places(0), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(unit(1), QString::fromUtf8("℃"));
  EXPECT_EQ(places(1), (std::vector<int>{2, 5, 0, 0, 0}));  // 25.000
  EXPECT_FALSE(minus(1));
  sim.instruments.chamber.temperature = -12.34;
  meter->Timer1Timer();
  EXPECT_EQ(places(1), (std::vector<int>{1, 2, 3, 0, 0}));  // -12.300: the meter reads tenths
  EXPECT_TRUE(minus(1));
}

TEST_F(BenchInstruments, ShortSweepWithTheShippedStepTablesRunsEndToEnd) {
  SelectAll();
  Click("DownloadReg1");
  EXPECT_EQ(Status(0), "Download Register Value OK !!!");
  Click("DownLoadFluke1");
  Click("DownloadPower1");
  TTMP* tmp = prog->TMP;
  tmp->ETempCount->setText("2");
  tmp->ETMPBG->setText("25");
  tmp->ETMPScale->setText("10");
  tmp->TMPCNTSET->click();
  tmp->Edit2->setText("0");
  Choose(tmp->CADCBRY, MeasureAdcAndMeters);
  for (SimInstrument* i : std::initializer_list<SimInstrument*>{&sim.instruments.calibrator, &sim.instruments.power})
    i->commands.clear();
  sim.board.ClearLog();
  const int64_t start = sim.clock.SteadyUs();
  tmp->TBg->click();

  // Well within a few minutes: the approach to 35 degrees, then twice two modes.
  EXPECT_LT(sim.clock.SteadyUs() - start, 180'000'000);
  EXPECT_TRUE(sim.dialogs.messages.isEmpty());

  // The step tables' modes: register 10h (the ADC gain) 08h and 0Ch, register 13h AI1
  // against VSS, each mode with its calibrator output and supply voltage.
  EXPECT_EQ(Commands(sim.instruments.calibrator),
            (QStringList{"STBY", "OUT 100 mV ,0 Hz", "OPER", "STBY", "OUT 600 mV ,0 Hz", "OPER",  // step 1
                         "STBY", "OUT 100 mV ,0 Hz", "OPER", "STBY", "OUT 600 mV ,0 Hz", "OPER",  // step 2
                         "STBY"}));
  // The supply answers no setting, so each goes twice.
  const QStringList step{"VOLT 3.3", "VOLT 3.3", "OUTP ON", "OUTP ON", "VOLT 5.0", "VOLT 5.0", "OUTP ON", "OUTP ON"};
  EXPECT_EQ(Commands(sim.instruments.power), step + step);
  auto writes = [this](uint8_t address, uint8_t value) {
    int n = 0;
    for (const Bytes& p : Sent()) n += Bytes(p.begin(), p.begin() + std::min<size_t>(p.size(), 6)) ==
                                       Bytes{0xC4, 0x00, 0xA0, address, 0x01, value};
    return n;
  };
  EXPECT_EQ(writes(0x10, 0x08), 2);
  EXPECT_EQ(writes(0x10, 0x0C), 2);
  EXPECT_EQ(writes(0x13, 0x1E), 4);
  const QString stx(QChar(0x02));
  EXPECT_EQ(Commands(sim.instruments.chamber).filter("0102"),
            (QStringList{stx + "01WSD,02,0102,00FA,0000", stx + "01WSD,02,0102,015E,0000"}));
  EXPECT_FALSE(sim.instruments.chamber.running);
  EXPECT_FALSE(sim.instruments.calibrator.operating);

  // The files. Each mode's average is the calibrator's output on AI1 at the mode's gain
  // over 2.4 V, in counts of 2^22 at 23 bits: 100 mV at x1 and 600 mV at x2, the
  // README's 174,762.7 and 2,097,152, give or take the noise.
  const double averages[] = {0.1 * 1 / 2.4 * 4194304, 0.6 * 2 / 2.4 * 4194304};
  const QString titles = QString::fromUtf8(
      " ,平均值, VPP(nV), RMS Noise(nV), Enob, VPP(count), RMS Noise(count), Noise Free, 比較值");
  const QStringList a = Lines("MxTEMPA.CSV");
  ASSERT_EQ(a.size(), 6);
  EXPECT_EQ(a[0], ", , , Test #0, , , ");
  EXPECT_EQ(a[1], QString::fromUtf8("溫度, 濕度, ") + titles);
  const QStringList b = Lines("MxTEMPB.CSV");
  ASSERT_EQ(b.size(), 6);
  EXPECT_EQ(b.mid(0, 2), (QStringList{"Test #0, , , ", titles}));
  for (int row = 0; row < 4; ++row) {
    const int step = row / 2 + 1, mode = row % 2 + 1;
    SCOPED_TRACE("step " + std::to_string(step) + ", mode " + std::to_string(mode));
    const QStringList fields = a[2 + row].split(", ");
    ASSERT_EQ(fields.size(), 10);
    EXPECT_EQ(fields.mid(0, 3), (QStringList{step == 1 ? "25.00" : "35.00", "0.00", QString::number(mode)}));
    EXPECT_NEAR(fields[3].toDouble(), averages[mode - 1], 6);
    EXPECT_EQ(b[2 + row], fields.mid(2).join(", "));
    // The result grid shows the same averages.
    EXPECT_EQ(tmp->TMPData->Cells(mode, step), fields[3]);
  }
  // The meters: the voltmeter's 1.2345 V, the thermometer at each step's temperature.
  auto meterRow = [](const char* temperature, int mode) {
    const QString m = QString::number(mode);
    return QString(temperature) + ".00, 0.00, , " + m + ", 1.2345, DC V, " + m + ", " + temperature +
           QString::fromUtf8(", ℃") + QString(", " + m + ", , ").repeated(4);
  };
  EXPECT_EQ(Lines("MxTEMPBryMen.CSV").mid(1),
            (QStringList{meterRow("25", 1), meterRow("25", 2), meterRow("35", 1), meterRow("35", 2)}));

  // What the user is shown: the run's last texts, and the buttons back.
  EXPECT_EQ(Status(1), "Channel - 0 , Step - 2");
  EXPECT_EQ(Status(2), "OK");  // the calibrator's answer to the closing standby
  EXPECT_TRUE(tmp->TBg->isEnabled());
  EXPECT_FALSE(tmp->Running);
}

// "T-Test" with a mode of the user's own: the calibrator at 100 mV and, in the register
// columns, the gain x1 (10h) and AI1 against VSS (13h).
TEST_F(BenchInstruments, SingleTestReadsTheCalibratorOnAi1) {
  TTMP* tmp = OneModeOnAi1();
  TStepGrid* fluke = prog->FLUKE->FlukeGd;
  fluke->SetCells(2, 1, "OUT 100 mV ,0 Hz");
  Choose(tmp->CADCBRY, MeasureAdc);
  tmp->TTest->click();

  EXPECT_TRUE(sim.dialogs.messages.isEmpty());
  EXPECT_EQ(sim.board.chip.Peek(0x13), 0x1E);
  EXPECT_EQ(Commands(sim.instruments.calibrator).mid(1, 3), (QStringList{"STBY", "OUT 100 mV ,0 Hz", "OPER"}));
  // 100 mV at x1 over 2.4 V, in counts of 2^22.
  const double average = 0.1 * 1 / 2.4 * 4194304;
  EXPECT_NEAR(tmp->ResultMat.Figure(Figure::Average, 1, 1), average, 6);
  EXPECT_NEAR(tmp->TMPData->Cells(1, 1).toDouble(), average, 6);
}

// A step table's OUT with a typo (letter O for zero) is refused by the calibrator, which
// keeps the output the step before set: the mode measures that, not 0 V.
TEST_F(BenchInstruments, AMalformedOutIsRefusedAndTheOutputStays) {
  TTMP* tmp = OneModeOnAi1();
  TStepGrid* fluke = prog->FLUKE->FlukeGd;
  Choose(tmp->CADCBRY, MeasureAdc);
  const double average = 0.1 * 1 / 2.4 * 4194304;  // 100 mV at x1 over 2.4 V, in counts of 2^22
  for (const char* out : {"OUT 100 mV ,0 Hz", "OUT 2OO mV ,0 Hz"}) {
    SCOPED_TRACE(out);
    fluke->SetCells(2, 1, out);
    sim.instruments.calibrator.answered.clear();
    tmp->TTest->click();
    EXPECT_EQ(sim.instruments.calibrator.output, "100 mV ,0 Hz");
    EXPECT_EQ(sim.instruments.calibrator.answered.count("ERR\r"), out[5] == 'O' ? 1 : 0);
    EXPECT_NEAR(tmp->ResultMat.Figure(Figure::Average, 1, 1), average, 6);
    EXPECT_NEAR(tmp->TMPData->Cells(1, 1).toDouble(), average, 6);
  }
}

}  // namespace
