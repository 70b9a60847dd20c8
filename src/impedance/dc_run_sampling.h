#pragma once
// How the DC runs of the I/Q test take their stream samples. The first 13 samples of
// a stream are settling: the packet in which they arrive is dropped whole. The DC
// run then sums the samples in groups of N and turns each group into its average;
// with the ADC threshold the first group waits for a completing sample that reaches
// the threshold. No widgets, no board: the run feeds the samples in.

#include <cstdint>

// Counts a packet as seen when the stream is still settling (fewer than 13 samples
// seen before this one): `left` is the number of samples of the packet from this
// one on. True when the rest of the packet is dropped.
bool DropsSettlingPacket(int& seen, int left);

enum class DcTake {
  DropPacket,      // settling: the rest of the packet is dropped
  BelowThreshold,  // a completing sample under the threshold: dropped, nothing counted
  Summed,          // added to the group
  Group,           // completed a group: Average holds its mean
  ZeroGroup,       // completed a group whose mean is 0: no row, and the rest of the packet is dropped
};

struct DcTakeResult {
  DcTake What = DcTake::Summed;
  int32_t Average = 0;
  bool RestartClock = false;  // the run clock starts again at this sample
};

class DcGrouping {
public:
  // n >= 1 samples a group.
  DcGrouping(int n, bool useThreshold, double threshold) : N(n), UseThreshold(useThreshold), Threshold(threshold) {}
  // Takes sample s, `left` samples of its packet from this one on. Until the first
  // group is complete the run clock restarts at every completing sample tested.
  DcTakeResult Take(int32_t s, int left);

  const int N;
  const bool UseThreshold;
  const double Threshold;
  int Seen = 0;      // stream samples seen, the dropped ones included
  int K = 0;         // samples taken into groups
  int32_t Sum = 0;   // of the current group
  bool Reached = false;
};
