#pragma once
// What the analysis chart draws, without the chart: the two series' points, the
// time axis and which titles apply. The x of point i is i T / n over the capture's
// duration T; a value is Floor(value) divided by the scale divisor, truncated toward
// zero, so a chart point equals what the grid shows after a capture.

#include <QVector>

struct AnalysisState;

// The chart display choice of EKG mode.
enum class ChartChoice { Adc, Ekg, AdcEkg };

// The first EKG output drawn (the detector's first outputs are zero).
constexpr int FirstEkgPoint = 16;

struct ChartPlan {
  double T = 0;          // bottom axis maximum, ms
  double Step = 0;       // bottom axis increment T / n; 0 keeps the last one
  QVector<double> X1, Y1;  // Series1: ADC or ADI values
  QVector<double> X2, Y2;  // Series2: EKG output or ADQ values
  bool Iq = false;              // Series2 holds ADQ on the left axis
  bool SecondOnRightAxis = false;  // Series2 holds the EKG output on its own axis
  bool LeftTitle = false;       // the left axis takes its title
  bool IqTitles = false;        // the series take the titles "ADI" and "ADQ"
};

// The points of a draw with n points per series (n is bounded by the stores).
ChartPlan PlanChart(const AnalysisState& st, int n, bool iqMode, ChartChoice choice);
