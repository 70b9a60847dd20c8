// The bench's instruments as `make run` has them, on a Program with the fake clock:
// Setup's "Select" finds each on its port through the program's serial layer, the meter
// panel reads both meters, and a short sweep of two steps with the shipped step tables
// runs end to end.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "common/text_encoding.h"
#include "instruments/meter_panel.h"
#include "instruments/step_grid.h"
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
  // A steady 1000 from the ADC, so the figures are known.
  sim.board.streamSource = [](uint64_t) { return static_cast<int32_t>(2 * 1000); };
  for (SimInstrument* i : std::initializer_list<SimInstrument*>{&sim.instruments.calibrator, &sim.instruments.power})
    i->commands.clear();
  sim.board.ClearLog();
  const int64_t start = sim.clock.SteadyUs();
  tmp->TBg->click();

  // Well within a few minutes: the approach to 35 degrees, then twice two modes.
  EXPECT_LT(sim.clock.SteadyUs() - start, 180'000'000);
  EXPECT_TRUE(sim.dialogs.messages.isEmpty());

  // The step tables' modes: register 10h (the ADC gain) 08h and 0Ch, each mode with its
  // calibrator output and supply voltage.
  EXPECT_EQ(Commands(sim.instruments.calibrator),
            (QStringList{"STBY", "OUT 100 mV ,0 Hz", "OPER", "STBY", "OUT 600 mV ,0 Hz", "OPER",  // step 1
                         "STBY", "OUT 100 mV ,0 Hz", "OPER", "STBY", "OUT 600 mV ,0 Hz", "OPER",  // step 2
                         "STBY"}));
  // The supply answers no setting, so each goes twice.
  const QStringList step{"VOLT 3.3", "VOLT 3.3", "OUTP ON", "OUTP ON", "VOLT 5.0", "VOLT 5.0", "OUTP ON", "OUTP ON"};
  EXPECT_EQ(Commands(sim.instruments.power), step + step);
  auto gainWrites = [this](uint8_t value) {
    int n = 0;
    for (const Bytes& p : Sent()) n += Bytes(p.begin(), p.begin() + std::min<size_t>(p.size(), 6)) ==
                                       Bytes{0xC4, 0x00, 0xA0, 0x10, 0x01, value};
    return n;
  };
  EXPECT_EQ(gainWrites(0x08), 2);
  EXPECT_EQ(gainWrites(0x0C), 2);
  const QString stx(QChar(0x02));
  EXPECT_EQ(Commands(sim.instruments.chamber).filter("0102"),
            (QStringList{stx + "01WSD,02,0102,00FA,0000", stx + "01WSD,02,0102,015E,0000"}));
  EXPECT_FALSE(sim.instruments.chamber.running);
  EXPECT_FALSE(sim.instruments.calibrator.operating);

  // The files. A steady reading is one count peak to peak: 2.4 V / 2^22 = 572.20 nV at
  // gain 1, 286.10 nV at gain 2.
  const QString titles = QString::fromUtf8(
      " ,平均值, VPP(nV), RMS Noise(nV), Enob, VPP(count), RMS Noise(count), Noise Free, 比較值");
  const QString mode1 = "1, 1000.00, 572.20, 0.00, 24.00, 1.00, 0.00, 23.00,0";
  const QString mode2 = "2, 1000.00, 286.10, 0.00, 24.00, 1.00, 0.00, 23.00,0";
  EXPECT_EQ(Lines("MxTEMPA.CSV"), (QStringList{", , , Test #0, , , ", QString::fromUtf8("溫度, 濕度, ") + titles,
                                              "25.00, 0.00, " + mode1, "25.00, 0.00, " + mode2,
                                              "35.00, 0.00, " + mode1, "35.00, 0.00, " + mode2}));
  EXPECT_EQ(Lines("MxTEMPB.CSV"), (QStringList{"Test #0, , , ", titles, mode1, mode2, mode1, mode2}));
  // The meters: the voltmeter's 1.2345 V, the thermometer at each step's temperature.
  auto meterRow = [](const char* temperature, int mode) {
    const QString m = QString::number(mode);
    return QString(temperature) + ".00, 0.00, , " + m + ", 1.2345, DC V, " + m + ", " + temperature +
           QString::fromUtf8(", ℃") + QString(", " + m + ", , ").repeated(4);
  };
  EXPECT_EQ(Lines("MxTEMPBryMen.CSV").mid(1),
            (QStringList{meterRow("25", 1), meterRow("25", 2), meterRow("35", 1), meterRow("35", 2)}));

  // What the user is shown: the averages in the result grid, the run's last texts, and
  // the buttons back.
  TStepGrid* data = tmp->TMPData;
  for (int s = 1; s <= 2; ++s)
    for (int m = 1; m <= 2; ++m) EXPECT_EQ(data->Cells(m, s), "1000.00") << s << m;
  EXPECT_EQ(Status(1), "Channel - 0 , Step - 2");
  EXPECT_EQ(Status(2), "OK");  // the calibrator's answer to the closing standby
  EXPECT_TRUE(tmp->TBg->isEnabled());
  EXPECT_FALSE(tmp->Running);
}

}  // namespace
