// CAP TEST on the running program: the AC, DC and DC+AC(ADC) runs with their logs,
// the stop request, the messages that end a run, and the window locked meanwhile.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTimer>
#include <cmath>

#include "impedance/run_logs.h"
#include "iq_window_fixture.h"

namespace {

const QString kAcHeader = QString::fromUtf8(
    "筆數,時間,Rref(OHM),Frequency(Hz),Rs(OHM),Cs(nF),Rp(OHM),Cp(nF),ADC1_0,ADC1_1,ADC1_2,ADC2_0,ADC2_1,ADC2_2,"
    "ADC3_0,ADC3_1,ADC3_2,ADC4_0,ADC4_1,ADC4_2,I0,I1,I2,Q0,Q1,Q2,Y0,Y1,Y2,Theta0,Theta1,Theta2,Resd(OHM),Gain,"
    "DUTΘ,Zm,,");
// The AC row of the device reading I = 1000, Q = 0 against the calibration below,
// after its count and time.
const QString kAcRowTail =
    "5100,1000,1020.00,19.504,66300.00,19.204,000000,000000,000000,000000,000000,000000,000000,000000,000000,"
    "000000,000000,000000,600.00,2000.00,1000.00,800.00,0.00,0.00,1000.00,2000.00,1000.00,0.927,0.000,0.000,"
    "5100.00,10200000.00,0.000,8223.50,,";

class IQRuns : public IQWindowTest {
protected:
  // Connected and calibrated for the mode with scripted readings: I, Q = 600, 800 (Y0
  // 1000, Theta0 0.927) and 2000, 0 (Y1 2000) for the AC calibration; the streams of
  // lists DC and DC1 1000 and 2000 for the DC one. Afterwards the run's conversions read
  // `device` (count from the run's start), its DC stream `ai4` and its DC+AC(ADC)
  // stream `ai5` (sample counts from the run's start).
  void Calibrate(const char* mode) {
    Start();
    ScriptReadings({600, 800}, [](uint64_t) { return std::pair<double, double>{2000, 0}; });
    ScriptStreams({[](uint64_t) { return 1000; }, [](uint64_t) { return 2000; }});
    Radio(mode)->setChecked(true);
    w->Pcalculate->click();
    ASSERT_TRUE(Messages().isEmpty());
    ASSERT_TRUE(w->PCAPTEST->isEnabled());
    // The full refresh of the calibration lets the waveform generator write its frequency.
    Edit("T_Freq")->setText("1000");
    device = [](uint64_t) { return std::pair<double, double>{1000, 0}; };
    ai4 = ai5 = [](uint64_t n) { return static_cast<int32_t>(1000 + 10 * n); };
    ScriptReadings([this](uint64_t n) { return device(n); });
    ScriptStreams({[this](uint64_t) { return ai4(streamed[0]++); }, [this](uint64_t) { return ai5(streamed[1]++); }});
    sim.board.ClearLog();
  }
  // The next case of a table starts from a new program, a clean folder and board.
  void NextCase() {
    StopProgram();
    QFile::remove(Path("MxIQFormSet.txt"));
    QDir(Path("log")).removeRecursively();
    streamed[0] = streamed[1] = 0;
    sim.board.samplesPerPoll = 21;
    sim.board.pollCount = nullptr;
    sim.board.ClearFaults();
  }
  // The fake clock moved on to 2026-01-02 03:10:00.000 local time.
  void AtTenPast() {
    const int64_t target = 1'000'000 + int64_t{355} * 1'000'000;
    ASSERT_LT(sim.clock.SteadyUs(), target);
    sim.clock.AdvanceUs(target - sim.clock.SteadyUs());
  }
  // The controls a run locks, unlocked again.
  void ExpectUnlocked() {
    for (QWidget* c : std::initializer_list<QWidget*>{w->Pcalculate, w->rbACMode, w->rbDCACMode2, w->scanCAPTimer,
                                                      w->cbACAvg, w->edtDABIT[1][1], w->edtADCThres, w->cbDABIT2,
                                                      w->rbDCManualStop, w->cbACAmount2})
      EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_EQ(w->PCAPTEST->palette().color(QPalette::Button), w->palette().color(QPalette::Button));
    EXPECT_TRUE(S().CapTestIdle);
  }

