// The pace of a stream capture with the real clock: "Catch ADC" clicked on a program
// whose analysis window is on screen, on the simulated board (which answers at once,
// 21 samples a poll). Each poll lasts at least 10 ms, so a capture cannot take less
// than its polls times 10 ms; `ratio_to_floor` is the capture's time over that floor.
//
// The first argument is the sample count, the second what the window shows while
// the capture runs: 0 the value grid, 1 the chart with live update, 2 the value grid
// with live update checked (the chart out of sight). Set
// MX_BENCH_LONG=1 to add the 131,072-sample capture (over a minute a run).
#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <chrono>

#include "adc_analysis/analysis_window.h"
#include "link/mx_up.h"
#include "platform/clock.h"
#include "shell/main_panel.h"
#include "app/program.h"
#include "sim/sim_platform.h"
#include "qt_bench_main.h"

namespace {

constexpr int kPollUs = 10'000;

// The sample counts of the "Sample Point" choices: 32 << index.
int PointIndex(int samples) {
  int index = 0;
  while ((32 << index) < samples) ++index;
  return index;
}

void BM_CapturePacing(benchmark::State& state) {
  const int samples = static_cast<int>(state.range(0));
  const bool chart = state.range(1) == 1;
  const bool live = state.range(1) != 0;
  QTemporaryDir dir;
  SimPlatform sim;
  SystemClock clock;
  Platform platform = sim.platform;
  platform.clock = &clock;  // the bench's stream: AI0's steady 1.4 V with a little noise

  Program program(dir.path(), platform);
  program.Start();
  program.MainPanel->resize(1280, 900);
  program.MainPanel->show();
  program.MainPanel->OpenPanel(program.AnxADC, 7);
  TAnxADC* w = program.AnxADC;
  program.Mx_UP->USBConnect();
  w->NPointIndex->setCurrentIndex(PointIndex(samples));
  emit w->NPointIndex->activated(w->NPointIndex->currentIndex());
  w->updateChart->setChecked(live);
  if (chart) w->ShowChart->click();
  QCoreApplication::processEvents();
  if (program.G.NPoints != samples) {
    state.SkipWithError("the sample count is not offered");
    return;
  }

  double seconds = 0;
  int64_t polls = 0;
  for (auto _ : state) {
    sim.board.ClearLog();
    const auto start = std::chrono::steady_clock::now();
    w->CatchADC->click();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (const auto& p : sim.board.Sent())
      if (p.size() >= 2 && p[0] == 0xC4 && p[1] == 0x04) ++polls;
    if (program.G.SampleCount < samples || program.MainPanel->StatusBar1->Text(2) != "Read Compelete") {
      state.SkipWithError("the capture did not complete");
      return;
    }
  }
  const double floor = polls * (kPollUs / 1e6);
  state.counters["polls"] = benchmark::Counter(static_cast<double>(polls), benchmark::Counter::kAvgIterations);
  state.counters["ratio_to_floor"] = floor > 0 ? seconds / floor : 0;
}

void Captures(benchmark::internal::Benchmark* b) {
  b->ArgNames({"samples", "view"});
  for (int view : {0, 1, 2}) b->Args({8192, view});
  if (qEnvironmentVariableIntValue("MX_BENCH_LONG") != 0)
    for (int view : {0, 1, 2}) b->Args({131072, view});
  b->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();
}
BENCHMARK(BM_CapturePacing)->Apply(Captures);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
