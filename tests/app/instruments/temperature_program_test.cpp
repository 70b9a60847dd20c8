// The temperature test on a Program with the simulated board, the bench's chamber,
// calibrator, power supply and voltmeter on their serial ports, and the fake clock.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cmath>
#include <functional>

#include "adc_analysis/analysis_window.h"
#include "common/errors.h"
#include "common/text_encoding.h"
#include "instruments/calibrator_grid.h"
#include "instruments/meter_panel.h"
#include "instruments/meter_reading.h"
#include "instruments/power_grid.h"
#include "instruments/step_grid.h"
#include "instruments/temperature_files.h"
#include "instruments/temperature_sequencer.h"
#include "instruments/temperature_test.h"
#include "shell/main_panel.h"
#include "app/support/program_fixture.h"

namespace {

// The raw stream word an ADC capture decodes to v.
uint32_t AdcWord(int v) { return static_cast<uint32_t>(2 * v) & 0xFFFFFF; }

MeterReading Reading(const char* field) {
  MeterReading r;
  r.text = field;
  return r;
}

class TemperatureTest : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    chamber = &sim.instruments.chamber;
    calibrator = &sim.instruments.calibrator;
    power = &sim.instruments.power;
    meter = &sim.instruments.voltmeter;
    StartProgram();
    tmp = prog->TMP;
    // The bench's instruments, on their ports as Setup would have opened them.
    InstrumentPorts& p = prog->G.Instruments;
    Open(p.ChamberPort, SimInstrumentSet::ChamberCom);
    Open(p.FlukePort, SimInstrumentSet::CalibratorCom);
    Open(p.PowerPort, SimInstrumentSet::PowerCom);
    Open(p.BryMenPorts[0], SimInstrumentSet::VoltmeterCom);
    SteadyInput(1000);
  }
  // Every capture reads v.
  void SteadyInput(int v) {
    sim.board.streamSource = [v](uint64_t) { return static_cast<int32_t>(AdcWord(v)); };
  }
  void Open(DevcRS232& port, int com) {
    port.Handle = sim.serial.Open("COM" + QString::number(com));
    ASSERT_TRUE(SerialHandleValid(port.Handle));
    port.Connected = 1;
  }
  // Two modes: registers 3Ch and 3Dh (headed 13D), delays 1 s and none, references
  // 2.4 V and 1.2 V; the calibrator's output in mode 1 and standby in mode 2; the power
  // supply's voltage in mode 1 and its output off in mode 2.
  void TwoModes() {
    tmp->EModenum->setText("4");
    tmp->EModenumKeyPress(QChar(13));
    TStepGrid* reg = tmp->RegChg;
    const char* cells[3][4] = {{"3C", "13D", "", ""}, {"11", "22", "1", "2.4"}, {"33", "1FF", "", "1.2"}};
    for (int r = 0; r < 3; ++r) {
      reg->SetCells(1, r, cells[r][0]);
      reg->SetCells(2, r, cells[r][1]);
      if (r > 0) reg->SetCells(11, r, cells[r][2]);
      if (r > 0) reg->SetCells(12, r, cells[r][3]);
    }
    TStepGrid* fluke = prog->FLUKE->FlukeGd;
    fluke->SetCells(1, 1, "1");
    fluke->SetCells(2, 1, "OUT 1 V");
    fluke->SetCells(1, 2, "1");
    fluke->SetCells(2, 2, "stby");
    TStepGrid* pw = prog->FPower->PowerGd;
    pw->SetCells(1, 1, "1");
    pw->SetCells(2, 1, "VOLT 3.3");
    pw->SetCells(1, 2, "2");
    pw->SetCells(2, 2, "outp off");
  }
  void Steps(const char* count, const char* start, const char* step) {
    tmp->ETempCount->setText(count);
    tmp->ETMPBG->setText(start);
    tmp->ETMPScale->setText(step);
    tmp->TMPCNTSET->click();
  }
  // A run of two steps whose chamber goes silent during step 1's second capture: the
  // set point of step 2 is not taken and the run ends with step 1 measured.
  void RunEndingInStepOne() {
    Steps("2", "25", "10");
    tmp->Edit2->setText("0");
    sim.board.ClearLog();
    sim.dialogs.messages.clear();
    AtPump([this] { return CountSent({0xC4, 0x02, 0x03}) == 2; },
           [this] { chamber->Arm(InstrumentFault::Silent, FaultSpan::FromNowOn()); });
    tmp->TBg->click();
    chamber->ClearFaults();
  }
  // Runs `act` at the first round of messages at which `when` holds.
  void AtPump(std::function<bool()> when, std::function<void()> act) {
    watch = [when, act] {
      if (!when()) return false;
      act();
      return true;
    };
    Post();
  }
  void Post() {
    QMetaObject::invokeMethod(&context, [this] {
      if (watch && !watch()) Post();
    }, Qt::QueuedConnection);
  }
  int CountSent(std::vector<uint8_t> prefix) const {
    int n = 0;
    for (const auto& p : Sent())
      if (p.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), p.begin())) ++n;
    return n;
  }
  QStringList Commands(const SimInstrument* i) const {
    QStringList l;
    for (const QByteArray& c : i->commands) l << QString::fromLatin1(c).trimmed();
    return l;
  }
  QString Status(int panel) const { return prog->MainPanel->StatusBar1->Text(panel); }
  // Lines of a result file as written (Big5, CR LF).
  QStringList Lines(const QString& name) const {
    const QByteArray bytes = ReadFile(name);
    EXPECT_TRUE(bytes.isEmpty() || bytes.endsWith("\r\n")) << name.toStdString();
    return SplitLines(DecodeBig5(bytes));
  }

  SimChamber* chamber = nullptr;
  SimCalibrator* calibrator = nullptr;
  SimPowerSupply* power = nullptr;
  SimMeter* meter = nullptr;
  TTMP* tmp = nullptr;
  QObject context;
  std::function<bool()> watch;
};

// The file bytes of these lines: Big5, each ended by CR LF.
QByteArray Big5Lines(const QStringList& lines) {
  QByteArray out;
  for (const QString& l : lines) out += EncodeBig5(l) + "\r\n";
  return out;
}

const QString kTitles = QString::fromUtf8(
    " ,平均值, VPP(nV), RMS Noise(nV), Enob, VPP(count), RMS Noise(count), Noise Free, 比較值");
const QString kMeterTitles =
    ", , , Test #0, , , Test #1, , , Test #2, , , Test #3, , , Test #4, , , Test #5, , ";
// Figures of a steady 1000 at gain 1/4 and the two reference voltages.
const char* kMode1 = "1, 1000.00, 2288.82, 0.00, 24.00, 1.00, 0.00, 23.00,0";
const char* kMode2 = "2, 1000.00, 1144.41, 0.00, 24.00, 1.00, 0.00, 23.00,0";
QString MeterRow(const char* step, int mode, const char* reading) {
  QString row = QString(step) + ", 0.00, , " + QString::number(mode) + ", " + reading + ", DC V";
  for (int ch = 1; ch < 6; ++ch) row += ", " + QString::number(mode) + ", , ";
  return row;
}

