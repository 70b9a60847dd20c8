#include "block_panels/oscillator_trim.h"

#include <algorithm>

#include "block_panels/wave_math.h"
#include "common/globals.h"
#include "link/clock_trim.h"
#include "link/mx_up.h"

uint8_t FoldTrimEstimate(uint8_t est) {
  if (est >= 0x81 && est <= 0xC0) return 0xC1;
  if (est >= 0x41 && est <= 0x7F) return 0x40;
  return est;
}

uint8_t TrimCode(uint8_t est, uint8_t step) { return static_cast<uint8_t>((0x40 - est + step) & 0xFF); }

bool TrimLeavesRange(uint8_t est, uint8_t step) {
  const uint8_t d = static_cast<uint8_t>((est - step) & 0xFF);
  return d >= 0x41 && d <= 0xC0;
}

uint8_t SelectCounterSource(TMx_UP& up) {
  const uint8_t r2 = up.GetReg(WaveReg::CounterSource, 0);
  up.WriteReg(WaveReg::CounterSource, static_cast<uint8_t>((r2 & 0xCF) | 0x20), 0);
  return r2 & 0x30;
}

bool RestoreCounterSource(TMx_UP& up, uint8_t saved) {
  const uint8_t r2 = up.GetReg(WaveReg::CounterSource, 0);
  return up.WriteReg(WaveReg::CounterSource, static_cast<uint8_t>((r2 & 0xCF) | (saved & 0x30)), 0);
}

namespace {
bool SetTrimEndBit(TMx_UP& up) {
  return up.WriteReg(WaveReg::Clock, static_cast<uint8_t>(up.GetReg(WaveReg::Clock, 0) | 0x01), 0);
}
}  // namespace

TrimEnd RunOscillatorTrim(TMx_UP& up, ClockTrim& trim, int clockSelection, int targetHz, uint8_t& savedCntSel) {
  Globals& g = up.G();
  const int c = std::clamp(clockSelection, 0, 2);
  const int low = EditInteger(g.ClockTexts[2 * c]);
  const int high = EditInteger(g.ClockTexts[2 * c + 1]);
  if (targetHz > high || targetHz < low) return TrimEnd::TargetOutOfRange;

  Devc& dev = g.Channels[0].Devc;
  savedCntSel = SelectCounterSource(up);
  const uint8_t r62 = up.GetReg(WaveReg::Clock, 0);
  up.WriteReg(WaveReg::Clock, static_cast<uint8_t>((r62 & 0x9E) | 0x80 | (c << 5)), 0);
  up.WriteReg(WaveReg::Trim, 0x40, 0);
  const uint8_t est = FoldTrimEstimate(static_cast<uint8_t>(trim.EstimateTrimStep(dev, c, targetHz)));
  // Without a count there is nothing to trim by: the counter source goes back.
  auto linkFailed = [&] {
    RestoreCounterSource(up, savedCntSel);
    return TrimEnd::LinkFailed;
  };
  if (!trim.Measured) return linkFailed();
  up.WriteReg(WaveReg::Trim, TrimCode(est, 0), 0);

  uint8_t step = 0;
  for (int pass = 0; pass < TrimPasses; ++pass) {
    step = trim.NextTrimStep(dev, c, step);
    if (!trim.Measured) return linkFailed();
    if (TrimLeavesRange(est, step)) {
      const bool ended = SetTrimEndBit(up);
      const bool restored = RestoreCounterSource(up, savedCntSel);
      return ended && restored ? TrimEnd::TrimOutOfRange : TrimEnd::LinkFailed;
    }
    if (trim.ClockError >= trim.PrevClockError || trim.ClockStep / 2 >= trim.ClockError) {
      const bool restored = RestoreCounterSource(up, savedCntSel);
      return restored && SetTrimEndBit(up) ? TrimEnd::Done : TrimEnd::LinkFailed;
    }
    up.WriteReg(WaveReg::Trim, TrimCode(est, step), 0);
  }
  RestoreCounterSource(up, savedCntSel);
  return TrimEnd::PassesUsed;
}

QString ClockLabelText(uint32_t clockCount) {
  return "CLK=" + QString::number(static_cast<qint64>(clockCount) * 4096) + "Hz";
}
