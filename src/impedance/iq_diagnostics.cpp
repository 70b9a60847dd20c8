#include "impedance/iq_diagnostics.h"

#include <cstring>

#include "common/errors.h"
#include "common/sample_decoding.h"
#include "impedance/iq_conversion.h"
#include "link/mx_up.h"
#include "link/register_files.h"
#include "platform/clock.h"

namespace {

constexpr uint8_t StatusOk = 0xFA;

// One register sent from the transfer buffer, without read-back or refresh; the
// shadow takes it once its packet went out.
void Send(TMx_UP& up, int address, uint8_t value) { PutRegister(up, address, value); }

// One read of the output registers; false when the transfer failed. The reply's
// three data bytes go to `bytes`.
bool ReadOutputOnce(TMx_UP& up, AdcPhaseReading& r, uint8_t bytes[3]) {
  Globals& g = up.G();
  const FieldDescriptors& f = g.Fields;
  if (!up.ReadRegs(f.ADC1OH.Address, 3, 0)) return false;
  ++r.Reads;
  const bool ok = g.PacketBuf[0] == StatusOk;
  std::memcpy(bytes, g.PacketBuf + 1, 3);
  if (!ok) return true;
  up.UpdateReg(f.ADC1OH.Address, bytes[0], 0);
  up.UpdateReg(f.ADC1OM.Address, bytes[1], 0);
  up.UpdateReg(f.ADC1OL.Address, bytes[2], 0);
  const uint8_t shadow[3] = {up.GetReg(f.ADC1OH.Address, 0), up.GetReg(f.ADC1OM.Address, 0),
                             up.GetReg(f.ADC1OL.Address, 0)};
  r.Value = DecodeIqWord(Word24(shadow));
  r.Decoded = true;
  return true;
}

}  // namespace

AdcPhaseReading ReadAdcPhase(TMx_UP& up, const IQWaitLimits& limits) {
  Clock& clock = up.ClockSource();
  AdcPhaseReading r;
  const int64_t t0 = clock.SteadyUs();
  for (;;) {
    uint8_t bytes[3];
    if (!ReadOutputOnce(up, r, bytes)) {
      r.Status = IQStatus::TransferFailed;
      return r;
    }
    if (bytes[2] & 0x01) return r;
    if (r.Reads >= limits.MaxPolls || clock.SteadyUs() - t0 > limits.TimeoutUs) {
      r.Status = IQStatus::TimedOut;
      return r;
    }
  }
}

AdcPhaseReading ReadAdcOutput(TMx_UP& up) {
  AdcPhaseReading r;
  uint8_t bytes[3];
  if (!ReadOutputOnce(up, r, bytes)) r.Status = IQStatus::TransferFailed;
  return r;
}

void SelectAdcPhase(TMx_UP& up, int phase, uint8_t d) {
  const int dgcon1 = up.G().Fields.DGCON1.Address;
  const uint8_t low = d & 0x1F;
  if (phase <= 0) {
    Send(up, dgcon1, low | 0x81);
    Send(up, dgcon1, low | 0x91);
    return;
  }
  constexpr uint8_t select[4] = {0x81, 0xA1, 0xC1, 0xE1};
  Send(up, dgcon1, low | select[phase > 3 ? 3 : phase]);
}

void ResetAdc(TMx_UP& up, uint8_t a) { Send(up, up.G().Fields.AD1RST.Address, (a & 0xFE) | 0x01); }

void StartIqPath(TMx_UP& up, uint8_t d) {
  const int dgcon1 = up.G().Fields.DGCON1.Address;
  Send(up, dgcon1, d | 0x81);
  Send(up, dgcon1, d | 0x91);
}

void MeasureSetup(TMx_UP& up) {
  Send(up, 62, (up.GetReg(62, 0) & 0xE7) | 0x08);
  Send(up, 28, 0x03);
  Send(up, 30, 0x00);
}

PhaseSequence RunPhaseSequence(TMx_UP& up, const IQWaitLimits& limits) {
  const FieldDescriptors& f = up.G().Fields;
  const uint8_t d = up.GetReg(f.DGCON1.Address, 0);
  const uint8_t a = up.GetReg(f.AD1RST.Address, 0);
  PhaseSequence seq;
  for (int p = 0; p < 4; ++p) {
    // From phase 1 on the select bits are set into the last value written, bit 4 kept.
    SelectAdcPhase(up, p, p == 0 ? d : static_cast<uint8_t>((d & 0x1F) | 0x91));
    ResetAdc(up, a);
    const AdcPhaseReading r = ReadAdcPhase(up, limits);
    if (!r.Ok()) throw MxError(kAdcPhaseFailed);
    seq.P[p] = r.Value;
  }
  seq.Result.I = seq.P[0] - seq.P[1];
  seq.Result.Q = seq.P[2] - seq.P[3];
  PolarForm(seq.Result);
  return seq;
}