TEST_F(TemperatureTest, TwoStepsTwoModesEndToEnd) {
  TwoModes();
  Steps("2", "25", "10");
  tmp->Edit2->setText("0");
  tmp->CADCBRY->setCurrentIndex(0);
  // The last reading stays the meter's reading after the four.
  meter->readings = {Reading("1.0"), Reading("5.0"), Reading("2.0"), Reading("3.0")};
  sim.board.ClearLog();
  const int opens = sim.board.opensTried;
  tmp->TBg->click();

  // The chamber: set point and slopes of step 1, the run command, reads until in band,
  // step 2 loaded after step 1's measurement, no set point after the last, the stop.
  const QStringList frames = Commands(chamber);
  ASSERT_GT(frames.size(), 10);
  const QString stx(QChar(0x02));
  EXPECT_EQ(frames.mid(0, 5), (QStringList{stx + "01WSD,02,0102,00FA,0000", stx + "01WSD,02,0106,0000,0032",
                                           stx + "01WSD,01,0200,0000", stx + "01WSD,01,0101,0001",
                                           stx + "01RSD,02,0001"}));
  EXPECT_EQ(frames.filter("0102").size(), 2);
  EXPECT_EQ(frames.filter("0102")[1], stx + "01WSD,02,0102,015E,0000");
  EXPECT_EQ(frames.last(), stx + "01WSD,01,0101,0004");
  EXPECT_FALSE(chamber->running);
  // Reads: step 1 is in its band at once (one read, then one of the soak); step 2's
  // approach goes from 25 to 33.5 degrees at the chamber's rate, one read a second.
  const int approachSeconds = static_cast<int>(8.5 / (SimInstrumentSet::ChamberSlopePerMin / 60));
  EXPECT_GE(frames.filter("RSD").size(), 2 + approachSeconds + 1);
  EXPECT_LE(frames.filter("RSD").size(), 2 + approachSeconds + 3);

  // Calibrator: standby before each command, operate after a command that is not standby,
  // standby at the end. Power supply: each command and OUTP ON repeated (no answer), none
  // after an output-off command.
  EXPECT_EQ(Commands(calibrator), (QStringList{"STBY", "OUT 1 V", "OPER", "STBY", "stby", "STBY", "OUT 1 V", "OPER",
                                               "STBY", "stby", "STBY"}));
  EXPECT_FALSE(calibrator->operating);
  const QStringList mode{"VOLT 3.3", "VOLT 3.3", "OUTP ON", "OUTP ON", "outp off", "outp off"};
  EXPECT_EQ(Commands(power), mode + mode);
  EXPECT_EQ(Status(0), "2 - outp off");

  // The board: reopened per step, the mode's registers written (13D is 3Dh, 1FF is FFh)
  // and a mode-3 capture per mode and step.
  EXPECT_EQ(sim.board.opensTried - opens, 2);
  for (const Bytes& w : {Bytes{0xC4, 0x00, 0xA0, 0x3C, 0x01, 0x11}, Bytes{0xC4, 0x00, 0xA0, 0x3D, 0x01, 0x22},
                         Bytes{0xC4, 0x00, 0xA0, 0x3C, 0x01, 0x33}, Bytes{0xC4, 0x00, 0xA0, 0x3D, 0x01, 0xFF}})
    EXPECT_EQ(CountSent({w[0], w[1], w[2], w[3], w[4], w[5]}), 2);
  EXPECT_EQ(CountSent({0xC4, 0x02, 0x03}), 4);
  EXPECT_EQ(sim.board.chip.Peek(0x3D), 0xFF);
  EXPECT_EQ(prog->AnxADC->EREFV->text(), "1.2");
  EXPECT_TRUE(prog->AnxADC->BADC->isEnabled());

  // The files, byte for byte.
  EXPECT_EQ(ReadFile("MxTEMPA.CSV"),
            Big5Lines({", , , Test #0, , , ", QString::fromUtf8("溫度, 濕度, ") + kTitles,
                       QString("25.00, 0.00, ") + kMode1, QString("25.00, 0.00, ") + kMode2,
                       QString("35.00, 0.00, ") + kMode1, QString("35.00, 0.00, ") + kMode2}));
  const QByteArray b = Big5Lines({"Test #0, , , ", kTitles, kMode1, kMode2, kMode1, kMode2});
  EXPECT_EQ(ReadFile("MxTEMPB.CSV"), b);
  const QByteArray meters =
      Big5Lines({kMeterTitles, MeterRow("25.00", 1, "2.5"), MeterRow("25.00", 2, "3"),
                 MeterRow("35.00", 1, "3"), MeterRow("35.00", 2, "3")});
  EXPECT_EQ(ReadFile("MxTEMPBryMen.CSV"), meters);
  // The snapshots after each pass could not take the names the streams held.
  EXPECT_EQ(ReadFile("MxTEMPFOVER.CSV"), b);
  EXPECT_EQ(ReadFile("MxTEMPBryMenOVER.CSV"), meters);

  // The tables hold the modes the run used, not every mode a run may have.
  EXPECT_EQ(tmp->ResultMat.HeldModes(), 3);
  EXPECT_EQ(prog->Meter->MeterAll[0].Matrix.HeldModes(), 3);
  EXPECT_EQ(tmp->ResultMat.Figure(0, 2, 2), 1000);

  // The result grid: one row per step, one column per mode.
  TStepGrid* data = tmp->TMPData;
  EXPECT_EQ(data->RowCount(), 3);
  EXPECT_EQ(data->ColCount(), 3);
  EXPECT_EQ(data->Cells(2, 0), "D - 2");
  EXPECT_EQ(data->Cells(0, 2), "2");
  EXPECT_EQ(data->Cells(2, 2), "1000.00");
  EXPECT_EQ(tmp->StepNo, 3);
  EXPECT_FALSE(tmp->Running);
  for (QWidget* w : {(QWidget*)tmp->TBg, (QWidget*)tmp->TTest, (QWidget*)tmp->CADCBRY, (QWidget*)tmp->TMPCNTSET})
    EXPECT_TRUE(w->isEnabled());

  // After the run "SaveData" writes the snapshots under the main names.
  QFile::remove(Path("MxTEMPFOVER.CSV"));
  WriteFile("MxTEMPB.CSV", "old");
  tmp->ENSave->click();
  EXPECT_EQ(ReadFile("MxTEMPB.CSV"), b);
  EXPECT_FALSE(QFile::exists(Path("MxTEMPFOVER.CSV")));
}

