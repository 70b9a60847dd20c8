// The clock counter and the trim steps.
#include <gtest/gtest.h>

#include "link/clock_trim.h"
#include "link/usb_transport.h"
#include "sim/sim_board.h"

namespace {

// A board whose counter answers a set count.
struct CountingBoard : SimBoard {
  uint16_t count = 0;
  bool DeviceIoControl(Handle h, uint32_t code, const uint8_t* in, size_t inLen, uint8_t* out, size_t outLen,
                       uint32_t* r) override {
    bool ok = SimBoard::DeviceIoControl(h, code, in, inLen, out, outLen, r);
    if (ok && code == IOCTL_BULK_READ && clock_request) {
      out[1] = count & 0xFF;
      out[2] = count >> 8;
    }
    if (code == IOCTL_BULK_WRITE) clock_request = outLen == 2 && out[0] == 0xF9 && out[1] == 0x11;
    return ok;
  }
  bool clock_request = false;
};

struct Trim : ::testing::Test {
  CountingBoard board;
  Globals g;
  UsbTransport t{board, g};
  ClockTrim trim{g, t};
  Devc& d = g.Channels[0].Devc;
  void SetUp() override {
    board.recordPackets = true;
    ASSERT_TRUE(t.OpenDevice(d));
  }
};

TEST_F(Trim, FirstStepFromTheModel) {
  struct Case {
    uint16_t count;
    int step;
  };
  for (Case c : {Case{1800, 22}, Case{2000, -7}, Case{1940, 0}}) {
    board.count = c.count;
    EXPECT_EQ(trim.EstimateTrimStep(d, 0, 8'000'000), c.step) << c.count;
    EXPECT_EQ(trim.ClockCount, c.count);
    EXPECT_DOUBLE_EQ(trim.ClockError, std::fabs(8e6 / 4096 - c.count));
  }
  EXPECT_EQ(board.Sent().back(), (std::vector<uint8_t>{0xF9, 0x11}));
}

TEST_F(Trim, NextStepMovesByOne) {
  board.count = 1953;
  trim.EstimateTrimStep(d, 0, 8'000'000);
  double first = trim.ClockError;
  board.count = 1960;  // above the target of 1953.125
  EXPECT_EQ(trim.NextTrimStep(d, 0, 5), 6);
  EXPECT_DOUBLE_EQ(trim.PrevClockError, first);
  trim.ClockTarget = 1900;
  board.count = 1900;  // equal: one down
  EXPECT_EQ(trim.NextTrimStep(d, 0, 0), 0xFF);
}

TEST_F(Trim, NoMeasurementChangesNothing) {
  board.count = 1800;
  trim.EstimateTrimStep(d, 0, 8'000'000);
  t.CloseDevice(d);
  board.ClearLog();
  board.count = 2000;
  EXPECT_EQ(trim.NextTrimStep(d, 0, 9), 9);
  trim.MeasureClock(d, 0);
  EXPECT_EQ(trim.ClockCount, 1800u);
  EXPECT_TRUE(board.Log().empty());
}

TEST(SimOscillator, HigherTrimCodeLowersTheCount) {
  SimBoard b;
  b.chip.Poke(0x3E, 0x40);  // 8 MHz
  b.chip.Poke(0x2B, 0x40);
  uint16_t centre = b.ClockCount();
  EXPECT_NEAR(centre, 8e6 * 0.98 / 4096, 1);
  b.chip.Poke(0x2B, 0x48);
  EXPECT_LT(b.ClockCount(), centre);
}

}  // namespace