  std::function<std::pair<double, double>(uint64_t)> device;
  std::function<int32_t(uint64_t)> ai4, ai5;
  uint64_t streamed[2] = {};  // samples of the two phases' streams since the calibration
};

// ---- AC run ---------------------------------------------------------------------

TEST_F(IQRuns, AcTimeRunPacesItsRowsAndWritesItsLog) {
  Calibrate("rbACMode");
  w->rbACTime->setChecked(true);  // "1 s", scan time "250 ms"
  const QDateTime utc = sim.clock.UtcNow();
  const QString stamp = FileStamp(sim.clock.LocalNow());
  const int64_t t0 = sim.clock.SteadyUs();
  std::vector<int64_t> startedAt;
  bool lockedMeanwhile = true;
  device = [&](uint64_t) {
    startedAt.push_back(sim.clock.SteadyUs() - t0);
    lockedMeanwhile = lockedMeanwhile && !w->Pcalculate->isEnabled() && !w->rbDCMode->isEnabled() &&
                      !w->edtBiasTime->isEnabled() && w->PCAPTEST->isEnabled() && !S().CapTestIdle;
    return std::pair<double, double>{1000, 0};
  };
  w->PCAPTEST->click();

  EXPECT_TRUE(Messages().isEmpty());
  EXPECT_TRUE(lockedMeanwhile);
  // Four rows, conversion k no earlier than k x 250 ms; the wait after the fourth
  // reaches 1 s.
  EXPECT_EQ(startedAt, (std::vector<int64_t>{0, 250'000, 500'000, 750'000}));
  EXPECT_EQ(sim.clock.SteadyUs() - t0, 1'000'000);
  EXPECT_EQ(w->Label13->text(), "4 Save Data");
  const std::pair<const char*, const char*> shown[] = {
      {"T_IDATA_2", "1000.00"}, {"T_YDATA_2", "1000.00"}, {"T_Theta_2", "0.000"},  {"T_Theta_Dut", "0.000"},
      {"T_Theta_Dut2", "0.000"}, {"T_RsDATA", "1020.00"}, {"T_CsDATA", "19.504"},  {"T_RpDATA", "66300.00"},
      {"T_CpDATA", "19.204"},  {"T_Zm", "8223.50"},      {"T_Zm2", "8223.50"},    {"T_Theta_s", "0.927"},
      {"T_QDATA_s", "8160.00"}, {"T_YDATA_n", "10200.00"}, {"T_Ratio_p", "0.125"}, {"T_IDATA_p", "0.0000151"}};
  for (auto [name, text] : shown) EXPECT_EQ(Text(name), text) << name;

  QStringList want{kAcHeader};
  for (int k = 0; k < 4; ++k)
    want << QString::number(k + 1) + "," + Utc8TimeText(utc.addMSecs(250 * k)) + "," + kAcRowTail;
  EXPECT_EQ(Logs(), QStringList{"AC" + stamp + ".CSV"});
  EXPECT_EQ(ReadFile("log/AC" + stamp + ".CSV"), EncodeBig5(want.join("\r\n") + "\r\n"));
  // Each sample: start, polls, a read of six and one of three registers.
  EXPECT_EQ(CountSent({0xC4, 0x01, 0xA0, 0x06, 0x06}), 4);
  EXPECT_EQ(CountSent({0xC4, 0x01, 0xA0, 0x09, 0x03}), 4);
  ExpectUnlocked();
}

TEST_F(IQRuns, WithTheSimplePanelCapTestRunsInAcModeWithTheSimpleLimits) {
  Calibrate("rbACMode");
  w->pnlACMode->show();  // as "#SIMPLEACMODE" shows it
  S().DCCalibrated = true;
  w->rbDCMode->setChecked(true);
  List("cbACTime2")->setCurrentIndex(1);  // "2 s" with "Measuring Time", the simple panel's default
  List("scanCAPTimer2")->setCurrentIndex(3);
  emit List("scanCAPTimer2")->activated(3);  // "500 ms"
  const QString stamp = FileStamp(sim.clock.LocalNow());
  w->PCAPTEST->click();
  EXPECT_TRUE(w->rbACMode->isChecked());
  EXPECT_EQ(CountSent({0xC4, 0x02}), 0);
  EXPECT_EQ(LogLines("AC" + stamp + ".CSV").size(), 1 + 4);
  EXPECT_EQ(Text("T_Zm2"), "8223.50");
  EXPECT_EQ(Text("T_Theta_Dut2"), "0.000");
  ExpectUnlocked();
}

TEST_F(IQRuns, ContinuousAcRunRollsOverEveryThousandRowsAndKeepsItsPace) {
  Calibrate("rbACMode");
  w->rbACManualStop->setChecked(true);
  List("scanCAPTimer")->setCurrentIndex(1);
  emit List("scanCAPTimer")->activated(1);  // "100 ms"
  const QDateTime local = sim.clock.LocalNow();
  device = [&](uint64_t n) {
    if (n == 2499) w->PCAPTEST->click();  // the stop request, during row 2500
    return std::pair<double, double>{1000, 0};
  };
  w->PCAPTEST->click();

  // Files started at 0 s, 100 s and 200 s of the run: 1,000, 1,000 and 500 rows.
  QStringList names;
  for (int k = 0; k < 3; ++k) names << "AC" + FileStamp(local.addSecs(100 * k)) + ".CSV";
  ASSERT_EQ(Logs(), names);
  const int rows[3] = {1000, 1000, 500};
  for (int k = 0; k < 3; ++k) {
    const QStringList lines = LogLines(names[k]);
    ASSERT_EQ(lines.size(), rows[k] + 1) << k;
    EXPECT_EQ(lines[0], kAcHeader);
    EXPECT_TRUE(lines[1].startsWith("1,")) << k;
    EXPECT_TRUE(lines.last().startsWith(QString::number(rows[k]) + ",")) << k;
  }
  EXPECT_EQ(w->Label13->text(), "500 Save Data");
  ExpectUnlocked();
}

TEST_F(IQRuns, StopClickEndsTheRunAfterItsRowAndNoSecondPhaseFollows) {
  Calibrate("rbACDCMode");
  const QString stamp = FileStamp(sim.clock.LocalNow());
  device = [&](uint64_t n) {
    if (n == 2) w->PCAPTEST->click();
    return std::pair<double, double>{1000, 0};
  };
  w->PCAPTEST->click();
  EXPECT_EQ(LogLines("AC" + stamp + ".CSV").size(), 1 + 3);
  EXPECT_EQ(CountSent({0xC4, 0x02}), 0);  // the DC run did not start
  EXPECT_TRUE(Messages().isEmpty());
  ExpectUnlocked();
}

TEST_F(IQRuns, AcRunEndsWithAMessageWhenItsReadingCannotBeUsed) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    const char* message;
  };
  const Case cases[] = {
      {"I = 0", [this] { device = [](uint64_t) { return std::pair<double, double>{0, 5}; }; },
       "warning: I value is zero"},
      {"Y0 = 0", [this] { S().Y0 = 0; }, "warning: Y value is zero"},
      {"no end of conversion", [this] { sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::StuckFromNow()); },
       "warning: I/Q conversion failed"},
      {"link lost", [this] { sim.board.Arm(BoardFault::FailedTransfer); }, "warning: I/Q conversion failed"},
  };
  for (const Case& c : cases) {
    Calibrate("rbACDCMode");
    c.arrange();
    w->PCAPTEST->click();
    EXPECT_EQ(Messages(), QStringList{c.message}) << c.what;
    // No row: no file, but the folder.
    EXPECT_TRUE(QDir(Path("log")).exists()) << c.what;
    EXPECT_TRUE(Logs().isEmpty()) << c.what;
    EXPECT_EQ(CountSent({0xC4, 0x02}), 0) << c.what;  // no second phase
    ExpectUnlocked();
    NextCase();
  }
}

TEST_F(IQRuns, AnErrorInsideTheRunIsASettingErrorAndKeepsItsRows) {
  struct Case {
    const char* mode;
    const char* edit;  // emptied, as a keystroke would, during the run
    const char* log;
    int rows;       // taken before the error
    QString last;   // the last DC row's group average
  };
  const Case cases[] = {
      // The fourth conversion: its row fails, three came before.
      {"rbACMode", "T_Freq", "AC", 3, ""},
      {"rbACMode", "T_Rref", "AC", 3, ""},
      // Groups of one: the settling packet (samples 0..20), then samples 21..41 as rows;
      // the next packet's first row fails.
      {"rbDCMode", "edtDCGain", "DC", 21, "1410"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mode) + " " + c.edit);
    Calibrate(c.mode);
    Edit("edtReantionTime")->setText("0");
    List("cbACAvg")->setCurrentIndex(0);
    w->rbDCManualStop->setChecked(true);
    w->rbACManualStop->setChecked(true);
    const QString stamp = FileStamp(sim.clock.LocalNow());
    device = [this, c](uint64_t n) {
      if (n == 3) Edit(c.edit)->setText("");
      return std::pair<double, double>{1000, 0};
    };
    ai4 = [this, c](uint64_t n) {
      if (n == 42) Edit(c.edit)->setText("");
      return static_cast<int32_t>(1000 + 10 * n);
    };
    w->PCAPTEST->click();
    EXPECT_EQ(Messages(), QStringList{"warning: Setting error"});
    const QStringList lines = LogLines(c.log + stamp + ".CSV");
    ASSERT_EQ(lines.size(), 1 + c.rows);
    // Every row written whole, with its time.
    for (int r = 1; r <= c.rows; ++r) EXPECT_EQ(lines[r].count(','), lines[1].count(',')) << r;
    if (c.log == QString("DC")) {
      EXPECT_TRUE(QRegularExpression("^\\d{8} \\d\\d:\\d\\d:\\d\\d\\.\\d{3},").match(lines[c.rows]).hasMatch())
          << lines[c.rows].toStdString();
      EXPECT_EQ(lines[c.rows].section(',', 2, 2), c.last);  // sample 41
    } else {
      EXPECT_TRUE(lines[c.rows].section(',', 1, 1).startsWith("2026-01-02 ")) << lines[c.rows].toStdString();
    }
    ExpectUnlocked();
    EXPECT_FALSE(sim.board.streaming);
    NextCase();
  }
}

