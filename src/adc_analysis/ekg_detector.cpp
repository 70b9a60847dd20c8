#include "adc_analysis/ekg_detector.h"

#include <algorithm>
#include <cmath>

#include "common/figure_text.h"
#include "common/errors.h"

EkgParameters ReadEkgParameters(const QString (&f)[6], const QString& gain, const QString& coef,
                                const QString& sps, const QString& threshold) {
  EkgParameters p;
  for (int i = 0; i < 6; ++i) p.F[i] = RealOrRaise(f[i]);
  p.Gain = RealOrRaise(gain);
  p.Coef = ReadReal(coef).value_or(0.0) / 100.0;
  p.Sps = IntegerOrRaise(sps);
  // The rate divides the beat interval and scales the NN50 limit: a rate that is not
  // positive is refused before the stream starts, like a text that is no number.
  if (p.Sps <= 0) throw EConvertError("'" + sps + "' is not a valid sample rate");
  // The threshold is not used, but a text that is no integer is refused before the
  // stream starts rather than in the middle of the capture.
  IntegerOrRaise(threshold);
  return p;
}

EkgDetector::EkgDetector(const EkgParameters& p) : p_(p) {}

double EkgDetector::Step(double v) {
  const int k = k_;
  std::copy_backward(v_, v_ + 10, v_ + 11);
  v_[0] = v;

  // Filter: a low-pass FIR centred on v_{k-5}, its high-pass rest, and the rest
  // less the previous baseline.
  double e = 0;
  if (k >= 20) {
    const double* f = p_.F;
    double lp = p_.Gain * (f[5] * v_[0] + f[4] * v_[1] + f[3] * v_[2] + f[2] * v_[3] + f[1] * v_[4] +
                           f[0] * v_[5] + f[1] * v_[6] + f[2] * v_[7] + f[3] * v_[8] + f[4] * v_[9] +
                           f[5] * v_[10]);
    double hp = v_[5] - lp;
    e = hp - b_;
    b_ = p_.Coef * b_ + (1 - p_.Coef) * hp;
  }
  std::copy_backward(e_, e_ + 20, e_ + 21);
  e_[0] = e;

  // Slope levels and threshold.
  double d = k >= 12 ? e_[0] - e_[5] : 0;
  double prevNoise = noise_;
  if (k < 50) {
    lvl_ = (std::fabs(d) + k * lvl_) / (k + 1);
    noise_ = (k * noise_ + lvl_) / (k + 1);
  } else {
    lvl_ = 0.125 * std::fabs(d) + 0.875 * lvl_;
    noise_ = 0.01 * lvl_ + 0.99 * noise_;
  }
  double thr = std::max(0.0, lvl_ - 2 * noise_);

  if (k >= FirstDetection) {
    if (refractory_ == 0 && thr > thr1_ && thr1_ > prevNoise && thr2_ < prevNoise) {
      refractory_ = RefractorySamples;
      open_ = true;
      peak_ = e_[0];
      peakPos_ = k;
      for (int j = 1; j <= 20; ++j)
        if (e_[j] > peak_) {
          peak_ = e_[j];
          peakPos_ = k - j;
        }
    }
    if (refractory_ > 0) {
      if (e_[0] > peak_) {
        peak_ = e_[0];
        peakPos_ = k;
      }
      if (--refractory_ == 0) {
        open_ = false;
        peaks_.push_back(peakPos_);
        size_t n = peaks_.size();
        if (n > 1) intervals_.push_back(peaks_[n - 1] - peaks_[n - 2]);
        if (n > 2) {
          int change = std::abs(intervals_[n - 2] - intervals_[n - 3]);
          if (change > p_.Sps * 50.0 / 1000.0) ++nn50_;  // the 50 ms limit in samples
        }
      }
    }
  }
  thr2_ = thr1_;
  thr1_ = thr;
  ++k_;
  return e;
}

EkgSummary EkgDetector::Finish() const {
  EkgSummary s;
  // A beat still open at the end counts only when it is the only one.
  int n = static_cast<int>(peaks_.size());
  if (n == 0 && open_) n = 1;
  s.Beats = n;
  s.Nn50 = nn50_;
  if (n >= 2) {
    s.MeanRr = static_cast<double>(peaks_[n - 1] - peaks_[0]) / (n - 1);
    long double sum = 0;
    for (int j = 0; j < n - 1; ++j) {
      long double dev = intervals_[j] - s.MeanRr;
      sum += dev * dev;
    }
    s.Sddn = static_cast<double>(std::sqrt(sum / (n - 1)));
    s.Pnn50 = static_cast<double>(nn50_) / (n - 1);
  }
  if (p_.Sps == 0) throw EMathError(s.MeanRr == 0 ? kFloatInvalid : kFloatDivByZero);
  double hr = 1000.0 * s.MeanRr / p_.Sps;
  s.HR = "HR : " + FormatFixed(hr, 4);
  s.SDDN = "SDDN : " + FormatFixed(s.Sddn, 4);
  s.NN50 = "NN50 : " + QString::number(s.Nn50);
  s.PNN50 = "PNN50 : " + FormatFixed(s.Pnn50, 1);
  return s;
}
