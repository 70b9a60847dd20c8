#include "impedance/impedance_math.h"

#include <cmath>

#include "common/errors.h"
#include "common/figure_checks.h"
#include "common/figure_text.h"

namespace {
using LD = long double;
constexpr LD kNano = 1e9L;

// The quotient in extended precision, for use before it is stored.
LD Quotient(LD a, LD b) {
  if (b == 0) throw EMathError(a == 0 || std::isnan(a) ? kFloatInvalid : kFloatDivByZero);
  return a / b;
}
}  // namespace

double ArctanQI(double q, double i) { return Checked(std::atan(Quotient(q, i))); }

double CheckedDiv(long double a, long double b) { return Checked(Quotient(a, b)); }

void MagnitudeAndPhase(const ImpedanceInput& in, ImpedanceFigures& z) {
  ACCalibrationFigures(in.Rref, in.Y0, in.Y1, z);
  z.Zx = CheckedDiv(z.Gain, in.Y2);
  z.Th = Checked(std::fabs(static_cast<LD>(in.Theta2) - in.Theta0));
}

void SeriesAndParallel(const ImpedanceInput& in, ImpedanceFigures& z) {
  const LD th = z.Th;
  z.Rs = Checked(std::fabs(std::cos(th)) * z.Zx - z.Resd);
  z.Xs = Checked(std::fabs(std::sin(th)) * z.Zx);
  z.Cs = CheckedDiv(kNano, static_cast<LD>(TwoPi) * in.Freq * z.Xs);
  z.Zm = Checked(std::sqrt(static_cast<LD>(z.Rs) * z.Rs + static_cast<LD>(z.Xs) * z.Xs));
  z.Ratio = CheckedDiv(z.Rs, z.Xs);
  z.Bp = CheckedDiv(1, std::sqrt(static_cast<LD>(z.Ratio) * z.Ratio + 1) * z.Zm);
  z.Gp = Checked(static_cast<LD>(z.Ratio) * z.Bp);
  z.Cp = CheckedDiv(static_cast<LD>(z.Bp) * kNano, static_cast<LD>(TwoPi) * in.Freq);
  z.Rp = CheckedDiv(1, z.Gp);
}

ImpedanceFigures ComputeImpedance(const ImpedanceInput& in) {
  ImpedanceFigures z;
  MagnitudeAndPhase(in, z);
  SeriesAndParallel(in, z);
  return z;
}

std::vector<std::pair<QString, QString>> ImpedanceTexts(const ImpedanceFigures& z, bool withZm2) {
  std::vector<std::pair<QString, QString>> t = {
      {"T_Resd", FormatF(z.Resd)},
      {"T_Gain", FormatF(z.Gain)},
      {"T_Theta_s", FormatFixed(z.Th, 3)},
      {"T_IDATA_s", FormatF(z.Rs)},
      {"T_RsDATA", FormatF(z.Rs)},
      {"T_QDATA_s", FormatF(z.Xs)},
      {"T_YDATA_n", FormatF(z.Zx)},
      {"T_CsDATA", FormatFixed(z.Cs, 3)},
      {"T_IDATA_p", FormatFixed(z.Gp, 7)},
      {"T_QDATA_p", FormatFixed(z.Bp, 7)},
      {"T_YDATA_p", FormatF(z.Zm)},
      {"T_Zm", FormatF(z.Zm)},
      {"T_Ratio_p", FormatFixed(z.Ratio, 3)},
      {"T_RpDATA", FormatF(z.Rp)},
      {"T_CpDATA", FormatFixed(z.Cp, 3)},
  };
  if (withZm2) t.emplace_back("T_Zm2", FormatF(z.Zm));
  return t;
}

std::vector<std::pair<QString, QString>> ConversionTexts(const IQResult& r, int column) {
  const QString n = QString::number(column);
  return {{"T_IDATA_" + n, FormatF(r.I)},
          {"T_QDATA_" + n, FormatF(r.Q)},
          {"T_YDATA_" + n, FormatF(r.Y)},
          {"T_Theta_" + n, FormatFixed(r.Theta, 3)}};
}

void ACCalibrationFigures(int32_t rref, double y0, double y1, ImpedanceFigures& z) {
  const LD r = rref;
  z.Resd = Checked(Quotient(r * y1, y0) - r);
  z.Gain = Checked(r * y1);
}

DCCalibrationFigures DCCalibrationFrom(int32_t rref, int32_t avg0, int32_t avg1) {
  const LD r = rref;
  DCCalibrationFigures f;
  f.Resd_dc = Checked(Quotient(avg1, avg0) * r - r);
  f.DcGain = Checked((r + f.Resd_dc) * avg0);
  return f;
}

double StripResistance(double dcGain, int32_t average, double resdDc) {
  return Checked(Quotient(dcGain, average) - resdDc);
}

BodyFatCalibration BodyFatCalibrationFrom(const IQResult& r, int32_t rref) {
  BodyFatCalibration c;
  c.Theta0 = ArctanQI(r.Q, r.I);
  c.Gain = CheckedDiv(rref, r.Y);
  return c;
}

BodyFatSample BodyFatSampleFrom(const IQResult& r, const BodyFatCalibration& cal) {
  BodyFatSample s;
  s.Theta = ArctanQI(r.Q, r.I);
  s.DutPhase = Checked(static_cast<LD>(s.Theta) - cal.Theta0);
  s.Impedance = Checked(static_cast<LD>(r.Y) * cal.Gain);
  return s;
}
