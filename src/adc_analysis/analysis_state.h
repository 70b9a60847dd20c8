#pragma once
// The state of the ADC analysis that outlives a capture: the settings the window's
// selectors give, the stores a capture fills and the views, block averaging and the
// result files read, and the value grid's store. Program-wide parts (sample counts,
// NPoints, ScaleDivisor, the live-chart flag, the channel results) stay in Globals.

#include <vector>

#include "adc_analysis/value_grid.h"
#include "common/globals.h"

// The largest capture, and how many samples the last poll reply may add beyond it.
constexpr int MaxSamplePoints = 131072;
constexpr int ReplyOvershoot = 20;
constexpr int SampleStoreSize = MaxSamplePoints + ReplyOvershoot;
// The interleaved capture keeps at most this many pairs, and a reply's rest.
constexpr int MaxPairs = 65536;
constexpr int PairStoreSize = MaxPairs + ReplyOvershoot;

struct AnalysisState {
  explicit AnalysisState(Globals& g);

  Globals& G;

  int ScaleBits = 23;          // B, the bits the figures refer to
  bool CaptureIdle = true;     // no capture runs, or a stop was requested
  bool AdcCaptureFlag = false; // an ADC capture (stream mode 1 or 3) runs
  bool TempCaptureFlag = false;// a temperature capture (stream mode 2) runs
  bool MovingDiffMode = false; // the chart shows moving sums of differences

  int TargetCount = 0;  // samples or pairs waited for
  int LastCount = 0;    // samples or pairs of the last completed capture
  double CaptureMs = 0;    // duration of the last stream capture
  double IQCaptureMs = 0;  // start to last stored pair of the last I/Q capture

  // Indexed by kept sample; each holds SampleStoreSize values.
  std::vector<double> CaptureSamples;  // decoded values before the divisor
  std::vector<double> WorkSamples;     // the same, or block means after averaging
  std::vector<double> SampleDiffs;     // WorkSamples[i + 1] - WorkSamples[i]
  std::vector<double> DiffSums;        // moving sums of SampleDiffs
  std::vector<double> EkgValues;       // EKG detector output
  std::vector<double> AdiValues;       // I of each pair
  std::vector<double> AdqValues;       // Q of each pair

  // The interleaved ADC and temperature capture: the ADC value of each stored pair
  // (before the divisor) and their sum, then mean; the outlier filter's reference
  // values, its run of rejected values and the run that starts the capture over.
  std::vector<double> PairAdcValues;
  double PairAdcMean = 0;
  int FilterRefAdc = 0;
  int FilterRefTemp = 0;
  int FilterRejects = 0;
  int RejectLimit = 5;

  long double SampleMean = 0;  // sum of the kept values, then their mean
  long double SampleRms = 0;   // sum of their squares, then the root of its mean
  double AdiMean = 0;
  double AdqMean = 0;

  ValueGrid MemoryF;

  // Empties grid positions and zeroes WorkSamples for indexes 0..count-1.
  void ClearWork(int count);
  // Before a temperature-test capture: the normal chart view, an empty grid.
  void ClrTMP();

  // The grid's rows for an ADC capture (NPoints div 16 + 1) or an I/Q capture
  // (2 (NPoints div 16) + 1, "ADI:" and "ADQ:" labels).
  void ShapeGridForAdc();
  void ShapeGridForIq();
  // Room for two values a sample: the pairs of the interleaved capture.
  void ShapeGridForPairs();

  // SampleDiffs of WorkSamples[0..count-1] and their moving sums of diffLength
  // (at least 1) in DiffSums.
  void FormMovingDiffs(int count, int diffLength);
};

// Selector items: the sample count (index -1, a typed text, gives 16), the scale
// bits (index -1 gives 7), the divisor of those bits, and the averaging block.
int NPointsForIndex(int itemIndex);
int ScaleBitsForIndex(int itemIndex);
int DivisorForBits(int bits);
int AveragingBlock(int itemIndex);
