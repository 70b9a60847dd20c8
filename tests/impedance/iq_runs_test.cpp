// The CAP TEST runs against a scripted window on the simulated board: the packets of a
// run, the texts it shows, its log rows, a fault part-way and a stop request.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <map>

#include "common/errors.h"
#include "common/text_encoding.h"
#include "impedance/iq_calibration.h"
#include "impedance/iq_conversion.h"
#include "impedance/iq_runs.h"
#include "impedance/run_logs.h"
#include "impedance_fixture.h"

namespace {

// A window as the runs see it: its fields by component name (the read-outs "000000"
// until shown), the texts shown, the progress line, the warnings, and a hook at each
// round of messages (where a click or a diagnostic would come in).
class ScriptedWindow : public IqRunHost {
public:
  IqRunMode mode = IqRunMode::AC;
  RunLimit ac{RunLimitKind::Amount, 3}, dc{RunLimitKind::Amount, 1}, dcAdc{RunLimitKind::Amount, 3};
  bool paced = true;
  IqDcInputs in;
  std::map<QString, QString> fields;
  std::vector<std::pair<QString, QString>> shown;
  QStringList progress, warnings;
  std::function<void(int round)> onMessages;
  int rounds = 0;

  ScriptedWindow() {
    for (int step = 0; step < 3; ++step)
      for (int col = 0; col < 2; ++col) in.Dabit[step][col] = "0800";
    in.ReactionOn = in.MeasuringOn = in.ThresholdOn = true;
    in.BiasTime = "0";
    in.ReactionTime = "0";
    in.Threshold = "0";
    in.AverageCycle = "1";
    // What the calibrations leave shown (600, 800 and 2000, 0; the DC averages 1000, 2000).
    fields = {{"T_Rref", "5100"},          {"T_Freq", "1000"},       {"T_IDATA_0", "600.00"},
              {"T_IDATA_1", "2000.00"},    {"T_QDATA_0", "800.00"},  {"T_QDATA_1", "0.00"},
              {"edtADC1", "1000"},         {"edtDCGain", "10200000.00"}};
  }
  static QString ReadOutName(int row, int column) {
    static const char* rows[8] = {"T_ADC1_", "T_ADC2_", "T_ADC3_", "T_ADC4_",
                                  "T_IDATA_", "T_QDATA_", "T_YDATA_", "T_Theta_"};
    return rows[row] + QString::number(column);
  }
  QString Field(const QString& name) const {
    auto it = fields.find(name);
    return it == fields.end() ? QStringLiteral("000000") : it->second;
  }
  // The last text shown in a field.
  QString Shown(const QString& name) const {
    for (auto it = shown.rbegin(); it != shown.rend(); ++it)
      if (it->first == name) return it->second;
    return {};
  }

  IqRunMode Mode() const override { return mode; }
  RunLimit AcLimit() const override { return ac; }
  RunLimit DcLimit() const override { return dc; }
  RunLimit DcAdcLimit() const override { return dcAdc; }
  bool DcAdcPaced() const override { return paced; }
  IqDcInputs DcInputs() const override { return in; }
  QString RrefText() const override { return Field("T_Rref"); }
  QString FreqText() const override { return Field("T_Freq"); }
  QString ReadOutText(int row, int column) const override { return Field(ReadOutName(row, column)); }
  QString DcAdc1Text() const override { return Field("edtADC1"); }
  QString DcGainText() const override { return Field("edtDCGain"); }
  void ShowTexts(const std::vector<std::pair<QString, QString>>& texts) override {
    for (const auto& [name, text] : texts) {
      shown.emplace_back(name, text);
      fields[name] = text;
    }
  }
  void ShowProgress(const QString& text) override { progress << text; }
  void Warning(const QString& text) override { warnings << text; }
  void ProcessMessages() override {
    if (onMessages) onMessages(++rounds);
  }
};

const Bytes kStreamStart = {0xC4, 0x02};

class IqRuns : public ImpedanceLink {
protected:
  void SetUp() override {
    ImpedanceLink::SetUp();
    g.AppDir = dir.path() + "/";
    // The AC calibration's readings and the DC one's result, as "Calculate" leaves them.
    s.Y0 = 1000;
    s.Theta0 = std::atan2(800.0, 600.0);
    s.Y1 = 2000;
    s.Resd_dc = 5100;
    s.CapTestIdle = false;  // as CAP TEST starts a run
    sim.board.iqSource = [this](uint64_t n) {
      const auto [i, q] = device(n);
      return std::pair<uint32_t, uint32_t>{IqWord(i), IqWord(q)};
    };
    sim.board.streamSource = [this](uint64_t n) { return 2 * stream(n); };  // the word a DC run halves
  }

