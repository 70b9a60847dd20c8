#include <gtest/gtest.h>

#include <cmath>

#include "adc_analysis/ekg_detector.h"
#include "common/errors.h"

namespace {

struct Pulse {
  int at;
  double amplitude = 20000;
  int halfWidth = 8;
};

// A flat line of n samples with triangular R waves.
std::vector<double> Signal(int n, const std::vector<Pulse>& pulses) {
  std::vector<double> v(n, 1000);
  for (const Pulse& p : pulses)
    for (int i = -p.halfWidth; i <= p.halfWidth; ++i)
      if (p.at + i >= 0 && p.at + i < n) v[p.at + i] += p.amplitude * (p.halfWidth + 1 - std::abs(i)) / (p.halfWidth + 1);
  return v;
}

// Pulses from `first`, the intervals taken in turn, within n samples.
std::vector<Pulse> Train(int first, const std::vector<int>& intervals, int n) {
  std::vector<Pulse> p;
  for (int at = first, i = 0; at < n; at += intervals[i++ % intervals.size()]) p.push_back({at});
  return p;
}

struct Outcome {
  std::vector<int> detections;  // sample index of each detection
  std::vector<int> peaks;
  std::vector<double> e;
  EkgSummary summary;
};

Outcome Detect(const std::vector<double>& v, EkgParameters p = {}) {
  EkgDetector d(p);
  Outcome r;
  for (size_t k = 0; k < v.size(); ++k) {
    int before = d.Detected();
    r.e.push_back(d.Step(v[k]));
    if (d.Detected() > before) r.detections.push_back(static_cast<int>(k));
  }
  r.peaks = d.Peaks();
  r.summary = d.Finish();
  return r;
}

TEST(EkgDetector, SteadyRateGivesIntervalInMilliseconds) {
  Outcome r = Detect(Signal(2400, Train(150, {240}, 2400)));
  // The filter delays the signal by 5 samples.
  ASSERT_GE(r.peaks.size(), 8u);
  for (size_t i = 0; i < r.peaks.size(); ++i) EXPECT_EQ(r.peaks[i], 155 + 240 * static_cast<int>(i));
  EXPECT_EQ(r.summary.HR, "HR : 500.0000");  // 240 samples at 480 samples a second
  EXPECT_EQ(r.summary.SDDN, "SDDN : 0.0000");
  EXPECT_EQ(r.summary.NN50, "NN50 : 0");
  EXPECT_EQ(r.summary.PNN50, "PNN50 : 0.0");

  EkgParameters fast;
  fast.Sps = 500;
  EXPECT_EQ(Detect(Signal(3000, Train(150, {400}, 3000)), fast).summary.HR, "HR : 800.0000");
}

TEST(EkgDetector, Nn50CountsChangesAbove50Milliseconds) {
  // At 480 samples a second the limit is 24 samples.
  Outcome counted = Detect(Signal(2400, Train(150, {240, 265}, 2400)));
  Outcome notCounted = Detect(Signal(2400, Train(150, {240, 264}, 2400)));
  const int n = static_cast<int>(counted.peaks.size());
  ASSERT_GE(n, 8);
  EXPECT_EQ(counted.summary.Nn50, n - 2);
  EXPECT_EQ(counted.summary.NN50, "NN50 : " + QString::number(n - 2));
  EXPECT_DOUBLE_EQ(counted.summary.Pnn50, (n - 2) / double(n - 1));
  EXPECT_NEAR(counted.summary.Sddn, 12.5, 0.5);
  EXPECT_EQ(notCounted.summary.Nn50, 0);
  EXPECT_EQ(notCounted.summary.PNN50, "PNN50 : 0.0");
}

TEST(EkgDetector, NothingIsDetectedBeforeSample100) {
  Outcome r = Detect(Signal(1000, Train(60, {240}, 1000)));
  ASSERT_FALSE(r.detections.empty());
  EXPECT_GE(r.detections.front(), 100);
  EXPECT_EQ(r.peaks.front(), 305);  // the pulse at 60 is missed
  for (int k = 0; k < 20; ++k) EXPECT_EQ(r.e[k], 0);

  Outcome short_ = Detect(Signal(99, {{60}}));
  EXPECT_TRUE(short_.detections.empty());
  EXPECT_EQ(short_.summary.HR, "HR : 0.0000");
  EXPECT_EQ(short_.summary.SDDN, "SDDN : 0.0000");
  EXPECT_EQ(short_.summary.PNN50, "PNN50 : 0.0");
}

TEST(EkgDetector, RefractoryPeriodMakesCloseBeatsOne) {
  // Pairs of equal pulses 50 samples apart: one beat each, the first peak wins.
  Outcome pairs = Detect(Signal(2400, Train(150, {50, 250}, 2400)));
  ASSERT_GE(pairs.peaks.size(), 6u);
  for (size_t i = 0; i < pairs.peaks.size(); ++i) EXPECT_EQ(pairs.peaks[i], 155 + 300 * static_cast<int>(i));
  for (size_t i = 1; i < pairs.detections.size(); ++i)
    EXPECT_GE(pairs.detections[i] - pairs.detections[i - 1], EkgDetector::RefractorySamples);

  // The peak is tracked for 69 samples after the detection at 145: a larger spike
  // whose output peaks at 214 moves it, one peaking at 215 does not.
  Outcome inside = Detect(Signal(400, {{150}, {209, 60000, 0}}));
  Outcome outside = Detect(Signal(400, {{150}, {210, 60000, 0}}));
  ASSERT_EQ(inside.detections.front(), 145);
  EXPECT_EQ(inside.peaks.front(), 214);
  EXPECT_EQ(outside.peaks.front(), 155);
}

TEST(EkgDetector, OpenLastBeatIsNotCountedUnlessAlone) {
  // The third beat is detected at 625 and still open at the end (sample 659).
  std::vector<double> v = Signal(660, Train(150, {240}, 660));
  Outcome r = Detect(v);
  ASSERT_EQ(r.detections.size(), 3u);
  EXPECT_EQ(r.summary.Beats, 2);
  EXPECT_EQ(r.summary.HR, "HR : 500.0000");

  Outcome alone = Detect(Signal(200, {{150}}));
  ASSERT_EQ(alone.detections.size(), 1u);
  EXPECT_EQ(alone.summary.Beats, 1);
  EXPECT_EQ(alone.summary.HR, "HR : 0.0000");
}

TEST(EkgDetector, ParametersFromTexts) {
  const QString f[6] = {"0.05", "0.03798", "0.00779", "-0.02588", "-0.04677", "-0.04502"};
  EkgParameters p = ReadEkgParameters(f, "3.3", "96.875", "480", "90000");
  EXPECT_EQ(p.F[3], -0.02588);
  EXPECT_EQ(p.Coef, 0.96875);
  EXPECT_EQ(p.Sps, 480);
  EXPECT_EQ(ReadEkgParameters(f, "3.3", "abc", "480", "90000").Coef, 0);

  QString bad[6] = {"0.05", "x", "0", "0", "0", "0"};
  EXPECT_THROW(ReadEkgParameters(bad, "3.3", "96.875", "480", "90000"), EConvertError);
  EXPECT_THROW(ReadEkgParameters(f, "", "96.875", "480", "90000"), EConvertError);
  EXPECT_THROW(ReadEkgParameters(f, "3.3", "96.875", "480.5", "90000"), EConvertError);
  EXPECT_THROW(ReadEkgParameters(f, "3.3", "96.875", "480", "9e4"), EConvertError);
}

TEST(EkgDetector, ARateThatIsNotPositiveIsRefusedWithTheParameters) {
  const QString f[6] = {"0.05", "0.03798", "0.00779", "-0.02588", "-0.04677", "-0.04502"};
  for (const char* rate : {"0", "-480", "-1"}) {
    try {
      ReadEkgParameters(f, "3.3", "96.875", rate, "90000");
      ADD_FAILURE() << "no error for " << rate;
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Text(), QString("'") + rate + "' is not a valid sample rate");
    }
  }
  EXPECT_EQ(ReadEkgParameters(f, "3.3", "96.875", "1", "90000").Sps, 1);
}

}  // namespace
