// Register lists, the AC and DC calibrations and the DAC codes on the simulated board.
#include <gtest/gtest.h>

#include "common/errors.h"
#include "impedance/iq_calibration.h"
#include "impedance_fixture.h"

namespace {

using IqCalibration = ImpedanceLink;

TEST_F(IqCalibration, RegisterListEntriesReplaceTheirFieldInTheShadowValue) {
  struct Case {
    uint8_t shadow;
    uint8_t width, shift, value;
    uint8_t want;
  };
  const Case cases[] = {
      {0xFF, 2, 3, 1, 0xEF},  // bits 3-4 become 01, the others stay
      {0x00, 2, 3, 5, 0x28},  // a value too wide for its field sets bit 5 too
      {0xA5, 8, 0, 0x3C, 0x3C},
      {0x0F, 1, 7, 3, 0x8F},  // bits shifted out of the byte are lost
      {0x5A, 4, 9, 0xF, 0x5A},
  };
  int address = 0x20;
  g.IQRegCounts[IQ_CapAC] = 0;
  for (const Case& c : cases) {
    up.SetRegShadow(address, c.shadow, 0);
    g.IQRegLists[IQ_CapAC][g.IQRegCounts[IQ_CapAC]++] = {static_cast<uint16_t>(address), c.width, c.shift, c.value, 1};
    ++address;
  }
  // Beyond the transfer buffer: left out.
  g.IQRegLists[IQ_CapAC][g.IQRegCounts[IQ_CapAC]++] = {600, 8, 0, 0x11, 1};

  ApplyRegList(up, IQ_CapAC);

  Writes want;
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(up.GetReg(0x20 + k, 0), cases[k].want) << k;
    EXPECT_EQ(sim.board.chip.Peek(0x20 + k), cases[k].want) << k;
    want.emplace_back(0x20 + k, cases[k].want);
  }
  EXPECT_EQ(RegisterWrites(), want);
  EXPECT_EQ(sim.board.Sent().size(), 5u);  // nothing read back
  EXPECT_EQ(up.GetReg(600, 0), 0);
  EXPECT_EQ(fullRefreshes + adcRefreshes, 0);

  sim.board.ClearLog();
  g.IQRegCounts[IQ_AC0] = 0;
  ApplyRegList(up, IQ_AC0);
  EXPECT_TRUE(sim.board.Sent().empty());
}

TEST_F(IqCalibration, ReadingRetriesWhileIIsZeroAtMostFiveTimes) {
  // I = 0 twice, then a good conversion.
  sim.board.iqSource = [](uint64_t n) {
    return n < 2 ? std::pair<uint32_t, uint32_t>{0, IqWord(7)} : std::pair<uint32_t, uint32_t>{IqWord(3), IqWord(4)};
  };
  IQResult r = CalibrationReading(up);
  EXPECT_EQ(CountSent(kIqStart), 3);
  EXPECT_DOUBLE_EQ(r.Y, 5);
  EXPECT_NEAR(r.Theta, 0.927295218, 1e-9);

  // I stays 0: five conversions, then the arctangent's division by zero.
  sim.board.ClearLog();
  sim.board.iqSource = [](uint64_t) { return std::pair<uint32_t, uint32_t>{0, IqWord(7)}; };
  ExpectMathError([&] { CalibrationReading(up); }, kFloatDivByZero);
  EXPECT_EQ(CountSent(kIqStart), 5);
}

TEST_F(IqCalibration, ReadingWithFailedTransfersOrAStuckChipIsAFailedConversion) {
  // A failed read of I fails the attempt; the closed link fails the others.
  usb.failSend = 3;
  sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::FromNowOn({.reads = 0}));
  sim.board.iqSource = [](uint64_t) { return std::pair<uint32_t, uint32_t>{IqWord(3), IqWord(4)}; };
  ExpectError([&] { CalibrationReading(up); }, "I/Q conversion failed");
  EXPECT_EQ(CountSent(kIqStart), 1);

  // A chip that never finishes is not tried again.
  ASSERT_TRUE(transport.OpenDevice(g.Channels[0].Devc));
  sim.board.ClearLog();
  sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::StuckFromNow());
  ExpectError([&] { CalibrationReading(up); }, "I/Q conversion failed");
  EXPECT_EQ(CountSent(kIqStart), 1);
}

