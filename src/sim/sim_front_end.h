#pragma once
// The bench's wiring of the chip's analog inputs, read from the chip's registers at
// each conversion:
//
// I/Q demodulator (a conversion needs 0Dh bits 7 and 0: I/Q mode, generator running;
// without them only noise comes). The excitation runs at the generator's frequency,
// the oscillator's (as the board's counter sees it) divided by 2^(0Dh bits 3:1) and by
// DGRP + 1 (0Eh bits 6:0, 0 taken as 1). The result is rotated by the demodulator's
// own phase `iqPhase`.
//  - 25h bit 7 clear: the I/Q test's path. OP2's input switches 1Fh bits 0..2 connect
//    AI4..AI6 of the fixture (SimIqNetwork); OP2 turns the current they draw into a
//    voltage over its feedback resistor (20h bits 1:0: 10k, 50k, 100k, 500k):
//    I + jQ = iqScale x Rfb x sum(1 / Z).
//  - 25h bit 7 set: the body-fat front end. A current flows from contact 26h bits 7:3
//    to contact 27h bits 7:3 (codes 8 and up: open) and the voltage between contacts
//    28h bits 6:4 and 2:0 is demodulated: I + jQ = bodyScale x Z, Z the body's transfer
//    impedance (SimBodyModel), or the 1 kOhm reference resistor while 0Eh bit 7 (DGCAL)
//    is set.
//
// ADC (the stream's samples and the result registers 41h..43h): the positive input
// 13h bits 7:4 (IN1P) against the negative one 13h bits 3:0 (IN1N), times the gain of
// 10h bits 4:2 (1/4 .. 16), over the 2.4 V reference, or half of it while 0Ch bit 2
// (VR1GN) is set: word = (Vp - Vn) x gain / Vref x 2^23. The two selectors share the
// codes of the inputs wired here: 0 AI0, a steady `ai0Volts`; 1 AI1, what `ai1Volts`
// gives (the bench's calibrator); 4..6 AI4..AI6, at DC the current DAC1 (code 17h/18h
// over 4096 of 2.4 V) drives through the fixture's element there, across a `senseOhms`
// sense resistor; 14 VSS. Every other code (temperature sensor, DAC and op-amp outputs,
// VCM, AI7..AI9) reads 0 V, as an input with nothing connected does.
//
// The ADC's noise is the input's, so it grows with the gain as the signal does. At gain
// x1 it is `adcNoise` counts RMS at "ADC_CK / 32" (11h bits 3:0, OSR1, code 0) and falls
// with the square root of the oversampling ratio down to `adcNoiseFloor`. A count is one
// of the analysis's at 23 bits, half a word: 2.4 V / 2^22 at gain x1.
//
// Every word carries gaussian noise, deterministic from a fixed seed; the words
// saturate at the 24-bit range.

#include <cstdint>
#include <functional>
#include <random>
#include <utility>

#include "sim/sim_body_model.h"
#include "sim/sim_board.h"
#include "sim/sim_iq_network.h"

class SimFrontEnd : public SimAnalog {
public:
  SimIqNetwork iq;
  SimBodyModel body;

  double bodyReferenceOhms = 1000;
  double iqScale = 408000;        // counts per (ohm of feedback / ohm of element)
  double bodyScale = 1000;        // counts per ohm
  double iqPhase = 0.2;           // radians
  double ai0Volts = 1.4;
  std::function<double()> ai1Volts;  // unset: nothing on AI1
  double senseOhms = 1000;
  double iqNoise = 2;             // raw counts, standard deviation
  double adcNoise = 8;            // counts RMS at gain x1 and "ADC_CK / 32"
  double adcNoiseFloor = 1;       // the least it falls to, counts RMS at gain x1

  // The generator's frequency as the registers and the oscillator set it.
  static double ExcitationHz(const SimBoard& board);
  // I + jQ of the conversion the registers set up, before noise, in value units (half
  // the raw word).
  std::complex<double> IqValue(const SimBoard& board) const;
  // The ADC's input voltage times its gain, before noise, as a word.
  double AdcValue(const SimBoard& board) const;
  // The ADC's RMS noise at the registers' gain and oversampling ratio, in counts (half
  // a word).
  double AdcNoiseCounts(const SimBoard& board) const;

  std::pair<uint32_t, uint32_t> IqWords(const SimBoard& board) override;
  int32_t AdcWord(const SimBoard& board) override;

private:
  double InputVolts(const SimBoard& board, int code) const;
  double AdcGain(const SimBoard& board) const;
  int32_t Word(double value, double noise);
  std::mt19937 rng_{20240611};
  std::normal_distribution<double> normal_{0.0, 1.0};
};
