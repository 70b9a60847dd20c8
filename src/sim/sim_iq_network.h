#pragma once
// The I/Q test's fixture on the chip's inputs AI4..AI6: the reference resistor, and a
// device under test (a resistor with a capacitor across it) at the end of the board's
// measuring leads. The reference can also be reached through the same leads, the
// fixture's calibration position.
//
//   AI4  the reference resistor
//   AI5  the measuring leads, then the device under test
//   AI6  the measuring leads, then the reference resistor
//
// Its impedances are what the I/Q demodulator and, at DC, the ADC see there.

#include <complex>
#include <optional>

struct SimIqNetwork {
  double referenceOhms = 5100;
  double leadOhms = 22;
  double deviceOhms = 10000;     // the device's resistance
  double deviceFarads = 10e-9;   // and the capacitance across it

  // The impedance at analog input AI`input` at `hz`, nothing where no element is wired
  // (or its resistance is not finite).
  std::optional<std::complex<double>> Impedance(int input, double hz) const;
  // The same at DC (the capacitor open).
  std::optional<double> DcOhms(int input) const;
};