TEST_F(TemperatureTest, SingleTestMeasuresStepOneWithoutRunningTheChamber) {
  TwoModes();
  tmp->TMPGrid->SetCells(2, 1, "45.5");  // humidity of step 1
  sim.board.ClearLog();
  tmp->TTest->click();

  EXPECT_EQ(Commands(chamber), QStringList{QString(QChar(0x02)) + "01WSD,01,0101,0004"});
  EXPECT_EQ(CountSent({0xC4, 0x02, 0x03}), 2);
  EXPECT_EQ(tmp->TempCount, 5);  // the step count as it was
  EXPECT_EQ(tmp->StepTemp[1], -40);
  EXPECT_EQ(tmp->StepHumb[1], 45.5);
  // The summary holds step 1 only; "ADC" writes no meter stream and no meter snapshot.
  const QStringList a = Lines("MxTEMPA.CSV");
  ASSERT_EQ(a.size(), 4);
  EXPECT_EQ(a[3], QString("-40.00, 45.50, ") + kMode2);
  EXPECT_EQ(Lines("MxTEMPB.CSV"), (QStringList{"Test #0, , , ", kTitles, kMode1, kMode2}));
  EXPECT_FALSE(QFile::exists(Path("MxTEMPBryMen.CSV")));
  EXPECT_FALSE(QFile::exists(Path("MxTEMPBryMenOVER.CSV")));
  EXPECT_EQ(tmp->TMPData->RowCount(), 2);
  EXPECT_EQ(tmp->TMPData->Cells(1, 1), "1000.00");
  EXPECT_TRUE(tmp->TTest->isEnabled());
}

TEST_F(TemperatureTest, CaptureKindsAndDelayWaits) {
  TwoModes();
  prog->FLUKE->FlukeGd->SetCells(1, 2, "");
  tmp->RegChg->SetCells(1, 2, "");  // mode 1 only
  auto testTakes = [this] {
    const int64_t t0 = sim.clock.SteadyUs();
    tmp->TTest->click();
    return sim.clock.SteadyUs() - t0;
  };
  // Temperature samples in stream mode 2; ADC samples in mode 1 without "FastRead".
  tmp->ComMode->setCurrentIndex(1);
  sim.board.ClearLog();
  const int64_t oneSecond = testTakes();
  EXPECT_EQ(CountSent({0xC4, 0x02, 0x02}), 1);
  tmp->ComMode->setCurrentIndex(0);
  prog->AnxADC->FastRead->setChecked(false);
  tmp->RegChg->SetCells(DelayColumn, 1, "15");
  sim.board.ClearLog();
  const int64_t fifteen = testTakes();
  EXPECT_EQ(CountSent({0xC4, 0x02, 0x01}), 1);
  EXPECT_FALSE(prog->AnxADC->st.AdcCaptureFlag || prog->AnxADC->st.TempCaptureFlag);
  // Two waits of the mode's delay before its capture: 15 s instead of 1 s each.
  EXPECT_GE(fifteen - oneSecond, 28'000'000);
  EXPECT_LT(fifteen - oneSecond, 29'000'000);
}

TEST_F(TemperatureTest, StopDuringTheFirstDelayWait) {
  TwoModes();
  tmp->RegChg->SetCells(DelayColumn, 1, "15");
  sim.board.ClearLog();
  int64_t stoppedAt = 0;
  AtPump([this] { return !prog->AnxADC->BADC->isEnabled(); },
         [&] {
           stoppedAt = sim.clock.SteadyUs();
           tmp->Button2->click();
         });
  const int64_t start = sim.clock.SteadyUs();
  tmp->TTest->click();

  // The first wait runs out, the second is skipped, the capture runs once, mode 2 is
  // not measured, and the step still advances.
  EXPECT_GT(stoppedAt, start);
  EXPECT_EQ(CountSent({0xC4, 0x02, 0x03}), 1);
  EXPECT_EQ(CountSent({0xC4, 0x00, 0xA0, 0x3C, 0x01, 0x33}), 0);
  EXPECT_EQ(tmp->StepNo, 2);
  EXPECT_EQ(Lines("MxTEMPB.CSV"), (QStringList{"Test #0, , , ", kTitles, kMode1}));
  EXPECT_EQ(Commands(calibrator).mid(0, 3), (QStringList{"STBY", "OUT 1 V", "OPER"}));
  EXPECT_FALSE(Commands(calibrator).contains("stby"));
  EXPECT_FALSE(tmp->Running);
  EXPECT_TRUE(tmp->TBg->isEnabled());
}

TEST_F(TemperatureTest, StopEndsALongDelayAtTheNextMinute) {
  TwoModes();
  tmp->RegChg->SetCells(DelayColumn, 1, "3600");
  int64_t stoppedAt = 0;
  AtPump([this] { return !prog->AnxADC->BADC->isEnabled() && Status(2) == "10"; },
         [&] {
           stoppedAt = sim.clock.SteadyUs();
           tmp->Button2->click();
         });
  tmp->TTest->click();
  const int64_t afterStop = sim.clock.SteadyUs() - stoppedAt;
  EXPECT_GT(afterStop, 49'000'000);  // the rest of the first minute
  EXPECT_LT(afterStop, 55'000'000);  // then the capture and the end of the test
  EXPECT_EQ(CountSent({0xC4, 0x02, 0x03}), 1);
}

TEST_F(TemperatureTest, PowerSupplyWaitIsTheOneTyped) {
  TwoModes();
  prog->FLUKE->FlukeGd->SetCells(1, 2, "");
  tmp->RegChg->SetCells(1, 2, "");  // mode 1 only: one power command and its wait
  auto testTakes = [this](const char* ms) {
    tmp->PDlyT->setText(ms);
    const int64_t t0 = sim.clock.SteadyUs();
    tmp->TTest->click();
    return sim.clock.SteadyUs() - t0;
  };
  const int64_t half = testTakes("30000");
  const int64_t slow = testTakes("90000");
  EXPECT_GE(slow - half, 60'000'000);
  EXPECT_LT(slow - half, 61'000'000);
  EXPECT_EQ(Lines("MxTEMPB.CSV"), (QStringList{"Test #0, , , ", kTitles, kMode1}));
}

TEST_F(TemperatureTest, StopDuringALongPowerSupplyWaitEndsTheTestPromptly) {
  TwoModes();
  tmp->PDlyT->setText("600000");  // ten minutes
  const struct {
    const char* name;
    std::function<void()> stop;
  } cases[] = {
      {"Stop", [this] { tmp->Button2->click(); }},
      {"window closed", [this] { tmp->Frame()->close(); }},
  };
  Click("Regist");  // the window shown, so that it can be closed
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    power->commands.clear();
    calibrator->commands.clear();
    sim.board.ClearLog();
    int64_t stoppedAt = 0;
    qsizetype calibratorAtStop = -1;
    AtPump([this] { return Commands(power).contains("OUTP ON"); },
           [&] {
             stoppedAt = sim.clock.SteadyUs();
             calibratorAtStop = calibrator->commands.size();
             c.stop();
           });
    const int64_t start = sim.clock.SteadyUs();
    tmp->TTest->click();

    // Stopped inside the wait, before the calibrator's command; the pass goes on to its
    // capture, mode 2 is not measured, and the test ends within seconds, not minutes.
    EXPECT_EQ(calibratorAtStop, 0);
    EXPECT_GT(stoppedAt, start);
    EXPECT_LT(sim.clock.SteadyUs() - start, 30'000'000);
    EXPECT_EQ(Commands(power), (QStringList{"VOLT 3.3", "VOLT 3.3", "OUTP ON", "OUTP ON"}));
    EXPECT_EQ(CountSent({0xC4, 0x02, 0x03}), 1);
    EXPECT_EQ(Lines("MxTEMPB.CSV"), (QStringList{"Test #0, , , ", kTitles, kMode1}));
    EXPECT_FALSE(tmp->Running);
    EXPECT_TRUE(tmp->TTest->isEnabled());
  }
}

