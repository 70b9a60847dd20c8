#pragma once
// What the fuzz targets share: the application object, a Program on a temporary
// folder with the simulated board (kept for the whole run, as a user keeps the
// program open across files), and the input cut into files.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/program.h"
#include "common/errors.h"
#include "sim/sim_platform.h"

class SerialServices;

// The input as bytes.
QByteArray InputBytes(const uint8_t* data, size_t size);

// The parts of an input separated by lines "=====" (CR LF or LF), at most `count`;
// missing parts are absent (a file not there).
QList<QByteArray> InputParts(const QByteArray& input, int count);

// A temporary folder for the pure readers.
class FuzzFolder {
public:
  FuzzFolder();
  QString Path(const QString& name) const;
  // Writes the bytes to the file, creating its folder; an absent part removes it.
  void Put(const QString& name, const QByteArray* bytes) const;
  void Put(const QString& name, const QByteArray& bytes) const { Put(name, &bytes); }
  QByteArray Get(const QString& name) const;

private:
  QTemporaryDir dir_;
};

// A started Program on a folder holding the shipped data files, connected to the
// simulated board by "USB Scan".
class FuzzProgram {
public:
  // serial: the serial ports the program gets (the simulated ones when null).
  explicit FuzzProgram(SerialServices* serial = nullptr);
  ~FuzzProgram();
  // The one program of the fuzzing run, created at the first call (with `serial`).
  // A target calls it from LLVMFuzzerInitialize, so that the start-up is not timed
  // as part of the first input.
  static FuzzProgram& Shared(SerialServices* serial = nullptr);

  Program& P() { return *prog_; }
  SimPlatform& Sim() { return sim_; }
  const FuzzFolder& Folder() const { return folder_; }
  // After each input: the packet log and the dialogs' records emptied, so a long run
  // keeps its memory.
  void Tidy();

private:
  FuzzFolder folder_;
  SimPlatform sim_;
  std::unique_ptr<Program> prog_;
};

// The QApplication on the offscreen platform; created on first use.
void EnsureApplication();

// A round trip: `again`, written after reading back `written`, must be the same file;
// otherwise both are printed and the run ends as a finding.
void ExpectReadsBack(const char* name, const QByteArray& written, const QByteArray& again);

// Runs `fn`; an error of the program's own ends it, as the application's handler
// would show it and go on.
template <typename Fn>
void Quietly(Fn fn) {
  try {
    fn();
  } catch (const MxError&) {
  }
}
