// The generator's arithmetic against hand-computed values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

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
  EXPECT_EQ(c[64], 2048);   // the crossing at pi: exactly the offset
  EXPECT_EQ(c[96], 1923);   // Trunc(2048 - 124.09)
  const WaveTable w = WaveSampleWords(c);
  EXPECT_EQ(w[0], 32768);
  EXPECT_EQ(w[32], 2172 * 16);
}

// Trunc(sin(2 pi i / period) x 1000 / 2 + 2048), the sines of one period given exactly.
void ExpectSineOfPeriod(int dgrp, const std::vector<double>& sines) {
  SCOPED_TRACE(dgrp);
  const int period = dgrp + 1;
  ASSERT_EQ(static_cast<int>(sines.size()), period);
  const WaveCodes c = WaveTableCodes(WaveType::Sine, dgrp, 1000, 2048);
  for (int i = 0; i < WaveTableSize; ++i)
    EXPECT_EQ(c[i], static_cast<int>(std::trunc(sines[i % period] * 500 + 2048))) << i;
}

TEST(WaveMath, SineSamplesAreTheFormulasExactValues) {
  // DGRP 1: every sample at a crossing, the offset itself (8000h once stored).
  ExpectSineOfPeriod(1, {0, 0});
  for (uint16_t w : WaveSampleWords(WaveTableCodes(WaveType::Sine, 1, VppCodeOf(200, 3300), 2048)))
    EXPECT_EQ(w, 0x8000);
  // DGRP 9: steps of 36 degrees; sin 36 = sqrt(10 - 2 sqrt 5) / 4, sin 72 = sqrt(10 + 2 sqrt 5) / 4.
  const double s36 = std::sqrt(10 - 2 * std::sqrt(5.0)) / 4, s72 = std::sqrt(10 + 2 * std::sqrt(5.0)) / 4;
  ExpectSineOfPeriod(9, {0, s36, s72, s72, s36, 0, -s36, -s72, -s72, -s36});
  // DGRP 11: steps of 30 degrees, where a half lands on a whole code: 2048 + 250 exactly.
  const double s60 = std::sqrt(3.0) / 2;
  ExpectSineOfPeriod(11, {0, 0.5, s60, 1, s60, 0.5, 0, -0.5, -s60, -1, -s60, -0.5});
  ExpectSineOfPeriod(3, {0, 1, 0, -1});
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

// Output i of the resampling in integers: x = i (DGRP + 1) / 128, the words k = floor(x)
// and k + 1 weighted by the fraction in 128ths, the result rounded half to even.
WaveTable ResampledInIntegers(const WaveTable& t, int dgrp) {
  WaveTable out{};
  for (int i = 0; i < WaveTableSize; ++i) {
    const int num = i * (dgrp + 1);
    const int k = num / 128, r = num % 128;
    if (k == 127) {
      out[i] = t[k];
      continue;
    }
    const int64_t scaled = int64_t{128 - r} * t[k] + int64_t{r} * t[k + 1];
    int64_t q = scaled / 128;
    const int64_t rest = scaled % 128;
    if (rest > 64 || (rest == 64 && q % 2 == 1)) ++q;
    out[i] = static_cast<uint16_t>(q);
  }
  return out;
}

TEST(WaveMath, ResamplingIsExactAtEveryDgrp) {
  WaveTable odd{}, wide{};
  for (int i = 0; i < WaveTableSize; ++i) {
    odd[i] = static_cast<uint16_t>(1000 + 16 * i + (i % 2));
    wide[i] = static_cast<uint16_t>((i * 7919 + 3) % 65536);
  }
  for (const WaveTable& t : {odd, wide})
    for (int dgrp = 1; dgrp <= 127; ++dgrp) ASSERT_EQ(ResampleWaveTable(t, dgrp), ResampledInIntegers(t, dgrp)) << dgrp;
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
