#include "impedance/iq_calibration.h"

#include <algorithm>

#include "common/errors.h"
#include "common/sample_decoding.h"
#include "common/scope_exit.h"
#include "link/mx_up.h"
#include "link/register_files.h"
#include "platform/clock.h"

namespace {

constexpr int CalibrationAttempts = 5;
constexpr int DcDroppedSamples = 13;
constexpr int DabitRegisters[4] = {23, 24, 26, 27};

}  // namespace

bool ApplyRegList(TMx_UP& up, int list) {
  Globals& g = up.G();
  if (list < 0 || list >= IQRegListCount) return true;
  const int count = std::clamp(g.IQRegCounts[list], 0, IQRegListSize);
  for (int e = 0; e < count; ++e) {
    const TRegField& f = g.IQRegLists[list][e];
    if (f.Address >= XferBufSize) continue;
    const unsigned mask = f.Width >= 8 ? 0xFFu : (1u << f.Width) - 1;
    const unsigned field = f.Shift < 8 ? (mask << f.Shift) & 0xFF : 0;
    const unsigned value = f.Shift < 8 ? (unsigned{f.Value} << f.Shift) & 0xFF : 0;
    const uint8_t r = static_cast<uint8_t>((up.GetReg(f.Address, 0) & ~field) | value);
    if (!PutRegister(up, f.Address, r)) return false;
  }
  return true;
}

IQResult CalibrationReading(TMx_UP& up) {
  IQConversion c;
  for (int attempt = 0; attempt < CalibrationAttempts; ++attempt) {
    c = ConvertIQ(up, IQReadForm::Split, IQRefresh::Full, false);
    if ((c.Ok() && c.Result.I != 0) || c.Status == IQStatus::TimedOut) break;
  }
  // A last attempt that did not finish leaves no reading to calibrate with.
  if (!c.Ok()) throw MxError(kIqConversionFailed);
  IQResult r = c.Result;
  PolarForm(r);
  return r;
}

ACCalibrationReadings RunACCalibration(TMx_UP& up, IQTestState& s,
                                       const std::function<void(int, const IQResult&)>& shown) {
  ACCalibrationReadings out;
  ApplyRegList(up, IQ_AC0);
  out.Ac0 = CalibrationReading(up);
  if (shown) shown(0, out.Ac0);
  ApplyRegList(up, IQ_AC1);
  out.Ac1 = CalibrationReading(up);
  if (shown) shown(1, out.Ac1);
  // Stored only as a pair: a second reading that failed leaves both as they were.
  s.Y0 = out.Ac0.Y;
  s.Theta0 = out.Ac0.Theta;
  s.Y1 = out.Ac1.Y;
  s.Theta1 = out.Ac1.Theta;
  return out;
}

void FinishACCalibration(IQTestState& s, int32_t rref) {
  ACCalibrationFigures(rref, s.Y0, s.Y1, s.Z);
  s.ACCalibrated = true;
}

uint32_t DabitCode(const QString& text) {
  bool ok = text.size() >= 1 && text.size() <= 8;
  for (QChar c : text) {
    const char16_t u = c.unicode();
    ok = ok && ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f'));
  }
  if (!ok) throw EConvertError("'0x" + text + "' is not a valid integer value");
  return text.toUInt(nullptr, 16);
}

void WriteDabitCodes(TMx_UP& up, uint32_t dabit, uint32_t dabit2) {
  PutRegister(up, 23, (dabit >> 8) & 0xFF);
  PutRegister(up, 24, dabit & 0xFF);
  PutRegister(up, 26, (dabit2 >> 8) & 0xFF);
  PutRegister(up, 27, dabit2 & 0xFF);
}

std::array<int, 4> SaveDabitRegs(const TMx_UP& up) {
  std::array<int, 4> saved{};
  for (int k = 0; k < 4; ++k) saved[k] = up.GetReg(DabitRegisters[k], 0);
  return saved;
}

bool RestoreDabitRegs(TMx_UP& up, const std::array<int, 4>& saved) {
  for (int k = 0; k < 4; ++k)
    if (!PutRegister(up, DabitRegisters[k], static_cast<uint8_t>(saved[k]))) return false;
  return true;
}

int32_t DcSample(const uint8_t* reply, int k) { return DecodeSample(RawSample(reply, k, 3), true, false, 1).s; }

std::optional<int64_t> StreamSampleSum(TMx_UP& up, int n, const std::function<void()>& processMessages) {
  Globals& g = up.G();
  Clock& clock = up.ClockSource();
  int seen = 0, taken = 0;
  int64_t sum = 0;
  int64_t t0 = clock.SteadyUs();
  while (taken < n) {
    const int k = up.ReadStream(0);
    if (k > 0) {
      t0 = clock.SteadyUs();
      for (int j = 0; j < k; ++j, ++seen) {
        if (seen < DcDroppedSamples) continue;
        // Samples after the n-th of the packet are counted, not summed.
        if (taken < n) sum += DcSample(g.PacketBuf, j);
        ++taken;
      }
    }
    // A failed poll closed the link: nothing more will come.
    if (!g.Channels[0].Devc.Opened) break;
    if (clock.SteadyUs() - t0 > StreamSilenceUs) break;
    if (processMessages) processMessages();
  }
  if (taken < n) return std::nullopt;
  return sum;
}

DCCalibrationResult RunDCCalibration(TMx_UP& up, IQTestState& s, int n, uint32_t dabit, uint32_t dabit2,
                                     int32_t rref, const std::function<void()>& processMessages) {
  if (n < 1) throw EMathError(kFloatDivByZero);
  const std::array<int, 4> saved = SaveDabitRegs(up);
  std::copy(saved.begin(), saved.end(), s.SavedDabitRegs);
  // The DACs get their codes back and the stream stops on every way out, errors included.
  ScopeExit restore([&] {
    up.StopStream();
    RestoreDabitRegs(up, saved);
  });

  WriteDabitCodes(up, dabit, dabit2);
  DCCalibrationResult r;
  // An average cut short is no average: the calibration fails, nothing is stored.
  auto average = [&](int list) {
    ApplyRegList(up, list);
    up.StartStream(3);
    const std::optional<int64_t> sum = StreamSampleSum(up, n, processMessages);
    if (!sum) throw MxError(kAdcStreamLost);
    return *sum;
  };
  r.Sum0 = average(IQ_DC);
  r.Sum1 = average(IQ_DC1);
  r.Avg0 = static_cast<int32_t>(r.Sum0 / n);
  r.Avg1 = static_cast<int32_t>(r.Sum1 / n);
  r.Figures = DCCalibrationFrom(rref, r.Avg0, r.Avg1);
  // Codes that could not be put back leave the calibration unfinished.
  restore.Dismiss();
  up.StopStream();
  if (!RestoreDabitRegs(up, saved)) throw MxError(kDabitNotRestored);
  s.Resd_dc = r.Figures.Resd_dc;
  s.DCCalibrated = true;
  return r;
}
