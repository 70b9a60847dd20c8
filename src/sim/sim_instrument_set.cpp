#include "sim/sim_instrument_set.h"

#include <cmath>

#include "sim/sim_serial.h"

SimInstrumentSet::SimInstrumentSet(SimSerial& serial)
    : chamber(serial.Add<SimChamber>(ChamberCom)),
      calibrator(serial.Add<SimCalibrator>(CalibratorCom)),
      power(serial.Add<SimPowerSupply>(PowerCom)),
      voltmeter(serial.Add<SimMeter>(VoltmeterCom)),
      thermometer(serial.Add<SimMeter>(ThermometerCom)) {
  chamber.defaultSlopePerMin = ChamberSlopePerMin;
  SimChamber& c = chamber;
  thermometer.follow = [&c] { return CelsiusReading(c.temperature); };
  thermometer.reading = CelsiusReading(chamber.temperature);
}

MeterReading CelsiusReading(double degrees) {
  MeterReading r;
  r.flags1 = 0x20;  // degrees Celsius
  r.flags2 = 0x00;
  const double tenths = std::round(degrees * 10) / 10;
  r.sign = tenths < 0 ? '-' : ' ';
  // The reading field starts with its first digit and is filled up with blanks.
  r.text = QByteArray::number(std::fabs(tenths), 'f', 1).leftJustified(7, ' ', true);
  return r;
}
