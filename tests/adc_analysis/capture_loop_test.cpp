#include <gtest/gtest.h>

#include "adc_analysis/capture_loop.h"
#include "adc_analysis/stream_capture.h"
#include "analysis_fixture.h"
#include "common/errors.h"

namespace {

using CaptureLoopTest = LinkFixture;

const std::vector<uint8_t> kWriteReg2 = {0xC4, 0x00, 0xA0, 0x02, 0x01};
const std::vector<uint8_t> kStart3 = {0xC4, 0x02, 0x03};
const std::vector<uint8_t> kPoll = {0xC4, 0x04};
const std::vector<uint8_t> kStop = {0xC4, 0x03, 0x01};
const std::vector<uint8_t> kIqStart = {0xC4, 0x00, 0xA0, 0x0F, 0x01};
const std::vector<uint8_t> kIqResults = {0xC4, 0x01, 0xA0, 0x06, 0x06};

CaptureRequest Adc() {
  CaptureRequest r;
  r.RefText = "2.4";
  r.Mode = 3;
  return r;
}

TEST_F(CaptureLoopTest, AdcCaptureRunsTheStreamAndStoresTheFigures) {
  st.AdcCaptureFlag = true;
  g.Channels[0].RegShadow[2] = 0x5A;
  sim.board.streamSource = [](uint64_t n) { return static_cast<int32_t>(AdcWord(100 + n % 3)); };
  CaptureRequest req = Adc();
  req.LiveChart = true;
  std::vector<uint8_t> live;
  onPump = [&] { live.push_back(g.LiveChartFlag); };

  CaptureOutcome out = CatchACDCOM(up, st, req, hooks);

  EXPECT_TRUE(out.Completed);
  EXPECT_EQ(CountSent(kWriteReg2), 2);
  EXPECT_EQ(sim.board.chip.Peek(2), 0x5A);
  EXPECT_EQ(CountSent(kStart3), 1);
  EXPECT_EQ(CountSent(kPoll), 4);  // 84 samples: 13 dropped, 71 kept
  EXPECT_EQ(CountSent(kStop), 1);
  EXPECT_FALSE(sim.board.streaming);
  EXPECT_EQ(g.SampleCount, 71);
  EXPECT_EQ(st.LastCount, 71);
  EXPECT_EQ(st.MemoryF.Text(0), "101");  // stream sample 13
  EXPECT_GE(st.CaptureMs, 40);
  EXPECT_EQ(status, std::vector<QString>{kReadComplete});
  EXPECT_EQ(gauge, (std::vector<int>{0, -1}));
  EXPECT_EQ(live, std::vector<uint8_t>(4, 1));
  EXPECT_EQ(g.LiveChartFlag, 0);
  EXPECT_TRUE(st.CaptureIdle);
  ASSERT_EQ(out.Figures.Count, 1);
  EXPECT_NEAR(g.Channels[0].ChannelResults[0], 101, 0.05);
  EXPECT_EQ(g.Channels[0].ChannelResults[4], 2);  // 100 .. 102
  EXPECT_FALSE(out.Ekg);
}

TEST_F(CaptureLoopTest, BoardWithoutSamplesTimesOutAfterTenSeconds) {
  for (bool unplugged : {false, true}) {
    st.LastCount = 5;
    g.Channels[0].ChannelResults.fill(7);  // an earlier capture's figures
    status.clear();
    sim.board.samplesPerPoll = 0;
    if (unplugged) sim.board.UnplugAll();
    const int64_t t0 = sim.clock.SteadyUs();
    CaptureOutcome out = CatchACDCOM(up, st, Adc(), hooks);
    const int64_t waited = sim.clock.SteadyUs() - t0;
    EXPECT_FALSE(out.Completed);
    EXPECT_GT(waited, CaptureTimeoutUs);
    EXPECT_LT(waited, CaptureTimeoutUs + 100'000);
    EXPECT_EQ(status, std::vector<QString>{kReadError});
    EXPECT_EQ(g.SampleCount, 0);
    EXPECT_EQ(st.LastCount, 5);
    EXPECT_TRUE(st.CaptureIdle);
    // No value, no figure: none is stored, nor is the earlier capture's left.
    ASSERT_EQ(out.Figures.Count, 1);
    for (int f = 0; f < FigureCount; ++f) {
      EXPECT_FALSE(IsFigure(g.Channels[0].ChannelResults[f])) << f;
      EXPECT_FALSE(IsFigure(out.Figures.Channel[0].Values[f])) << f;
    }
    EXPECT_FALSE(IsFigure(out.Figures.Vrms.value()));
  }
  EXPECT_EQ(CountSent(kStop), 1);  // the unplugged board got none
}

TEST_F(CaptureLoopTest, StopRequestEndsTheCapture) {
  st.AdcCaptureFlag = true;
  st.LastCount = 7;
  sim.board.streamSource = [](uint64_t) { return static_cast<int32_t>(AdcWord(50)); };
  onPump = [&] {
    if (pumps == 2) st.CaptureIdle = true;  // the second click on the capture button
  };
  CaptureOutcome out = CatchACDCOM(up, st, Adc(), hooks);
  EXPECT_FALSE(out.Completed);
  EXPECT_EQ(CountSent(kPoll), 2);
  EXPECT_EQ(CountSent(kStop), 1);
  EXPECT_EQ(g.SampleCount, 29);
  EXPECT_EQ(st.LastCount, 7);
  EXPECT_EQ(status, std::vector<QString>{kReadError});
  EXPECT_DOUBLE_EQ(g.Channels[0].ChannelResults[0], 50);  // the mean of the kept samples
}

TEST_F(CaptureLoopTest, EkgCaptureGivesBeatStatistics) {
  st.AdcCaptureFlag = true;
  g.NPoints = 2048;
  EcgPulseTrain train;
  train.firstPeak = 150 + AdcStreamCapture::DroppedSamples;
  train.intervals = {240};
  sim.board.streamSource = train.Source();
  CaptureRequest req = Adc();
  req.Ekg = EkgParameters{};
  req.EkgStatistics = true;
  CaptureOutcome out = CatchACDCOM(up, st, req, hooks);
  ASSERT_TRUE(out.Completed);
  ASSERT_TRUE(out.Ekg);
  EXPECT_EQ(out.Ekg->HR, "HR : 500.0000");
  EXPECT_EQ(out.Ekg->Beats, 8);
  EXPECT_EQ(st.EkgValues[19], 0);
  EXPECT_GT(st.EkgValues[155], 1000);  // the filtered R wave
}

TEST_F(CaptureLoopTest, ErrorInTheEkgStatisticsLeavesTheStreamStopped) {
  st.AdcCaptureFlag = true;
  CaptureRequest req = Adc();
  req.Ekg = EkgParameters{};
  req.Ekg->Sps = 0;
  req.EkgStatistics = true;
  req.LiveChart = true;
  EXPECT_THROW(CatchACDCOM(up, st, req, hooks), EMathError);
  EXPECT_EQ(CountSent(kStop), 1);
  EXPECT_TRUE(st.CaptureIdle);
  EXPECT_EQ(g.LiveChartFlag, 0);
  EXPECT_EQ(gauge.back(), -1);
}

TEST_F(CaptureLoopTest, IqModeNeedsDgcon1Bits7And0) {
  for (uint8_t dgcon : {0x80, 0x01}) {
    g.Channels[0].RegShadow[13] = dgcon;
    g.Channels[1].ChannelResults[0] = 3;
    CaptureRequest req = Adc();
    req.IqMode = true;
    CaptureOutcome out = CatchACDCOM(up, st, req, hooks);
    EXPECT_FALSE(out.Completed);
    EXPECT_EQ(out.Figures.Count, 0);
    EXPECT_EQ(g.Channels[1].ChannelResults[0], 3);
  }
  EXPECT_EQ(warnings, (std::vector<QString>{kDgconError, kDgconError}));
  EXPECT_EQ(CountSent(kWriteReg2), 4);
  EXPECT_EQ(CountSent(kIqStart), 0);
}

TEST_F(CaptureLoopTest, IqCaptureStoresPairsInTheGrid) {
  g.NPoints = 32;
  g.Channels[0].RegShadow[13] = 0x81;
  g.Channels[0].RegShadow[15] = 0x10;
  sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::FromNowOn({.reads = 2}));
  // I = k + 0.5, Q = -(k + 1) / 2.
  sim.board.iqSource = [](uint64_t k) {
    return std::pair<uint32_t, uint32_t>(static_cast<uint32_t>(2 * k + 1), (0x1000000 - (k + 1)) & 0xFFFFFF);
  };
  CaptureRequest req = Adc();
  req.IqMode = true;
  CaptureOutcome out = CatchACDCOM(up, st, req, hooks);

  EXPECT_TRUE(out.Completed);
  EXPECT_EQ(g.IQSampleCount, 32);
  EXPECT_EQ(st.LastCount, 32);
  EXPECT_EQ(CountSent(kIqStart), 32);
  EXPECT_EQ(sim.board.Sent()[2][7], 0x14);  // after the two writes of register 2
  EXPECT_EQ(CountSent({0xC4, 0x01, 0xA0, 0x0F, 0x01}), 3 * 32);
  EXPECT_EQ(CountSent(kIqResults), 32);
  EXPECT_EQ(g.Channels[0].RegShadow[15], 0x10);  // the shadow never shows the start bit
  EXPECT_EQ(st.MemoryF.RowCount(), 5);
  EXPECT_EQ(st.MemoryF.CellText(0, 1), "ADI:0000");
  EXPECT_EQ(st.MemoryF.CellText(0, 4), "ADQ:0001");
  EXPECT_EQ(st.MemoryF.CellText(1, 1), "0.5");
  EXPECT_EQ(st.MemoryF.CellText(16, 2), "31.5");
  EXPECT_EQ(st.MemoryF.CellText(1, 3), "-0.5");
  EXPECT_EQ(st.MemoryF.CellText(16, 4), "-16");
  EXPECT_DOUBLE_EQ(st.AdiMean, 16);
  EXPECT_EQ(gauge.back(), 100);
  EXPECT_EQ(status, std::vector<QString>{kReadComplete});
  ASSERT_EQ(out.Figures.Count, 2);
  EXPECT_DOUBLE_EQ(g.Channels[1].ChannelResults[0], 16);
  EXPECT_DOUBLE_EQ(g.Channels[2].ChannelResults[0], -8.25);
  EXPECT_EQ(g.Channels[1].ChannelResults[4], 32);  // round(31.5) - round(0.5), ties to even
}

TEST_F(CaptureLoopTest, IqStopAfterTenPairsAndStuckConversion) {
  g.NPoints = 32;
  g.Channels[0].RegShadow[13] = 0x81;
  sim.board.iqSource = [](uint64_t) { return std::pair<uint32_t, uint32_t>(8, 4); };
  CaptureRequest req = Adc();
  req.IqMode = true;
  onPump = [&] {
    if (g.IQSampleCount == 10) st.CaptureIdle = true;
  };
  CaptureOutcome out = CatchACDCOM(up, st, req, hooks);
  EXPECT_FALSE(out.Completed);
  EXPECT_EQ(st.LastCount, 10);
  EXPECT_DOUBLE_EQ(st.AdiMean, 4);
  EXPECT_DOUBLE_EQ(g.Channels[2].ChannelResults[0], 2);

  // A conversion that never ends ends the capture.
  onPump = nullptr;
  status.clear();
  sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::StuckFromNow());
  out = CatchACDCOM(up, st, req, hooks);
  EXPECT_FALSE(out.Completed);
  EXPECT_EQ(g.IQSampleCount, 0);
  EXPECT_EQ(st.AdiMean, 0);
  EXPECT_EQ(status, std::vector<QString>{kReadError});
  EXPECT_TRUE(st.CaptureIdle);
}

TEST_F(CaptureLoopTest, WaitShowsTheSecondsField) {
  std::vector<QString> shown;
  auto record = [&](const QString& t) {
    if (shown.empty() || shown.back() != t) shown.push_back(t);
  };
  const int64_t t0 = sim.clock.SteadyUs();
  WaitTRIGER(sim.clock, 75, nullptr, record);
  EXPECT_GT(sim.clock.SteadyUs() - t0, 75'000'000);
  ASSERT_EQ(shown.size(), 76u);
  EXPECT_EQ(shown[59], "59");
  EXPECT_EQ(shown[60], "0");
  EXPECT_EQ(shown.back(), "15");

  int rounds = 0;
  WaitTRIGER(sim.clock, 0, [&] { ++rounds; }, nullptr);
  EXPECT_GE(rounds, 1);
}

}  // namespace
