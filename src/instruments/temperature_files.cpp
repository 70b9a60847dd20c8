#include "instruments/temperature_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "common/errors.h"
#include "common/figure_text.h"
#include "common/scope_exit.h"
#include "common/text_encoding.h"
#include "instruments/meter_reading.h"

namespace {

QString ErrnoText() { return QString::fromLocal8Bit(std::strerror(errno)); }

// Opens a result file for writing, never truncating it, and locks it: -1 (errno set)
// when it cannot be opened, is no regular file or another writer holds it. Opened
// without blocking, and only a regular file is taken: a FIFO in the file's place
// would hold the run until some reader came.
int OpenLocked(const QString& path, int flags) {
  const QByteArray name = QFile::encodeName(path);
  const int fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | flags, 0644);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int e = errno;
    ::close(fd);
    errno = e;
    return -1;
  }
  return fd;
}

// Writes `path` whole: to a temporary file beside it, renamed over the old file. The
// name is taken only as a stream would take it (no file there, or a regular file no
// other writer holds), and the old file stays locked until it is replaced. False with
// the reason when the name cannot be taken; a failed write throws.
bool WriteWhole(const QString& path, const QStringList& lines, QString& why) {
  const int held = OpenLocked(path, 0);
  if (held < 0 && errno != ENOENT) {
    why = ErrnoText();
    return false;
  }
  ScopeExit release([held] {
    if (held >= 0) ::close(held);
  });
  return TryWriteFileBytes(path, TextFileBytes(lines), why);
}

// The figures' titles in their order, then the outlier limit's; the files' columns are
// fixed at seven figures.
const QString kFigureTitles = QString::fromUtf8(
    "平均值, VPP(nV), RMS Noise(nV), Enob, VPP(count), RMS Noise(count), Noise Free, 比較值");
static_assert(FigureCount == 7, "the titles above name seven figures");

// The figures of a cell nothing was measured in: written as empty fields.
FigureValues NoFigures() {
  FigureValues none;
  none.fill(NoReading);
  return none;
}

}  // namespace

// ---- result matrices ----

double ResultMatrices::Figure(int figure, int step, int mode) const {
  if (figure < 0 || figure >= FigureCount || !InRange(step, mode) || mode >= HeldModes()) return NoReading;
  return values_[Slot(figure, step, mode)];
}

void ResultMatrices::SetFigures(int step, int mode, FigureSpan figures) {
  if (!InRange(step, mode)) return;
  if (mode >= HeldModes()) {
    values_.resize(static_cast<size_t>(mode + 1) * ModeBlock, NoReading);
    runs_.resize(static_cast<size_t>(mode + 1) * ResultStepSlots, 0);
  }
  for (int k = 0; k < FigureCount; ++k) values_[Slot(k, step, mode)] = figures[k];
  runs_[Cell(step, mode)] = run_;
}

FigureValues ResultMatrices::Figures(int step, int mode) const {
  FigureValues out{};
  for (int k = 0; k < FigureCount; ++k) out[k] = Figure(k, step, mode);
  return out;
}

FigureValues ResultMatrices::RunFigures(int step, int mode) const {
  if (InRange(step, mode) && mode < HeldModes() && runs_[Cell(step, mode)] == run_) return Figures(step, mode);
  return NoFigures();
}

// ---- streams ----

bool ResultStream::TryCreate(const QString& path) {
  // Truncated only once locked: a file another writer holds must stay as it is.
  const int fd = OpenLocked(path, O_CREAT);
  if (fd < 0) return false;
  if (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  path_ = path;
  return true;
}

QString ResultStream::Create(const QString& path, const QString& fallback) {
  Close();
  if (TryCreate(path)) return path_;
  const QString failed = fallback.isEmpty() ? path : fallback;
  if (!fallback.isEmpty() && TryCreate(fallback)) return path_;
  throw EInOutError("Cannot create file \"" + failed + "\". " + ErrnoText());
}

void ResultStream::WriteLine(const QString& line) { WriteLines({line}); }

void ResultStream::WriteLines(const QStringList& lines) {
  if (fd_ < 0) throw EInOutError("File not open");
  const QByteArray bytes = TextFileBytes(lines);
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw EInOutError("Cannot write file \"" + path_ + "\". " + ErrnoText());
    done += n;
  }
}

void ResultStream::Close() {
  if (fd_ < 0) return;
  ::close(fd_);  // releases the lock
  fd_ = -1;
}

