#pragma once
// The bench's serial instruments at fixed COM ports of the simulated serial services,
// each on its own pseudo-terminal reached through the program's termios layer: the
// chamber on COM1, the calibrator on COM2, the SCPI power supply on COM3, a DC
// voltmeter on COM4 and a thermometer in the chamber on COM5. COM6 and above stay free
// for other instruments; COM16, the board UART's port, is never taken.
//
// Where the step grid gives the chamber no slope it moves ChamberSlopePerMin degrees a
// minute, so a short sweep ends within minutes on the real clock.

#include "sim/sim_instruments.h"

class SimSerial;

class SimInstrumentSet {
public:
  static constexpr int ChamberCom = 1;
  static constexpr int CalibratorCom = 2;
  static constexpr int PowerCom = 3;
  static constexpr int VoltmeterCom = 4;
  static constexpr int ThermometerCom = 5;
  static constexpr int FirstFreeCom = 6;
  static constexpr double ChamberSlopePerMin = 30.0;

  explicit SimInstrumentSet(SimSerial& serial);
  SimInstrumentSet(const SimInstrumentSet&) = delete;
  SimInstrumentSet& operator=(const SimInstrumentSet&) = delete;

  // Owned by the serial services, which outlive the set.
  SimChamber& chamber;
  SimCalibrator& calibrator;
  SimPowerSupply& power;
  SimMeter& voltmeter;    // reads a steady 1.2345 V DC
  SimMeter& thermometer;  // reads the chamber's temperature in degrees Celsius
};

// The meter reading of a temperature in degrees Celsius, to a tenth.
MeterReading CelsiusReading(double degrees);
