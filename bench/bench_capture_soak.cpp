// Memory over a long capture session, on the path the running program takes: the
// main window and the ENOB window shown and painting, the event loop and the 10 ms
// link timer running, the simulated board at its own pace on the real clock, and
// "Catch ADC" clicked again and again as a user would, the event loop idle between
// captures.
//
// After a warm-up of 50 captures the heap in use (mallinfo2) is taken, and again after
// the last one; `kb_per_capture` is the growth between them over the captures in
// between, `rss_kb_per_capture` the same for the resident set (noisier: the allocator
// keeps freed pages). A program that keeps nothing per capture stays well under 1.
//
// The first argument is the sample count, the second the captures, the third what the
// window shows: 0 the value grid, 1 the chart with live update. 512 samples take about
// 0.3 s a capture at the board's pace (25 polls of at least 10 ms), so a run of 300
// lasts about a minute and a half; anything kept per poll or per capture still shows
// plainly at that size. MX_BENCH_LONG=1 adds 100 captures of 8,192 samples (about four
// seconds each).
#include <benchmark/benchmark.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>

#include "adc_analysis/analysis_window.h"
#include "app/program.h"
#include "common/globals.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "qt_bench_main.h"
#include "shell/main_panel.h"
#include "sim/sim_bench.h"

namespace {

constexpr int kWarmUpCaptures = 50;

// The program folder as the build folder holds it: the chip definition beside it.
void CopyShippedData(const QString& toDir) {
  const QDir src(QStringLiteral(MX_DATA_DIR));
  QDirIterator it(src.path(), QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString from = it.next();
    const QString to = QDir(toDir).filePath(src.relativeFilePath(from));
    QDir().mkpath(QFileInfo(to).path());
    QFile::copy(from, to);
  }
}

// Chunks in the arenas and blocks mapped on their own (large vectors) alike.
double HeapInUseKb() {
  const struct mallinfo2 m = mallinfo2();
  return static_cast<double>(m.uordblks + m.hblkhd) / 1024.0;
}

double ResidentKb() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1024.0;
}

// Runs the event loop for `ms` milliseconds: timers, paints and deferred deletes.
void Idle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// One click on "Catch ADC" from inside the event loop, as the running program gets it.
void ClickFromLoop(QPushButton* button) {
  QEventLoop loop;
  QTimer::singleShot(0, &loop, [&] {
    button->click();
    loop.quit();
  });
  loop.exec();
}

void BM_CaptureSoak(benchmark::State& state) {
  const int samples = static_cast<int>(state.range(0));
  const int captures = static_cast<int>(state.range(1));
  const bool chart = state.range(2) == 1;

  QTemporaryDir dir;
  CopyShippedData(dir.path());
  // The surroundings of the program on the simulated bench as main() builds them: the
  // bench on the real clock, dialogs answered (none is expected).
  SystemClock clock;
  SimBench bench(clock);
  ScriptedDialogs dialogs;
  Platform platform{&bench.board, &clock, &dialogs, &bench.serial};

  Program program(dir.path(), platform);
  program.Start();
  program.MainPanel->resize(1280, 900);
  program.MainPanel->show();
  Idle(50);
  program.MainPanel->MenuItem("USBScan")->trigger();
  program.MainPanel->MenuItem("Menu_ReadAdc")->trigger();
  TAnxADC* w = program.AnxADC;
  w->NPointIndex->setCurrentIndex(w->NPointIndex->findText(QString::number(samples)));
  emit w->NPointIndex->activated(w->NPointIndex->currentIndex());
  w->updateChart->setChecked(chart);
  if (chart) w->ShowChart->click();
  Idle(50);
  if (!w->isVisible() || program.G.NPoints != samples) {
    state.SkipWithError("the ENOB window is not shown with the sample count");
    return;
  }

  double heapAtWarmUp = 0, rssAtWarmUp = 0;
  for (auto _ : state) {
    for (int c = 0; c < captures; ++c) {
      if (c == kWarmUpCaptures) {
        heapAtWarmUp = HeapInUseKb();
        rssAtWarmUp = ResidentKb();
      }
      ClickFromLoop(w->CatchADC);
      if (program.G.SampleCount < samples || program.MainPanel->StatusBar1->Text(2) != "Read Compelete") {
        state.SkipWithError("a capture did not complete");
        return;
      }
      if (!dialogs.messages.isEmpty()) {
        state.SkipWithError(("a capture showed a message: " + dialogs.messages.first().text.toStdString()).c_str());
        return;
      }
      Idle(20);
    }
  }
  const double measured = captures - kWarmUpCaptures;
  state.counters["kb_per_capture"] = (HeapInUseKb() - heapAtWarmUp) / measured;
  state.counters["rss_kb_per_capture"] = (ResidentKb() - rssAtWarmUp) / measured;
  state.counters["heap_kb"] = HeapInUseKb();
}

void Soaks(benchmark::internal::Benchmark* b) {
  b->ArgNames({"samples", "captures", "view"});
  for (int view : {0, 1}) b->Args({512, 300, view});
  if (qEnvironmentVariableIntValue("MX_BENCH_LONG") != 0)
    for (int view : {0, 1}) b->Args({8192, 100, view});
  b->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
}
BENCHMARK(BM_CaptureSoak)->Apply(Soaks);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