  QStringList Logs() const { return QDir(dir.filePath("log")).entryList(QDir::Files, QDir::Name); }
  QStringList LogLines(const QString& name) const {
    return SplitLines(DecodeBig5(Read(dir.filePath("log/" + name))));
  }
  QByteArray Read(const QString& path) const {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // The only log of a kind ("AC", "DC", "DC1").
  QStringList OnlyLog(const QString& kind) const {
    const QStringList names = Logs().filter(QRegularExpression("^" + kind + "2"));
    EXPECT_EQ(names.size(), 1) << kind.toStdString();
    return names.isEmpty() ? QStringList() : LogLines(names[0]);
  }
  Writes DabitWrites() const {
    Writes out;
    for (auto [a, v] : RegisterWrites())
      if (a == 23 || a == 24 || a == 26 || a == 27) out.emplace_back(a, v);
    return out;
  }

  QTemporaryDir dir;
  IQTestState s;
  ScriptedWindow window;
  IqRunner runner{up, s, sim.clock, window};
  std::function<std::pair<double, double>(uint64_t)> device = [](uint64_t) {
    return std::pair<double, double>{1000, 0};
  };
  std::function<int32_t(uint64_t)> stream = [](uint64_t n) { return static_cast<int32_t>(1000 + 10 * n); };
};

// The AC row of the device reading I = 1000, Q = 0 against the calibration above: its
// fields before the ADC read-outs and after them.
const QString kAcHead = "5100,1000,1020.00,19.504,66300.00,19.204";
const QString kAcTail =
    "600.00,2000.00,1000.00,800.00,0.00,0.00,1000.00,2000.00,1000.00,0.927,0.000,0.000,5100.00,10200000.00,0.000,"
    "8223.50,,";

TEST_F(IqRuns, AcRunConvertsPacesShowsAndLogsTheReadOutsAsTheyStand) {
  const QDateTime utc = sim.clock.UtcNow();
  const int64_t t0 = sim.clock.SteadyUs();
  // A diagnostic writes an ADC read-out while the first row's messages are handled.
  window.onMessages = [this](int round) {
    if (round == 1) window.fields["T_ADC2_1"] = "-12.50";
  };
  runner.Run();

  EXPECT_TRUE(window.warnings.isEmpty());
  // Each row: the start, the polls until the done bit clears, a read of six and one of three.
  const std::vector<Bytes> sample = {{0xC4, 0x00, 0xA0, 0x0F, 0x01}, {0xC4, 0x01, 0xA0, 0x0F, 0x01},
                                     {0xC4, 0x01, 0xA0, 0x0F, 0x01}, {0xC4, 0x01, 0xA0, 0x06, 0x06},
                                     {0xC4, 0x01, 0xA0, 0x09, 0x03}};
  std::vector<Bytes> want;
  for (int k = 0; k < 3; ++k) want.insert(want.end(), sample.begin(), sample.end());
  EXPECT_EQ(SentHeads(), want);
  EXPECT_EQ(adcRefreshes, 3 * 6);  // each result byte refreshes only the ADC windows
  EXPECT_EQ(fullRefreshes, 0);
  EXPECT_EQ(sim.clock.SteadyUs() - t0, 3 * 250'000);  // paced at the scan time

  const std::pair<const char*, const char*> texts[] = {
      {"T_IDATA_2", "1000.00"}, {"T_QDATA_2", "0.00"},     {"T_YDATA_2", "1000.00"},  {"T_Theta_2", "0.000"},
      {"T_Theta_Dut", "0.000"}, {"T_Theta_Dut2", "0.000"}, {"T_RsDATA", "1020.00"},   {"T_CpDATA", "19.204"},
      {"T_Zm", "8223.50"},      {"T_Zm2", "8223.50"},      {"T_YDATA_n", "10200.00"}, {"T_Ratio_p", "0.125"}};
  for (auto [name, text] : texts) EXPECT_EQ(window.Shown(name), text) << name;
  EXPECT_EQ(window.progress, (QStringList{"1 Save Data", "2 Save Data", "3 Save Data"}));

  // Columns 9-20: the ADC read-outs as they stood at each row.
  const QString before = "000000,000000,000000,000000,000000,000000,000000,000000,000000,000000,000000,000000";
  const QString after = "000000,000000,000000,000000,-12.50,000000,000000,000000,000000,000000,000000,000000";
  const QStringList lines = OnlyLog("AC");
  ASSERT_EQ(lines.size(), 1 + 3);
  EXPECT_EQ(lines[0], IQLogHeader(IQLogKind::AC));
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(lines[1 + k], QString::number(k + 1) + "," + Utc8TimeText(utc.addMSecs(250 * k)) + "," + kAcHead + "," +
                                (k == 0 ? before : after) + "," + kAcTail);
  EXPECT_FALSE(s.CapTestIdle);  // ended by its limit: a second phase would follow
}

TEST_F(IqRuns, DcRunStepsTheDacsShowsEachGroupAndLogsIt) {
  window.mode = IqRunMode::DC;
  const char* codes[3][2] = {{"0100", "0200"}, {"0300", "0400"}, {"0500", "0600"}};
  for (int step = 0; step < 3; ++step)
    for (int col = 0; col < 2; ++col) window.in.Dabit[step][col] = codes[step][col];
  window.in.BiasTime = "0.1";
  window.in.ReactionTime = "0.2";
  sim.board.samplesPerPoll = 5;
  // The DC gain read-out rewritten during the run: the next rows take it as it stands.
  window.onMessages = [this](int) {
    if (window.progress.endsWith("2 Save DC Data")) window.fields["edtDCGain"] = "5100000.00";
  };
  runner.Run();

  EXPECT_TRUE(window.warnings.isEmpty());
  EXPECT_EQ(DabitWrites(), (Writes{{23, 1}, {24, 0}, {26, 2}, {27, 0}, {23, 3}, {24, 0}, {26, 4}, {27, 0},
                                   {23, 5}, {24, 0}, {26, 6}, {27, 0}, {23, 0}, {24, 0}, {26, 0}, {27, 0}}));
  EXPECT_EQ(CountSent(kStreamStart), 1);
  EXPECT_FALSE(sim.board.streaming);
  EXPECT_EQ(window.progress,
            (QStringList{"Bias Time:0.1s", "0s", "Reaction Time:0.1s", "Reaction Time:0.2s", "1 Save DC Data",
                         "2 Save DC Data", "3 Save DC Data", "4 Save DC Data", "5 Save DC Data"}));
  // Three packets of five settle; the fourth gives five groups of one: 1150 .. 1190.
  // Strip resistance = DC gain / average - 5100.
  const QStringList lines = OnlyLog("DC");
  ASSERT_EQ(lines.size(), 1 + 5);
  const char* rows[5] = {"1000,1150,10200000.00,3769.57", "1000,1160,10200000.00,3693.10",
                         "1000,1170,5100000.00,-741.03", "1000,1180,5100000.00,-777.97",
                         "1000,1190,5100000.00,-814.29"};
  for (int k = 0; k < 5; ++k) EXPECT_EQ(lines[1 + k].section(',', 1), rows[k]) << k;
  EXPECT_EQ(window.Shown("edtADC2"), "1190");
  EXPECT_EQ(window.Shown("edtDCOhm"), "-814.29");
}

TEST_F(IqRuns, DcAdcRunLogsASampleAPacketWithTheReadOutsAsTheyStand) {
  window.mode = IqRunMode::DCACADC;
  s.Z.Resd = 5100;
  s.Z.Gain = 10200000;
  // The read-out I1 rewritten after the first row.
  window.onMessages = [this](int) {
    if (window.progress.endsWith("1 Save Data")) window.fields["T_IDATA_1"] = "7.50";
  };
  runner.RunDcAdc();
  const QStringList lines = OnlyLog("DC1");
  ASSERT_EQ(lines.size(), 1 + 3);
  // The first packet settles; then one row a packet, its first sample: 21 + 21 k.
  for (int k = 0; k < 3; ++k) {
    const QString i1 = k == 0 ? "2000.00" : "7.50";
    EXPECT_EQ(lines[1 + k].section(',', 2),
              "5100,1000,600.00," + i1 + ",800.00,0.00,1000.00,2000.00,0.927,0.000,5100.00,10200000.00," +
                  QString::number(1000 + 10 * (21 + 21 * k)))
        << k;
    EXPECT_TRUE(lines[1 + k].startsWith(QString::number(k + 1) + ",2026")) << k;
  }
  EXPECT_EQ(window.Shown("edtADC"), QString::number(1000 + 10 * 63));
  EXPECT_EQ(CountSent({0xC4, 0x03}), 1);  // the stream stopped
}

TEST_F(IqRuns, ModesRunTheirPhasesAfterTheDcInputsAreChecked) {
  struct Case {
    IqRunMode mode;
    QStringList logs;  // kinds written, in name order
  };
  const Case cases[] = {
      {IqRunMode::AC, {"AC"}},          {IqRunMode::DC, {"DC"}},       {IqRunMode::ACDC, {"AC", "DC"}},
      {IqRunMode::DCAC, {"AC", "DC"}},  {IqRunMode::DCACADC, {"DC1", "DC"}},
  };
  window.ac = window.dcAdc = {RunLimitKind::Amount, 1};
  for (const Case& c : cases) {
    window.mode = c.mode;
    s.CapTestIdle = false;
    QDir(dir.filePath("log")).removeRecursively();
    runner.Run();
    QStringList kinds;
    for (const QString& name : Logs()) kinds << name.left(name.indexOf('2'));
    EXPECT_EQ(kinds, c.logs) << static_cast<int>(c.mode);
    EXPECT_TRUE(window.warnings.isEmpty());
  }

  // An input a DC run needs that is empty: no run at all, in every mode but AC.
  const std::function<void(IqDcInputs&)> faults[] = {
      [](IqDcInputs& in) { in.Dabit[0][1] = ""; },
      [](IqDcInputs& in) { in.Dabit[2][0] = ""; },
      [](IqDcInputs& in) { in.Threshold = "."; },
  };
  const char* messages[] = {"DABIT Setting error", "DABIT Setting error", "ADC Threshold Setting error"};
  for (int k = 0; k < 3; ++k) {
    ScriptedWindow fresh;
    window.in = fresh.in;
    faults[k](window.in);
    window.mode = IqRunMode::DCAC;
    window.warnings.clear();
    sim.board.ClearLog();
    runner.Run();
    EXPECT_EQ(window.warnings, QStringList{messages[k]}) << k;
    EXPECT_TRUE(sim.board.Sent().empty()) << k;
  }
  // The measuring step switched off: its codes are not needed.
  window.in.Threshold = "0";
  window.in.Dabit[2][0] = "";
  window.in.MeasuringOn = false;
  window.warnings.clear();
  s.CapTestIdle = false;
  runner.Run();
  EXPECT_TRUE(window.warnings.isEmpty());
  EXPECT_EQ(CountSent(kStreamStart), 1);
}

TEST_F(IqRuns, TheLinkLostPartWaySaysSoKeepsTheRowsAndNoPhaseFollows) {
  // The AC run: the link goes during the third conversion.
  window.mode = IqRunMode::ACDC;
  window.ac = {RunLimitKind::Continuous, 0};
  device = [this](uint64_t n) {
    if (n == 2) sim.board.Arm(BoardFault::FailedTransfer);
    return std::pair<double, double>{1000, 0};
  };
  runner.Run();
  EXPECT_EQ(window.warnings, QStringList{QString(kIqConversionFailed)});
  EXPECT_TRUE(s.CapTestIdle);
  EXPECT_EQ(OnlyLog("AC").size(), 1 + 2);
  EXPECT_EQ(CountSent(kStreamStart), 0);
  EXPECT_EQ(window.Shown("T_IDATA_2"), "1000.00");  // nothing shown of the lost reading

  // The DC run: the link goes in the stream's third packet, after a packet of rows.
  sim.board.ClearFaults();
  ASSERT_TRUE(transport.OpenDevice(g.Channels[0].Devc));
  sim.board.ClearLog();
  QDir(dir.filePath("log")).removeRecursively();
  window.warnings.clear();
  window.mode = IqRunMode::DCAC;
  window.dc = {RunLimitKind::Continuous, 0};
  s.CapTestIdle = false;
  stream = [this](uint64_t n) {
    if (n == 50) sim.board.Arm(BoardFault::FailedTransfer);
    return static_cast<int32_t>(1000 + n);
  };
  runner.Run();
  EXPECT_EQ(window.warnings, QStringList{QString(kAdcStreamLost)});
  const QStringList lines = OnlyLog("DC");
  ASSERT_EQ(lines.size(), 1 + 21);
  EXPECT_EQ(lines[21].section(',', 2, 2), "1041");  // the second packet's last sample
  EXPECT_EQ(CountSent({0xC4, 0x00, 0xA0, 0x0F, 0x01}), 0);  // no AC run followed
}

TEST_F(IqRuns, AnErrorPartWayWritesTheRowsTakenAndGoesOn) {
  // The frequency emptied while the second row's messages are handled: the third row fails.
  window.ac = {RunLimitKind::Continuous, 0};
  window.onMessages = [this](int round) {
    if (round == 2) window.fields["T_Freq"] = "";
  };
  EXPECT_THROW(runner.Run(), EConvertError);
  EXPECT_EQ(OnlyLog("AC").size(), 1 + 2);
  EXPECT_TRUE(window.warnings.isEmpty());  // CAP TEST tells the error

  // The DC gain emptied during the second packet of rows: the rows before it, each
  // with its time, and the DACs and the stream put back.
  QDir(dir.filePath("log")).removeRecursively();
  window.mode = IqRunMode::DC;
  window.dc = {RunLimitKind::Continuous, 0};
  window.onMessages = [this](int) {
    if (window.progress.endsWith("25 Save DC Data")) window.fields["edtDCGain"] = "";
  };
  sim.board.ClearLog();
  EXPECT_THROW(runner.Run(), EConvertError);
  const QStringList lines = OnlyLog("DC");
  ASSERT_EQ(lines.size(), 1 + 25);
  for (int r = 1; r <= 25; ++r) EXPECT_EQ(lines[r].count(','), 4) << r;
  EXPECT_FALSE(sim.board.streaming);
  EXPECT_EQ(DabitWrites().size(), 3u * 4 + 4);
}

TEST_F(IqRuns, StopEndsTheRunAfterItsRowOrStep) {
  // A click while the second row's messages are handled: that row is the last.
  window.mode = IqRunMode::ACDC;
  window.ac = {RunLimitKind::Continuous, 0};
  window.onMessages = [this](int round) {
    if (round == 2) s.CapTestIdle = true;
  };
  runner.Run();
  EXPECT_EQ(OnlyLog("AC").size(), 1 + 2);
  EXPECT_EQ(CountSent(kStreamStart), 0);
  EXPECT_TRUE(window.warnings.isEmpty());

  // A click in the bias step: the rest runs through without waiting, the stream starts
  // and stops at once, the DACs come back, no row.
  QDir(dir.filePath("log")).removeRecursively();
  sim.board.ClearLog();
  window.mode = IqRunMode::DC;
  window.in.BiasTime = "5";
  window.in.ReactionTime = "100";
  window.progress.clear();
  s.CapTestIdle = false;
  window.onMessages = [this](int) {
    if (!window.progress.isEmpty()) s.CapTestIdle = true;
  };
  const int64_t t0 = sim.clock.SteadyUs();
  runner.Run();
  EXPECT_EQ(window.progress, (QStringList{"Bias Time:0.1s", "Reaction Time:0.1s"}));
  EXPECT_LT(sim.clock.SteadyUs() - t0, 250'000);
  EXPECT_EQ(DabitWrites(), (Writes{{23, 8}, {24, 0}, {26, 8}, {27, 0}, {23, 8}, {24, 0}, {26, 8}, {27, 0},
                                   {23, 0}, {24, 0}, {26, 0}, {27, 0}}));
  EXPECT_EQ(CountSent(kStreamStart), 1);
  EXPECT_FALSE(sim.board.streaming);
  EXPECT_TRUE(Logs().isEmpty());
}

}  // namespace
