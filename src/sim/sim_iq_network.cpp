#include "sim/sim_iq_network.h"

#include <cmath>
#include <numbers>

namespace {
bool Wired(double ohms) { return std::isfinite(ohms) && ohms > 0; }
}  // namespace

std::optional<std::complex<double>> SimIqNetwork::Impedance(int input, double hz) const {
  switch (input) {
    case 4:
      if (Wired(referenceOhms)) return std::complex<double>(referenceOhms, 0);
      break;
    case 5:
      if (Wired(deviceOhms)) {
        // R parallel C: 1 / (1/R + j w C)
        const std::complex<double> y(1 / deviceOhms, 2 * std::numbers::pi * hz * deviceFarads);
        return leadOhms + 1.0 / y;
      }
      break;
    case 6:
      if (Wired(referenceOhms)) return std::complex<double>(leadOhms + referenceOhms, 0);
      break;
    default:
      break;
  }
  return std::nullopt;
}

std::optional<double> SimIqNetwork::DcOhms(int input) const {
  if (auto z = Impedance(input, 0)) return z->real();
  return std::nullopt;
}
