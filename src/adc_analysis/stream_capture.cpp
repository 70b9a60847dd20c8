#include "adc_analysis/stream_capture.h"

#include <algorithm>
#include <cmath>

#include "adc_analysis/analysis_state.h"
#include "common/sample_decoding.h"

void AdcStreamCapture::Begin(const StreamSettings& settings) {
  settings_ = settings;
  adc_flag_ = st_.AdcCaptureFlag;
  temp_flag_ = st_.TempCaptureFlag;
  divisor_ = std::max(1, st_.G.ScaleDivisor);
  st_.ShapeGridForAdc();
  std::fill(st_.CaptureSamples.begin(), st_.CaptureSamples.end(), 0.0);
  std::fill(st_.EkgValues.begin(), st_.EkgValues.end(), 0.0);
  st_.CaptureIdle = false;
  st_.G.SampleCount = 0;
  st_.ClearWork(st_.G.NPoints);
  st_.TargetCount = st_.G.NPoints > 0 ? std::min(st_.G.NPoints, MaxSamplePoints) : 256;
  st_.SampleMean = 0;
  st_.SampleRms = 0;
  dropped_ = 0;
  ekg_.reset();
  if (settings_.Ekg) ekg_.emplace(*settings_.Ekg);
}

bool AdcStreamCapture::Wanted() const { return st_.G.SampleCount < st_.TargetCount; }

void AdcStreamCapture::OnReply(int n, const uint8_t* reply) {
  n = std::clamp(n, 0, MaxGroupsPerReply);
  const long double factor = settings_.Temperature ? 256 : 1;
  for (int i = 0; i < n; ++i) {
    DecodedSample d = DecodeSample(RawSample(reply, i, settings_.Mode), adc_flag_, temp_flag_,
                                   divisor_);
    if (dropped_ < DroppedSamples) {
      ++dropped_;
      continue;
    }
    const int k = st_.G.SampleCount;
    if (k >= SampleStoreSize) return;
    st_.WorkSamples[k] = d.s;
    long double x = d.v * factor;
    st_.SampleMean += x;
    st_.SampleRms += x * x;
    if (ekg_) st_.EkgValues[k] = ekg_->Step(d.v);
    st_.MemoryF.SetInteger(k, d.v);
    st_.CaptureSamples[k] = d.s;
    st_.G.SampleCount = k + 1;
  }
}

std::optional<EkgSummary> AdcStreamCapture::EkgResult() const {
  if (!ekg_) return std::nullopt;
  return ekg_->Finish();
}

bool AdcStreamCapture::Finish(int diffLength) {
  const bool normal = !st_.CaptureIdle;
  const int count = st_.G.SampleCount;
  // Also a stopped capture's figures want the mean and RMS of what it kept.
  if (count > 0) {
    st_.SampleRms = std::sqrt(st_.SampleRms / count);
    st_.SampleMean = st_.SampleMean / count;
  }
  if (normal) st_.LastCount = count;
  st_.CaptureIdle = true;

  st_.FormMovingDiffs(count, diffLength);
  return normal;
}
