#include "block_panels/wave_chart.h"

#include <algorithm>
#include <cmath>

namespace {
// Left-axis ticks in the chart's value format.
class FormatTicker : public QCPAxisTicker {
public:
  explicit FormatTicker(const AxisFormat& format) : format_(format) {}

protected:
  QString getTickLabel(double tick, const QLocale&, QChar, int) override { return AxisLabel(tick, format_); }

  // The labels are whole numbers, so the ticks stand a whole number apart: a step
  // below one would repeat a label, and one of 2.5 would label ticks between whole
  // values. Such steps become the next of 1, 2, 5, 10, 20, ...
  double getTickStep(const QCPRange& range) override {
    const double step = QCPAxisTicker::getTickStep(range);
    if (!std::isfinite(step) || step < 1) return 1;
    if (step == std::floor(step)) return step;
    double nice = 1;
    for (;;) {
      for (double m : {1.0, 2.0, 5.0})
        if (m * nice >= step) return m * nice;
      nice *= 10;
    }
  }

private:
  const AxisFormat& format_;
};
}  // namespace

TWaveChart::TWaveChart(QWidget* parent) : QCustomPlot(parent) {
  setObjectName("chartWaveform");
  plotLayout()->insertRow(0);
  title_ = new QCPTextElement(this, QStringLiteral("Waveform Data"), QFont(font().family(), 10, QFont::Bold));
  plotLayout()->addElement(0, 0, title_);
  legend->setVisible(false);
  series_ = addGraph();
  series_->setPen(QPen(Qt::red, 1));
  series_->setLineStyle(QCPGraph::lsLine);
  series_->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
  yAxis->setTicker(QSharedPointer<FormatTicker>::create(format_));
  xAxis->setRange(0, WaveTableSize - 1);
  yAxis->setRange(0, 4095);
  setMinimumSize(320, 200);
}

void TWaveChart::SetPoints(const QVector<double>& x, const QVector<double>& y) {
  series_->setData(x, y, true);
  if (!x.isEmpty()) {
    const auto [lo, hi] = std::minmax_element(y.begin(), y.end());
    const double margin = std::max((*hi - *lo) * 0.05, 1.0);
    xAxis->setRange(x.first(), std::max(x.last(), x.first() + 1));
    yAxis->setRange(*lo - margin, *hi + margin);
  }
  replot();
}

void TWaveChart::ClearPoints() {
  series_->data()->clear();
  replot();
}

int TWaveChart::PointCount() const { return series_->dataCount(); }
double TWaveChart::PointX(int i) const { return series_->data()->at(i)->key; }
double TWaveChart::PointY(int i) const { return series_->data()->at(i)->value; }

void TWaveChart::SetAxisFormat(AxisFormat format) {
  format_ = format;
  replot();
}

QString TWaveChart::Title() const { return title_->text(); }
