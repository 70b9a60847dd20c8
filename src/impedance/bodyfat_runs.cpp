#include "impedance/bodyfat_runs.h"

#include <QFile>
#include <algorithm>

#include "common/figure_text.h"
#include "common/line_tokens.h"
#include "common/number_text.h"
#include "common/text_encoding.h"
#include "impedance/bodyfat_files.h"
#include "impedance/impedance_math.h"
#include "impedance/iq_calibration.h"
#include "impedance/iq_conversion.h"
#include "impedance/run_logs.h"
#include "link/mx_up.h"
#include "link/register_files.h"
#include "platform/clock.h"

namespace {

constexpr int CalibrationFlagRegister = 0x0E;  // bit 7 set around each automatic-test calibration

// One register from the transfer buffer, the shadow taking the value once its packet
// went out, so that a failed link leaves the shadow with what the chip got; addresses
// the buffer does not hold are left out. False when the exchange failed.
bool StoreAndSend(TMx_UP& up, int address, int value) {
  if (address < 0 || address >= XferBufSize) return true;
  return PutRegister(up, address, static_cast<uint8_t>(value));
}

// A table column's byte at its address (two hexadecimal digits) as the chip reads it:
// a RAM byte reaches the bank 7Fh selects, no bank switch. The shadow takes it once
// its packet went out. False when the exchange failed.
bool SendColumn(TMx_UP& up, int address, int value) {
  if (address < 0 || address > 0xFF) return true;
  return up.PutChipByte(static_cast<uint8_t>(address), static_cast<uint8_t>(value), 0, false) ==
         BoardCommands::CellWrite::Done;
}

// The eight read-out texts of a row (ADC1 .. ADC4, I, Q, Y, Theta): the host's ADC
// boxes and the figures the run showed.
std::array<QString, 8> Readouts(const std::array<QString, 4>& adc, const QString& i, const QString& q,
                                const QString& y, const QString& theta) {
  return {adc[0], adc[1], adc[2], adc[3], i, q, y, theta};
}

struct Sample {
  IQResult Reading;
  BodyFatSampleTexts Shown;
};

// One sample's conversion, figures and read-outs on channel row `channel`. Nothing
// when the conversion failed.
std::optional<Sample> MeasureSample(const BodyFatContext& c, int channel) {
  BodyFatState& s = c.S;
  const IQConversion conv = ConvertIQ(c.Up, IQReadForm::Split, IQRefresh::Full, true);
  if (!conv.Ok()) return std::nullopt;
  const IQResult& r = conv.Result;
  const BodyFatSample m = BodyFatSampleFrom(r, {s.Theta0, s.Gain});
  s.Theta = m.Theta;
  s.DutPhase = m.DutPhase;
  s.Impedance = m.Impedance;
  const BodyFatSampleTexts shown{FormatF(r.I),           FormatF(r.Q),
                                 FormatF(r.Y),           FormatFixed(m.Theta, 6),
                                 FormatFixed(m.Impedance, 3), FormatFixed(m.DutPhase, 3)};
  c.Host.ShowSample(channel, shown);
  return Sample{r, shown};
}

// Row `number` of the log: the reference and frequency as they stand, the sample's
// read-outs, the gain text and the last sample's figures.
QString SampleRow(const BodyFatContext& c, int number, const QString& time, const QString& calibrationColumns,
                  const BodyFatSampleTexts& shown, const QString& gainText) {
  const BodyFatRunHost& h = c.Host;
  return BodyFatLogRow(number, time, h.RrefText(), h.FrequencyText(), calibrationColumns,
                       ReadoutColumns(Readouts(h.AdcTexts(1), shown.I, shown.Q, shown.Y, shown.Theta)), gainText,
                       c.S.DutPhase, c.S.Impedance);
}

// Channel rows of the table a run can measure.
int ChannelCount(const BodyFatLimits& limits) { return std::clamp(limits.Channels, 0, BodyFatMaxChannels); }

struct ChannelRun {
  int Count = 0;
  bool Failed = false;  // a conversion or a register write failed
};

// The samples of one channel: `sample(n, time)` takes sample n with its row time and
// stores its row (false: its conversion or a write failed); then the progress text, the
// messages, the pacing and the stop test. An error raised meanwhile writes the rows
// taken so far to `logName` before it goes on.
template <class Sample>
ChannelRun SampleChannel(const BodyFatContext& c, const BodyFatLimits& limits, const bool& stopRequested,
                         int channel, const QString& logName, Sample sample) {
  ChannelRun run;
  const int64_t t0 = c.Clk.SteadyUs();
  try {
    for (;;) {
      const QString time = Utc8TimeText(c.Clk.UtcNow());
      if (!sample(run.Count + 1, time)) {
        run.Failed = true;
        break;
      }
      ++run.Count;
      c.Host.ShowProgress(QString::number(channel) + " file " + QString::number(run.Count) + " Data");
      c.Host.ProcessMessages();
      const int64_t elapsedUs = PaceSample(c.Clk, t0, run.Count, c.S.ScanInterval);
      if (limits.ByTime ? elapsedUs >= int64_t{limits.Seconds} * 1'000'000 : run.Count >= limits.Amount) break;
      if (stopRequested || run.Count >= BodyFatMaxRows) break;
    }
  } catch (...) {
    if (run.Count > 0) {
      try {
        WriteRunCsv(c.S, run.Count, logName);
      } catch (...) {
        // The error that ended the channel is the one to report.
      }
    }
    throw;
  }
  return run;
}

}  // namespace

