#include "adc_analysis/noise_figures.h"

#include <algorithm>
#include <cmath>

#include "adc_analysis/analysis_state.h"
#include "common/errors.h"
#include "common/figure_text.h"

double GetGain(unsigned ad1gn, unsigned vr1gn) {
  static constexpr double gains[8] = {0.25, 0.5, 1, 2, 4, 8, 16, 16};
  double g = ad1gn < 8 ? gains[ad1gn] : 1.0;
  return vr1gn != 0 ? g * 2 : g;
}

double ReferenceVolts(const QString& text) {
  auto v = ReadReal(text);
  if (!v || *v == 0) return 1.2;
  return *v;
}

FigureScale MakeScale(int bits, int divisor, double gain, const QString& refText, bool temperature) {
  return {bits, std::max(1, divisor), gain, ReferenceVolts(refText), temperature};
}

namespace {

// The figures in counts, which temperature mode shows in units of 1/256.
constexpr Figure kCountFigures[] = {Figure::Average, Figure::VppCount, Figure::RmsCount};

}  // namespace

void ChannelFigures::StoreIn(STND& channel) const {
  channel.ChannelResults = Values;
  if (Temperature)
    for (Figure f : kCountFigures) channel.ChannelResults[FigureIndex(f)] /= 256.0;
}

ChannelFigures NoiseFigures(const FigureScale& sc, double mean, double sigma, double max, double min, int count) {
  ChannelFigures f;
  f.Temperature = sc.Temperature;
  FigureValues& v = f.Values;
  if (count <= 0) {
    v = FigureValues::None();
    return f;
  }
  const int b = sc.Bits;
  const long double vn = static_cast<long double>(Checked(static_cast<long double>(sc.Vref) * 1e9L));
  const long double lsb = sc.Temperature ? 33554432.0L : std::ldexp(1.0L, b - 1) * sc.Gain;
  if (lsb == 0) throw EMathError(kFloatDivByZero);

  v[Figure::Average] = mean;
  v[Figure::RmsCount] = sigma;
  v[Figure::Enob] = sigma <= 0 ? b + 1 : std::min<double>(b - std::log2(sigma), b + 1);
  v[Figure::RmsNv] = Checked(vn * sigma / lsb);
  const double vpp = std::fabs(std::nearbyint(max / sc.Divisor) - std::nearbyint(min / sc.Divisor));
  v[Figure::VppCount] = vpp == 0 ? 1 : vpp;
  v[Figure::NoiseFree] = sigma > 0 ? b - std::log2(v[Figure::VppCount]) : b;
  v[Figure::VppNv] = Checked(vn * v[Figure::VppCount] / lsb);
  return f;
}

namespace {

// Standard deviation of n grid values read back from positions pos(k); an empty
// position repeats the value before it.
template <typename Pos>
double GridSigma(const ValueGrid& grid, int n, Pos pos, long double mean, double factor) {
  if (n <= 0) return 0;
  long double sum = 0;
  double x = 0;
  for (int k = 0; k < n; ++k) {
    if (auto v = grid.Number(pos(k))) x = *v * factor;
    long double d = x - mean;
    sum += d * d;
  }
  return static_cast<double>(std::sqrt(sum / n));
}

struct Extremes {
  double max = -800000000.0;
  double min = 800000000.0;
};

Extremes ExtremesOf(const std::vector<double>& values, int n, double factor) {
  Extremes e;
  for (int k = 0; k < n; ++k) {
    double x = values[k] * factor;
    e.max = std::max(e.max, x);
    e.min = std::min(e.min, x);
  }
  return e;
}

ChannelFigures IqChannel(AnalysisState& st, const FigureScale& sc, bool q) {
  const int n = std::clamp(st.G.IQSampleCount, 0, SampleStoreSize);
  const double factor = sc.Temperature ? 256.0 : 1.0;
  const int npoints = st.G.NPoints;
  // The mean is scaled with the values, so that it is their mean in temperature mode too.
  const double mean = (q ? st.AdqMean : st.AdiMean) * factor;
  double sigma = q ? GridSigma(st.MemoryF, n, [npoints](int k) { return IqQPosition(npoints, k); }, mean, factor)
                   : GridSigma(st.MemoryF, n, [](int k) { return k; }, mean, factor);
  Extremes e = ExtremesOf(q ? st.AdqValues : st.AdiValues, n, factor);
  ChannelFigures f = NoiseFigures(sc, mean, sigma, e.max, e.min, n);
  f.StoreIn(st.G.Channels[q ? 2 : 1]);
  return f;
}

}  // namespace

int IqQPosition(int npoints, int k) { return ((npoints + k) / 16) * 16 + k % 16; }

FigureSet StoreAdcCaptureFigures(AnalysisState& st, const FigureScale& sc) {
  const int n = std::clamp(st.G.SampleCount, 0, SampleStoreSize);
  const double factor = sc.Temperature ? 256.0 : 1.0;
  const double mean = static_cast<double>(st.SampleMean);
  double sigma = GridSigma(st.MemoryF, n, [](int k) { return k; }, st.SampleMean, factor);
  Extremes e = ExtremesOf(st.WorkSamples, n, factor);
  FigureSet set;
  set.Count = 1;
  set.Vrms = n > 0 ? static_cast<double>(st.SampleRms) : NoFigure;
  set.Channel[0] = NoiseFigures(sc, mean, sigma, e.max, e.min, n);
  set.Channel[0].StoreIn(st.G.Channels[0]);
  return set;
}

FigureSet StoreIqCaptureFigures(AnalysisState& st, const FigureScale& sc) {
  FigureSet set;
  set.Count = 2;
  set.Channel[0] = IqChannel(st, sc, false);
  set.Channel[1] = IqChannel(st, sc, true);
  return set;
}

FigureSet StorePairCaptureFigures(AnalysisState& st, const FigureScale& sc) {
  const int n = std::clamp(st.G.SampleCount, 0, PairStoreSize);
  const double mean = st.PairAdcMean;
  long double sum = 0;
  for (int k = 0; k < n; ++k) {
    const long double d = st.PairAdcValues[k] - mean;
    sum += d * d;
  }
  const double sigma = n > 0 ? static_cast<double>(std::sqrt(sum / n)) : 0.0;
  Extremes e = ExtremesOf(st.PairAdcValues, n, 1.0);
  std::copy_n(st.PairAdcValues.begin(), n, st.WorkSamples.begin());
  FigureSet set;
  set.Count = 1;
  set.Channel[0] = NoiseFigures(sc, mean, sigma, e.max, e.min, n);
  set.Channel[0].StoreIn(st.G.Channels[0]);
  return set;
}
