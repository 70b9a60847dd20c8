// The analysis window's time chart and its switch with the value grid.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <algorithm>
#include <qcustomplot.h>

#include "adc_analysis/analysis_window.h"
#include "adc_analysis/value_grid_model.h"
#include "common/figure_text.h"
#include "kit/bench.h"

namespace {

// Labels at this many ticks at most; the axis increment is the smallest step.
constexpr int BottomTicks = 12;

// Axis labels with up to three decimals, no trailing zeros, "." as separator.
QString AxisLabel(double v) {
  QString s = QString::number(v, 'f', 3);
  while (s.endsWith('0')) s.chop(1);
  if (s.endsWith('.')) s.chop(1);
  return s == "-0" ? QStringLiteral("0") : s;
}

class TimeTicker : public QCPAxisTickerFixed {
protected:
  QString getTickLabel(double tick, const QLocale&, QChar, int) override { return AxisLabel(tick); }
};

class ValueTicker : public QCPAxisTicker {
protected:
  QString getTickLabel(double tick, const QLocale&, QChar, int) override { return AxisLabel(tick); }
};

void StyleAxis(QCPAxis* axis) {
  axis->setBasePen(QPen(Qt::black));
  axis->setTickPen(QPen(Qt::black));
  axis->setSubTickPen(QPen(Qt::black));
  axis->grid()->setPen(QPen(QColor(215, 215, 215), 0, Qt::DotLine));
  axis->grid()->setZeroLinePen(QPen(QColor(170, 170, 170)));
}

// The value axis over the values of its series, which fill 3 % to 97 % of its height.
void FitValueAxis(QCPAxis* axis, const QVector<double>& a, const QVector<double>& b) {
  bool any = false;
  double lo = 0, hi = 0;
  for (const QVector<double>* v : {&a, &b})
    for (double y : *v) {
      if (!any) lo = hi = y;
      lo = std::min(lo, y);
      hi = std::max(hi, y);
      any = true;
    }
  if (!any) return;
  if (hi == lo) {
    const double half = std::max(1.0, std::fabs(hi) * 0.01);
    lo -= half;
    hi += half;
  }
  const double pad = (hi - lo) * 3.0 / 94.0;
  axis->setRange(lo - pad, hi + pad);
}

}  // namespace

void TAnxADC::CreateChart() {
  Chart1 = new QCustomPlot(Panel1);
  Chart1->setObjectName("Chart1");
  Chart1->setLocale(QLocale::c());
  Chart1->setBackground(Qt::white);
  Chart1->axisRect()->setBackground(Qt::white);
  Chart1->setNoAntialiasingOnDrag(true);

  ChartTitle = new QCPTextElement(Chart1, QString(), QFont(font().family(), font().pointSize() + 1, QFont::Bold));
  Chart1->plotLayout()->insertRow(0);
  Chart1->plotLayout()->addElement(0, 0, ChartTitle);

  QCPAxis* x = Chart1->xAxis;
  x->setLabel("Time  ms");
  x->setTickLabelRotation(90);
  auto ticker = QSharedPointer<TimeTicker>::create();
  ticker->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
  ticker->setTickCount(BottomTicks);
  x->setTicker(ticker);
  x->setRange(0, 1);
  Chart1->yAxis->setTicker(QSharedPointer<ValueTicker>::create());
  Chart1->yAxis2->setTicker(QSharedPointer<ValueTicker>::create());
  for (QCPAxis* a : {x, Chart1->yAxis, Chart1->yAxis2}) StyleAxis(a);
  Chart1->yAxis2->setTickLabels(true);

  Series1 = Chart1->addGraph(Chart1->xAxis, Chart1->yAxis);
  Series1->setName("ADC");
  Series1->setPen(QPen(Qt::red, 1));
  Series2 = Chart1->addGraph(Chart1->xAxis, Chart1->yAxis);
  Series2->setName("EKG");
  Series2->setPen(QPen(QColor(0, 160, 0), 1));
  for (QCPGraph* g : {Series1, Series2}) {
    g->setLineStyle(QCPGraph::lsLine);
    g->setAdaptiveSampling(true);
  }
  // The legend stands right of the plot, at its top, so it never covers a curve.
  Chart1->legend->setVisible(true);
  Chart1->axisRect()->insetLayout()->take(Chart1->legend);
  auto* side = new QCPLayoutGrid;
  Chart1->plotLayout()->addElement(1, 1, side);
  side->setMargins(QMargins(4, 10, 6, 4));
  side->addElement(0, 0, Chart1->legend);
  side->addElement(1, 0, new QCPLayoutElement(Chart1));
  side->setRowStretchFactor(0, 0.001);
  Chart1->plotLayout()->setColumnStretchFactor(1, 0.001);
  Series2->removeFromLegend();
  Chart1->installEventFilter(this);
  Chart1->hide();
}