TEST_F(IqCalibration, AFailedSecondReadingKeepsTheStoredPair) {
  g.IQRegCounts[IQ_AC1] = 1;
  g.IQRegLists[IQ_AC1][0] = {0x1F, 8, 0, 0x02, 1};
  IQTestState& s = g.Impedance.IQTest;
  s.Y0 = 11, s.Theta0 = 0.1, s.Y1 = 22, s.Theta1 = 0.2;
  sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::FromNowOn({.reads = 0}));
  sim.board.iqSource = [](uint64_t) { return std::pair<uint32_t, uint32_t>{IqWord(3), IqWord(4)}; };
  // The conversion of list AC1 never finishes.
  sim.board.afterCommand = [this](const std::vector<uint8_t>& p) {
    if (p.size() >= 4 && p[0] == 0xC4 && p[1] == 0x00 && p[3] == 0x1F)
      sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::StuckFromNow());
  };
  int shown = 0;
  ExpectError([&] { RunACCalibration(up, s, [&](int, const IQResult&) { ++shown; }); }, "I/Q conversion failed");
  EXPECT_EQ(shown, 1);  // the first reading was shown as it came
  EXPECT_EQ(s.Y0, 11);
  EXPECT_EQ(s.Theta0, 0.1);
  EXPECT_EQ(s.Y1, 22);
  EXPECT_EQ(s.Theta1, 0.2);
}

TEST_F(IqCalibration, AcCalibrationAppliesBothListsAndKeepsTheReadings) {
  g.IQRegCounts[IQ_AC0] = 1;
  g.IQRegLists[IQ_AC0][0] = {0x1F, 8, 0, 0x01, 1};
  g.IQRegCounts[IQ_AC1] = 1;
  g.IQRegLists[IQ_AC1][0] = {0x1F, 8, 0, 0x02, 1};
  // The reference path reads 1000, the device path 2000.
  sim.board.iqSource = [this](uint64_t) {
    return std::pair<uint32_t, uint32_t>{IqWord(sim.board.chip.Peek(0x1F) == 1 ? 1000 : 2000), 0};
  };
  IQTestState& s = g.Impedance.IQTest;
  std::vector<int> shownColumns;
  ACCalibrationReadings r = RunACCalibration(up, s, [&](int column, const IQResult& reading) {
    shownColumns.push_back(column);
    EXPECT_EQ(reading.I, column == 0 ? 1000 : 2000);
  });
  FinishACCalibration(s, 5100);

  EXPECT_EQ(shownColumns, (std::vector<int>{0, 1}));
  EXPECT_EQ(r.Ac0.Y, 1000);
  EXPECT_EQ(r.Ac1.Y, 2000);
  EXPECT_EQ(s.Y0, 1000);
  EXPECT_EQ(s.Y1, 2000);
  EXPECT_EQ(s.Theta0, 0);
  EXPECT_DOUBLE_EQ(s.Z.Resd, 5100);
  EXPECT_DOUBLE_EQ(s.Z.Gain, 10'200'000);
  EXPECT_TRUE(s.ACCalibrated);
  EXPECT_EQ(fullRefreshes, 12);  // six result bytes a conversion, each with the full refresh
}

TEST(DabitCodes, HexadecimalTextsAndTheirErrors) {
  const std::pair<const char*, uint32_t> good[] = {{"0800", 0x800}, {"FFFF", 0xFFFF}, {"1", 1}, {"abCd", 0xABCD}};
  for (auto [text, code] : good) EXPECT_EQ(DabitCode(text), code) << text;
  for (const char* bad : {"", "G1", "-1", "08 0"}) {
    try {
      DabitCode(bad);
      ADD_FAILURE() << bad;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Text(), QString("'0x") + bad + "' is not a valid integer value");
    }
  }
}