TEST_F(TemperatureTest, ARunEndingInStepOneLeavesStepTwoEmptyInTheSummary) {
  TwoModes();
  const QStringList emptyStepTwo{"35.00, 0.00, 1, , , , , , , ,0", "35.00, 0.00, 2, , , , , , , ,0"};
  // The first run after start-up, then one after a full run whose step 2 was measured.
  for (bool afterFullRun : {false, true}) {
    SCOPED_TRACE(afterFullRun ? "after a full run" : "first run");
    if (afterFullRun) {
      SteadyInput(1000);
      tmp->TBg->click();
      ASSERT_EQ(Lines("MxTEMPA.CSV").mid(4), (QStringList{QString("35.00, 0.00, ") + kMode1,
                                                          QString("35.00, 0.00, ") + kMode2}));
    }
    SteadyInput(2000);
    RunEndingInStepOne();
    ASSERT_EQ(sim.dialogs.messages.size(), 1);
    EXPECT_EQ(sim.dialogs.messages[0].text, "The chamber did not take the set point of step 2");

    // Step 1 as this run measured it (its B stream's rows), step 2 without figures.
    const QStringList b = Lines("MxTEMPB.CSV");
    ASSERT_EQ(b.size(), 2 + 2);
    EXPECT_TRUE(b[2].startsWith("1, 2000.00, ")) << b[2].toStdString();
    const QStringList a = Lines("MxTEMPA.CSV");
    ASSERT_EQ(a.size(), 2 + 4);
    EXPECT_EQ(a.mid(2, 2), (QStringList{"25.00, 0.00, " + b[2], "25.00, 0.00, " + b[3]}));
    EXPECT_EQ(a.mid(4), emptyStepTwo);
    // The result grid agrees.
    EXPECT_EQ(tmp->TMPData->Cells(1, 1), "2000.00");
    EXPECT_EQ(tmp->TMPData->Cells(1, 2), "");
    EXPECT_EQ(tmp->TMPData->Cells(2, 2), "");
  }
}

TEST_F(TemperatureTest, SaveDataKeepsTheCellsOfEarlierRuns) {
  TwoModes();
  Steps("2", "25", "10");
  tmp->Edit2->setText("0");
  tmp->TBg->click();
  SteadyInput(2000);
  tmp->TTest->click();
  const QStringList single = Lines("MxTEMPB.CSV").mid(2);
  ASSERT_EQ(single.size(), 2);
  EXPECT_TRUE(single[0].startsWith("1, 2000.00, ")) << single[0].toStdString();

  // Step 1 as the single test measured it, step 2 as the full run did.
  tmp->ENSave->click();
  EXPECT_EQ(Lines("MxTEMPB.CSV"), (QStringList{"Test #0, , , ", kTitles} + single + QStringList{kMode1, kMode2}));
}

TEST_F(TemperatureTest, StopDuringTheSoakClosesTheStreamsAndEnds) {
  TwoModes();
  Steps("2", "25", "10");
  tmp->Edit2->setText("1");
  AtPump([this] { return Status(2) == "0:00:03"; }, [this] { tmp->Button2->click(); });
  tmp->TBg->click();

  EXPECT_EQ(Lines("MxTEMPB.CSV"), (QStringList{"Test #0, , , ", kTitles}));
  const QStringList a = Lines("MxTEMPA.CSV");
  EXPECT_EQ(a.size(), 2 + 4);  // both steps and modes, nothing measured
  EXPECT_EQ(a[2], "25.00, 0.00, 1, , , , , , , ,0");
  EXPECT_EQ(a[5], "35.00, 0.00, 2, , , , , , , ,0");
  EXPECT_EQ(CountSent({0xC4, 0x02}), 0);
  EXPECT_EQ(Commands(chamber).last(), QString(QChar(0x02)) + "01WSD,01,0101,0004");
  EXPECT_EQ(Commands(calibrator).last(), "STBY");
  EXPECT_FALSE(tmp->Running);
  EXPECT_TRUE(tmp->TBg->isEnabled());
  EXPECT_TRUE(tmp->CADCBRY->isEnabled());
}

TEST_F(TemperatureTest, FailedCapturesArePassedAgainFourTimesAtMost) {
  TwoModes();
  prog->FLUKE->FlukeGd->SetCells(1, 2, "");
  tmp->RegChg->SetCells(1, 2, "");  // mode 1 only
  tmp->CHFULL->setChecked(true);
  // The first three captures get no sample and time out; the fourth completes.
  sim.board.samplesPerPoll = 0;
  AtPump([this] { return CountSent({0xC4, 0x02, 0x03}) == 4; }, [this] { sim.board.samplesPerPoll = 21; });
  tmp->TTest->click();

  // The passes whose capture failed gave no figures: their rows hold none.
  const QString noFigures = "1, , , , , , , ,0";
  const QStringList b = Lines("MxTEMPB.CSV");
  ASSERT_EQ(b.size(), 2 + 4);
  EXPECT_EQ(b.mid(2, 3), QStringList(3, noFigures));
  EXPECT_EQ(b[5], kMode1);
  EXPECT_EQ(CountSent({0xC4, 0x02, 0x03}), 4);
  EXPECT_EQ(tmp->FullFileNo, 1);
  const QStringList raw = Lines("TEMP/MxTMP-0.CSV");
  const int n = prog->G.SampleCount;
  ASSERT_GE(n, 64);
  ASSERT_EQ(raw.size(), (n + 15) / 16 + 2);
  EXPECT_EQ(raw[0], QString("1000, ").repeated(16));
  EXPECT_EQ(raw[raw.size() - 2], QString(kTitles).mid(2));
  EXPECT_EQ(raw.last(), "1000.00,2288.82,0.00,24.00,1.00,0.00,23.00,0");

  // A capture that never completes: four passes, no raw file, and no figure anywhere,
  // not the last capture's and not 0.
  sim.board.samplesPerPoll = 0;
  tmp->TTest->click();
  EXPECT_EQ(Lines("MxTEMPB.CSV"), (QStringList{"Test #0, , , ", kTitles, noFigures, noFigures, noFigures, noFigures}));
  EXPECT_TRUE(std::isnan(tmp->ResultMat.Figure(0, 1, 1)));
  EXPECT_EQ(tmp->TMPData->Cells(1, 1), "");
  EXPECT_EQ(tmp->FullFileNo, 1);
  // The next raw file counts on.
  sim.board.samplesPerPoll = 21;
  tmp->TTest->click();
  EXPECT_TRUE(QFile::exists(Path("TEMP/MxTMP-1.CSV")));
}

