#pragma once
// The entry of benchmarks that need widgets: an application on the offscreen
// platform around Google Benchmark.
#include <benchmark/benchmark.h>

#include <QApplication>

inline int RunWidgetBenchmarks(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
