#include "common/waits.h"

#include <cmath>
#include <cstdint>

#include "platform/clock.h"

void Delay(Clock& clock, double days) {
  if (!(days > 0)) return;
  const double us = days * 86'400'000'000.0;
  const int64_t target = static_cast<int64_t>(std::floor(us));
  const int64_t start = clock.SteadyUs();
  // "More than" the duration: one microsecond beyond it.
  while (clock.SteadyUs() - start <= target) clock.SleepUs(target - (clock.SteadyUs() - start) + 1);
}

void DelayMs(Clock& clock, int ms) {
  if (ms <= 0) return;
  const int64_t target = static_cast<int64_t>(ms) * 1000;
  const int64_t start = clock.SteadyUs();
  while (clock.SteadyUs() - start < target) clock.SleepUs(target - (clock.SteadyUs() - start));
}