TEST_F(IQRuns, TheSamePhaseAsTheReferenceEndsTheRunQuietly) {
  Calibrate("rbACMode");
  // The same phase as the reference ends the run quietly, before the reactance.
  Edit("T_Freq")->setText("1000");
  device = [](uint64_t) { return std::pair<double, double>{600, 800}; };
  w->PCAPTEST->click();
  EXPECT_TRUE(Messages().isEmpty());
  EXPECT_TRUE(Logs().isEmpty());
}

TEST_F(IQRuns, DcInputsAreValidatedBeforeAnyDcRun) {
  struct Case {
    const char* edit;
    const char* text;
    bool stepOn;
    const char* message;  // nullptr: the run goes ahead
  };
  const Case cases[] = {
      {"edtDABIT0_2", "", true, "warning: DABIT Setting error"},
      {"edtDABIT1_1", "", true, "warning: DABIT Setting error"},
      {"edtDABIT1_1", "", false, nullptr},  // the reaction step is off
      {"edtDABIT2_2", "", true, "warning: DABIT Setting error"},
      {"edtADCThres", ".", true, "warning: ADC Threshold Setting error"},
      {"edtADCThres", "", true, "warning: ADC Threshold Setting error"},
  };
  for (const Case& c : cases) {
    Calibrate("rbDCMode");
    Edit(c.edit)->setText(c.text);
    Check("cbDABIT1")->setChecked(c.stepOn);
    Edit("edtReantionTime")->setText("0");
    sim.board.samplesPerPoll = 21;
    w->PCAPTEST->click();
    EXPECT_EQ(Messages(), c.message ? QStringList{c.message} : QStringList()) << c.edit << " " << c.stepOn;
    EXPECT_EQ(CountSent({0xC4, 0x02}), c.message ? 0 : 1) << c.edit;
    ExpectUnlocked();
    NextCase();
  }
}

