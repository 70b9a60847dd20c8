// Screen fit and the waits.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/screen_fit.h"
#include "common/waits.h"
#include "platform/clock.h"

namespace {

TEST(ScreenFit, KeepsTwentyPixelsOnScreen) {
  const QSize screen(800, 600);
  struct Case {
    QRect in, out;
  };
  const Case cases[] = {
      {{10, 10, 300, 200}, {10, 10, 300, 200}},      // inside: unchanged
      {{0, 0, 1024, 720}, {0, 0, 800, 600}},         // too big: fitted
      {{790, 590, 100, 100}, {780, 580, 100, 100}},  // beyond W - 20: pulled to W - 20
      {{900, 700, 100, 100}, {700, 500, 100, 100}},  // beyond W: right edge on the screen edge
      {{-50, -40, 100, 100}, {-50, -40, 100, 100}},  // off the left/top: left alone
      {{780, 580, 100, 100}, {780, 580, 100, 100}},  // exactly W - 20: stays
  };
  for (const Case& c : cases) EXPECT_EQ(KeepOnScreen(c.in, screen), c.out) << c.in.x() << "," << c.in.y();
}

TEST(Waits, DelayWaitsMoreThanItsDuration) {
  FakeClock clock;
  int64_t t0 = clock.SteadyUs();
  Delay(clock, 1.1574074074074074e-6);  // 0.1 s
  int64_t d = clock.SteadyUs() - t0;
  EXPECT_GT(d, 99'999);
  EXPECT_LE(d, 100'001);

  t0 = clock.SteadyUs();
  DelayMs(clock, 250);
  EXPECT_EQ(clock.SteadyUs() - t0, 250'000);

  t0 = clock.SteadyUs();
  DelayMs(clock, 0);
  Delay(clock, -1.0);
  EXPECT_EQ(clock.SteadyUs(), t0);
}

// A wait for a deadline returns once the clock has reached it, on the system clock as
// on the fake one (which lands on it exactly); a deadline passed returns at once.
TEST(Waits, SleepUntilReachesTheDeadline) {
  SystemClock system;
  FakeClock fake;
  for (int64_t ahead : {-5'000, 0, 1, 150, 3'000}) {
    SCOPED_TRACE(ahead);
    const int64_t due = system.SteadyUs() + ahead;
    system.SleepUntilUs(due);
    EXPECT_GE(system.SteadyUs(), due);

    const int64_t now = fake.SteadyUs();
    fake.SleepUntilUs(now + ahead);
    EXPECT_EQ(fake.SteadyUs(), now + std::max<int64_t>(ahead, 0));
  }
}

}  // namespace
