#pragma once
// The sample side of a stream capture: it is told when a poll reply with n sample
// groups has arrived and decodes, drops, keeps and sums the samples. Whoever runs
// the stream (the analysis window's loop, or a test) drives it:
//   Begin(settings); while (Wanted() && !st.CaptureIdle) { poll; OnReply(n, PacketBuf); }
//   Finish(diffLength);
// A stop request or a time-out is st.CaptureIdle set to true by the driver.

#include <cstdint>
#include <optional>

#include "adc_analysis/ekg_detector.h"

struct AnalysisState;

struct StreamSettings {
  uint8_t Mode = 3;          // 2: 16-bit samples; 1, 3: 24-bit samples
  bool Temperature = false;  // the sums take v x 256
  std::optional<EkgParameters> Ekg;  // EKG mode: every kept sample runs the detector
};

class AdcStreamCapture {
public:
  // The first samples of every stream are not used.
  static constexpr int DroppedSamples = 13;
  static constexpr int MaxGroupsPerReply = 21;

  explicit AdcStreamCapture(AnalysisState& st) : st_(st) {}

  // Empties the grid, the stores and the sums and starts waiting for NPoints
  // samples (256 when it is not positive); marks the capture as running.
  void Begin(const StreamSettings& settings);
  // The n sample groups of a poll reply (reply byte 0 is the count).
  void OnReply(int n, const uint8_t* reply);
  bool Wanted() const;
  int Dropped() const { return dropped_; }

  // The beat statistics of an EKG capture, after the last reply.
  std::optional<EkgSummary> EkgResult() const;

  // Ends the capture: the sums become mean and RMS of the kept samples, LastCount
  // follows a normal end (no stop request, no time-out), the moving differences are
  // formed with sums of diffLength (at least 1). Returns true on a normal end.
  bool Finish(int diffLength);

private:
  AnalysisState& st_;
  StreamSettings settings_;
  // The decode rule is taken from the capture flags when the capture starts.
  bool adc_flag_ = false;
  bool temp_flag_ = false;
  int divisor_ = 1;
  int dropped_ = 0;
  std::optional<EkgDetector> ekg_;
};