// ---- DC runs --------------------------------------------------------------------

TEST_F(IQRuns, DcRunStepsTheDacsAndLogsTheGroupsOfItsFirstPacket) {
  Calibrate("rbDCMode");
  const char* codes[3][2] = {{"0100", "0200"}, {"0300", "0400"}, {"0500", "0600"}};
  for (int step = 0; step < 3; ++step)
    for (int col = 0; col < 2; ++col) w->edtDABIT[step][col]->setText(codes[step][col]);
  Edit("edtBiasTime")->setText("0.1");
  Edit("edtReantionTime")->setText("0.2");
  sim.board.samplesPerPoll = 5;  // amount "1", average cycle 1, threshold 0
  AtTenPast();
  const int64_t t0 = sim.clock.SteadyUs();
  int64_t streamStartedAt = -1;
  ai4 = [&](uint64_t n) {
    if (streamStartedAt < 0) streamStartedAt = sim.clock.SteadyUs() - t0;
    return static_cast<int32_t>(1000 + 10 * n);
  };
  w->PCAPTEST->click();

  EXPECT_TRUE(Messages().isEmpty());
  EXPECT_EQ(streamStartedAt, 300'000);  // one bias tick, two reaction ticks
  // Three packets of 5 settle; the fourth gives five rows and the amount.
  // Packets arrive 10 ms apart (03:10:00.310, .320, .330, .340).
  const QStringList want{QString::fromUtf8("時間,ADC1,ADC2,DC GAIN,Strip DC R(ohm)"),
                         "20260102 03:10:00.332,1000,1150,10200000.00,3769.57",
                         "20260102 03:10:00.334,1000,1160,10200000.00,3693.10",
                         "20260102 03:10:00.336,1000,1170,10200000.00,3617.95",
                         "20260102 03:10:00.338,1000,1180,10200000.00,3544.07",
                         "20260102 03:10:00.340,1000,1190,10200000.00,3471.43"};
  EXPECT_EQ(Logs(), QStringList{"DC20260102031000.CSV"});
  EXPECT_EQ(ReadFile("log/DC20260102031000.CSV"), EncodeBig5(want.join("\r\n") + "\r\n"));
  EXPECT_EQ(Text("edtADC2"), "1190");
  EXPECT_EQ(Text("edtDCOhm"), "3471.43");
  EXPECT_EQ(w->Label13->text(), "5 Save DC Data");

  // The three steps' codes, then the saved values back after the stream stopped.
  std::vector<std::pair<int, int>> dabit;
  for (auto [a, v] : RegisterWrites())
    if (a == 23 || a == 24 || a == 26 || a == 27) dabit.emplace_back(a, v);
  EXPECT_EQ(dabit, (std::vector<std::pair<int, int>>{{23, 1}, {24, 0}, {26, 2}, {27, 0}, {23, 3}, {24, 0},
                                                      {26, 4}, {27, 0}, {23, 5}, {24, 0}, {26, 6}, {27, 0},
                                                      {23, 0}, {24, 0}, {26, 0}, {27, 0}}));
  const std::vector<Bytes> sent = Sent();
  auto last = [&](const Bytes& prefix) {
    size_t at = 0;
    for (size_t i = 0; i < sent.size(); ++i)
      if (sent[i].size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), sent[i].begin())) at = i;
    return at;
  };
  EXPECT_LT(last({0xC4, 0x03}), last({0xC4, 0x00, 0xA0, 23}));
  EXPECT_FALSE(sim.board.streaming);
  ExpectUnlocked();
}

