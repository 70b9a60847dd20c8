#include "link/clock_trim.h"

#include <cmath>

#include "common/globals.h"
#include "link/usb_transport.h"

namespace {
struct Model {
  double a, b, c;
};
constexpr Model kModels[3] = {{0.0087, 0.00329, 0.00342}, {0.0084, 0.0029, 0.00317}, {0.0055, 0.00207, 0.00248}};
}  // namespace

bool ClockTrim::Measure(Devc& d) {
  Measured = false;
  if (d.Opened != 1) return false;
  g_.PacketBuf[0] = 0xF9;
  g_.PacketBuf[1] = 0x11;
  if (!t_.SendPacket(d, 2) || !t_.ReceivePacket(d, 8, 8)) return false;
  ClockCount = g_.PacketBuf[1] + 256u * g_.PacketBuf[2];
  Measured = true;
  return true;
}

int8_t ClockTrim::EstimateTrimStep(Devc& d, int range, int hz) {
  // Without a measurement, or outside the three clock ranges, no step is proposed.
  if (range < 0 || range > 2 || !Measure(d)) return 0;
  const Model& m = kModels[range];
  const long double count = ClockCount;
  ClockTarget = hz / HzPerCount;
  const long double target = ClockTarget;
  const long double dOff = m.a * target;
  long double step;
  if (count + dOff < target) {
    ClockStep = m.b * ClockTarget;
    step = (target - count - dOff) / ClockStep + 1;
  } else if (count < target) {
    step = ((target - count) / 2 == dOff / 2) ? -1 : 0;
  } else {
    ClockStep = m.c * ClockTarget;
    step = (target - count) / ClockStep;
  }
  ClockError = std::fabs(ClockTarget - static_cast<double>(ClockCount));
  const long long rounded = static_cast<long long>(std::nearbyint(static_cast<double>(step)));
  return static_cast<int8_t>(static_cast<uint8_t>(rounded & 0xFF));
}

uint8_t ClockTrim::NextTrimStep(Devc& d, int, uint8_t step) {
  if (!Measure(d)) return step;
  PrevClockError = ClockError;
  ClockError = std::fabs(ClockTarget - static_cast<double>(ClockCount));
  return static_cast<uint8_t>(ClockCount > ClockTarget ? step + 1 : step - 1);
}

void ClockTrim::MeasureClock(Devc& d, int) { Measure(d); }
