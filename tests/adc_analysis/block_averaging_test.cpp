#include <gtest/gtest.h>

#include "adc_analysis/block_averaging.h"
#include "analysis_fixture.h"

namespace {

class BlockAveragingTest : public ::testing::Test {
protected:
  // A finished ADC capture of the values s (before the divisor).
  void Captured(const std::vector<double>& s) {
    g.SampleCount = static_cast<int>(s.size());
    for (size_t k = 0; k < s.size(); ++k) st.CaptureSamples[k] = s[k];
  }
  void CapturedIq(const std::vector<double>& i, const std::vector<double>& q) {
    g.IQSampleCount = static_cast<int>(i.size());
    for (size_t k = 0; k < i.size(); ++k) {
      st.AdiValues[k] = i[k];
      st.AdqValues[k] = q[k];
    }
  }
  FigureScale Scale(int bits = 23) { return MakeScale(bits, DivisorForBits(bits), 1.0, "2.4", false); }

  Globals g;
  AnalysisState st{g};
};

std::vector<double> Ramp(int n) {
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i) v[i] = i;
  return v;
}

TEST_F(BlockAveragingTest, BlocksOfFourThenBackToOne) {
  g.NPoints = 64;
  Captured(Ramp(64));
  FigureSet set = ReCalADC(st, Scale(), false, 4);
  ASSERT_EQ(set.Count, 1);
  EXPECT_EQ(st.LastCount, 16);
  EXPECT_EQ(st.MemoryF.Text(0), "1.50");   // mean of 0..3
  EXPECT_EQ(st.MemoryF.Text(15), "61.50");
  EXPECT_EQ(st.MemoryF.Text(16), "");
  EXPECT_EQ(st.WorkSamples[1], 5.5);
  EXPECT_EQ(st.WorkSamples[16], 0);
  const double* r = g.Channels[0].ChannelResults.data();
  EXPECT_DOUBLE_EQ(r[0], 31.5);
  EXPECT_EQ(r[4], 60);  // round(61.5) - round(1.5) = 62 - 2
  EXPECT_DOUBLE_EQ(static_cast<double>(st.SampleMean), 31.5);

  ReCalADC(st, Scale(), false, 1);
  EXPECT_EQ(st.LastCount, 64);
  EXPECT_EQ(st.MemoryF.Text(63), "63");
  EXPECT_EQ(st.WorkSamples[63], 63);
  EXPECT_EQ(g.SampleCount, 64);
}

TEST_F(BlockAveragingTest, IncompleteBlockLeftOutAndPowerOfTwoCount) {
  g.NPoints = 64;
  Captured(Ramp(67));
  ReCalADC(st, Scale(), false, 2);
  EXPECT_EQ(st.MemoryF.Text(32), "64.50");
  EXPECT_EQ(st.MemoryF.Text(33), "");
  EXPECT_EQ(st.LastCount, 32);  // largest power of two not above 33

  CapturedIq(Ramp(67), Ramp(67));
  ReCalADC(st, Scale(), true, 2);
  EXPECT_EQ(st.LastCount, 33);
}

TEST_F(BlockAveragingTest, SingleBlocksRoundDownAfterTheDivisor) {
  g.NPoints = 16;
  Captured({-5, 5, -4, 3});
  ReCalADC(st, Scale(22), false, 1);  // divisor 2
  EXPECT_EQ(st.MemoryF.Text(0), "-3");
  EXPECT_EQ(st.MemoryF.Text(1), "2");
  EXPECT_EQ(st.MemoryF.Text(2), "-2");
  EXPECT_EQ(st.LastCount, 4);
  // Mean and deviation of s / 2: -2.5, 2.5, -2, 1.5.
  EXPECT_DOUBLE_EQ(g.Channels[0].ChannelResults[0], -0.125);
}

TEST_F(BlockAveragingTest, IqShowsIAsItIsAndQRoundedDown) {
  g.NPoints = 16;
  CapturedIq({2.5, 1, 2.5, 1}, {2.5, 1, 2.5, 1});
  FigureSet set = ReCalADC(st, Scale(), true, 1);
  ASSERT_EQ(set.Count, 2);
  EXPECT_EQ(st.MemoryF.Text(0), "2.5");
  EXPECT_EQ(st.MemoryF.Text(16), "2");
  EXPECT_EQ(st.MemoryF.Text(17), "1");
  EXPECT_DOUBLE_EQ(g.Channels[1].ChannelResults[0], 1.75);
  EXPECT_DOUBLE_EQ(g.Channels[2].ChannelResults[5], 0.75);
  EXPECT_DOUBLE_EQ(st.AdqMean, 1.75);
  ReCalADC(st, Scale(), true, 2);
  EXPECT_EQ(st.MemoryF.Text(0), "1.75");
  EXPECT_EQ(st.MemoryF.Text(16), "1.75");
  EXPECT_EQ(st.MemoryF.Text(2), "");
}

TEST_F(BlockAveragingTest, NothingToAverageOnlyEmptiesTheGrid) {
  g.NPoints = 16;
  g.Channels[0].ChannelResults[0] = 42;
  st.MemoryF.SetInteger(3, 9);
  st.LastCount = 7;
  for (int count : {0, 3}) {
    Captured(Ramp(count));
    FigureSet set = ReCalADC(st, Scale(), false, 4);
    EXPECT_EQ(set.Count, 0);
    EXPECT_EQ(st.MemoryF.Text(3), "");
    EXPECT_EQ(g.Channels[0].ChannelResults[0], 42);
    EXPECT_EQ(st.LastCount, 7);
  }
}

}  // namespace