ChartChoice TAnxADC::Choice() const {
  if (rbEKG->isChecked()) return ChartChoice::Ekg;
  if (rbADC_EKG->isChecked()) return ChartChoice::AdcEkg;
  return ChartChoice::Adc;
}

void TAnxADC::ChartFun(int n) { ApplyPlan(PlanChart(st, n, IqMode(), Choice())); }

void TAnxADC::ApplyPlan(const ChartPlan& plan) {
  ChartTitle->setText(QString());
  Series1->data()->clear();
  Series2->data()->clear();

  QCPAxis* x = Chart1->xAxis;
  x->setRange(0, plan.T > 0 ? plan.T : 1);
  ChartTitle->setText("Time Domain");
  if (plan.Step > 0) x->ticker().staticCast<QCPAxisTickerFixed>()->setTickStep(plan.Step);

  Series1->setData(plan.X1, plan.Y1, true);
  Series2->setData(plan.X2, plan.Y2, true);
  if (plan.IqTitles) {
    Series1->setName("ADI");
    Series2->setName("ADQ");
  }
  // The EKG output has an axis of its own on the right, shown only while it is drawn;
  // ADQ shares the left one.
  const bool right = plan.SecondOnRightAxis;
  Series2->setValueAxis(right ? Chart1->yAxis2 : Chart1->yAxis);
  Chart1->yAxis2->setVisible(right);
  if (plan.LeftTitle) Chart1->yAxis->setLabel("Degree");

  FitValueAxis(Chart1->yAxis, plan.Y1, right ? QVector<double>() : plan.Y2);
  if (right) FitValueAxis(Chart1->yAxis2, plan.Y2, {});
  if (Series2InLegend)
    Series2->addToLegend();
  else
    Series2->removeFromLegend();
  Chart1->replot(QCustomPlot::rpQueuedReplot);
}

void TAnxADC::FitValueTicks() {
  // About one value label every 45 pixels of plot height.
  const int ticks = std::clamp((Chart1->height() - 130) / 45, 2, 8);
  for (QCPAxis* a : {Chart1->yAxis, Chart1->yAxis2}) a->ticker()->setTickCount(ticks);
}

// While the grid is the view, the chart is not redrawn: nothing would show it, and
// turning to the chart draws it from the stores.
void TAnxADC::LiveChartRedraw() {
  if (!Chart1->isHidden()) ChartFun(IqMode() ? P.G.IQSampleCount : P.G.SampleCount);
}

void TAnxADC::ShowChartClick() {
  if (!MemoryF->isHidden()) {
    ChartFun(IqMode() ? P.G.IQSampleCount : P.G.SampleCount);
    MemoryF->hide();
    Chart1->show();
    ShowChart->setText("Chang to vaule");
  } else {
    MemoryF->show();
    Chart1->hide();
    ShowChart->setText("Chang to Chart");
  }
}

void TAnxADC::ChangeChartClick(QRadioButton* sender) {
  if (!sender->isChecked()) return;
  const int count = std::clamp(P.G.SampleCount, 0, SampleStoreSize);
  const std::vector<double>* values = sender == rdADC ? &st.CaptureSamples : sender == rbEKG ? &st.EkgValues : nullptr;
  if (values) {
    for (int k = 0; k < count; ++k) st.MemoryF.SetFixed(k, (*values)[k]);
    MeasureGridTexts();
    RefreshGrid();
  }
  ChartFun(P.G.SampleCount);
}

void TAnxADC::FTChangeClick() {
  st.MovingDiffMode = !st.MovingDiffMode;
  FTChange->setText(st.MovingDiffMode ? "Change Average" : "Change Normal");
  ChartFun(st.LastCount);
}
