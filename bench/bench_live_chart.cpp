// The live chart redraw the link timer runs during a capture: two series of 131,072
// points (an I/Q capture's ADI and ADQ values) planned, handed to the chart and
// drawn, on a program whose analysis window shows its chart.
#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <cmath>
#include <qcustomplot.h>

#include "adc_analysis/analysis_window.h"
#include "app/program.h"
#include "qt_bench_main.h"
#include "shell/main_panel.h"
#include "sim/sim_platform.h"

namespace {

constexpr int kPoints = 131072;

void BM_LiveRedrawTwoSeries(benchmark::State& state) {
  QTemporaryDir dir;
  SimPlatform sim;
  Program program(dir.path(), sim.platform);
  program.Start();
  program.MainPanel->resize(1280, 900);
  program.MainPanel->show();
  program.MainPanel->OpenPanel(program.AnxADC, 7);
  TAnxADC* w = program.AnxADC;
  w->ChangeADI->show();  // as "#CATCHIQ" offers it
  w->ChangeADI->setChecked(true);
  w->ShowChart->click();
  AnalysisState& st = w->st;
  for (int i = 0; i < kPoints; ++i) {
    st.AdiValues[i] = 120000 + 40 * std::sin(i * 0.01) + (int64_t{i} * 7919 % 13);
    st.AdqValues[i] = -50000 + 25 * std::cos(i * 0.013) + (int64_t{i} * 104729 % 11);
  }
  program.G.IQSampleCount = kPoints;
  st.IQCaptureMs = 62000;
  QCoreApplication::processEvents();
  for (auto _ : state) {
    w->LiveChartRedraw();
    w->Chart1->replot(QCustomPlot::rpImmediateRefresh);
  }
  state.SetItemsProcessed(state.iterations() * 2 * kPoints);
  if (w->Series1->data()->size() != kPoints || w->Series2->data()->size() != kPoints)
    state.SkipWithError("the series do not hold the capture");
}
BENCHMARK(BM_LiveRedrawTwoSeries)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
