#pragma once
// The impedance arithmetic of the I/Q test and the body-fat test. Intermediate
// results are long double, each stored result a double; a division by zero, an
// invalid operation (0 / 0) or an overflow raises EMathError with its standard text.

#include <QString>
#include <cstdint>
#include <utility>
#include <vector>

#include "common/impedance_state.h"

constexpr double TwoPi = 6.283185307179586;

// a / b, checked: b = 0 raises division by zero (invalid operation for 0 / 0).
double CheckedDiv(long double a, long double b);
// arctan(q / i), the principal value; i = 0 raises as CheckedDiv does.
double ArctanQI(double q, double i);

// What an AC measurement is computed from: the reference resistor and frequency as
// typed (whole numbers), the two reference readings and the device's reading.
struct ImpedanceInput {
  int32_t Rref = 0;   // ohm
  int32_t Freq = 0;   // Hz
  double Y0 = 0, Theta0 = 0;
  double Y1 = 0;
  double Y2 = 0, Theta2 = 0;
};

// Resd, Gain, Zx and Th; the other figures are left as they were.
void MagnitudeAndPhase(const ImpedanceInput& in, ImpedanceFigures& z);
// Rs, Xs, Cs, Zm, Ratio, Bp, Gp, Cp and Rp from Zx, Th and Resd.
void SeriesAndParallel(const ImpedanceInput& in, ImpedanceFigures& z);
// Every figure, in order.
ImpedanceFigures ComputeImpedance(const ImpedanceInput& in);

// The texts the I/Q test shows for the figures, by control name; `withZm2` adds the
// simple panel's Zm (the AC run and "Sequence").
std::vector<std::pair<QString, QString>> ImpedanceTexts(const ImpedanceFigures& z, bool withZm2);

// The texts of a conversion in read-out column `column` of the I/Q test: I, Q and Y
// with "%f", Theta with "%.3f" (T_IDATA_n, T_QDATA_n, T_YDATA_n, T_Theta_n).
std::vector<std::pair<QString, QString>> ConversionTexts(const IQResult& r, int column);

// The AC calibration's results from the reference resistor and the readings of
// lists AC0 (Y0) and AC1 (Y1): Resd = Rref x Y1 / Y0 - Rref, Gain = Rref x Y1.
void ACCalibrationFigures(int32_t rref, double y0, double y1, ImpedanceFigures& z);

// The DC calibration's results from the two group averages.
struct DCCalibrationFigures {
  double Resd_dc = 0;  // (avg1 / avg0) x Rref - Rref, ohm
  double DcGain = 0;   // (Rref + Resd_dc) x avg0
};
DCCalibrationFigures DCCalibrationFrom(int32_t rref, int32_t avg0, int32_t avg1);

// The strip resistance of a DC run: DC gain / group average - Resd_dc.
double StripResistance(double dcGain, int32_t average, double resdDc);

// The body-fat test: the calibration's phase and gain (Rref / Y0) and, per sample,
// the phase, the phase against the calibration and the impedance (Y x Gain).
struct BodyFatCalibration {
  double Theta0 = 0;
  double Gain = 0;
};
BodyFatCalibration BodyFatCalibrationFrom(const IQResult& r, int32_t rref);
struct BodyFatSample {
  double Theta = 0;
  double DutPhase = 0;
  double Impedance = 0;
};
BodyFatSample BodyFatSampleFrom(const IQResult& r, const BodyFatCalibration& cal);