int TableHex(const QString& text) { return static_cast<int>(DabitCode(text)); }

std::optional<BodyFatCalibrationTexts> Calibrate(const BodyFatContext& c, const BodyFatTable& table) {
  BodyFatState& s = c.S;
  const int32_t rref = IntegerOrRaise(c.Host.RrefText());
  for (int k = 0; k < BodyFatColumns; ++k) {
    if (s.AutoMode && TableHex(table.Addr[k]) == CalibrationFlagRegister) continue;
    if (!SendColumn(c.Up, s.ColumnAddr[k], TableHex(table.Values[0][k]))) return std::nullopt;
  }
  const IQConversion conv = ConvertIQ(c.Up, IQReadForm::Split, IQRefresh::Full, true);
  if (!conv.Ok()) return std::nullopt;
  const IQResult& r = conv.Result;
  const BodyFatCalibration cal = BodyFatCalibrationFrom(r, rref);
  s.Theta0 = cal.Theta0;
  s.Gain = cal.Gain;
  s.Calibrated = true;
  const BodyFatCalibrationTexts shown{FormatF(r.I), FormatF(r.Q), FormatF(r.Y), FormatFixed(s.Theta0, 6),
                                      FormatF(s.Gain)};
  c.Host.ShowCalibration(shown);
  return shown;
}

BodyFatOutcome RunImpedanceTest(const BodyFatContext& c, const BodyFatRunInputs& in) {
  BodyFatState& s = c.S;
  s.LogLines[0] = BodyFatLogHeader();
  const QString calibrationColumns = ReadoutColumns(in.Calibration);
  for (int ch = 1; ch <= ChannelCount(in.Limits); ++ch) {
    const QString logName = BodyFatLogName(c.ProgramDir, ch, c.Clk.LocalNow());
    for (int k = 0; k < BodyFatColumns; ++k)
      if (!SendColumn(c.Up, s.ColumnAddr[k], TableHex(in.Table.Values[ch][k])))
        return {BodyFatEnd::ConversionFailed, {}};
    const ChannelRun run = SampleChannel(c, in.Limits, s.TestIdle, ch, logName, [&](int n, const QString& time) {
      const std::optional<Sample> m = MeasureSample(c, ch);
      if (!m) return false;
      s.LogLines[n] = SampleRow(c, n, time, calibrationColumns, m->Shown, in.GainText);
      return true;
    });
    if (run.Count > 0) WriteRunCsv(s, run.Count, logName);
    if (run.Failed) return {BodyFatEnd::ConversionFailed, {}};
    if (s.TestIdle) return {BodyFatEnd::Stopped, {}};
  }
  return {};
}

