// The generator's arithmetic against hand-computed values.
#include <gtest/gtest.h>

#include <cstdlib>

#include "block_panels/oscillator_trim.h"
#include "block_panels/wave_math.h"
#include "common/errors.h"

namespace {

TEST(WaveMath, FrequencyAndDgrp) {
  EXPECT_EQ(WaveFrequency(8000000, 127, 6), 976);    // 8000000 div (128 x 64)
  EXPECT_EQ(WaveFrequency(8000000, 124, 6), 1000);   // 8000000 div (125 x 64)
  EXPECT_EQ(WaveFrequency(2000000, 1, 0), 1000000);
  EXPECT_EQ(DgrpForFrequency(8000000, 6, 1000), 124);   // 8000000 div 64000 - 1
  EXPECT_EQ(DgrpForFrequency(8000000, 6, 100000), 1);   // 1 - 1 = 0, clamped
  EXPECT_EQ(DgrpForFrequency(8000000, 0, 1), 127);      // clamped from above
  // 128 x 99999999 does not fit 32 bits: still no overflow, and the result is clamped.
  EXPECT_EQ(DgrpForFrequency(99999999, 7, 99999999), 1);
  try {
    DgrpForFrequency(8000000, 6, 0);
    ADD_FAILURE() << "no error for a frequency of 0";
  } catch (const EMathError& e) {
    EXPECT_EQ(e.Text(), kFloatDivByZero);
  }
}

TEST(WaveMath, CodesOfOffsetAndAmplitude) {
  const double vpp = VppCodeOf(200, 3300);
  EXPECT_NEAR(vpp, 248.1818, 1e-4);
  EXPECT_EQ(OffsetMillivolts(2048, 3300), 1650);
  SquareLevels s = SquareLevelsOf(vpp, 2048);
  EXPECT_EQ(s.High, 2172);
  EXPECT_EQ(s.Low, 1924);
  // Capped high; the low level 2044.5 rounds to the even neighbour.
  s = SquareLevelsOf(VppCodeOf(3300, 3300), 4092);
  EXPECT_EQ(s.High, 4095);
  EXPECT_EQ(s.Low, 2044);
  EXPECT_THROW(VppCodeOf(200, 0), EMathError);
}

TEST(WaveMath, SineTable) {
  const WaveCodes c = WaveTableCodes(WaveType::Sine, 127, VppCodeOf(200, 3300), 2048);
  EXPECT_EQ(c[0], 2048);
  EXPECT_EQ(c[32], 2172);   // Trunc(2048 + 124.09)
  EXPECT_EQ(c[64], 2048);   // sin of the nearest pi is a hair above 0
  EXPECT_EQ(c[96], 1923);   // Trunc(2048 - 124.09)
  const WaveTable w = WaveSampleWords(c);
  EXPECT_EQ(w[0], 32768);
  EXPECT_EQ(w[32], 2172 * 16);
  // A shorter period repeats over the whole table (to within the truncation of each
  // sample's own sine).
  const WaveCodes d = WaveTableCodes(WaveType::Sine, 9, 1000, 2048);
  EXPECT_EQ(d[2], 2048 + 475);  // Trunc(500 sin(0.4 pi)) = Trunc(475.53)
  for (int i = 10; i < WaveTableSize; ++i) EXPECT_LE(std::abs(d[i] - d[i % 10]), 1) << i;
}

TEST(WaveMath, SquareTable) {
  const double vpp = VppCodeOf(200, 3300);
  const WaveCodes c = WaveTableCodes(WaveType::Square, 9, vpp, 2048);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(c[i], (i % 10) < 5 ? 2172 : 1924) << i;  // sample 5 (0.5) is low
  // An odd period of 3: one high sample of every three is not enough, two are.
  const WaveCodes o = WaveTableCodes(WaveType::Square, 2, vpp, 2048);
  EXPECT_EQ(o[0], 2172);
  EXPECT_EQ(o[1], 2172);
  EXPECT_EQ(o[2], 1924);
}

TEST(WaveMath, SamplesStayWithinTheDacRange) {
  for (WaveType t : {WaveType::Sine, WaveType::Square})
    for (int offset : {3, 4092})
      for (int dgrp : {1, 9, 127}) {
        const WaveCodes c = WaveTableCodes(t, dgrp, VppCodeOf(9999, 1), offset);
        for (int v : c) {
          EXPECT_GE(v, 1);
          EXPECT_LE(v, 4095);
        }
      }
}

TEST(WaveMath, ResamplingStretchesThePeriod) {
  WaveTable t{};
  for (int i = 0; i < WaveTableSize; ++i) t[i] = static_cast<uint16_t>(100 * i + (i % 2));  // odd words
  EXPECT_EQ(ResampleWaveTable(t, 127), t);
  const WaveTable h = ResampleWaveTable(t, 63);  // s = 2
  EXPECT_EQ(h[0], t[0]);
  EXPECT_EQ(h[1], 50);     // (0 + 101) / 2 = 50.5, halves to even
  EXPECT_EQ(h[2], t[1]);
  EXPECT_EQ(h[3], 150);    // (101 + 200) / 2 = 150.5
  EXPECT_EQ(h[127], 6350); // (6301 + 6400) / 2 = 6350.5 -> 6350
  // Only the first DGRP + 1 words take part.
  WaveTable u = t;
  for (int i = 65; i < WaveTableSize; ++i) u[i] = 0xFFFF;
  EXPECT_EQ(ResampleWaveTable(u, 63), h);
}

TEST(WaveMath, RegisterFields) {
  EXPECT_EQ(ClockSelectionOf(0x00), 0);
  EXPECT_EQ(ClockSelectionOf(0x20), 1);
  EXPECT_EQ(ClockSelectionOf(0x40), 2);
  EXPECT_EQ(ClockSelectionOf(0x60), 2);  // 11b reads as 8 MHz
  EXPECT_EQ(DividerIndexOf(0x0C), 6);
  EXPECT_EQ(DgrpOf(0x80), 1);
  EXPECT_EQ(DgrpOf(0xFF), 127);
  EXPECT_EQ(WithDgrp(0x85, 124), 0xFC);
  EXPECT_EQ(WithDgrp(0x05, 124), 0x7C);
  EXPECT_EQ(WithClockSelection(0xFF, 0), 0x9F);
  EXPECT_EQ(WithClockSelection(0x00, 2), 0x40);
  EXPECT_EQ(WithDividerIndex(0xFF, 0), 0xF1);
  EXPECT_EQ(WithDividerIndex(0x11, 6), 0x1D);
  EXPECT_EQ(NominalClock(0), 2000000);
  EXPECT_EQ(NominalClock(2), 8000000);
}

TEST(WaveMath, SourceVoltageAndTexts) {
  const int mv[8] = {2400, 2600, 2900, 3300, 3600, 4000, 4500, 5000};
  for (int k = 0; k < 8; ++k) EXPECT_EQ(SourceMillivoltsOf(k), mv[k]);
  EXPECT_FALSE(SourceMillivoltsOf(8));
  EXPECT_EQ(EditInteger("4092"), 4092);
  EXPECT_THROW(EditInteger(""), EConvertError);
  EXPECT_EQ(AxisLabel(0, AxisFormat::Codes), "0");
  EXPECT_EQ(AxisLabel(0, AxisFormat::CodesBlank), "");
  EXPECT_EQ(AxisLabel(0, AxisFormat::Millivolts), " mV");
  EXPECT_EQ(AxisLabel(1650.4, AxisFormat::Millivolts), "1650 mV");
  EXPECT_EQ(AxisLabel(2.5, AxisFormat::Codes), "2");
  EXPECT_EQ(AxisLabel(-500, AxisFormat::CodesBlank), "-500");
}

TEST(TrimSteps, EstimateFoldingCodesAndRange) {
  EXPECT_EQ(FoldTrimEstimate(0x50), 0x40);  // register 43 then starts at 00h
  EXPECT_EQ(FoldTrimEstimate(0x90), 0xC1);  // -63: register 43 starts at 7Fh
  EXPECT_EQ(FoldTrimEstimate(0x80), 0x80);
  EXPECT_EQ(FoldTrimEstimate(0x08), 0x08);
  EXPECT_EQ(TrimCode(0x40, 0), 0x00);
  EXPECT_EQ(TrimCode(0xC1, 0), 0x7F);
  EXPECT_EQ(TrimCode(0x08, 2), 0x3A);
  EXPECT_FALSE(TrimLeavesRange(0x40, 0x00));
  EXPECT_TRUE(TrimLeavesRange(0x40, 0xFF));  // 41h
  EXPECT_FALSE(TrimLeavesRange(0xC1, 0x00));
  EXPECT_TRUE(TrimLeavesRange(0xC1, 0x01));  // C0h
  EXPECT_EQ(ClockLabelText(1953), "CLK=7999488Hz");
}

}  // namespace
