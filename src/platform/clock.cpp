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

QDateTime SystemClock::LocalNow() { return QDateTime::currentDateTime(); }
QDateTime SystemClock::UtcNow() { return QDateTime::currentDateTimeUtc(); }

FakeClock::FakeClock(QDateTime start) : start_(std::move(start)) {}

QDateTime FakeClock::LocalNow() { return start_.addMSecs((now_us_ - 1'000'000) / 1000); }
QDateTime FakeClock::UtcNow() { return LocalNow().toUTC(); }