TEST_F(TemperatureTest, AChartDisplayClickDuringItsCaptureLeavesTheFiguresAndTheRawFileToTheSamples) {
  TwoModes();
  prog->FLUKE->FlukeGd->SetCells(1, 2, "");
  tmp->RegChg->SetCells(1, 2, "");  // mode 1 only
  tmp->CHFULL->setChecked(true);
  TAnxADC* anx = prog->AnxADC;
  anx->cbEKG->setChecked(true);  // the chart display choice is offered
  std::vector<int> sent;
  sim.board.streamSource = [&](uint64_t n) {
    const int v = 1000 + static_cast<int>((n * 37) % 11) * 100;
    sent.push_back(v);
    if (sent.size() == 30) QMetaObject::invokeMethod(anx->rbEKG, &QRadioButton::click, Qt::QueuedConnection);
    return static_cast<int32_t>(AdcWord(v));
  };
  tmp->TTest->click();
  EXPECT_TRUE(anx->rdADC->isChecked());
  const int n = prog->G.SampleCount;
  ASSERT_GE(static_cast<int>(sent.size()), 13 + n);
  const QStringList raw = Lines("TEMP/MxTMP-0.CSV");
  ASSERT_EQ(raw.size(), (n + 15) / 16 + 2);
  for (int row = 0; row < n / 16; ++row) {
    QString want;
    for (int k = 16 * row; k < 16 * row + 16; ++k) want += QString::number(sent[13 + k]) + ", ";
    EXPECT_EQ(raw[row], want) << row;
  }
  double mean = 0;
  for (int k = 0; k < n; ++k) mean += sent[13 + k];
  mean /= n;
  double squares = 0;
  for (int k = 0; k < n; ++k) squares += (sent[13 + k] - mean) * (sent[13 + k] - mean);
  EXPECT_NEAR(tmp->ResultMat.Figure(0, 1, 1), mean, 1e-9);
  EXPECT_NEAR(tmp->ResultMat.Figure(5, 1, 1), std::sqrt(squares / n), 1e-9);  // RMS noise in counts
}

TEST_F(TemperatureTest, MetersOnlyTakeFourPassesPerModeWithTheMedianOfFourReadings) {
  TwoModes();
  tmp->CADCBRY->setCurrentIndex(MeasureMeters);
  MeterReading invalid = Reading("1.2.3");
  MeterReading ohm = Reading("7.0");
  ohm.flags1 = 0x82;
  meter->readings = {Reading("1.0"), Reading("5.0"), Reading("2.0"), Reading("3.0"),
                     invalid, Reading("4.0"), Reading("4.0"), Reading("4.0"), Reading("4.0"),
                     ohm, ohm, ohm, ohm};
  sim.board.ClearLog();
  tmp->TTest->click();

  EXPECT_EQ(CountSent({0xC4, 0x02}), 0);
  const QStringList rows = Lines("MxTEMPBryMen.CSV");
  ASSERT_EQ(rows.size(), 1 + 8);  // four rows per mode
  EXPECT_TRUE(rows[1].startsWith("-40.00, 0.00, , 1, 2.5, DC V, 1, , ")) << rows[1].toStdString();
  EXPECT_TRUE(rows[2].startsWith("-40.00, 0.00, , 1, 4, DC V, ")) << rows[2].toStdString();
  EXPECT_TRUE(rows[3].startsWith(QString::fromUtf8("-40.00, 0.00, , 1, 7, Ω, "))) << rows[3].toStdString();
  EXPECT_TRUE(rows[5].startsWith(QString::fromUtf8("-40.00, 0.00, , 2, 7, Ω, "))) << rows[5].toStdString();
  EXPECT_EQ(meter->requests, 33);  // 32 readings and the invalid one read again
  EXPECT_EQ(prog->Meter->MeterAll[0].Matrix.Reading(1, 2), 7);
  EXPECT_EQ(prog->Meter->MeterAll[0].Matrix.UnitText(1, 2), QString::fromUtf8("Ω"));
  // No B stream, but the B snapshot, whose cells nothing has measured since start-up are
  // empty; the summary's are too, and the result grid is left empty.
  EXPECT_EQ(Lines("MxTEMPB.CSV").mid(2), (QStringList{"1, , , , , , , ,0", "2, , , , , , , ,0"}));
  EXPECT_EQ(Lines("MxTEMPA.CSV").mid(2), (QStringList{"-40.00, 0.00, 1, , , , , , , ,0", "-40.00, 0.00, 2, , , , , , , ,0"}));
  EXPECT_EQ(tmp->TMPData->Cells(1, 1), "");
}

