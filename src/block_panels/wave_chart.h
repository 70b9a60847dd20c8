#pragma once
// The chart of the waveform generator and of the wave viewer: titled "Waveform Data",
// one red line without point marks and without legend, the left axis labelled in one
// of the value formats of wave_math.h.

#include <QVector>
#include <qcustomplot.h>

#include "block_panels/wave_math.h"

class TWaveChart : public QCustomPlot {
  Q_OBJECT
public:
  explicit TWaveChart(QWidget* parent = nullptr);

  // Replaces the series by the points and fits the axes to them.
  void SetPoints(const QVector<double>& x, const QVector<double>& y);
  void ClearPoints();
  int PointCount() const;
  double PointX(int i) const;
  double PointY(int i) const;

  void SetAxisFormat(AxisFormat format);
  AxisFormat Format() const { return format_; }
  // The left axis text of a value as the chart draws it.
  QString LeftAxisLabel(double value) const { return AxisLabel(value, format_); }
  QString Title() const;
  QSize sizeHint() const override { return {600, 320}; }

private:
  QCPGraph* series_;
  QCPTextElement* title_;
  AxisFormat format_ = AxisFormat::Codes;
};
