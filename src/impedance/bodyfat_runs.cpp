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

constexpr int GeneratorControlRegister = 0x0D;
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

QString AddrEditName(int k) { return "edtAddr" + QString::number(k); }

// The eight read-out texts of row 0 (calibration) or 1 (sample): ADC1 .. ADC4, I, Q, Y, Theta.
std::array<QString, 8> Readouts(const BodyFatPanel& p, int row) {
  const QString r = QString::number(row);
  std::array<QString, 8> t;
  for (int a = 0; a < 4; ++a) t[a] = p.Text("edtADC" + QString::number(a + 1) + '_' + r);
  const char* names[] = {"edtIDATA", "edtQDATA", "edtYDATA", "edtTheta"};
  for (int k = 0; k < 4; ++k) t[4 + k] = p.Text(names[k] + r);
  return t;
}

void ShowReading(BodyFatPanel& p, int row, const IQResult& r, double theta) {
  const QString n = QString::number(row);
  p.SetText("edtIDATA" + n, FormatF(r.I));
  p.SetText("edtQDATA" + n, FormatF(r.Q));
  p.SetText("edtYDATA" + n, FormatF(r.Y));
  p.SetText("edtTheta" + n, FormatFixed(theta, 6));
}

// One sample's conversion, figures and read-outs on channel row `channel`. Nothing
// when the conversion failed.
std::optional<IQResult> MeasureSample(const BodyFatContext& c, int channel) {
  BodyFatState& s = c.S;
  const IQConversion conv = ConvertIQ(c.Up, IQReadForm::Split, IQRefresh::Full, true);
  if (!conv.Ok()) return std::nullopt;
  const BodyFatSample m = BodyFatSampleFrom(conv.Result, {s.Theta0, s.Gain});
  s.Theta = m.Theta;
  s.DutPhase = m.DutPhase;
  s.Impedance = m.Impedance;
  ShowReading(c.Panel, 1, conv.Result, m.Theta);
  const QString n = QString::number(channel);
  c.Panel.SetText("edtIMP_" + n, FormatFixed(m.Impedance, 3));
  c.Panel.SetText("edtDUT_" + n, FormatFixed(m.DutPhase, 3));
  return conv.Result;
}

// Row `number` of the log from the window's texts and the last sample.
QString SampleRow(const BodyFatContext& c, int number, const QString& time, const QString& calibrationColumns) {
  const BodyFatPanel& p = c.Panel;
  return BodyFatLogRow(number, time, p.Text("edtRref"), p.Text("edtFreq"), calibrationColumns,
                       ReadoutColumns(Readouts(p, 1)), p.Text("edtGain"), c.S.DutPhase, c.S.Impedance);
}

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
      c.Panel.SetText("Label13", QString::number(channel) + " file " + QString::number(run.Count) + " Data");
      c.Panel.ProcessMessages();
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

QString ValueEditName(int k, int j) { return "edtAddr" + QString::number(k) + '_' + QString::number(j); }

bool Calibrate(const BodyFatContext& c) {
  BodyFatState& s = c.S;
  const int32_t rref = IntegerOrRaise(c.Panel.Text("edtRref"));
  for (int k = 0; k < BodyFatColumns; ++k) {
    if (s.AutoMode && TableHex(c.Panel.Text(AddrEditName(k))) == CalibrationFlagRegister) continue;
    if (!SendColumn(c.Up, s.ColumnAddr[k], TableHex(c.Panel.Text(ValueEditName(k, 0))))) return false;
  }
  const IQConversion conv = ConvertIQ(c.Up, IQReadForm::Split, IQRefresh::Full, true);
  if (!conv.Ok()) return false;
  const BodyFatCalibration cal = BodyFatCalibrationFrom(conv.Result, rref);
  s.Theta0 = cal.Theta0;
  s.Gain = cal.Gain;
  s.Calibrated = true;
  ShowReading(c.Panel, 0, conv.Result, s.Theta0);
  c.Panel.SetText("edtGain", FormatF(s.Gain));
  return true;
}

BodyFatOutcome RunImpedanceTest(const BodyFatContext& c, const BodyFatLimits& limits) {
  BodyFatState& s = c.S;
  s.LogLines[0] = BodyFatLogHeader();
  const QString calibrationColumns = ReadoutColumns(Readouts(c.Panel, 0));
  for (int ch = 1; ch <= limits.Channels; ++ch) {
    const QString logName = BodyFatLogName(c.ProgramDir, ch, c.Clk.LocalNow());
    for (int k = 0; k < BodyFatColumns; ++k)
      if (!SendColumn(c.Up, s.ColumnAddr[k], TableHex(c.Panel.Text(ValueEditName(k, ch)))))
        return {BodyFatEnd::ConversionFailed, {}};
    const ChannelRun run = SampleChannel(c, limits, s.TestIdle, ch, logName, [&](int n, const QString& time) {
      if (!MeasureSample(c, ch)) return false;
      s.LogLines[n] = SampleRow(c, n, time, calibrationColumns);
      return true;
    });
    if (run.Count > 0) WriteRunCsv(s, run.Count, logName);
    if (run.Failed) return {BodyFatEnd::ConversionFailed, {}};
    if (s.TestIdle) return {BodyFatEnd::Stopped, {}};
  }
  return {};
}

BodyFatOutcome RunAutoTest(const BodyFatContext& c, const BodyFatLimits& limits) {
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
    for (int ch = 1; ch <= limits.Channels; ++ch) {
      const QString logName = BodyFatLogName(c.ProgramDir, ch, c.Clk.LocalNow());
      std::fill(std::begin(s.Sums), std::end(s.Sums), 0.0);
      const ChannelRun run = SampleChannel(c, limits, s.AutoIdle, ch, logName, [&](int n, const QString& time) {
        TMx_UP& up = c.Up;
        if (!StoreAndSend(up, CalibrationFlagRegister, up.GetReg(CalibrationFlagRegister, 0) | 0x80)) return false;
        if (!Calibrate(c)) return false;
        s.LogLines[1000 + n] = ReadoutColumns(Readouts(c.Panel, 0));
        // The calibration's sums come from its two-decimal read-outs.
        const double i0 = RealOrRaise(c.Panel.Text("edtIDATA0"));
        const double q0 = RealOrRaise(c.Panel.Text("edtQDATA0"));
        if (!StoreAndSend(up, CalibrationFlagRegister, up.GetReg(CalibrationFlagRegister, 0) & 0x7F)) return false;
        for (int k = 0; k < BodyFatColumns; ++k)
          if (TableHex(c.Panel.Text(AddrEditName(k))) != CalibrationFlagRegister &&
              !SendColumn(up, s.ColumnAddr[k], TableHex(c.Panel.Text(ValueEditName(k, ch)))))
            return false;
        const std::optional<IQResult> r = MeasureSample(c, ch);
        if (!r) return false;
        s.Sums[0] += i0;
        s.Sums[1] += q0;
        s.Sums[2] += r->I;
        s.Sums[3] += r->Q;
        s.LogLines[n] = SampleRow(c, n, time, s.LogLines[1000 + n]);
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
