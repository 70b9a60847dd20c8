#include "adc_analysis/chart_series.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "adc_analysis/analysis_state.h"

namespace {

// Floor(v) div d, the division truncating toward zero.
double Scaled(double v, int64_t d) { return static_cast<double>(static_cast<int64_t>(std::floor(v)) / d); }

// Points from..n-1 of the values; a divisor d of 0 takes the values as they are.
void Fill(QVector<double>& x, QVector<double>& y, const std::vector<double>& values, int from, int n, double dx,
          int64_t d) {
  const int count = std::max(0, n - from);
  x.resize(count);
  y.resize(count);
  for (int i = from; i < n; ++i) {
    x[i - from] = i * dx;
    y[i - from] = d == 0 ? values[i] : Scaled(values[i], d);
  }
}

}  // namespace

ChartPlan PlanChart(const AnalysisState& st, int n, bool iqMode, ChartChoice choice) {
  ChartPlan plan;
  n = std::clamp(n, 0, SampleStoreSize);
  plan.T = iqMode ? st.IQCaptureMs : st.CaptureMs;
  if (n > 0) plan.Step = plan.T / n;
  const double dx = n > 0 ? plan.T / n : 0;
  const int64_t d = std::max(1, st.G.ScaleDivisor);

  if (iqMode) {
    plan.Iq = true;
    Fill(plan.X1, plan.Y1, st.MovingDiffMode ? st.DiffSums : st.AdiValues, 0, n, dx, d);
    Fill(plan.X2, plan.Y2, st.MovingDiffMode ? st.DiffSums : st.AdqValues, 0, n, dx, d);
    plan.IqTitles = n > 0;
    plan.LeftTitle = true;
    return plan;
  }
  if (choice != ChartChoice::Ekg) {
    Fill(plan.X1, plan.Y1, st.MovingDiffMode ? st.DiffSums : st.WorkSamples, 0, n, dx, d);
    plan.LeftTitle = n > 0;
  }
  if (choice != ChartChoice::Adc) {
    plan.SecondOnRightAxis = true;
    Fill(plan.X2, plan.Y2, st.EkgValues, FirstEkgPoint, n, dx, 0);
  }
  return plan;
}