// Each code's bytes enter the shadow once their packet went out: the views show what
// the DACs were given.
TEST_F(IqCalibration, DacCodesGoHighByteFirstIntoChipAndShadow) {
  up.SetRegShadow(23, 0x12, 0);
  WriteDabitCodes(up, 0x0800, 0x0001);
  EXPECT_EQ(RegisterWrites(), (Writes{{23, 0x08}, {24, 0x00}, {26, 0x00}, {27, 0x01}}));
  EXPECT_EQ(up.GetReg(23, 0), 0x08);
  EXPECT_EQ(up.GetReg(27, 0), 0x01);
}

// DC calibration: lists DC (IN1P = AI4) and DC1 (IN1P = AI5) as the shipped definition has them.
class DcCalibration : public ImpedanceLink {
protected:
  void SetUp() override {
    ImpedanceLink::SetUp();
    g.IQRegCounts[IQ_DC] = 1;
    g.IQRegLists[IQ_DC][0] = {0x13, 4, 4, 4, 1};
    g.IQRegCounts[IQ_DC1] = 1;
    g.IQRegLists[IQ_DC1][0] = {0x13, 4, 4, 5, 1};
    for (int k = 0; k < 4; ++k) up.SetRegShadow(kDabit[k], (k + 1) * 0x11, 0);
    // Sample k of the stream on AI4 reads as base4 + k, on AI5 as base5 + k.
    sim.board.streamSource = [this, input = -1, k = 0](uint64_t) mutable {
      const int in1p = sim.board.chip.Peek(0x13) >> 4;
      if (in1p != input) input = in1p, k = 0;
      return static_cast<int32_t>(2 * ((in1p == 4 ? base4 : base5) + k++));
    };
  }
  DCCalibrationResult Run(int n = 4) {
    return RunDCCalibration(up, g.Impedance.IQTest, n, 0x0800, 0x0A01, 5100, [this] { ++pumps; });
  }
  void ExpectRestoredAndStopped() {
    auto w = RegisterWrites();
    ASSERT_GE(w.size(), 4u);
    EXPECT_EQ(Writes(w.end() - 4, w.end()),
              (Writes{{23, 0x11}, {24, 0x22}, {26, 0x33}, {27, 0x44}}));
    EXPECT_FALSE(sim.board.streaming);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(up.GetReg(kDabit[k], 0), (k + 1) * 0x11);
  }
  static constexpr int kDabit[4] = {23, 24, 26, 27};
  int base4 = 0, base5 = 1000;
  int pumps = 0;
};

TEST_F(DcCalibration, AveragesTheSamplesAfterTheFirstThirteenOfEachStream) {
  const Bytes poll{0xC4, 0x04}, start3{0xC4, 0x02, 0x03}, stop{0xC4, 0x03, 0x01};
  for (int perPoll : {21, 5}) {
    SCOPED_TRACE(perPoll);
    sim.board.ClearLog();
    sim.board.samplesPerPoll = perPoll;
    pumps = 0;
    IQTestState& s = g.Impedance.IQTest;
    s.DCCalibrated = false;

    DCCalibrationResult r = Run();

    // Samples 13 to 16 of each stream (the 14th to the 17th).
    EXPECT_EQ(r.Sum0, 13 + 14 + 15 + 16);
    EXPECT_EQ(r.Avg0, 14);  // 14.5 truncated
    EXPECT_EQ(r.Sum1, 4000 + 58);
    EXPECT_EQ(r.Avg1, 1014);
    EXPECT_NEAR(r.Figures.Resd_dc, 1014.0 / 14 * 5100 - 5100, 1e-6);
    EXPECT_NEAR(r.Figures.DcGain, 1014.0 * 5100, 1e-6);
    EXPECT_EQ(s.Resd_dc, r.Figures.Resd_dc);
    EXPECT_TRUE(s.DCCalibrated);
    const int pollsPerAverage = perPoll == 21 ? 1 : 4;
    EXPECT_EQ(CountSent(poll), 2 * pollsPerAverage);
    EXPECT_EQ(pumps, 2 * pollsPerAverage);
    EXPECT_EQ(CountSent(start3), 2);
    EXPECT_EQ(CountSent(stop), 1);
    // The measuring step's codes first, then list DC; the saved values come back at the end.
    auto w = RegisterWrites();
    ASSERT_GE(w.size(), 5u);
    EXPECT_EQ(Writes(w.begin(), w.begin() + 5),
              (Writes{{23, 0x08}, {24, 0x00}, {26, 0x0A}, {27, 0x01}, {0x13, 0x40}}));
    ExpectRestoredAndStopped();
    EXPECT_EQ(up.GetReg(0x13, 0), 0x50);
  }
}

