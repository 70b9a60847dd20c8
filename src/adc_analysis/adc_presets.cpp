#include "adc_analysis/adc_presets.h"

#include <algorithm>

#include "link/mx_up.h"

namespace {
constexpr int kFirst = 0x3C;  // five registers 3Ch..40h
constexpr int kCount = 5;
constexpr int kLast = 0x30;
}  // namespace

void RestoreAdcPreset(TMx_UP& up, const uint8_t* preset) {
  Globals& g = up.G();
  if (preset) {
    std::copy_n(preset, kCount, g.XferBuf + kFirst);
    up.WriteRegs(kFirst, kCount, 0);
    g.XferBuf[kLast] = preset[kCount];
    up.WriteRegs(kLast, 1, 0);
  }
  // Only values the chip returned reach the shadow.
  if (up.ReadRegs(kFirst, kCount, 0))
    for (int a = kFirst; a < kFirst + kCount; ++a) up.SetRegShadow(a, g.XferBuf[a], 0);
  if (up.ReadRegs(kLast, 1, 0)) up.SetRegShadow(kLast, g.XferBuf[kLast], 0);
}
