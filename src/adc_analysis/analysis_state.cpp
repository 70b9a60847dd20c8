#include "adc_analysis/analysis_state.h"

#include <algorithm>
#include <cmath>

AnalysisState::AnalysisState(Globals& g)
    : G(g),
      CaptureSamples(SampleStoreSize),
      WorkSamples(SampleStoreSize),
      SampleDiffs(SampleStoreSize),
      DiffSums(SampleStoreSize),
      EkgValues(SampleStoreSize),
      AdiValues(SampleStoreSize),
      AdqValues(SampleStoreSize),
      PairAdcValues(PairStoreSize) {}

void AnalysisState::ClearWork(int count) {
  MemoryF.Clear(0, count);
  std::fill_n(WorkSamples.begin(), std::clamp(count, 0, SampleStoreSize), 0.0);
}

void AnalysisState::ClrTMP() {
  MovingDiffMode = false;
  ClearWork(G.NPoints);
}

void AnalysisState::ShapeGridForAdc() { MemoryF.SetShape(G.NPoints / 16 + 1, ValueGrid::Labels::Plain); }

void AnalysisState::ShapeGridForIq() { MemoryF.SetShape(2 * (G.NPoints / 16) + 1, ValueGrid::Labels::IQ); }

void AnalysisState::ShapeGridForPairs() { MemoryF.SetShape(2 * (G.NPoints / 16) + 1, ValueGrid::Labels::Plain); }

void AnalysisState::FormMovingDiffs(int count, int diffLength) {
  count = std::clamp(count, 0, SampleStoreSize);
  const std::vector<double>& w = WorkSamples;
  for (int i = 0; i + 1 < count; ++i) SampleDiffs[i] = w[i + 1] - w[i];
  const int m = std::max(1, diffLength);
  // Running sum of SampleDiffs[i .. i + m - 1]; the differences of integer values
  // keep it exact.
  double sum = 0;
  for (int i = 0; i < m && i + 1 < count; ++i) sum += SampleDiffs[i];
  for (int i = 0; i <= count - 1 - m; ++i) {
    DiffSums[i] = sum;
    if (i + m < count - 1) sum += SampleDiffs[i + m] - SampleDiffs[i];
  }
}

int NPointsForIndex(int itemIndex) {
  if (itemIndex < 0) return 16;
  return 32 << std::min(itemIndex, 12);
}

int ScaleBitsForIndex(int itemIndex) { return itemIndex < 0 ? 7 : itemIndex + 8; }

int DivisorForBits(int bits) { return static_cast<int>(std::floor(std::ldexp(1.0, 23 - std::clamp(bits, 0, 23)))); }

int AveragingBlock(int itemIndex) {
  if (itemIndex < 0 || itemIndex > 5) return 1;
  return 1 << itemIndex;
}
