#pragma once
// Time as the program sees it: steady time for waits and time-outs, wall time for
// stamps, and a sleep. Tests use a fake clock so long waits take no real time.

#include <QDateTime>
#include <cstdint>

class Clock {
public:
  virtual ~Clock() = default;
  // Monotonic time in microseconds.
  virtual int64_t SteadyUs() = 0;
  // Sleeps (or, for a fake clock, advances time) by the given microseconds.
  virtual void SleepUs(int64_t us) = 0;
  // Returns once SteadyUs() has reached the deadline, as soon after it as it can.
  virtual void SleepUntilUs(int64_t deadlineUs);
  virtual QDateTime LocalNow() = 0;
  virtual QDateTime UtcNow() = 0;
};

class SystemClock : public Clock {
public:
  int64_t SteadyUs() override;
  void SleepUs(int64_t us) override;
  void SleepUntilUs(int64_t deadlineUs) override;
  QDateTime LocalNow() override;
  QDateTime UtcNow() override;
};

// A clock whose time moves only when slept on or advanced; wall time follows steady time.
class FakeClock : public Clock {
public:
  explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
  int64_t SteadyUs() override { return now_us_; }
  void SleepUs(int64_t us) override { if (us > 0) now_us_ += us; }
  QDateTime LocalNow() override;
  QDateTime UtcNow() override;
  void AdvanceUs(int64_t us) { if (us > 0) now_us_ += us; }

private:
  int64_t now_us_ = 1'000'000;
  QDateTime start_;
};
