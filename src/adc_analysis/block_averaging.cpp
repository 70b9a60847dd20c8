#include "adc_analysis/block_averaging.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "adc_analysis/analysis_state.h"

namespace {

long double BlockMean(const std::vector<double>& values, int j, int m) {
  long double sum = 0;
  for (int i = j * m; i < j * m + m; ++i) sum += values[i];
  return sum / m;
}

struct Averaged {
  long double mean = 0;  // of a / D
  long double rms = 0;   // of a / D
  double sigma = 0;      // of a / D
  double max = -800000000.0, min = 800000000.0;  // of a
};

// Mean, RMS, deviation and extremes of the n block means a (before the divisor d).
Averaged Statistics(const std::vector<double>& a, int n, int d) {
  Averaged r;
  long double sum = 0, squares = 0;
  for (int j = 0; j < n; ++j) {
    long double x = static_cast<long double>(a[j]) / d;
    sum += a[j];
    squares += x * x;
    r.max = std::max(r.max, a[j]);
    r.min = std::min(r.min, a[j]);
  }
  r.rms = std::sqrt(squares / n);
  r.mean = sum / d / n;
  long double dev = 0;
  for (int j = 0; j < n; ++j) {
    long double x = static_cast<long double>(a[j]) / d - r.mean;
    dev += x * x;
  }
  r.sigma = static_cast<double>(std::sqrt(dev / n));
  return r;
}

int PowerOfTwoNotAbove(int n) {
  int p = 1;
  while (p * 2 <= n) p *= 2;
  return p;
}

}  // namespace

FigureSet ReCalADC(AnalysisState& st, const FigureScale& scale, bool iqMode, int m) {
  FigureScale sc = scale;
  sc.Temperature = false;
  m = std::max(1, m);
  const int d = sc.Divisor;
  const int npoints = st.G.NPoints;
  FigureSet set;

  if (!iqMode) {
    st.MemoryF.Clear(0, npoints);
    const int count = std::clamp(st.G.SampleCount, 0, SampleStoreSize);
    const int n = count / m;
    if (n == 0) return set;
    std::fill_n(st.WorkSamples.begin(), std::clamp(npoints, 0, SampleStoreSize), 0.0);
    for (int j = 0; j < n; ++j) {
      double a = static_cast<double>(BlockMean(st.CaptureSamples, j, m));
      st.WorkSamples[j] = a;
      if (m == 1)
        st.MemoryF.SetInteger(j, static_cast<int64_t>(std::floor(a / d)));
      else
        st.MemoryF.SetFixed(j, a / d);
    }
    Averaged r = Statistics(st.WorkSamples, n, d);
    st.SampleRms = r.rms;
    st.SampleMean = r.mean;
    set.Count = 1;
    set.Vrms = static_cast<double>(r.rms);
    set.Channel[0] = NoiseFigures(sc, static_cast<double>(r.mean), r.sigma, r.max, r.min, n);
    set.Channel[0].StoreIn(st.G.Channels[0]);
    st.LastCount = PowerOfTwoNotAbove(n);
    return set;
  }

  st.MemoryF.Clear(0, 2 * npoints);
  const int count = std::clamp(st.G.IQSampleCount, 0, SampleStoreSize);
  const int n = count / m;
  if (n == 0) return set;
  std::vector<double> a(n);
  set.Count = 2;
  for (int q = 0; q < 2; ++q) {
    const std::vector<double>& values = q ? st.AdqValues : st.AdiValues;
    for (int j = 0; j < n; ++j) {
      a[j] = static_cast<double>(BlockMean(values, j, m));
      int pos = q ? IqQPosition(npoints, j) : j;
      if (m != 1)
        st.MemoryF.SetFixed(pos, a[j] / d);
      else  // the Q values are shown rounded down, the I values as they are
        st.MemoryF.SetGeneral(pos, q ? std::floor(a[j] / d) : a[j] / d);
    }
    Averaged r = Statistics(a, n, d);
    st.SampleRms = r.rms;
    (q ? st.AdqMean : st.AdiMean) = static_cast<double>(r.mean);
    set.Vrms = static_cast<double>(r.rms);
    set.Channel[q] = NoiseFigures(sc, static_cast<double>(r.mean), r.sigma, r.max, r.min, n);
    set.Channel[q].StoreIn(st.G.Channels[1 + q]);
  }
  st.LastCount = n;
  return set;
}
