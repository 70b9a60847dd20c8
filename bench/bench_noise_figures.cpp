// Noise figures of a capture of 131,072 samples: the values read back from the value
// grid, their deviation and extremes; and the recalculation with blocks of four.
#include <benchmark/benchmark.h>

#include <random>

#include "adc_analysis/analysis_state.h"
#include "adc_analysis/block_averaging.h"
#include "adc_analysis/noise_figures.h"

namespace {

// A finished capture of n noisy samples around 1000.
void FillCapture(AnalysisState& st, int n) {
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(1000.0, 12.0);
  st.G.NPoints = n;
  st.G.SampleCount = n;
  long double sum = 0;
  for (int k = 0; k < n; ++k) {
    int v = static_cast<int>(noise(rng));
    st.CaptureSamples[k] = st.WorkSamples[k] = v;
    st.MemoryF.SetInteger(k, v);
    sum += v;
  }
  st.SampleMean = sum / n;
}

void BM_CaptureFigures(benchmark::State& state) {
  Globals g;
  AnalysisState st(g);
  FillCapture(st, 131072);
  const FigureScale scale = MakeScale(23, 1, 1.0, "2.4", false);
  for (auto _ : state) benchmark::DoNotOptimize(StoreAdcCaptureFigures(st, scale));
  state.SetItemsProcessed(state.iterations() * 131072);
}
BENCHMARK(BM_CaptureFigures)->Unit(benchmark::kMillisecond);

void BM_RecalculateBlocksOfFour(benchmark::State& state) {
  Globals g;
  AnalysisState st(g);
  FillCapture(st, 131072);
  const FigureScale scale = MakeScale(23, 1, 1.0, "2.4", false);
  for (auto _ : state) benchmark::DoNotOptimize(ReCalADC(st, scale, false, 4));
  state.SetItemsProcessed(state.iterations() * 131072);
}
BENCHMARK(BM_RecalculateBlocksOfFour)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
