#include <gtest/gtest.h>

#include <cmath>

#include "adc_analysis/stream_capture.h"
#include "analysis_fixture.h"

namespace {

class StreamCaptureTest : public ::testing::Test {
protected:
  StreamCaptureTest() { g.NPoints = 64; st.AdcCaptureFlag = true; }

  // Feeds replies of `perReply` words, values from f(i) for stream sample i, until the
  // capture wants no more.
  template <typename F>
  void Run(int perReply, F f) {
    int i = 0;
    while (capture.Wanted() && !st.CaptureIdle) {
      std::vector<uint32_t> raw;
      for (int j = 0; j < perReply; ++j) raw.push_back(f(i++));
      auto r = Reply(raw, settings.Mode);
      capture.OnReply(perReply, r.data());
    }
  }

  Globals g;
  AnalysisState st{g};
  AdcStreamCapture capture{st};
  StreamSettings settings;
};

TEST_F(StreamCaptureTest, DropsThirteenAndKeepsTheWholeLastReply) {
  for (int perReply : {1, 7, 21}) {
    capture.Begin(settings);
    Run(perReply, [](int i) { return AdcWord(i); });
    // Sample i of the stream is kept at index i - 13.
    int expected = perReply == 1 ? 64 : ((64 + 13 + perReply - 1) / perReply) * perReply - 13;
    EXPECT_EQ(g.SampleCount, expected) << perReply;
    EXPECT_GE(g.SampleCount, 64);
    EXPECT_LE(g.SampleCount, 84);
    EXPECT_EQ(capture.Dropped(), 13);
    EXPECT_EQ(st.CaptureSamples[0], 13);
    EXPECT_EQ(st.MemoryF.Text(0), "13");
    // The samples beyond the grid's last row are stored and read back like the others.
    EXPECT_EQ(st.MemoryF.RowCount(), 5);
    EXPECT_EQ(st.MemoryF.Text(g.SampleCount - 1), QString::number(g.SampleCount - 1 + 13));
    EXPECT_TRUE(capture.Finish(16));
    EXPECT_EQ(st.LastCount, g.SampleCount);
  }
}

TEST_F(StreamCaptureTest, SumsBecomeMeanAndRmsOfTheScaledValues) {
  g.ScaleDivisor = 2;
  capture.Begin(settings);
  // s = 3, 5, 3, 5, ...: v = 1, 2 (truncated), mean 1.5, RMS sqrt(2.5).
  Run(1, [](int i) { return AdcWord(i % 2 ? 5 : 3); });
  ASSERT_TRUE(capture.Finish(16));
  EXPECT_EQ(st.WorkSamples[0], 5);
  EXPECT_EQ(st.MemoryF.Text(0), "2");
  EXPECT_EQ(st.MemoryF.Text(1), "1");
  EXPECT_DOUBLE_EQ(static_cast<double>(st.SampleMean), 1.5);
  EXPECT_DOUBLE_EQ(static_cast<double>(st.SampleRms), std::sqrt(2.5));
}

TEST_F(StreamCaptureTest, TemperatureModeSumsVTimes256) {
  settings.Temperature = true;
  capture.Begin(settings);
  Run(1, [](int) { return AdcWord(10); });
  capture.Finish(16);
  EXPECT_DOUBLE_EQ(static_cast<double>(st.SampleMean), 2560);
  EXPECT_EQ(st.MemoryF.Text(0), "10");
}

TEST_F(StreamCaptureTest, StoppedCaptureKeepsLastCountAndStillAverages) {
  capture.Begin(settings);
  Run(21, [](int) { return AdcWord(7); });
  capture.Finish(16);
  const int last = st.LastCount;

  capture.Begin(settings);
  auto r = Reply(std::vector<uint32_t>(21, AdcWord(4)));
  capture.OnReply(21, r.data());  // 13 dropped, 8 kept
  st.CaptureIdle = true;          // the stop request
  EXPECT_FALSE(capture.Finish(16));
  EXPECT_EQ(g.SampleCount, 8);
  EXPECT_EQ(st.LastCount, last);
  EXPECT_DOUBLE_EQ(static_cast<double>(st.SampleMean), 4);
  EXPECT_TRUE(st.CaptureIdle);
}

TEST_F(StreamCaptureTest, MovingDifferencesAndTheirSums) {
  g.NPoints = 32;
  capture.Begin(settings);
  // s = i * i for kept sample i.
  Run(1, [](int i) { return i < 13 ? 0u : AdcWord((i - 13) * (i - 13)); });
  capture.Finish(4);
  const int n = g.SampleCount;
  ASSERT_EQ(n, 32);
  for (int i = 0; i + 1 < n; ++i) EXPECT_EQ(st.SampleDiffs[i], 2 * i + 1);
  // Sum of four differences: (i + 4)^2 - i^2.
  for (int i = 0; i <= n - 1 - 4; ++i) EXPECT_EQ(st.DiffSums[i], 8 * i + 16) << i;
  EXPECT_EQ(st.DiffSums[n - 4], 0);  // beyond the last full sum
}

TEST_F(StreamCaptureTest, BeginEmptiesTheGridAndTheStores) {
  capture.Begin(settings);
  Run(21, [](int) { return AdcWord(9); });
  capture.Finish(16);
  capture.Begin(settings);
  EXPECT_EQ(g.SampleCount, 0);
  EXPECT_EQ(st.MemoryF.Text(0), "");
  EXPECT_EQ(st.MemoryF.Text(63), "");
  EXPECT_EQ(st.CaptureSamples[70], 0);
  EXPECT_EQ(st.WorkSamples[10], 0);
  EXPECT_FALSE(st.CaptureIdle);
}

TEST_F(StreamCaptureTest, LargestCaptureStaysInsideTheStores) {
  g.NPoints = 131072;
  capture.Begin(settings);
  Run(21, [](int i) { return AdcWord(i & 0xFFF); });
  EXPECT_GE(g.SampleCount, 131072);
  EXPECT_LE(g.SampleCount, SampleStoreSize);
  capture.Finish(16);
  EXPECT_EQ(st.MemoryF.Text(g.SampleCount - 1), QString::number((g.SampleCount - 1 + 13) & 0xFFF));
}

}  // namespace