TEST_F(DcCalibration, ZeroFirstAverageRaisesAfterPuttingTheDacsBack) {
  base4 = 0;
  sim.board.streamSource = [](uint64_t) { return 0; };
  ExpectMathError([&] { Run(); }, kFloatInvalid);
  ExpectRestoredAndStopped();
  EXPECT_FALSE(g.Impedance.IQTest.DCCalibrated);
}

TEST_F(DcCalibration, AnAverageCutShortFailsTheCalibrationAndKeepsTheLastOne) {
  struct Case {
    const char* name;
    bool second;      // in the second average (list DC1), else in the first
    bool linkLost;    // the link closes at the average's first poll, else the stream falls silent
    int64_t minWait;  // fake time the calibration takes at least
  };
  // 21 samples a poll: each good average takes one poll.
  const Case cases[] = {
      {"silent first", false, false, StreamSilenceUs},
      {"silent second", true, false, StreamSilenceUs},
      {"link lost in the first", false, true, 0},
      {"link lost in the second", true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(g.Channels[0].Devc.Opened || transport.OpenDevice(g.Channels[0].Devc));
    IQTestState& s = g.Impedance.IQTest;
    s.DCCalibrated = true;  // an earlier calibration
    s.Resd_dc = 123;
    const int faultyInput = c.second ? 5 : 4;
    sim.board.pollCount = [this, c, faultyInput](uint64_t) {
      return !c.linkLost && sim.board.chip.Peek(0x13) >> 4 == faultyInput ? 0 : 21;
    };
    sim.board.afterCommand = [this, c, faultyInput](const std::vector<uint8_t>& p) {
      // The list's write of IN1P: the next packet (the stream start) goes, the poll fails.
      if (c.linkLost && p.size() >= 8 && p[0] == 0xC4 && p[1] == 0x00 && p[3] == 0x13 && p[7] >> 4 == faultyInput)
        usb.failSend = 2;
    };
    sim.board.ClearLog();
    const int64_t t0 = sim.clock.SteadyUs();
    ExpectError([&] { Run(); }, "ADC stream lost");
    const int64_t took = sim.clock.SteadyUs() - t0;
    EXPECT_GE(took, c.minWait);
    EXPECT_LT(took, c.minWait + 100'000);
    EXPECT_TRUE(s.DCCalibrated);
    EXPECT_EQ(s.Resd_dc, 123);
    EXPECT_EQ(CountSent({0xC4, 0x02, 0x03}), c.second ? 2 : 1);  // no average after the failed one
    EXPECT_EQ(g.Channels[0].Devc.Opened, !c.linkLost);
    if (!c.linkLost) ExpectRestoredAndStopped();
    sim.board.afterCommand = nullptr;
    usb.failSend = 0;
  }
}

TEST_F(DcCalibration, AverageCycleBelowOneRaisesBeforeAnyWrite) {
  ExpectMathError([&] { Run(0); }, kFloatDivByZero);
  EXPECT_TRUE(sim.board.Sent().empty());
}

}  // namespace