TEST_F(IQRuns, StopClickDuringTheBiasStepRunsTheRestThroughWithoutWaiting) {
  Calibrate("rbDCMode");
  const char* codes[3][2] = {{"0100", "0200"}, {"0300", "0400"}, {"0500", "0600"}};
  for (int step = 0; step < 3; ++step)
    for (int col = 0; col < 2; ++col) w->edtDABIT[step][col]->setText(codes[step][col]);
  Edit("edtBiasTime")->setText("5");
  Edit("edtReantionTime")->setText("100");
  // The click comes with the first messages the run processes.
  QTimer::singleShot(0, w, [this] { w->PCAPTEST->click(); });
  const int64_t t0 = sim.clock.SteadyUs();
  w->PCAPTEST->click();
  // One bias tick and at most one reaction tick; the reaction codes are not written,
  // the stream starts and stops at once and the registers come back.
  EXPECT_EQ(sim.clock.SteadyUs() - t0, 200'000 + 10'001);
  EXPECT_EQ(w->Label13->text(), "Reaction Time:0.1s");
  std::vector<std::pair<int, int>> dabit;
  for (auto [a, v] : RegisterWrites())
    if (a == 23 || a == 24 || a == 26 || a == 27) dabit.emplace_back(a, v);
  EXPECT_EQ(dabit, (std::vector<std::pair<int, int>>{
                       {23, 1}, {24, 0}, {26, 2}, {27, 0}, {23, 5}, {24, 0}, {26, 6}, {27, 0},
                       {23, 0}, {24, 0}, {26, 0}, {27, 0}}));
  EXPECT_EQ(CountSent({0xC4, 0x02}), 1);
  EXPECT_FALSE(sim.board.streaming);
  EXPECT_TRUE(Logs().isEmpty());
  EXPECT_TRUE(Messages().isEmpty());
  ExpectUnlocked();
}