BodyFatOutcome RunAutoTest(const BodyFatContext& c, const BodyFatRunInputs& in) {
  BodyFatState& s = c.S;
  if (s.PairCount <= 0) return {BodyFatEnd::NoPairs, {}};
  s.AverageCount = 0;
  BodyFatOutcome out;
  const int pairs = std::min(s.PairCount, BodyFatState::MaxFilePairs);
  for (int p = 0; p < pairs && out.End == BodyFatEnd::Finished; ++p) {
    const QString ram = InProgramFolder(c.ProgramDir, s.RamFiles[p]);
    if (!QFile::exists(ram)) {
      out = {BodyFatEnd::FileMissing, s.RamFiles[p]};
      break;
    }
    // A write that fails ends the test as a failed conversion does.
    if (!LoadRamFileImage(c.Up, ReadRamFileImage(ReadTextLines(ram)))) {
      out.End = BodyFatEnd::ConversionFailed;
      break;
    }
    const QString reg = InProgramFolder(c.ProgramDir, s.RegFiles[p]);
    if (!QFile::exists(reg)) {
      out = {BodyFatEnd::FileMissing, s.RegFiles[p]};
      break;
    }
    if (!LoadRegFileValues(c.Up, ReadRegFileValues(ReadTextLines(reg)))) {
      out.End = BodyFatEnd::ConversionFailed;
      break;
    }

    s.LogLines[0] = BodyFatLogHeader();
    for (int ch = 1; ch <= ChannelCount(in.Limits); ++ch) {
      const QString logName = BodyFatLogName(c.ProgramDir, ch, c.Clk.LocalNow());
      std::fill(std::begin(s.Sums), std::end(s.Sums), 0.0);
      const ChannelRun run = SampleChannel(c, in.Limits, s.AutoIdle, ch, logName, [&](int n, const QString& time) {
        TMx_UP& up = c.Up;
        if (!StoreAndSend(up, CalibrationFlagRegister, up.GetReg(CalibrationFlagRegister, 0) | 0x80)) return false;
        const std::optional<BodyFatCalibrationTexts> cal = Calibrate(c, in.Table);
        if (!cal) return false;
        s.LogLines[1000 + n] = ReadoutColumns(Readouts(c.Host.AdcTexts(0), cal->I, cal->Q, cal->Y, cal->Theta));
        // The calibration's sums come from its two-decimal read-outs.
        const double i0 = RealOrRaise(cal->I);
        const double q0 = RealOrRaise(cal->Q);
        if (!StoreAndSend(up, CalibrationFlagRegister, up.GetReg(CalibrationFlagRegister, 0) & 0x7F)) return false;
        for (int k = 0; k < BodyFatColumns; ++k)
          if (TableHex(in.Table.Addr[k]) != CalibrationFlagRegister &&
              !SendColumn(up, s.ColumnAddr[k], TableHex(in.Table.Values[ch][k])))
            return false;
        const std::optional<Sample> m = MeasureSample(c, ch);
        if (!m) return false;
        s.Sums[0] += i0;
        s.Sums[1] += q0;
        s.Sums[2] += m->Reading.I;
        s.Sums[3] += m->Reading.Q;
        s.LogLines[n] = SampleRow(c, n, time, s.LogLines[1000 + n], m->Shown, cal->Gain);
        return true;
      });
      if (run.Count > 0) {
        const BodyFatAverages avg = ChannelAverages(s.Sums, run.Count);
        StoreChannelAverages(s, avg);
        WriteRunCsv(s, run.Count, logName, AveragesLine(avg));
      }
      if (run.Failed) {
        out.End = BodyFatEnd::ConversionFailed;
        break;
      }
      if (s.AutoIdle) {
        out.End = BodyFatEnd::Stopped;
        break;
      }
    }
  }
  // What was measured before a failed conversion or write, or before a pair's file went
  // missing, is kept like a stopped test's.
  const bool endedEarly = out.End == BodyFatEnd::ConversionFailed || out.End == BodyFatEnd::FileMissing;
  if (!endedEarly || s.AverageCount > 0) WriteAverageFile(s, c.ProgramDir, c.Clk);
  return out;
}

void SearchFilePairs(BodyFatState& s, const QString& programDir, const QString& prefix) {
  s.PairCount = 0;
  for (int i = 1; i <= BodyFatState::MaxFilePairs; ++i) {
    const QString ram = prefix + QString::number(i) + ".ram";
    const QString reg = prefix + QString::number(i) + ".reg";
    if (!QFile::exists(InProgramFolder(programDir, ram)) || !QFile::exists(InProgramFolder(programDir, reg))) continue;
    s.RamFiles[s.PairCount] = ram;
    s.RegFiles[s.PairCount] = reg;
    ++s.PairCount;
  }
}

RamFileImage ReadRamFileImage(const QStringList& lines) {
  const auto bytes = RamArrayFileBytes(lines);
  RamFileImage image;
  std::copy(bytes.begin(), bytes.begin() + 128, image.Bank0.begin());
  std::copy(bytes.begin() + 128, bytes.end(), image.Bank1.begin());
  return image;
}

bool LoadRamFileImage(TMx_UP& up, const RamFileImage& image) {
  if (!StoreAndSend(up, GeneratorControlRegister, 0x00)) return false;
  const uint8_t page = up.GetReg(BankRegister, 0);
  if (!StoreAndSend(up, BankRegister, page & 0xFE)) return false;
  for (int i = 0; i < 128; ++i)
    if (!StoreAndSend(up, 0x80 + i, image.Bank0[i])) return false;
  if (!StoreAndSend(up, BankRegister, page | 0x01)) return false;
  for (int i = 0; i < 128; ++i)
    if (!StoreAndSend(up, 0x180 + i, image.Bank1[i])) return false;
  return StoreAndSend(up, BankRegister, page & 0xFE);
}

std::array<std::optional<uint8_t>, 35> ReadRegFileValues(const QStringList& lines) {
  std::array<std::optional<uint8_t>, 35> values;
  for (int i = 0; i < static_cast<int>(values.size()) && i < lines.size(); ++i) {
    LineRec rec;
    SetLineText(rec, UpperAscii(lines[i]));
    int32_t v = 0;
    if (ParseNumber(LineWord(rec, 2), v)) values[i] = static_cast<uint8_t>(v);
  }
  return values;
}

bool LoadRegFileValues(TMx_UP& up, const std::array<std::optional<uint8_t>, 35>& values) {
  for (size_t i = 0; i < values.size(); ++i)
    if (values[i] && !StoreAndSend(up, AutoTestRegisters[i], *values[i])) return false;
  return true;
}

int64_t PaceSample(Clock& clock, int64_t t0, int count, int intervalMs) {
  const int64_t due = t0 + int64_t{count} * intervalMs * 1000;
  int64_t now = clock.SteadyUs();
  while (now < due) {
    clock.SleepUs(due - now);
    now = clock.SteadyUs();
  }
  return now - t0;
}