TEST_F(TemperatureTest, MeterFramesThatDoNotComeAreNoReading) {
  TwoModes();
  tmp->RegChg->SetCells(1, 2, "");  // mode 1 only
  tmp->CADCBRY->setCurrentIndex(MeasureMeters);
  struct Case {
    const char* name;
    std::function<void()> fault;  // on the meter reading 5.0
    const char* firstRow;         // the meter's fields of the first pass
    bool reading;                 // a reading is stored for the mode
  };
  const Case cases[] = {
      // Each lost reading: its request and the resend, and both again for each of two retries.
      {"two of four frames lost", [this] { meter->Arm(InstrumentFault::Ignore, {.count = 2 * 2 * 3}); }, "1, 5, DC V",
       true},
      {"frames refused (no DLE STX)", [this] { meter->Arm(InstrumentFault::Wrong, FaultSpan::FromNowOn()); }, "1, , ",
       false},
      {"an overload on every read", [this] { meter->reading = Reading("  .OL  "); }, "1, , DC V", false},
      {"silent", [this] { meter->Arm(InstrumentFault::Silent, FaultSpan::FromNowOn()); }, "1, , ", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    meter->reading = Reading("5.0");
    meter->ClearFaults();
    c.fault();
    tmp->TTest->click();
    const QStringList rows = Lines("MxTEMPBryMen.CSV");
    ASSERT_EQ(rows.size(), 1 + 4);  // four passes without a capture
    EXPECT_TRUE(rows[1].startsWith(QString("-40.00, 0.00, , ") + c.firstRow + ", 1, , ")) << rows[1].toStdString();
    EXPECT_EQ(IsReading(prog->Meter->MeterAll[0].Matrix.Reading(1, 1)), c.reading);
    if (c.reading) {
      EXPECT_EQ(prog->Meter->MeterAll[0].Matrix.Reading(1, 1), 5);
    }
  }
}

TEST_F(TemperatureTest, StopWhileTheMetersAreReadEndsTheRunAfterAWholePass) {
  TwoModes();
  Steps("2", "25", "10");
  tmp->Edit2->setText("0");
  // The bench's two meters on channels 0 and 1, four more on free ports; meter ch reads
  // ch + 1.5 V.
  SimMeter* meters[BryMenChannelCount] = {meter, &sim.instruments.thermometer};
  Open(prog->G.Instruments.BryMenPorts[1], SimInstrumentSet::ThermometerCom);
  for (int ch = 2; ch < BryMenChannelCount; ++ch) {
    const int com = SimInstrumentSet::FirstFreeCom + ch - 2;
    meters[ch] = &sim.serial.Add<SimMeter>(com);
    Open(prog->G.Instruments.BryMenPorts[ch], com);
  }
  QString wholeRow = "25.00, 0.00, ";
  for (int ch = 0; ch < BryMenChannelCount; ++ch) wholeRow += ", 1, " + QString::number(ch + 1) + ".5, DC V";
  struct Case {
    const char* name;
    QPushButton* TTMP::*start;
    int choice;
    int meter;         // the click comes when this meter has had
    int requestsOfIt;  // this many requests
  };
  const Case cases[] = {
      {"ADC & Brymen run, after the capture, between two frames", &TTMP::TBg, MeasureAdcAndMeters, 0, 1},
      {"Brymen single test, between the retries of a reading", &TTMP::TTest, MeasureMeters, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tmp->CADCBRY->setCurrentIndex(c.choice);
    for (int ch = 0; ch < BryMenChannelCount; ++ch) {
      meters[ch]->follow = nullptr;
      meters[ch]->requests = 0;
      meters[ch]->reading = Reading(QByteArray::number(ch + 1).append(".5").constData());
    }
    meters[2]->readings = {Reading("1.2.3"), meters[2]->reading};  // an invalid frame, read again
    sim.board.ClearLog();
    bool stopped = false;
    AtPump([&] { return meters[c.meter]->requests == c.requestsOfIt; },
           [&] {
             stopped = true;
             tmp->Button2->click();
           });
    (tmp->*c.start)->click();

    // Every meter is read whole after the click: four readings, one re-read.
    ASSERT_TRUE(stopped);
    for (int ch = 0; ch < BryMenChannelCount; ++ch) EXPECT_EQ(meters[ch]->requests, ch == 2 ? 5 : 4) << ch;
    // One pass of mode 1 with its readings; mode 2 is not measured, the step advances.
    EXPECT_EQ(Lines("MxTEMPBryMen.CSV"), (QStringList{kMeterTitles, wholeRow}));
    for (int ch = 0; ch < BryMenChannelCount; ++ch)
      EXPECT_EQ(prog->Meter->MeterAll[ch].Matrix.Reading(1, 1), ch + 1.5) << ch;
    if (c.choice == MeasureAdcAndMeters) {
      EXPECT_EQ(CountSent({0xC4, 0x02, 0x03}), 1);
      EXPECT_EQ(Lines("MxTEMPB.CSV"), (QStringList{"Test #0, , , ", kTitles, kMode1}));
      EXPECT_EQ(Lines("MxTEMPA.CSV").mid(2, 2),
                (QStringList{QString("25.00, 0.00, ") + kMode1, "25.00, 0.00, 2, , , , , , , ,0"}));
    }
    EXPECT_EQ(tmp->StepNo, 2);
    EXPECT_EQ(Commands(chamber).last(), QString(QChar(0x02)) + "01WSD,01,0101,0004");
    EXPECT_EQ(Commands(calibrator).last(), "STBY");
    EXPECT_FALSE(tmp->Running);
    EXPECT_TRUE(tmp->TBg->isEnabled());
    EXPECT_TRUE(tmp->TTest->isEnabled());
  }
}

TEST_F(TemperatureTest, SaveDataWritesAStepNeverRecordedEmptyInBothSnapshots) {
  TwoModes();
  tmp->CADCBRY->setCurrentIndex(MeasureAdcAndMeters);
  meter->reading = Reading("5.0");
  Steps("1", "25", "10");
  tmp->TTest->click();
  Steps("2", "25", "10");
  tmp->ENSave->click();

  // Step 1 as the single test measured it; step 2, never measured nor recorded since
  // start-up, with no temperature, humidity, figure or reading in either table.
  EXPECT_EQ(Lines("MxTEMPB.CSV"),
            (QStringList{"Test #0, , , ", kTitles, kMode1, kMode2, "1, , , , , , , ,0", "2, , , , , , , ,0"}));
  const QString never = ", , " + QString(", 1, , ").repeated(BryMenChannelCount);
  QString neverMode2 = never;
  neverMode2.replace(", 1, ", ", 2, ");
  EXPECT_EQ(Lines("MxTEMPBryMen.CSV"),
            (QStringList{kMeterTitles, MeterRow("25.00", 1, "5"), MeterRow("25.00", 2, "5"), never, neverMode2}));
}

// The titles and unit signs of each kind of result file as Big5 bytes from the code
// page's table (not from the program's encoder).
TEST_F(TemperatureTest, ResultFilesHoldTheirTitlesAndUnitSignsInBig5) {
  TwoModes();
  tmp->RegChg->SetCells(1, 2, "");  // mode 1 only
  tmp->CADCBRY->setCurrentIndex(MeasureAdcAndMeters);
  tmp->CHFULL->setChecked(true);
  MeterReading celsius = Reading("5.0");
  celsius.flags1 = 0x20;  // degrees Celsius
  meter->reading = celsius;
  tmp->TTest->click();

  const QByteArray average = "\xA5\xAD\xA7\xA1\xAD\xC8";  // 平均值
  const QByteArray compared = "\xA4\xF1\xB8\xFB\xAD\xC8";  // 比較值
  const QByteArray titles =
      average + ", VPP(nV), RMS Noise(nV), Enob, VPP(count), RMS Noise(count), Noise Free, " + compared + "\r\n";
  const QByteArray temperature = "\xB7\xC5\xAB\xD7", humidity = "\xC0\xE3\xAB\xD7";  // 溫度, 濕度
  EXPECT_TRUE(ReadFile("MxTEMPA.CSV").startsWith(", , , Test #0, , , \r\n" + temperature + ", " + humidity + ",  ," + titles));
  EXPECT_TRUE(ReadFile("MxTEMPB.CSV").startsWith("Test #0, , , \r\n ," + titles));
  const QByteArray meters = ReadFile("MxTEMPBryMen.CSV");
  EXPECT_TRUE(meters.startsWith(", , , Test #0, , , Test #1, , "));
  EXPECT_TRUE(meters.contains("\r\n-40.00, 0.00, , 1, 5, \xA2\x4A, 1, , , "));  // ℃
  EXPECT_TRUE(ReadFile("TEMP/MxTMP-0.CSV").contains(", \r\n" + titles + "1000.00,"));
}

TEST_F(TemperatureTest, MainFileHeldByAnotherProgram) {
  TwoModes();
  ResultStream spreadsheet;  // holds "MxTEMPB.CSV" open as another writer would
  spreadsheet.Create(Path("MxTEMPB.CSV"));
  spreadsheet.WriteLine("theirs");
  // The B stream takes the fallback; the first snapshot then finds both names held and
  // raises the file error, and the test ends through its cleanup.
  EXPECT_THROW(tmp->TTestClick(), EInOutError);
  EXPECT_EQ(Lines("MxTEMPFOVER.CSV"), (QStringList{"Test #0, , , ", kTitles, kMode1}));
  EXPECT_EQ(ReadFile("MxTEMPB.CSV"), "theirs\r\n");
  EXPECT_FALSE(tmp->FileB.IsOpen());
  EXPECT_FALSE(tmp->Running);
  EXPECT_EQ(tmp->TempCount, 5);
  for (QWidget* w : {(QWidget*)tmp->TBg, (QWidget*)tmp->TTest, (QWidget*)tmp->CADCBRY}) EXPECT_TRUE(w->isEnabled());
  EXPECT_EQ(Commands(chamber).last(), QString(QChar(0x02)) + "01WSD,01,0101,0004");
  EXPECT_EQ(Commands(calibrator).last(), "STBY");
  EXPECT_FALSE(QFile::exists(Path("MxTEMPA.CSV")));  // no summary after an error
}

TEST_F(TemperatureTest, RunEndsOnErrorsAndChamberFailures) {
  TwoModes();
  // A step temperature that is no number: the conversion error, nothing started.
  tmp->TMPGrid->SetCells(1, 1, "warm");
  EXPECT_THROW(tmp->TBgClick(), EConvertError);
  EXPECT_TRUE(tmp->TBg->isEnabled());
  EXPECT_FALSE(tmp->Running);
  EXPECT_FALSE(QFile::exists(Path("MxTEMPB.CSV")));

  // The run command refused twice: the message, then the end of the run.
  tmp->TMPGrid->SetCells(1, 1, "25");
  const QByteArray ok = QByteArray(1, 0x02) + "01WSD,OK\r\n", ng = QByteArray(1, 0x02) + "01WSD,NG\r\n";
  chamber->Script({ok, ok, ng, ng, ng, ng});
  chamber->commands.clear();
  tmp->TBg->click();
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(sim.dialogs.messages[0].text, QString::fromUtf8("溫控廂 RUN ERROR!!!!!!!"));
  EXPECT_EQ(sim.dialogs.messages[0].buttons, MB_YES);
  EXPECT_EQ(Commands(chamber).size(), 2 + 4 + 1);  // set points, two run tries, the stop
  EXPECT_FALSE(QFile::exists(Path("MxTEMPB.CSV")));
  EXPECT_EQ(Lines("MxTEMPA.CSV").size(), 2 + 5 * 2);  // the summary of the five steps

  // A chamber that never settles: the run ends after the step's time limit.
  chamber->defaultSlopePerMin = 0;
  Steps("1", "100", "10");
  tmp->Edit2->setText("0");
  const int64_t start = sim.clock.SteadyUs();
  tmp->TBg->click();
  const int64_t minutes = (sim.clock.SteadyUs() - start) / 60'000'000;
  EXPECT_GE(minutes, ApproachLimitMinutes);
  EXPECT_LT(minutes, ApproachLimitMinutes + 1);
  ASSERT_EQ(sim.dialogs.messages.size(), 2);
  EXPECT_EQ(sim.dialogs.messages[1].text, "The chamber did not reach step 1 within 360 minutes");
  EXPECT_EQ(Lines("MxTEMPB.CSV").size(), 2);
  EXPECT_EQ(Commands(chamber).last(), QString(QChar(0x02)) + "01WSD,01,0101,0004");

  // The limit the message names includes the soak time.
  tmp->Edit2->setText("5");
  tmp->TBg->click();
  ASSERT_EQ(sim.dialogs.messages.size(), 3);
  EXPECT_EQ(sim.dialogs.messages[2].text, "The chamber did not reach step 1 within 365 minutes");
}

TEST_F(TemperatureTest, ChamberReadsThatAreNoReadingEndTheRun) {
  TwoModes();
  Steps("1", "0", "10");  // step 1 at 0.00: a reading taken as 0 would be in its band
  tmp->Edit2->setText("0");
  const QByteArray stx(1, 0x02), ok = stx + "01WSD,OK\r\n";
  const std::pair<const char*, QByteArray> cases[] = {
      {"refused", stx + "01RSD,NG\r\n"},
      {"cut after three bytes", stx + "01"},
      {"noise", QByteArray("\xA5\x5A\x13\x7F\x00\x31\x30\x30\x30\x30\x30\x30\x30\x30\x30\x30\x30\x30\x30\x30\x30")},
      {"a value that is no number", stx + "01RSD,OK,00?0,0000\r\n"},
  };
  for (const auto& [name, bad] : cases) {
    SCOPED_TRACE(name);
    // Set points, the run command, then the first read and its retry answered so.
    chamber->Script({ok, ok, ok, ok, bad, bad});
    chamber->commands.clear();
    sim.dialogs.messages.clear();
    sim.board.ClearLog();
    tmp->TBg->click();
    EXPECT_EQ(Commands(chamber).filter("RSD").size(), 2);
    EXPECT_EQ(Commands(chamber).last(), QString(QChar(0x02)) + "01WSD,01,0101,0004");
    EXPECT_EQ(CountSent({0xC4, 0x02}), 0);  // nothing measured
    EXPECT_EQ(Lines("MxTEMPB.CSV"), (QStringList{"Test #0, , , ", kTitles}));
    ASSERT_EQ(sim.dialogs.messages.size(), 1);
    EXPECT_EQ(sim.dialogs.messages[0].text, "The chamber's temperature could not be read at step 1");
    EXPECT_NE(Status(1), "0.00");
    EXPECT_FALSE(tmp->Running);
    EXPECT_TRUE(tmp->TBg->isEnabled());
  }
}

TEST_F(TemperatureTest, ARefusedSetPointEndsTheRunAndSaysSo) {
  TwoModes();
  Steps("2", "25", "10");
  const QByteArray ng = QByteArray(1, 0x02) + "01WSD,NG\r\n";
  chamber->Script({ng, ng});  // the first set point and its retry
  chamber->commands.clear();
  tmp->TBg->click();
  ASSERT_EQ(Commands(chamber).size(), 2 + 1);  // the two tries, then the stop: no run command, no read
  EXPECT_EQ(Commands(chamber).last(), QString(QChar(0x02)) + "01WSD,01,0101,0004");
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(sim.dialogs.messages[0].text, "The chamber did not take the set point of step 1");
  EXPECT_FALSE(QFile::exists(Path("MxTEMPB.CSV")));
  EXPECT_FALSE(tmp->Running);
  EXPECT_TRUE(tmp->TBg->isEnabled());
}

TEST_F(TemperatureTest, AStartAboveTheLimitLeavesNoStepToRun) {
  TwoModes();
  Steps("5", "160", "10");
  ASSERT_EQ(tmp->TempCount, 0);
  for (QPushButton* b : {tmp->TBg, tmp->TTest}) {
    SCOPED_TRACE(b->text().toStdString());
    sim.dialogs.messages.clear();
    chamber->commands.clear();
    b->click();
    ASSERT_EQ(sim.dialogs.messages.size(), 1);
    EXPECT_EQ(sim.dialogs.messages[0].text, "No temperature step to run");
    EXPECT_TRUE(chamber->commands.isEmpty());
    EXPECT_EQ(CountSent({0xC4, 0x02}), 0);
    EXPECT_FALSE(QFile::exists(Path("MxTEMPA.CSV")));
    EXPECT_FALSE(QFile::exists(Path("MxTEMPB.CSV")));
    EXPECT_FALSE(tmp->Running);
    EXPECT_TRUE(b->isEnabled());
  }
}

TEST_F(TemperatureTest, TheModeCountAndTheStepTablesAreHeldDuringARun) {
  TwoModes();
  const char* items[] = {"SaveFluke1", "SaveReg1", "SavePower1", "DownLoadFluke1", "DownloadReg1", "DownloadPower1"};
  const QByteArray shipped = ReadFile("Register.txt");
  bool held = false;
  AtPump([this] { return !prog->AnxADC->BADC->isEnabled(); },
         [&] {
           held = !tmp->EModenum->isEnabled();
           for (const char* item : items) held = held && !Item(item)->isEnabled();
           // What the user would do: a new mode count, then "Save Reg", which would
           // re-lay the grid and count the modes again.
           tmp->EModenum->setText("1");
           Item("SaveReg1")->trigger();
         });
  tmp->TTest->click();
  EXPECT_TRUE(held);
  EXPECT_EQ(ReadFile("Register.txt"), shipped);
  EXPECT_EQ(tmp->ModeCount, 2);
  EXPECT_EQ(Lines("MxTEMPB.CSV"), (QStringList{"Test #0, , , ", kTitles, kMode1, kMode2}));
  EXPECT_TRUE(tmp->EModenum->isEnabled());
  for (const char* item : items) EXPECT_TRUE(Item(item)->isEnabled()) << item;
}

TEST_F(TemperatureTest, StepGridSetAndItsLimits) {
  EXPECT_EQ(tmp->TMPGrid->RowCount(), 6);
  EXPECT_EQ(tmp->TMPGrid->Cells(1, 5), "0.00");
  EXPECT_EQ(tmp->TMPData->Cells(1, 0), QString::fromUtf8("平均值"));
  EXPECT_EQ(tmp->CADCBRY->currentText(), "ADC");
  EXPECT_EQ(tmp->ComMode->currentText(), "ADC");
  Steps("10", "100", "10");
  EXPECT_EQ(tmp->TempCount, 6);
  EXPECT_EQ(tmp->ETempCount->text(), "6");
  EXPECT_EQ(tmp->TMPGrid->Cells(1, 6), "150.00");
  EXPECT_EQ(tmp->TMPData->RowCount(), 7);
  Steps("", "-40", "10");
  EXPECT_EQ(tmp->TempCount, 1);
  EXPECT_EQ(tmp->ETempCount->text(), "");
  // A start that is no number: the conversion error, the grid as it was.
  tmp->ETempCount->setText("3");
  tmp->ETMPBG->setText("cold");
  EXPECT_THROW(tmp->TMPCNTSETClick(), EConvertError);
  EXPECT_EQ(tmp->TMPGrid->RowCount(), 2);
  EXPECT_EQ(tmp->TempCount, 1);
}

TEST_F(TemperatureTest, ManualChamberAndCalibratorCommands) {
  tmp->Button1->click();
  EXPECT_TRUE(chamber->running);
  tmp->Running = true;
  tmp->Button2->click();
  EXPECT_FALSE(chamber->running);
  EXPECT_FALSE(tmp->Running);

  tmp->Button4->click();
  EXPECT_EQ(Status(2), "OK");
  EXPECT_TRUE(tmp->FlukeOPER());
  EXPECT_TRUE(calibrator->operating);
  calibrator->Arm(InstrumentFault::Silent, FaultSpan::FromNowOn());
  EXPECT_FALSE(tmp->FlukeOPER());
  EXPECT_EQ(Status(2), "");
  calibrator->ClearFaults();

  // The lockout boxes exclude each other; ENTER sends the chosen range lock.
  tmp->LK3V->click();
  tmp->LK330mV->click();
  EXPECT_TRUE(tmp->LK330mV->isChecked());
  EXPECT_FALSE(tmp->LK3V->isChecked());
  calibrator->commands.clear();
  tmp->LKENTER->click();
  EXPECT_EQ(Commands(calibrator),
            (QStringList{"STBY", "RANGELCK OFF", "OUT 100 mV ,0 Hz", "RANGELCK ON", "OUT 0 V ,0 Hz"}));
  EXPECT_EQ(calibrator->commands[2], "OUT 100 mV ,0 Hz \r");
  tmp->LK330mV->click();
  calibrator->commands.clear();
  tmp->LKENTER->click();
  EXPECT_EQ(Commands(calibrator), (QStringList{"STBY", "RANGELCK OFF"}));

  // The hidden calibrator test sends row 2 of the calibrator grid.
  EXPECT_TRUE(tmp->Button3->isHidden());
  prog->FLUKE->FlukeGd->SetCells(2, 2, "OUT 2 V");
  calibrator->commands.clear();
  tmp->Button3Click();
  EXPECT_EQ(Commands(calibrator), QStringList{"OUT 2 V"});
  EXPECT_EQ(calibrator->output, "2 V");
}

TEST_F(TemperatureTest, ResultGridTimerAndClick) {
  EXPECT_FALSE(tmp->Timer1->isActive());
  EXPECT_EQ(tmp->Timer1->interval(), 1000);
  Click("Regist");
  EXPECT_TRUE(tmp->Timer1->isActive());
  EXPECT_TRUE(tmp->Shown());
  tmp->Running = true;
  tmp->Frame()->close();
  EXPECT_FALSE(tmp->Timer1->isActive());
  EXPECT_FALSE(tmp->Running);

  TwoModes();
  tmp->TTest->click();
  const double f[FigureCount] = {12.5, 0, 0, 0, 0, 0, 0};
  tmp->ResultMat.SetFigures(1, 2, f);
  tmp->TMPDataClick();
  EXPECT_EQ(tmp->TMPData->Cells(2, 1), "12.50");
}

TEST_F(TemperatureTest, FullFileChoiceIsKeptInTheConfiguration) {
  tmp->CHFULL->setChecked(true);
  StopProgram();
  StartProgram();
  EXPECT_TRUE(prog->TMP->CHFULL->isChecked());
}

TEST_F(TemperatureTest, WindowRendersAlignedAndUnclipped) {
  TwoModes();
  tmp->TTest->click();
  Click("Regist");
  tmp->resize(tmp->sizeHint());
  const QImage image = tmp->grab().toImage();
  const QString out = qEnvironmentVariable("MX_SHOT_DIR");
  if (!out.isEmpty()) image.save(out + "/temperature_test.png");
  // Every control inside the window and no text wider than its control.
  for (QWidget* w : tmp->findChildren<QWidget*>()) {
    if (w->isHidden() || !w->isVisibleTo(tmp) || w->objectName().isEmpty()) continue;
    const QRect r(w->mapTo(tmp, QPoint(0, 0)), w->size());
    EXPECT_TRUE(tmp->rect().contains(r)) << w->objectName().toStdString();
  }
  for (QLabel* l : tmp->findChildren<QLabel*>()) {
    EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text())) << l->objectName().toStdString();
  }
  for (QAbstractButton* b : tmp->findChildren<QAbstractButton*>()) {
    if (!b->isHidden()) {
      EXPECT_GE(b->width(), b->sizeHint().width()) << b->objectName().toStdString();
    }
  }
}

}  // namespace