TEST_F(IQRuns, DcRunErrorPutsTheDacsBack) {
  Calibrate("rbDCMode");
  Edit("edtDABIT0_1")->setText("0100");
  Edit("edtDABIT1_1")->setText("zz");  // filled, but not hexadecimal
  Edit("edtReantionTime")->setText("0");
  w->PCAPTEST->click();
  EXPECT_EQ(Messages(), QStringList{"warning: Setting error"});
  std::vector<std::pair<int, int>> dabit;
  for (auto [a, v] : RegisterWrites())
    if (a == 23 || a == 24 || a == 26 || a == 27) dabit.emplace_back(a, v);
  EXPECT_EQ(dabit, (std::vector<std::pair<int, int>>{
                       {23, 1}, {24, 0}, {26, 8}, {27, 0}, {23, 0}, {24, 0}, {26, 0}, {27, 0}}));
  EXPECT_EQ(CountSent({0xC4, 0x02}), 0);
  EXPECT_TRUE(Logs().isEmpty());
  ExpectUnlocked();
}

TEST_F(IQRuns, DcRunWaitsForTheThresholdAndCountsItsTimeFromThere) {
  Calibrate("rbDCMode");
  Edit("edtReantionTime")->setText("0");
  Edit("edtBiasTime")->setText("0");
  List("cbACAvg")->setCurrentIndex(2);  // 4
  Edit("edtADCThres")->setText("1000");
  w->rbDCTime->setChecked(true);  // "1 s"
  // Settling, then a slow rise through the threshold: 500 + n.
  ai4 = [](uint64_t n) { return static_cast<int32_t>(n < 21 ? 0 : 500 + n); };
  w->PCAPTEST->click();
  const QStringList lines = LogLines(Logs().value(0));
  ASSERT_GT(lines.size(), 2);
  // The first group: three samples taken, then the first completing sample at 1000.
  // Sample 21 (521) is the first taken; the completing ones below 1000 are dropped.
  const int32_t first = (521 + 522 + 523 + 1000) / 4;
  EXPECT_EQ(lines[1].section(',', 2, 2), QString::number(first));
  // From the crossing on, groups complete without a test: 1001..1004, ...
  EXPECT_EQ(lines[2].section(',', 2, 2), QString::number((1001 + 1002 + 1003 + 1004) / 4));
  // One second from the crossing, 21 samples every 10 ms: about 525 groups.
  EXPECT_NEAR(lines.size() - 1, 525, 6);
}

