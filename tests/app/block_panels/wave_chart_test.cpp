// The wave charts' left axis: its labels are whole numbers in the chart's format, so
// its ticks must stand on whole numbers and no two labels may read alike, whatever
// the range (a flat line spans only two codes).
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "wave_fixture.h"

namespace {

class WaveChartAxis : public WaveTest {
protected:
  // The left axis as the chart draws it: every tick whole, the labels distinct and
  // each the format's text of its tick, at least two of them.
  static void ExpectDistinctWholeLabels(TWaveChart* chart) {
    chart->resize(600, 320);
    chart->replot(QCustomPlot::rpImmediateRefresh);
    const QVector<double> ticks = chart->yAxis->tickVector();
    const QVector<QString> labels = chart->yAxis->tickVectorLabels();
    ASSERT_GE(ticks.size(), 2);
    ASSERT_EQ(labels.size(), ticks.size());
    std::set<QString> seen;
    for (int i = 0; i < ticks.size(); ++i) {
      EXPECT_EQ(ticks[i], std::round(ticks[i])) << ticks[i];
      EXPECT_TRUE(seen.insert(labels[i]).second) << "repeated label " << labels[i].toStdString();
    }
  }
};

TEST_F(WaveChartAxis, GeneratorAndViewerLabelEachTickOnce) {
  StartWave();
  // At start the generator shows a flat line at code 2048.
  ASSERT_DOUBLE_EQ(gen->chartWaveform->PointY(0), 2048);
  ExpectDistinctWholeLabels(gen->chartWaveform);
  // The same line in millivolts: 2048 x 3300 / 4095 = 1650.4 mV.
  GenControl<QPushButton>("btnChangeUint")->click();
  ASSERT_EQ(gen->chartWaveform->Format(), AxisFormat::Millivolts);
  ExpectDistinctWholeLabels(gen->chartWaveform);
  EXPECT_TRUE(gen->chartWaveform->yAxis->tickVectorLabels().contains("1650 mV"));
  ExpectDistinctWholeLabels(viewer->chartWaveform);
}

TEST_F(WaveChartAxis, EveryRangeAndFormat) {
  TWaveChart chart;
  struct Case {
    double lo, hi;
  };
  // Flat lines, a few codes (steps of 0.5 and 2.5 by default), wide and full-scale ranges.
  const Case cases[] = {{2048, 2048}, {0, 0}, {1650.4, 1650.4}, {2047, 2049}, {0, 3},   {0, 10},
                        {-7, 7},      {1924, 2172}, {0, 4095}, {0, 3300},     {12, 13}, {100.2, 100.9}};
  for (AxisFormat f : {AxisFormat::Codes, AxisFormat::CodesBlank, AxisFormat::Millivolts}) {
    chart.SetAxisFormat(f);
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << static_cast<int>(f) << ": " << c.lo << ".." << c.hi);
      QVector<double> x, y;
      for (int i = 0; i < 16; ++i) {
        x << i;
        y << (i % 2 ? c.hi : c.lo);
      }
      chart.SetPoints(x, y);
      ExpectDistinctWholeLabels(&chart);
    }
  }
}

}  // namespace
