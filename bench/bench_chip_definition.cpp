// Parsing the shipped chip definition: the parser alone, and on a running program
// whose windows apply the effects.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>

#include "app/program.h"
#include "link/chip_definition.h"
#include "qt_bench_main.h"
#include "shell/setup_dialog.h"
#include "sim/sim_platform.h"

namespace {

// The shipped data folder beside this source.
QString ShippedData() {
  return QString::fromStdString((std::filesystem::path(__FILE__).parent_path().parent_path() / "data").string());
}

void CopyTree(const QString& from, const QString& to) {
  QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString f = it.next();
    const QString target = QDir(to).filePath(QDir(from).relativeFilePath(f));
    QDir().mkpath(QFileInfo(target).path());
    QFile::copy(f, target);
  }
}

void BM_ParseShippedDefinition(benchmark::State& state) {
  auto g = std::make_unique<Globals>();
  g->IncludeDir = ShippedData();
  g->RegBitList = std::make_unique<TCRREGBitPtr>();
  g->RegByteList = std::make_unique<TCRREGBytePtr>();
  g->RegWordList = std::make_unique<TCRREGWordPtr>();
  ChipDefinition parser(*g, ShippedData());
  for (auto _ : state) {
    bool ok = parser.GetSELUP();
    benchmark::DoNotOptimize(ok);
    if (!ok) state.SkipWithError("shipped definition not found");
  }
}
BENCHMARK(BM_ParseShippedDefinition)->Unit(benchmark::kMicrosecond);

void BM_ParseShippedDefinitionOnProgram(benchmark::State& state) {
  QTemporaryDir dir;
  CopyTree(ShippedData(), dir.path());
  SimPlatform sim;
  Program program(dir.path(), sim.platform);
  for (auto _ : state) {
    bool ok = program.Option->GetSELUP();
    benchmark::DoNotOptimize(ok);
    if (!ok) state.SkipWithError("shipped definition not found");
  }
}
BENCHMARK(BM_ParseShippedDefinitionOnProgram)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return RunWidgetBenchmarks(argc, argv); }