TEST_F(IQRuns, DcRunsSayWhenTheStreamFailsAndKeepTheirRows) {
  struct Case {
    const char* what;
    const char* mode;
    std::function<void()> arrange;
    const char* log;
  };
  // The stream falls silent, or the link is lost, in the third packet of the run's
  // stream: the second packet's 21 samples (the first settles) have become rows.
  auto silentAfterTwoPackets = [this] {
    sim.board.pollCount = [this](uint64_t) { return streamed[0] + streamed[1] >= 42 ? 0 : 21; };
  };
  auto lostInTheThirdPacket = [this] {
    auto fail = [this](uint64_t n) {
      if (n == 50) sim.board.Arm(BoardFault::FailedTransfer);  // the reply of the poll that carries it
      return static_cast<int32_t>(1000 + n);
    };
    ai4 = ai5 = fail;
  };
  const Case cases[] = {
      {"DC, no samples for 10 s", "rbDCACMode", silentAfterTwoPackets, "DC"},
      {"DC, link lost", "rbDCACMode", lostInTheThirdPacket, "DC"},
      {"DC+AC(ADC), link lost", "rbDCACMode2", lostInTheThirdPacket, "DC1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Calibrate(c.mode);
    Edit("edtReantionTime")->setText("0");
    List("cbACAvg")->setCurrentIndex(0);  // DC groups of one sample
    w->rbDCManualStop->setChecked(true);
    w->rbACManualStop->setChecked(true);
    List("scanCAPTimer")->setCurrentIndex(0);  // "0 ms": every sample a row
    emit List("scanCAPTimer")->activated(0);
    c.arrange();
    if (c.log == QString("DC1")) {
      // The DC run before it ends with its first packet of rows (amount "1").
      ai4 = [](uint64_t) { return 1000; };
      w->rbDCAmount->setChecked(true);
      List("cbDCAmount")->setCurrentIndex(0);
    }
    const int64_t t0 = sim.clock.SteadyUs();
    w->PCAPTEST->click();
    EXPECT_EQ(Messages(), QStringList{"warning: ADC stream lost"});
    EXPECT_EQ(CountSent({0xC4, 0x00, 0xA0, 0x0F, 0x01}), 0);  // no AC run followed
    EXPECT_LT(sim.clock.SteadyUs() - t0, 11'000'000);
    const QStringList logs = Logs().filter(QRegularExpression("^" + QString(c.log) + "2"));
    ASSERT_EQ(logs.size(), 1);
    EXPECT_EQ(LogLines(logs[0]).size(), 1 + 21);
    ExpectUnlocked();
    NextCase();
  }
}

TEST_F(IQRuns, DcAdcRunLogsOneSampleAPacketAtTheScanTime) {
  Calibrate("rbDCACMode2");
  Edit("edtBiasTime")->setText("0.1");
  Edit("edtReantionTime")->setText("0.2");
  ai5 = [](uint64_t n) { return static_cast<int32_t>(-5 - static_cast<int32_t>(n)); };
  AtTenPast();
  w->PCAPTEST->click();
  EXPECT_TRUE(Messages().isEmpty());
  // The DC run: 21 rows of its second packet (amount "1"), then the DC+AC(ADC) run.
  ASSERT_EQ(Logs(), (QStringList{"DC1" + QString("20260102031000.CSV"), "DC20260102031000.CSV"}));
  const QStringList lines = LogLines("DC120260102031000.CSV");
  ASSERT_EQ(lines.size(), 1 + 100);  // amount "100" of "AC Set"
  EXPECT_EQ(lines[0], QString::fromUtf8(
                          "筆數,時間,Rref(OHM),Frequency(Hz),I0,I1,Q0,Q1,Y0,Y1,Theta0,Theta1,Resd(OHM),Gain,ADC"));
  // Its stream starts at .320; the first packet (.330) settles, the second (.340)
  // gives the first row; then one row a packet, 250 ms apart.
  const QString tail = ",5100,1000,600.00,2000.00,800.00,0.00,1000.00,2000.00,0.927,0.000,5100.00,10200000.00,";
  EXPECT_EQ(lines[1], "1,20260102 03:10:00.340" + tail + "-26");
  EXPECT_EQ(lines[2], "2,20260102 03:10:00.600" + tail + "-47");
  EXPECT_EQ(lines[100], "100,20260102 03:10:25.100" + tail + QString::number(-5 - 21 * 100));
  for (const QString& l : lines) EXPECT_EQ(l.count(','), 14);
  EXPECT_EQ(Text("edtADC"), QString::number(-5 - 21 * 100));
  EXPECT_EQ(w->Label13->text(), "100 Save Data");
  EXPECT_FALSE(sim.board.streaming);
  ExpectUnlocked();
}

}  // namespace
