#include "adc_analysis/pair_capture.h"

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "adc_analysis/analysis_state.h"
#include "common/sample_decoding.h"

int32_t FilterReference(const int32_t (&candidates)[PairStreamCapture::ReferenceValues]) {
  int32_t sorted[PairStreamCapture::ReferenceValues];
  std::copy(std::begin(candidates), std::end(candidates), sorted);
  std::sort(std::begin(sorted), std::end(sorted), std::greater<>());
  const int64_t sum = int64_t{sorted[1]} + sorted[2] + sorted[3];
  return static_cast<int32_t>(sum / 3);
}

void PairStreamCapture::Begin(const PairSettings& settings) {
  settings_ = settings;
  divisor_ = std::max(1, st_.G.ScaleDivisor);
  st_.RejectLimit = settings.RejectLimit;
  st_.CaptureIdle = false;
  st_.ClearWork(2 * st_.G.NPoints);
  st_.G.SampleCount = 0;
  st_.TargetCount = st_.G.NPoints > 0 ? std::min(st_.G.NPoints, MaxSamplePoints) : 256;
  st_.PairAdcMean = 0;
  c_ = 0;
  x_ = y_ = 0;
}

bool PairStreamCapture::Wanted() const {
  return st_.G.SampleCount < st_.TargetCount && st_.G.SampleCount < MaxPairs;
}

bool PairStreamCapture::OnReply(int n, const uint8_t* reply) {
  if (n <= 0 || n % 2 != 0 || n > 21) return false;
  for (int i = 0; i < n; ++i) {
    if (i % 2 == 0)
      x_ = DecodeSample(RawSample(reply, i, 3), true, false, 1).s;  // the 24-bit value halved
    else
      y_ = static_cast<int32_t>(RawSample(reply, i, 2));  // 16 bits, third byte unused
    OnValue(x_, y_);
  }
  return true;
}

void PairStreamCapture::StartOver() {
  c_ = 0;
  st_.G.SampleCount = 0;
  st_.PairAdcMean = 0;
  st_.G.FilterLimit += 100;
}

void PairStreamCapture::OnValue(int32_t x, int32_t y) {
  if (c_ < DroppedValues) {
    ++c_;
    return;
  }
  if (c_ < DroppedValues + ReferenceValues) {
    refX_[c_ - DroppedValues] = x;
    refY_[c_ - DroppedValues] = y;
    if (++c_ == DroppedValues + ReferenceValues) {
      st_.FilterRefAdc = FilterReference(refX_);
      st_.FilterRefTemp = FilterReference(refY_);
      st_.FilterRejects = 0;
    }
    return;
  }
  const int limit = st_.G.FilterLimit;
  const bool accepted = !settings_.Filter || (std::llabs(int64_t{st_.FilterRefAdc} - x) <= limit &&
                                              std::llabs(int64_t{st_.FilterRefTemp} - y) <= limit);
  if (!accepted) {
    if (++st_.FilterRejects > st_.RejectLimit) StartOver();
    return;
  }
  st_.FilterRejects = 0;
  const int k = st_.G.SampleCount;
  if (k >= PairStoreSize) return;
  st_.PairAdcValues[k] = x;
  st_.PairAdcMean += x;
  st_.MemoryF.SetInteger(2 * k, x / divisor_);  // truncated toward zero
  st_.MemoryF.SetInteger(2 * k + 1, y);
  st_.G.SampleCount = k + 1;
  ++c_;
}

bool PairStreamCapture::Finish() {
  const bool normal = !st_.CaptureIdle;
  const int count = st_.G.SampleCount;
  if (count > 0) st_.PairAdcMean /= count;
  if (normal) st_.LastCount = count;
  st_.CaptureIdle = true;
  return normal;
}
