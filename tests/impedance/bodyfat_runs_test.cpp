// The body-fat test's runs over typed inputs and a scripted host on the simulated
// board, its file readers, limits and pacing, without the window.
#include <gtest/gtest.h>

#include <QDir>
#include <functional>

#include "impedance/bodyfat_runs.h"
#include "impedance/bodyfat_settings.h"
#include "impedance_fixture.h"
#include "platform/clock.h"

namespace {

// The window as a run sees it: boxes a test sets, what the run showed, and a hook on
// each message pump (the n-th, from 1) where a test edits a box or asks for a stop.
struct ScriptedHost : BodyFatRunHost {
  QString rref = "1000";
  QString frequency = "1000";
  std::array<QString, 4> adc[2] = {{"000000", "000000", "000000", "000000"}, {"000000", "000000", "000000", "000000"}};
  std::vector<BodyFatCalibrationTexts> calibrations;
  std::vector<std::pair<int, BodyFatSampleTexts>> samples;
  QStringList progress;
  int pumps = 0;
  std::function<void(int pump)> onPump;

  QString RrefText() const override { return rref; }
  QString FrequencyText() const override { return frequency; }
  std::array<QString, 4> AdcTexts(int row) const override { return adc[row]; }
  void ShowCalibration(const BodyFatCalibrationTexts& t) override { calibrations.push_back(t); }
  void ShowSample(int channel, const BodyFatSampleTexts& t) override { samples.emplace_back(channel, t); }
  void ShowProgress(const QString& text) override { progress << text; }
  void ProcessMessages() override {
    ++pumps;
    if (onPump) onPump(pumps);
  }
};

// The reference reads 300 + 400j (Y 500, phase atan(4/3)); a channel 600 + 800j.
constexpr double kTheta0 = 0.92729521800161223;  // atan(4 / 3)

class BodyFatRuns : public ImpedanceLink {
protected:
  void SetUp() override {
    ImpedanceLink::SetUp();
    // Column k at register 20h + k; row j's value of column k is j * 10h + k + 1.
    for (int k = 0; k < BodyFatColumns; ++k) {
      s.ColumnAddr[k] = 0x20 + k;
      in.Table.Addr[k] = QString::number(0x20 + k, 16);
      for (int j = 0; j < BodyFatTableRows; ++j)
        in.Table.Values[j][k] = QString::number(j * 0x10 + k + 1, 16).rightJustified(2, '0');
    }
    in.Limits.Amount = 2;
    in.Limits.Channels = 1;
    readings = [](uint64_t) { return std::pair<double, double>{600, 800}; };
    sim.board.iqSource = [this](uint64_t n) {
      const auto [i, q] = readings(n);
      return std::pair<uint32_t, uint32_t>{IqWord(i), IqWord(q)};
    };
  }
  BodyFatContext Context() { return {up, s, sim.clock, dir.path(), host}; }
  // A calibration as the impedance run finds it: the figures of the reference, the
  // read-outs as the window holds them.
  void Calibrated() {
    s.Theta0 = kTheta0;
    s.Gain = 2;
    s.Calibrated = true;
    in.Calibration = {"000000", "000000", "000000", "000000", "300.00", "400.00", "500.00", "0.927295"};
    in.GainText = "2.00";
  }
  // Row `n` of the log without its time (column 2).
  QStringList RowWithoutTime(int n) const {
    QStringList f = s.LogLines[n].split(',');
    if (f.size() > 1) f.removeAt(1);
    return f;
  }
  QStringList Files(const QString& pattern) const { return QDir(dir.path()).entryList({pattern}, QDir::Files); }
  QByteArray Read(const QString& name) const {
    QFile f(dir.filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }

  QTemporaryDir dir;
  BodyFatState s;
  ScriptedHost host;
  BodyFatRunInputs in;
  std::function<std::pair<double, double>(uint64_t n)> readings;
};

TEST_F(BodyFatRuns, CalibrationWritesTheCalculateRowAndShowsItsFigures) {
  readings = [](uint64_t) { return std::pair<double, double>{300, 400}; };
  const std::optional<BodyFatCalibrationTexts> t = Calibrate(Context(), in.Table);
  ASSERT_TRUE(t);
  EXPECT_EQ(RegisterWrites(), (Writes{{0x20, 1}, {0x21, 2}, {0x22, 3}, {0x23, 4}, {0x24, 5}, {0x25, 6}, {0x0F, 0x04}}));
  EXPECT_EQ(t->I, "300.00");
  EXPECT_EQ(t->Q, "400.00");
  EXPECT_EQ(t->Y, "500.00");
  EXPECT_EQ(t->Theta, "0.927295");
  EXPECT_EQ(t->Gain, "2.00");
  ASSERT_EQ(host.calibrations.size(), 1u);
  EXPECT_EQ(host.calibrations[0].Gain, "2.00");
  EXPECT_DOUBLE_EQ(s.Gain, 2.0);
  EXPECT_NEAR(s.Theta0, kTheta0, 1e-15);

  // In the automatic test a column addressed 0Eh is not written, whatever its case.
  sim.board.ClearLog();
  in.Table.Addr[2] = "0e";
  s.AutoMode = true;
  host.rref = "500";
  ASSERT_TRUE(Calibrate(Context(), in.Table));
  EXPECT_EQ(RegisterWrites(), (Writes{{0x20, 1}, {0x21, 2}, {0x23, 4}, {0x24, 5}, {0x25, 6}, {0x0F, 0x04}}));
  EXPECT_EQ(host.calibrations.back().Gain, "1.00");  // the reference as it stands
}

TEST_F(BodyFatRuns, ImpedanceRowsTakeTheOpenBoxesAtEachSampleAndTheCalibrationAtTheStart) {
  Calibrated();
  in.Calibration[4] = "301.50";  // a read-out the user typed over: the log takes it as it stands
  in.Limits.Amount = 3;
  s.TestIdle = false;
  // Between the first and the second sample the user edits the open boxes and the
  // generator shows a new frequency.
  host.onPump = [this](int pump) {
    if (pump != 1) return;
    host.rref = "750";
    host.frequency = "2000";
    host.adc[0][0] = "999999";
    host.adc[1][0] = "123456";
  };
  EXPECT_EQ(RunImpedanceTest(Context(), in).End, BodyFatEnd::Finished);

  const QString calibration = "000000,000000,000000,000000,301.50,400.00,500.00,0.927295";
  const QString sample = "600.00,800.00,1000.00,0.927295,2.00,0,2000";
  EXPECT_EQ(RowWithoutTime(1).join(','), "1,1000,1000," + calibration + ",000000,000000,000000,000000," + sample);
  EXPECT_EQ(RowWithoutTime(2).join(','), "2,750,2000," + calibration + ",123456,000000,000000,000000," + sample);
  EXPECT_EQ(RowWithoutTime(3)[1], "750");
  EXPECT_EQ(host.progress, (QStringList{"1 file 1 Data", "1 file 2 Data", "1 file 3 Data"}));
  ASSERT_EQ(host.samples.size(), 3u);
  EXPECT_EQ(host.samples[0].first, 1);
  EXPECT_EQ(host.samples[0].second.Impedance, "2000.000");
  EXPECT_EQ(host.samples[0].second.DutPhase, "0.000");
  EXPECT_TRUE(host.calibrations.empty());
  EXPECT_EQ(Files("ACReg1-*.CSV").size(), 1);
}

TEST_F(BodyFatRuns, ImpedanceRunEndsAfterTheSampleOfAStopAndAtALostWrite) {
  Calibrated();
  in.Limits.Channels = 3;
  in.Limits.Amount = 100;
  s.TestIdle = false;
  host.onPump = [this](int pump) {
    if (pump == 2) s.TestIdle = true;  // a second click on the button
  };
  EXPECT_EQ(RunImpedanceTest(Context(), in).End, BodyFatEnd::Stopped);
  EXPECT_EQ(sim.board.iqConversions, 2u);
  ASSERT_EQ(Files("ACReg*.CSV"), QStringList{Files("ACReg1-*.CSV")});
  EXPECT_EQ(Read(Files("ACReg1-*.CSV")[0]).count('\n'), 3);

  // Channel 2's first column write is lost: channel 1's rows are kept, the shadow holds
  // channel 1's value as the chip does.
  QFile::remove(dir.filePath(Files("ACReg1-*.CSV")[0]));
  in.Limits.Amount = 2;
  s.TestIdle = false;
  host.onPump = [this](int pump) {
    if (pump == 2) usb.failSend = 1;
  };
  host.pumps = 0;
  EXPECT_EQ(RunImpedanceTest(Context(), in).End, BodyFatEnd::ConversionFailed);
  EXPECT_EQ(Files("ACReg*.CSV").size(), 1);
  EXPECT_EQ(Read(Files("ACReg1-*.CSV")[0]).count('\n'), 3);
  EXPECT_EQ(up.GetReg(0x20, 0), 0x11);
  EXPECT_EQ(sim.board.chip.Peek(0x20), 0x11);
}

TEST_F(BodyFatRuns, LimitsBeyondTheTableMeasureItsTwelveChannels) {
  Calibrated();
  in.Limits.Channels = BodyFatMaxChannels + 1;
  in.Limits.Amount = 1;
  s.TestIdle = false;
  EXPECT_EQ(RunImpedanceTest(Context(), in).End, BodyFatEnd::Finished);
  EXPECT_EQ(sim.board.iqConversions, 12u);
  EXPECT_EQ(host.samples.back().first, 12);
}

TEST_F(BodyFatRuns, AutoTestCalibratesEachSampleWithTheBoxesAsTheyStand) {
  ASSERT_TRUE(QFile(dir.filePath("BF1.ram")).open(QIODevice::WriteOnly));
  ASSERT_TRUE(QFile(dir.filePath("BF1.reg")).open(QIODevice::WriteOnly));
  SearchFilePairs(s, dir.path(), "BF");
  ASSERT_EQ(s.PairCount, 1);
  readings = [](uint64_t n) {
    return n % 2 ? std::pair<double, double>{600, 800} : std::pair<double, double>{300, 400};  // reference, channel
  };
  s.AutoIdle = false;
  s.AutoMode = true;
  // Before the second sample the user halves the reference and types into a
  // calibration ADC box.
  host.onPump = [this](int pump) {
    if (pump != 1) return;
    host.rref = "500";
    host.adc[0][1] = "777777";
  };
  EXPECT_EQ(RunAutoTest(Context(), in).End, BodyFatEnd::Finished);

  ASSERT_EQ(host.calibrations.size(), 2u);
  EXPECT_EQ(host.calibrations[1].Gain, "1.00");
  EXPECT_EQ(RowWithoutTime(1).join(','),
            "1,1000,1000,000000,000000,000000,000000,300.00,400.00,500.00,0.927295,"
            "000000,000000,000000,000000,600.00,800.00,1000.00,0.927295,2.00,0,2000");
  EXPECT_EQ(RowWithoutTime(2).join(','),
            "2,500,1000,000000,777777,000000,000000,300.00,400.00,500.00,0.927295,"
            "000000,000000,000000,000000,600.00,800.00,1000.00,0.927295,1.00,0,1000");
  EXPECT_EQ(s.AverageCount, 1);
  EXPECT_EQ(s.TestI[0], "600.00");
  EXPECT_EQ(s.CalI[0], "300.00");
  EXPECT_EQ(Files("MxAverage*.CSV").size(), 1);
}

TEST(BodyFatFileReaders, MemoryFileColumnsGiveZeroWhereTheyHoldNoHexPair) {
  QStringList lines = {"unsigned char Bank0_Array[128]={",
                       "0x12,0x34,0xAB,0xcd,0x01,0x02,0x03,0x04,0x05,0x06,0x07,0x08,0x09,0x0A,0x0B,0x0C,",
                       "0xG1,0x-2,-,0x33,",  // foreign characters, a "-" item, a short line
                       ""};
  for (int r = 3; r < 8; ++r) lines << "0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,0x11,";
  lines << "};" << "" << "unsigned char Bank1_Array[128]={"
        << "0xFE,0xDC,0xBA,0x98,0x76,0x54,0x32,0x10,0x01,0x23,0x45,0x67,0x89,0xAB,0xCD,0xEF,";  // ends early
  const RamFileImage image = ReadRamFileImage(lines);
  EXPECT_EQ(image.Bank0[0], 0x12);
  EXPECT_EQ(image.Bank0[1], 0x34);
  EXPECT_EQ(image.Bank0[3], 0xCD);
  EXPECT_EQ(image.Bank0[15], 0x0C);
  EXPECT_EQ(image.Bank0[16], 0x00);  // "G1"
  EXPECT_EQ(image.Bank0[17], 0x00);  // "-2"
  EXPECT_EQ(image.Bank0[18], 0x00);  // the "-" item shifts the columns
  EXPECT_EQ(image.Bank0[31], 0x00);  // beyond the short line
  EXPECT_EQ(image.Bank0[32], 0x00);  // the empty line
  EXPECT_EQ(image.Bank0[127], 0x11);
  EXPECT_EQ(image.Bank1[0], 0xFE);
  EXPECT_EQ(image.Bank1[15], 0xEF);
  EXPECT_EQ(image.Bank1[16], 0x00);  // past the end of the file
}

TEST(BodyFatFileReaders, RegisterFileValuesByLinePosition) {
  QStringList lines = {"001H 012H", "002H 1", "07FH 0A5H", "", "00EH", "; comment", "x 101B", "00FH 7FH ; note"};
  const auto values = ReadRegFileValues(lines);
  EXPECT_EQ(values[0], 0x12);
  EXPECT_EQ(values[1], 1);
  EXPECT_EQ(values[2], 0xA5);  // register 0Ch, whatever the line's address word
  EXPECT_EQ(AutoTestRegisters[2], 0x0C);
  EXPECT_FALSE(values[3]);  // an empty line
  EXPECT_FALSE(values[4]);  // no value word
  EXPECT_FALSE(values[5]);  // a comment
  EXPECT_EQ(values[6], 5);
  EXPECT_EQ(values[7], 0x7F);
  EXPECT_FALSE(values[8]);  // past the end
  EXPECT_EQ(AutoTestRegisters[34], 0x3E);
}

TEST(BodyFatLimits, SelectorsAndIntervals) {
  const BodyFatLimits a = BodyFatLimitsFrom(false, 3, 9, 11);
  EXPECT_FALSE(a.ByTime);
  EXPECT_EQ(a.Amount, 1000);
  EXPECT_EQ(a.Channels, 12);
  // A selector without a selection counts as its first item.
  const BodyFatLimits b = BodyFatLimitsFrom(true, -1, -1, -1);
  EXPECT_TRUE(b.ByTime);
  EXPECT_EQ(b.Seconds, 1);
  EXPECT_EQ(b.Amount, 100);
  EXPECT_EQ(b.Channels, 1);
  const int intervals[] = {100, 250, 500, 1000, 2000};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ScanIntervalOf(i, 7), intervals[i]);
  EXPECT_EQ(ScanIntervalOf(-1, 7), 7);
  EXPECT_EQ(ScanIntervalOf(5, 7), 7);
}

TEST(BodyFatPacing, SamplesKeepTheirPlaceAgainstTheChannelStart) {
  FakeClock clock;
  const int64_t t0 = clock.SteadyUs();
  EXPECT_EQ(PaceSample(clock, t0, 1, 250), 250'000);
  // A late sample is followed at once by the next one.
  clock.AdvanceUs(400'000);
  EXPECT_EQ(PaceSample(clock, t0, 2, 250), 650'000);
  EXPECT_EQ(PaceSample(clock, t0, 3, 250), 750'000);
}

}  // namespace
