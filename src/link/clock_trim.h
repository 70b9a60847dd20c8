#pragma once
// The board's clock counter (F9 11, a count in units of 4096 Hz) and the steps of
// the oscillator trim built on it: a first step from a model of the oscillator, a
// step moved by one after each further measurement, and a bare measurement.

#include <cstdint>

#include "common/channel_records.h"

class UsbTransport;
struct Globals;

class ClockTrim {
public:
  ClockTrim(Globals& g, UsbTransport& t) : g_(g), t_(t) {}

  int8_t EstimateTrimStep(Devc& d, int range, int hz);
  uint8_t NextTrimStep(Devc& d, int range, uint8_t step);
  void MeasureClock(Devc& d, int range);

  uint32_t ClockCount = 0;
  double ClockTarget = 0;
  double ClockStep = 0;
  double ClockError = 0;
  double PrevClockError = 0;
  // Whether the last measurement of any of the three routines brought a count.
  bool Measured = false;

  static constexpr double HzPerCount = 4096.0;

private:
  bool Measure(Devc& d);
  Globals& g_;
  UsbTransport& t_;
};
