#include "impedance/iq_conversion.h"

#include <cmath>
#include <cstring>

#include "common/figure_checks.h"
#include "common/sample_decoding.h"
#include "impedance/impedance_math.h"
#include "link/mx_up.h"
#include "platform/clock.h"

namespace {

// Stores three result bytes into registers first..first + 2 as `refresh` says and
// returns their word as the shadow (or, without refresh, the reply) holds it.
uint32_t StoreAndBuild(TMx_UP& up, int first, const uint8_t* bytes, IQRefresh refresh) {
  if (refresh == IQRefresh::None) return Word24(bytes);
  for (int b = 0; b < 3; ++b) {
    if (refresh == IQRefresh::Full)
      up.UpdateReg(first + b, bytes[b], 0);
    else
      up.UpdateRegADC(first + b, bytes[b], 0);
  }
  const uint8_t shadow[3] = {up.GetReg(first, 0), up.GetReg(first + 1, 0), up.GetReg(first + 2, 0)};
  return Word24(shadow);
}

// One read of `count` result registers from `first`; the reply's data bytes go to `out`.
bool ReadResults(TMx_UP& up, int first, int count, uint8_t* out) {
  if (!up.ReadRegs(first, count, 0)) return false;
  std::memcpy(out, up.G().PacketBuf + 1, count);
  return true;
}

}  // namespace

IQConversion IQStartAndWait(TMx_UP& up, const IQWaitLimits& limits) {
  Globals& g = up.G();
  Clock& clock = up.ClockSource();
  IQConversion c;
  g.XferBuf[IqControlRegister] = up.GetReg(IqControlRegister, 0) | IqStartBit;
  if (!up.SendRegs(IqControlRegister, 1, 0)) {
    c.Status = IQStatus::TransferFailed;
    return c;
  }
  const int64_t t0 = clock.SteadyUs();
  for (;;) {
    if (!up.ReadRegs(IqControlRegister, 1, 0)) {
      c.Status = IQStatus::TransferFailed;
      return c;
    }
    ++c.Polls;
    if (!(g.PacketBuf[1] & IqStartBit)) return c;
    if (c.Polls >= limits.MaxPolls || clock.SteadyUs() - t0 > limits.TimeoutUs) {
      c.Status = IQStatus::TimedOut;
      return c;
    }
  }
}

void IQReadResults(TMx_UP& up, IQReadForm form, IQRefresh refresh, IQConversion& c) {
  if (!c.Ok()) return;
  uint8_t bytes[6] = {};
  const int firstCount = form == IQReadForm::Split ? 3 : 6;
  if (!ReadResults(up, IqIRegister, firstCount, bytes)) {
    c.Status = IQStatus::TransferFailed;
    return;
  }
  IQResult r;
  r.I = DecodeIqWord(StoreAndBuild(up, IqIRegister, bytes, refresh));
  // The single form has Q in the same reply; the others read it on its own.
  if (form != IQReadForm::Single && !ReadResults(up, IqQRegister, 3, bytes + 3)) {
    c.Status = IQStatus::TransferFailed;
    return;
  }
  r.Q = DecodeIqWord(StoreAndBuild(up, IqQRegister, bytes + 3, refresh));
  c.Result = r;
}

IQConversion ConvertIQ(TMx_UP& up, IQReadForm form, IQRefresh refresh, bool polar, const IQWaitLimits& limits) {
  IQConversion c = IQStartAndWait(up, limits);
  IQReadResults(up, form, refresh, c);
  if (polar && c.Ok()) PolarForm(c.Result);
  return c;
}

void PolarForm(IQResult& r) {
  const long double i = r.I, q = r.Q;
  r.Y = Checked(std::sqrt(i * i + q * q));
  r.Theta = ArctanQI(r.Q, r.I);
}