QString WriteResultFile(const QString& path, const QString& fallback, const QStringList& lines) {
  QString why;
  if (WriteWhole(path, lines, why)) return path;
  if (fallback.isEmpty()) throw EInOutError("Cannot create file \"" + path + "\". " + why);
  if (WriteWhole(fallback, lines, why)) return fallback;
  throw EInOutError("Cannot create file \"" + fallback + "\". " + why);
}

// ---- texts ----

QString FormatMeterReading(double value) {
  if (std::isnan(value)) return {};  // a reading that did not come
  QString t = QString::number(value, 'f', 8);
  while (t.endsWith('0')) t.chop(1);
  if (t.endsWith('.')) t.chop(1);
  const bool negative = t.startsWith('-');
  QString digits = negative ? t.mid(1) : t;
  if (digits == "0" || digits.isEmpty()) return {};  // 0 (also a reading that rounds to 0)
  if (digits.startsWith("0.")) digits.remove(0, 1);
  return negative ? "-" + digits : digits;
}

QString FigureRow(int mode, FigureSpan figures, int limit) {
  QString row = QString::number(mode);
  for (double f : figures) row += ", " + FigureText(f);
  return row + "," + QString::number(limit);
}

QString FigureTitles() { return " ," + kFigureTitles; }

QStringList BTitleLines() { return {"Test #0, , , ", FigureTitles()}; }

QString MeterTitleLine() {
  QString line = ", , ";
  for (int i = 0; i < 6; ++i) line += ", Test #" + QString::number(i) + ", , ";
  return line;
}

QString StepPrefix(double temperature, double humidity) {
  return FigureText(temperature) + ", " + FigureText(humidity) + ", ";
}

namespace {

// A step's recorded value; none (an empty field) where nothing was recorded.
double StepValue(const double* values, int step) {
  return values && step >= 0 && step < ResultStepSlots ? values[step] : NoReading;
}

QString StepPrefixOf(const ResultFileInputs& in, int step) {
  return StepPrefix(StepValue(in.StepTemp, step), StepValue(in.StepHumb, step));
}

QString FigureRowOf(const ResultFileInputs& in, int step, int mode) {
  return FigureRow(mode, in.Figures ? in.Figures->Figures(step, mode) : NoFigures(), in.Limit);
}

}  // namespace

QString MeterRow(const ResultFileInputs& in, int step, int mode) {
  QString row = StepPrefixOf(in, step);
  for (const MeterMatrix* m : in.Meters) {
    const double reading = m ? m->Reading(step, mode) : 0;
    const QString unit = m ? m->UnitText(step, mode) : QString();
    row += ", " + QString::number(mode) + ", " + FormatMeterReading(reading) + ", " + unit;
  }
  return row;
}

QStringList SummaryLines(const ResultFileInputs& in) {
  QStringList lines{", , , Test #0, , , ", in.TempTitle + ", " + in.HumTitle + ", " + FigureTitles()};
  for (int s = 1; s <= in.TempCount; ++s) {
    const QString prefix = StepPrefix(StepValue(in.GridTemp, s), StepValue(in.GridHumb, s));
    for (int m = 1; m <= in.ModeCount; ++m)
      lines << prefix + FigureRow(m, in.Figures ? in.Figures->RunFigures(s, m) : NoFigures(), in.Limit);
  }
  return lines;
}

QStringList BSnapshotLines(const ResultFileInputs& in) {
  QStringList lines = BTitleLines();
  for (int s = 1; s <= in.TempCount; ++s)
    for (int m = 1; m <= in.ModeCount; ++m) lines << FigureRowOf(in, s, m);
  return lines;
}

QStringList MeterSnapshotLines(const ResultFileInputs& in) {
  QStringList lines{MeterTitleLine()};
  for (int s = 1; s <= in.TempCount; ++s)
    for (int m = 1; m <= in.ModeCount; ++m) lines << MeterRow(in, s, m);
  return lines;
}

QStringList RawCaptureLines(int count, const std::function<long long(int)>& value,
                            FigureSpan results, int limit) {
  QStringList lines;
  QString line;
  for (int i = 0; i < count; ++i) {
    line += QString::number(value(i)) + ", ";
    if (i % 16 == 15) {
      lines << line;
      line.clear();
    }
  }
  if (!line.isEmpty()) lines << line;
  lines << kFigureTitles;
  QString r;
  for (double f : results) r += FigureText(f) + ",";
  lines << r + QString::number(limit);
  return lines;
}
