#include "sim/sim_front_end.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kFeedbackOhms[4] = {10e3, 50e3, 100e3, 500e3};
constexpr double kAdcGain[8] = {0.25, 0.5, 1, 2, 4, 8, 16, 16};
constexpr double kVref = 2.4;
constexpr double kFullScale = 8388608.0;  // 2^23
// Oversampling ratios of OSR1's codes 0..11; 12..15 are 64000 too.
constexpr double kOversampling[12] = {32, 64, 125, 250, 500, 1000, 2000, 4000, 8000, 16000, 32000, 64000};
}  // namespace

double SimFrontEnd::ExcitationHz(const SimBoard& board) {
  const uint8_t control = board.chip.Peek(0x0D);
  const int divider = 1 << ((control >> 1) & 7);
  const int dgrp = std::max(board.chip.Peek(0x0E) & 0x7F, 1);
  return board.OscillatorHz() / (divider * (dgrp + 1.0));
}

std::complex<double> SimFrontEnd::IqValue(const SimBoard& board) const {
  const SimChip& chip = board.chip;
  if ((chip.Peek(0x0D) & 0x81) != 0x81) return 0.0;
  const double hz = ExcitationHz(board);
  const std::complex<double> rotation = std::polar(1.0, iqPhase);
  if (chip.Peek(0x25) & 0x80) {
    std::complex<double> z = bodyReferenceOhms;
    if (!(chip.Peek(0x0E) & 0x80)) {
      const int in = chip.Peek(0x26) >> 3, out = chip.Peek(0x27) >> 3, sense = chip.Peek(0x28);
      z = body.Transfer(in, out, (sense >> 4) & 7, sense & 7, hz);
    }
    return bodyScale * z * rotation;
  }
  std::complex<double> admittance = 0.0;
  for (int k = 0; k < 3; ++k)
    if (chip.Peek(0x1F) & (1 << k))
      if (auto z = iq.Impedance(4 + k, hz)) admittance += 1.0 / *z;
  return iqScale * kFeedbackOhms[chip.Peek(0x20) & 3] * admittance * rotation;
}

double SimFrontEnd::InputVolts(const SimBoard& board, int code) const {
  switch (code) {
    case 0:
      return ai0Volts;
    case 1:
      return ai1Volts ? ai1Volts() : 0.0;
    case 4:
    case 5:
    case 6:
      if (auto ohms = iq.DcOhms(code)) {
        const SimChip& chip = board.chip;
        const int dac = ((chip.Peek(0x17) & 0x0F) << 8) | chip.Peek(0x18);
        return dac / 4096.0 * kVref * senseOhms / *ohms;
      }
      return 0;
    default:  // VSS (14), and the inputs with nothing on them
      return 0;
  }
}

// The gain over the 2.4 V reference: AD1GN's, doubled while VR1GN halves the reference.
double SimFrontEnd::AdcGain(const SimBoard& board) const {
  const SimChip& chip = board.chip;
  const double halfReference = (chip.Peek(0x0C) & 0x04) ? 2 : 1;
  return kAdcGain[(chip.Peek(0x10) >> 2) & 7] * halfReference;
}

double SimFrontEnd::AdcValue(const SimBoard& board) const {
  const uint8_t mux = board.chip.Peek(0x13);
  const double volts = InputVolts(board, mux >> 4) - InputVolts(board, mux & 0x0F);
  return volts * AdcGain(board) / kVref * kFullScale;
}

double SimFrontEnd::AdcNoiseCounts(const SimBoard& board) const {
  const double ratio = kOversampling[std::min(board.chip.Peek(0x11) & 0x0F, 11)];
  const double x1 = std::max(adcNoise * std::sqrt(kOversampling[0] / ratio), std::min(adcNoiseFloor, adcNoise));
  return x1 * AdcGain(board);
}

int32_t SimFrontEnd::Word(double value, double noise) {
  const double w = std::round(value + noise * normal_(rng_));
  return static_cast<int32_t>(std::clamp(w, -kFullScale, kFullScale - 1));
}

std::pair<uint32_t, uint32_t> SimFrontEnd::IqWords(const SimBoard& board) {
  const std::complex<double> v = IqValue(board);
  const auto i = static_cast<uint32_t>(Word(2 * v.real(), iqNoise)) & 0xFFFFFF;
  const auto q = static_cast<uint32_t>(Word(2 * v.imag(), iqNoise)) & 0xFFFFFF;
  return {i, q};
}

int32_t SimFrontEnd::AdcWord(const SimBoard& board) { return Word(AdcValue(board), 2 * AdcNoiseCounts(board)); }
