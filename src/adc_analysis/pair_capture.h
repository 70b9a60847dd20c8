#pragma once
// The pair side of the interleaved ADC and temperature capture (stream mode 7): the
// board sends ADC and temperature groups alternately; every group makes a pair of the
// latest ADC value and the latest temperature reading. The first values are dropped,
// the next ones give the outlier filter its reference, and the pairs after them are
// kept (or, with the filter on, rejected when either value strays too far; a run of
// rejections starts the capture over with a wider limit). The driver polls:
//   Begin(settings); while (Wanted() && !st.CaptureIdle) { poll; OnReply(n, PacketBuf); }
//   Finish();

#include <cstdint>

struct AnalysisState;

struct PairSettings {
  bool Filter = false;  // "Filter" checked: pairs are tested against the reference
  int RejectLimit = 5;  // rejections in a row that start the capture over
};

class PairStreamCapture {
public:
  static constexpr int DroppedValues = 3;
  static constexpr int ReferenceValues = 6;

  explicit PairStreamCapture(AnalysisState& st) : st_(st) {}

  // Empties the pair positions of the grid and the working values and starts waiting
  // for NPoints pairs (256 when it is not positive); marks the capture as running.
  void Begin(const PairSettings& settings);
  // The n groups of a poll reply; only a reply with an even, positive count is used.
  // True when it was used.
  bool OnReply(int n, const uint8_t* reply);
  bool Wanted() const;

  // Ends the capture: the sum becomes the mean of the stored values (also after a
  // stop, so that its figures are those of what was kept), LastCount follows a
  // normal end. Returns true on a normal end.
  bool Finish();

private:
  void OnValue(int32_t x, int32_t y);
  void StartOver();

  AnalysisState& st_;
  PairSettings settings_;
  int divisor_ = 1;
  int c_ = 0;  // values counted since the (re)start
  int32_t x_ = 0, y_ = 0;
  int32_t refX_[ReferenceValues] = {};
  int32_t refY_[ReferenceValues] = {};
};

// The reference of the outlier filter: the mean (integer division) of the middle
// three of the six candidates, places 2 to 4 in descending order.
int32_t FilterReference(const int32_t (&candidates)[PairStreamCapture::ReferenceValues]);
