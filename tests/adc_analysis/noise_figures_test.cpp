#include <gtest/gtest.h>

#include <cmath>

#include "common/figure_text.h"
#include "adc_analysis/noise_figures.h"
#include "adc_analysis/stream_capture.h"
#include "analysis_fixture.h"
#include "common/errors.h"

namespace {

const double* Results(const Globals& g, int ch) { return g.Channels[ch].ChannelResults.data(); }

// Captures the values v through the stream decoding (ADC capture, divisor 1).
void CaptureValues(AnalysisState& st, const std::vector<int>& v, bool temperature = false) {
  st.G.NPoints = static_cast<int>(v.size());
  st.AdcCaptureFlag = !temperature;
  st.TempCaptureFlag = temperature;
  AdcStreamCapture capture(st);
  StreamSettings s;
  s.Mode = temperature ? 2 : 3;
  s.Temperature = temperature;
  capture.Begin(s);
  std::vector<uint32_t> raw(13, 0);
  for (int x : v) raw.push_back(temperature ? static_cast<uint32_t>(x) : AdcWord(x));
  for (size_t i = 0; i < raw.size(); ++i) {
    auto r = Reply({raw[i]}, s.Mode);
    capture.OnReply(1, r.data());
  }
  capture.Finish(16);
}

TEST(NoiseFigures, KnownCaptureGivesHandComputedFigures) {
  Globals g;
  AnalysisState st(g);
  CaptureValues(st, {10, 12, 14, 12, 10, 12, 14, 12});
  FigureSet set = StoreAdcCaptureFigures(st, MakeScale(23, 1, 1.0, "2.4", false));
  const double* r = Results(g, 0);
  EXPECT_DOUBLE_EQ(r[0], 12);
  EXPECT_NEAR(r[1], 2288.818359375, 1e-9);
  EXPECT_NEAR(r[2], 572.20458984375 * std::sqrt(2.0), 1e-9);
  EXPECT_NEAR(r[3], 22.5, 1e-12);
  EXPECT_EQ(r[4], 4);
  EXPECT_NEAR(r[5], std::sqrt(2.0), 1e-12);
  EXPECT_EQ(r[6], 21);
  ASSERT_EQ(set.Count, 1);
  const ChannelFigures& f = set.Channel[0];
  EXPECT_EQ(FormatF(f[Figure::Average]), "12.00");
  EXPECT_EQ(FormatF(f[Figure::Enob]), "22.50");
  EXPECT_EQ(FormatF(f[Figure::NoiseFree]), "21.00");
  EXPECT_EQ(FormatF(f[Figure::VppNv]), "2288.82");
  EXPECT_EQ(FormatF(f[Figure::RmsNv]), "809.22");
  EXPECT_NEAR(*set.Vrms, std::sqrt(146.0), 1e-12);
}

TEST(NoiseFigures, EdgeValuesOfTheFormulas) {
  const FigureScale b23 = MakeScale(23, 1, 1.0, "2.4", false);
  // All samples equal: no spread.
  ChannelFigures f = NoiseFigures(b23, 100, 0, 200, 200, 10);
  EXPECT_EQ(FormatF(f[Figure::Enob]), "24.00");
  EXPECT_EQ(FormatF(f[Figure::NoiseFree]), "23.00");
  EXPECT_EQ(f[Figure::VppCount], 1);
  EXPECT_EQ(FormatF(f[Figure::RmsNv]), "0.00");
  EXPECT_EQ(FormatF(f[Figure::VppNv]), "572.20");
  // ENOB is capped at B + 1.
  EXPECT_EQ(NoiseFigures(b23, 0, 4, 0, 0, 10)[Figure::Enob], 21);
  EXPECT_EQ(NoiseFigures(b23, 0, 0.25, 0, 0, 10)[Figure::Enob], 24);
  // VPP(Count) 16.
  f = NoiseFigures(b23, 0, 3, 8, -8, 10);
  EXPECT_EQ(f[Figure::VppCount], 16);
  EXPECT_EQ(f[Figure::NoiseFree], 19);
  EXPECT_NEAR(f[Figure::VppNv], 16 * 2.4e9 / 4194304, 1e-9);
  EXPECT_EQ(FormatF(f[Figure::VppNv]), "9155.27");
  // The extremes are rounded after the divisor, ties to even.
  FigureScale b16 = MakeScale(16, 128, 1.0, "2.4", false);
  EXPECT_EQ(NoiseFigures(b16, 0, 1, 192, -64, 10)[Figure::VppCount], 2);  // 1.5 -> 2, -0.5 -> 0
  EXPECT_EQ(NoiseFigures(b16, 0, 1, 320, 64, 10)[Figure::VppCount], 2);   // 2.5 -> 2, 0.5 -> 0
  // No values: no figures, neither the start values of the extremes search nor the
  // perfect bits of a spread of 0; not even a reference that would overflow raises.
  for (const FigureScale& sc : {b23, MakeScale(23, 1, 1.0, "1e300", true)}) {
    f = NoiseFigures(sc, 0, 0, -800000000, 800000000, 0);
    for (double v : f.Values) EXPECT_FALSE(IsFigure(v));
    EXPECT_EQ(FigureText(f[Figure::Enob]), "");
  }
}

TEST(NoiseFigures, ReferenceTextAndGain) {
  for (const char* text : {"abc", "0", "", "0.0"}) {
    ChannelFigures f = NoiseFigures(MakeScale(23, 1, 1.0, text, false), 0, 0, 0, 0, 1);
    EXPECT_EQ(FormatF(f[Figure::VppNv]), "286.10") << text;
  }
  EXPECT_EQ(ReferenceVolts(" 2.5 "), 2.5);
  EXPECT_EQ(ReferenceVolts("2,5"), 1.2);

  const double gains[8] = {0.25, 0.5, 1, 2, 4, 8, 16, 16};
  for (unsigned a = 0; a < 8; ++a) {
    EXPECT_EQ(GetGain(a, 0), gains[a]);
    EXPECT_EQ(GetGain(a, 1), 2 * gains[a]);
  }
  EXPECT_EQ(GetGain(3, 1), 4);
  EXPECT_EQ(GetGain(9, 0), 1);
  // The gain divides the nanovolt figures.
  EXPECT_EQ(FormatF(NoiseFigures(MakeScale(23, 1, 4.0, "2.4", false), 0, 0, 0, 0, 1)[Figure::VppNv]), "143.05");
}

TEST(NoiseFigures, TemperatureModeScalesBy256) {
  Globals g;
  AnalysisState st(g);
  CaptureValues(st, {10, 10, 11}, true);
  FigureSet set = StoreAdcCaptureFigures(st, MakeScale(23, 1, 4.0, "2.4", true));
  const double sigma = std::sqrt(2.0) / 3;  // of 10, 10, 11
  const double* r = Results(g, 0);
  EXPECT_EQ(FormatF(r[0]), "10.33");
  EXPECT_NEAR(r[5], sigma, 1e-12);
  // The LSB divisor is 2^25 whatever the bits and the gain.
  EXPECT_NEAR(r[2], 2.4e9 * sigma * 256 / 33554432.0, 1e-6);
  EXPECT_EQ(set.Channel[0][Figure::VppCount], 256);  // (11 - 10) x 256
  EXPECT_EQ(r[4], 1);
  EXPECT_NEAR(set.Channel[0][Figure::Average], 2645.3333333, 1e-6);
  // The bits are no counts: stored as computed, from sigma x 256 and VPP 256 at 23 bits.
  EXPECT_NEAR(r[3], 23 - std::log2(sigma * 256), 1e-12);
  EXPECT_EQ(r[6], 15);
}

TEST(NoiseFigures, EmptyGridCellRepeatsTheValueBefore) {
  Globals g;
  AnalysisState st(g);
  g.SampleCount = 4;
  st.SampleMean = 5;
  st.MemoryF.SetInteger(0, 3);
  st.MemoryF.SetInteger(1, 7);  // position 2 empty: read as 7
  st.MemoryF.SetInteger(3, 3);
  StoreAdcCaptureFigures(st, MakeScale(23, 1, 1.0, "2.4", false));
  EXPECT_DOUBLE_EQ(Results(g, 0)[5], 2);
}

TEST(NoiseFigures, IqFiguresUseTheDivisorOnlyForThePeakToPeak) {
  Globals g;
  AnalysisState st(g);
  g.NPoints = 16;
  g.IQSampleCount = 4;
  const double i[4] = {100, 300, 100, 300}, q[4] = {-0.5, 0.5, -0.5, 0.5};
  for (int k = 0; k < 4; ++k) {
    st.AdiValues[k] = i[k];
    st.AdqValues[k] = q[k];
    st.MemoryF.SetGeneral(k, i[k]);
    st.MemoryF.SetGeneral(IqQPosition(16, k), q[k]);
  }
  st.AdiMean = 200;
  st.AdqMean = 0;
  FigureSet set = StoreIqCaptureFigures(st, MakeScale(16, 128, 1.0, "2.4", false));
  ASSERT_EQ(set.Count, 2);
  EXPECT_FALSE(set.Vrms);
  const double* adi = Results(g, 1);
  EXPECT_EQ(adi[0], 200);
  EXPECT_EQ(adi[5], 100);                           // sigma before the divisor
  EXPECT_EQ(adi[4], 1);                             // round(300/128) - round(100/128) = 2 - 1
  EXPECT_NEAR(adi[3], 16 - std::log2(100.0), 1e-12);
  const double* adq = Results(g, 2);
  EXPECT_EQ(adq[5], 0.5);
  EXPECT_EQ(adq[4], 1);  // 0 becomes 1
  EXPECT_EQ(adq[3], 17);  // capped at B + 1
}

TEST(NoiseFigures, OverflowRaises) {
  try {
    NoiseFigures(MakeScale(23, 1, 1.0, "1e300", false), 0, 1, 0, 0, 1);
    FAIL() << "no error";
  } catch (const EMathError& e) {
    EXPECT_EQ(e.Text(), kFloatOverflow);
  }
}

}  // namespace
