#pragma once
// The EKG beat detector: every kept sample of an ADC capture passes an 11-tap
// symmetric filter, a baseline follower and an R-wave detector on the slope, with a
// refractory period of 70 samples; at the end the mean R-R interval, its spread and
// the NN50 count are shown.

#include <QString>
#include <vector>

struct EkgParameters {
  double F[6] = {0.05, 0.03798, 0.00779, -0.02588, -0.04677, -0.04502};  // F0 at the centre
  double Gain = 3.3;
  double Coef = 0.96875;  // baseline smoothing, the typed percentage / 100
  int Sps = 480;          // samples per second
};

// The parameters from the texts of the window's edits. A filter, gain, rate or
// threshold text that is not a number, or a rate that is not above 0, raises
// EConvertError; a coefficient text that is not a number gives 0.
EkgParameters ReadEkgParameters(const QString (&f)[6], const QString& gain, const QString& coef,
                                const QString& sps, const QString& threshold);

struct EkgSummary {
  int Beats = 0;       // closed beats counted
  double MeanRr = 0;   // samples
  double Sddn = 0;     // samples
  int Nn50 = 0;
  double Pnn50 = 0;    // a fraction
  QString HR, SDDN, NN50, PNN50;  // the result labels
};

class EkgDetector {
public:
  static constexpr int RefractorySamples = 70;
  static constexpr int FirstDetection = 100;

  explicit EkgDetector(const EkgParameters& p);

  // Runs one kept sample (its scaled value) and returns the detector output e_k.
  double Step(double v);

  // The beat statistics after the last sample. Fewer than two closed beats give
  // zero for the interval figures. A rate of 0 (which ReadEkgParameters refuses)
  // raises EMathError.
  EkgSummary Finish() const;

  int Detected() const { return static_cast<int>(peaks_.size()) + (open_ ? 1 : 0); }
  const std::vector<int>& Peaks() const { return peaks_; }  // positions of closed beats

private:
  EkgParameters p_;
  int k_ = 0;
  double v_[11] = {};  // v_k .. v_{k-10}
  double e_[21] = {};  // e_k .. e_{k-20}
  double b_ = 0;       // b_{k-1}
  double lvl_ = 0, noise_ = 0;
  double thr1_ = 0, thr2_ = 0;  // thr_{k-1}, thr_{k-2}
  int refractory_ = 0;
  bool open_ = false;  // a detected beat whose peak is still tracked
  double peak_ = 0;
  int peakPos_ = 0;
  std::vector<int> peaks_;
  std::vector<int> intervals_;  // RR_2 .. RR_n
  int nn50_ = 0;
};
