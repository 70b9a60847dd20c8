// The impedance arithmetic against hand-computed values, its checked faults and texts.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "common/errors.h"
#include "impedance/impedance_math.h"
#include "impedance_fixture.h"

namespace {

const double kPi = 3.14159265358979323846;
const double kSqrt3 = std::sqrt(3.0);

using F = ImpedanceFigures;
const std::pair<const char*, double F::*> kFields[] = {
    {"Resd", &F::Resd}, {"Gain", &F::Gain},   {"Zx", &F::Zx}, {"Th", &F::Th}, {"Rs", &F::Rs}, {"Xs", &F::Xs},
    {"Cs", &F::Cs},     {"Zm", &F::Zm},       {"Ratio", &F::Ratio}, {"Bp", &F::Bp}, {"Gp", &F::Gp},
    {"Cp", &F::Cp},     {"Rp", &F::Rp}};

void ExpectClose(double actual, double expected, const char* name) {
  EXPECT_NEAR(actual, expected, 1e-9 * std::max(1.0, std::fabs(expected))) << name;
}

TEST(ImpedanceMath, FiguresMatchHandComputedValues) {
  struct Case {
    const char* name;
    ImpedanceInput in;
    ImpedanceFigures want;
  };
  const double xs60 = 2550 * kSqrt3;  // 5100 sin 60 degrees
  const double r2 = 1000 * std::sqrt(2.0);
  // A 5100 ohm impedance at 30 degrees against a perfect reference path.
  const ImpedanceFigures at30 = {0,         5.1e6,       5100,   kPi / 6,        2550 * kSqrt3,
                                 2550,      1e9 / (TwoPi * 1000 * 2550),         5100,
                                 kSqrt3,    1 / 10200.0, kSqrt3 / 10200, 1e9 / (10200 * TwoPi * 1000),
                                 10200 / kSqrt3};
  const Case cases[] = {
      {"30 degrees", {5100, 1000, 1000, 0, 1000, 1000, kPi / 6}, at30},
      // The same phase below the reference reading: only |Theta2 - Theta0| counts.
      {"mirrored", {5100, 1000, 1000, kPi / 3, 1000, 1000, kPi / 6}, at30},
      // Resd above |cos Th| x Zx: negative Rs, Ratio, Gp and Rp; positive Bp, Cs, Cp.
      {"negative Rs",
       {5100, 1000, 1000, 0, 2000, 2000, kPi / 3},
       {5100, 10.2e6, 5100, kPi / 3, -2550, xs60, 1e9 / (TwoPi * 1000 * xs60), 5100, -1 / kSqrt3,
        xs60 / (5100.0 * 5100), -2550 / (5100.0 * 5100), xs60 / (5100.0 * 5100) * 1e9 / (TwoPi * 1000), -10200}},
      // 45 degrees at 100 Hz: Rs = Xs.
      {"45 degrees",
       {1000, 100, 500, 0.25, 500, 250, 0.25 + kPi / 4},
       {0, 5e5, 2000, kPi / 4, r2, r2, 1e9 / (TwoPi * 100 * r2), 2000, 1, r2 / 4e6, r2 / 4e6,
        r2 / 4e6 * 1e9 / (TwoPi * 100), 4e6 / r2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ImpedanceFigures z = ComputeImpedance(c.in);
    for (auto [name, field] : kFields) ExpectClose(z.*field, c.want.*field, name);
  }
}

TEST(ImpedanceMath, ShownTextsTakeTheirFormats) {
  const ImpedanceFigures z = ComputeImpedance({5100, 1000, 1000, 0, 1000, 1000, kPi / 6});
  const std::vector<std::pair<QString, QString>> want = {
      {"T_Resd", "0.00"},      {"T_Gain", "5100000.00"},  {"T_Theta_s", "0.524"},     {"T_IDATA_s", "4416.73"},
      {"T_RsDATA", "4416.73"}, {"T_QDATA_s", "2550.00"},  {"T_YDATA_n", "5100.00"},   {"T_CsDATA", "62.414"},
      {"T_IDATA_p", "0.0001698"}, {"T_QDATA_p", "0.0000980"}, {"T_YDATA_p", "5100.00"}, {"T_Zm", "5100.00"},
      {"T_Ratio_p", "1.732"},  {"T_RpDATA", "5888.97"},   {"T_CpDATA", "15.603"}};
  EXPECT_EQ(ImpedanceTexts(z, false), want);
  auto withZm2 = ImpedanceTexts(z, true);
  ASSERT_EQ(withZm2.size(), want.size() + 1);
  EXPECT_EQ(withZm2.back(), (std::pair<QString, QString>{"T_Zm2", "5100.00"}));
}

TEST(ImpedanceMath, ConversionTextsOfAReadOutColumn) {
  const std::vector<std::pair<QString, QString>> want = {
      {"T_IDATA_2", "-3.50"}, {"T_QDATA_2", "4.00"}, {"T_YDATA_2", "5.32"}, {"T_Theta_2", "-0.852"}};
  EXPECT_EQ(ConversionTexts({-3.5, 4, 5.316, -0.8519}, 2), want);
}

TEST(ImpedanceMath, ZeroDivisorsAndOverflowRaise) {
  const ImpedanceInput ok{5100, 1000, 1000, 0, 1000, 1000, kPi / 6};
  struct Case {
    const char* name;
    std::function<void(ImpedanceInput&)> change;
    const char* text;
  };
  const Case cases[] = {
      {"Y0 = 0", [](ImpedanceInput& in) { in.Y0 = 0; }, kFloatDivByZero},
      {"Y0 = Y1 = 0", [](ImpedanceInput& in) { in.Y0 = in.Y1 = 0; }, kFloatInvalid},
      {"Y2 = 0", [](ImpedanceInput& in) { in.Y2 = 0; }, kFloatDivByZero},
      {"f = 0", [](ImpedanceInput& in) { in.Freq = 0; }, kFloatDivByZero},
      {"Theta2 = Theta0", [](ImpedanceInput& in) { in.Theta2 = in.Theta0; }, kFloatDivByZero},
      {"Rref = 0", [](ImpedanceInput& in) { in.Rref = 0; }, kFloatDivByZero},
      {"Zx overflows", [](ImpedanceInput& in) { in.Y2 = 1e-305; }, kFloatOverflow},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImpedanceInput in = ok;
    c.change(in);
    ExpectMathError([&] { ComputeImpedance(in); }, c.text);
  }
}

TEST(ImpedanceMath, CalibrationFigures) {
  ImpedanceFigures z;
  ACCalibrationFigures(5100, 1000, 2000, z);
  EXPECT_DOUBLE_EQ(z.Resd, 5100);
  EXPECT_DOUBLE_EQ(z.Gain, 10'200'000);
  ExpectMathError([&] { ACCalibrationFigures(5100, 0, 2000, z); }, kFloatDivByZero);

  const DCCalibrationFigures dc = DCCalibrationFrom(5100, 1000, 2000);
  EXPECT_DOUBLE_EQ(dc.Resd_dc, 5100);
  EXPECT_DOUBLE_EQ(dc.DcGain, 10'200'000);
  // The averages divide as reals: 3 / 2 is 1.5.
  EXPECT_DOUBLE_EQ(DCCalibrationFrom(1000, 2, 3).Resd_dc, 500);
  ExpectMathError([] { DCCalibrationFrom(5100, 0, 2000); }, kFloatDivByZero);
  ExpectMathError([] { DCCalibrationFrom(5100, 0, 0); }, kFloatInvalid);
}

TEST(ImpedanceMath, StripResistance) {
  EXPECT_DOUBLE_EQ(StripResistance(10'200'000, 1000, 5100), 5100);
  // No DC calibration yet ("000000"): minus Resd_dc in every row.
  EXPECT_DOUBLE_EQ(StripResistance(0, 1234, 5100), -5100);
  EXPECT_DOUBLE_EQ(StripResistance(-3000, -1000, 0), 3);
  ExpectMathError([] { StripResistance(10'200'000, 0, 5100); }, kFloatDivByZero);
}

TEST(ImpedanceMath, BodyFatCalibrationAndSample) {
  const BodyFatCalibration cal = BodyFatCalibrationFrom({3, 4, 5, 0}, 1000);
  EXPECT_NEAR(cal.Theta0, std::atan(4.0 / 3.0), 1e-15);
  EXPECT_DOUBLE_EQ(cal.Gain, 200);
  const BodyFatSample s = BodyFatSampleFrom({-3, 4, 5, 0}, cal);
  EXPECT_NEAR(s.Theta, -std::atan(4.0 / 3.0), 1e-15);
  EXPECT_NEAR(s.DutPhase, -2 * std::atan(4.0 / 3.0), 1e-15);
  EXPECT_DOUBLE_EQ(s.Impedance, 1000);
  ExpectMathError([] { BodyFatCalibrationFrom({0, 4, 4, 0}, 1000); }, kFloatDivByZero);
  ExpectMathError([] { BodyFatCalibrationFrom({0, 0, 0, 0}, 1000); }, kFloatInvalid);
  ExpectMathError([&] { BodyFatSampleFrom({0, 2, 2, 0}, cal); }, kFloatDivByZero);
}

}  // namespace
