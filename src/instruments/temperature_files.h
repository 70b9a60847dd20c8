#pragma once
// The temperature test's results and result files without any widget: the result
// matrices per step and mode, the streams held open during a run, and the text of the
// summary "MxTEMPA.CSV", the B stream and snapshot ("MxTEMPB.CSV", else
// "MxTEMPFOVER.CSV"), the meter stream and snapshot ("MxTEMPBryMen.CSV", else
// "MxTEMPBryMenOVER.CSV") and the raw capture files "TEMP/MxTMP-" + n + ".CSV".
//
// The two streams are created with write sharing denied: the file is locked with an
// exclusive advisory lock (flock) for as long as it is open, so a second create of the
// same name, by this program or by another one that locks, fails while it is open and
// the writer takes its fallback name. The file is only truncated once the lock is held.
// The files written in one go (summary, snapshots, raw captures) are written whole or
// not at all: to a temporary file beside the old one, renamed over it once complete.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "common/channel_figures.h"
#include "common/figure_text.h"

class MeterMatrix;

constexpr int MaxTempSteps = 30;       // steps 1..30 of a run
constexpr int ResultStepSlots = 31;    // step indexes 0..30
constexpr int ResultModeSlots = 20002; // mode indexes 0..20001

constexpr const char* SummaryFileName = "MxTEMPA.CSV";
constexpr const char* BFileName = "MxTEMPB.CSV";
constexpr const char* BFallbackName = "MxTEMPFOVER.CSV";
constexpr const char* MeterFileName = "MxTEMPBryMen.CSV";
constexpr const char* MeterFallbackName = "MxTEMPBryMenOVER.CSV";
constexpr const char* RawCaptureFolder = "TEMP/";

// The seven figures of every step and mode, kept across runs. Room is taken as the
// modes are written, up to the highest mode a run writes; a cell never written holds no
// figure (NaN, written as an empty field), and an index outside the matrices is refused
// on write and reads as none. The matrices also know which cells the current run wrote.
class ResultMatrices {
public:
  // Modes 0 .. HeldModes() - 1 have room taken.
  int HeldModes() const { return static_cast<int>(values_.size() / ModeBlock); }
  // One figure by its position in Figure order; a position outside them reads as none.
  double Figure(int figure, int step, int mode) const;
  double Figure(::Figure figure, int step, int mode) const {
    return Figure(static_cast<int>(figure), step, mode);
  }
  // The seven figures of a step and mode, written in the current run.
  void SetFigures(int step, int mode, FigureSpan figures);
  FigureValues Figures(int step, int mode) const;
  // A new run: the figures stay, but no cell counts as written in it yet.
  void BeginRun() { ++run_; }
  // The figures of a step and mode when the current run wrote them, else none.
  FigureValues RunFigures(int step, int mode) const;
  static bool InRange(int step, int mode) {
    return step >= 0 && step < ResultStepSlots && mode >= 0 && mode < ResultModeSlots;
  }

private:
  static constexpr size_t ModeBlock = static_cast<size_t>(FigureCount) * ResultStepSlots;
  static size_t Slot(int figure, int step, int mode) {
    return static_cast<size_t>(mode) * ModeBlock + static_cast<size_t>(step) * FigureCount + figure;
  }
  static size_t Cell(int step, int mode) {
    return static_cast<size_t>(mode) * ResultStepSlots + static_cast<size_t>(step);
  }
  std::vector<double> values_;  // mode after mode, step after step, the figures in order
  std::vector<uint32_t> runs_;  // per step and mode, the run that last wrote it (0: none)
  uint32_t run_ = 1;
};

// A text file created with write sharing denied and written line by line (Big5, CR LF).
class ResultStream {
public:
  ResultStream() = default;
  ~ResultStream() { Close(); }
  ResultStream(const ResultStream&) = delete;
  ResultStream& operator=(const ResultStream&) = delete;

  // Creates `path` (replacing an old file) or, when it cannot be created (held open
  // elsewhere, read-only), `fallback`; throws EInOutError when neither can be. The path
  // created.
  QString Create(const QString& path, const QString& fallback = {});
  bool IsOpen() const { return fd_ >= 0; }
  QString Path() const { return path_; }
  // Writes lines at once; throws EInOutError on a write error or when the stream is closed.
  void WriteLine(const QString& line);
  void WriteLines(const QStringList& lines);
  // Closes the stream; closing one that is not open does nothing.
  void Close();

private:
  bool TryCreate(const QString& path);
  int fd_ = -1;
  QString path_;
};

// Writes a whole file of lines (Big5, CR LF) in place of `path` or, when that name
// cannot be taken (held open by a stream or another writer, no regular file, its
// temporary file not creatable), of `fallback`; the name written. Throws EInOutError
// when neither can be taken or the write fails; the old file then stays as it was.
QString WriteResultFile(const QString& path, const QString& fallback, const QStringList& lines);

// What the summary, the snapshots and the meter rows are written from.
struct ResultFileInputs {
  int TempCount = 0;
  int ModeCount = 0;
  int Limit = 0;  // the analysis window's outlier threshold
  const ResultMatrices* Figures = nullptr;
  const double* StepTemp = nullptr;  // ResultStepSlots entries
  const double* StepHumb = nullptr;
  const MeterMatrix* Meters[6] = {};
  // The step grid's temperature and humidity per step (NaN for a cell that is no
  // number): the summary's, whether or not the run reached the step.
  const double* GridTemp = nullptr;  // ResultStepSlots entries
  const double* GridHumb = nullptr;
  QString TempTitle;  // the step grid's titles of the temperature and humidity columns
  QString HumTitle;
};

// A meter reading with the pattern "#####.########": at most eight decimals, no trailing
// zeros, no point when nothing follows it, no digit before the point for an integer
// part of 0 (".5"), an empty text for 0.
QString FormatMeterReading(double value);

// m, then the seven figures (FigureText) separated by ", ", then "," and the limit.
QString FigureRow(int mode, FigureSpan figures, int limit);
// The figures' title line of the summary, the B stream and the B snapshot.
QString FigureTitles();
// "Test #0, , , " and the figure titles: the B stream's and the B snapshot's titles.
QStringList BTitleLines();
// ", , " and one group ", Test #i, , " per meter channel.
QString MeterTitleLine();
// T, H, then per channel ", m, reading, unit" for all six channels.
QString MeterRow(const ResultFileInputs& in, int step, int mode);
// The step's temperature and humidity as the meter rows begin: "T, H, " (an empty
// field for one that is NaN).
QString StepPrefix(double temperature, double humidity);

// The summary of the current run: a row for every step and mode of the counts, with
// the step grid's temperature and humidity, and empty figures where the run wrote none.
QStringList SummaryLines(const ResultFileInputs& in);
// The snapshots: every step and mode of the counts as the matrices hold them, whichever
// run wrote them.
QStringList BSnapshotLines(const ResultFileInputs& in);
QStringList MeterSnapshotLines(const ResultFileInputs& in);

// The raw capture file: `count` values, 16 a line, each followed by ", "; the title
// line; the seven channel results and the limit separated by ",".
QStringList RawCaptureLines(int count, const std::function<long long(int)>& value,
                            FigureSpan results, int limit);
