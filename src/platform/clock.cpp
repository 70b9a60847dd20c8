#include "platform/clock.h"

#include <chrono>
#include <thread>

int64_t SystemClock::SteadyUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void SystemClock::SleepUs(int64_t us) {
  if (us > 0) std::this_thread::sleep_for(std::chrono::microseconds(us));
}

void Clock::SleepUntilUs(int64_t deadlineUs) {
  for (int64_t left = deadlineUs - SteadyUs(); left > 0; left = deadlineUs - SteadyUs()) SleepUs(left);
}

void SystemClock::SleepUntilUs(int64_t deadlineUs) {
  // The system wakes a sleeper late, by about a tenth of a millisecond and more on a
  // busy host; a loop paced by short waits would lose that on every round. Sleep to
  // just short of the deadline and yield the processor for the rest.
  constexpr int64_t YieldUs = 200;
  const int64_t left = deadlineUs - SteadyUs();
  if (left > YieldUs) SleepUs(left - YieldUs);
  while (SteadyUs() < deadlineUs) std::this_thread::yield();
}

QDateTime SystemClock::LocalNow() { return QDateTime::currentDateTime(); }
QDateTime SystemClock::UtcNow() { return QDateTime::currentDateTimeUtc(); }

FakeClock::FakeClock(QDateTime start) : start_(std::move(start)) {}

QDateTime FakeClock::LocalNow() { return start_.addMSecs((now_us_ - 1'000'000) / 1000); }
QDateTime FakeClock::UtcNow() { return LocalNow().toUTC(); }
