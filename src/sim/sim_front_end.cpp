#include "sim/sim_front_end.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kFeedbackOhms[4] = {10e3, 50e3, 100e3, 500e3};
constexpr double kAdcGain[8] = {0.25, 0.5, 1, 2, 4, 8, 16, 16};
constexpr double kVref = 2.4;
constexpr double kFullScale = 8388608.0;  // 2^23
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

double SimFrontEnd::AdcValue(const SimBoard& board) const {
  const SimChip& chip = board.chip;
  const int input = chip.Peek(0x13) >> 4;
  double volts = 0;
  if (input == 0) {
    volts = ai0Volts;
  } else if (auto ohms = iq.DcOhms(input)) {
    const int code = ((chip.Peek(0x17) & 0x0F) << 8) | chip.Peek(0x18);
    volts = code / 4096.0 * kVref * senseOhms / *ohms;
  }
  return volts * kAdcGain[(chip.Peek(0x10) >> 2) & 7] / kVref * kFullScale;
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

int32_t SimFrontEnd::AdcWord(const SimBoard& board) { return Word(AdcValue(board), adcNoise); }
