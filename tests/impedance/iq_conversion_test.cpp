// Hardware I/Q conversions on the simulated board.
#include <gtest/gtest.h>

#include <cmath>

#include "common/errors.h"
#include "impedance/iq_conversion.h"
#include "impedance_fixture.h"

namespace {

using IqConversion = ImpedanceLink;

TEST_F(IqConversion, EachReadFormSendsItsPacketsAndStoresAsAsked) {
  struct Case {
    IQReadForm form;
    IQRefresh refresh;
    std::vector<Bytes> reads;
    int full, adc;
  };
  const Bytes i3{0xC4, 0x01, 0xA0, 0x06, 0x03}, i6{0xC4, 0x01, 0xA0, 0x06, 0x06}, q3{0xC4, 0x01, 0xA0, 0x09, 0x03};
  const Case cases[] = {
      {IQReadForm::Split, IQRefresh::Full, {i3, q3}, 6, 0},
      {IQReadForm::Split, IQRefresh::None, {i3, q3}, 0, 0},
      {IQReadForm::SixThenThree, IQRefresh::AdcOnly, {i6, q3}, 0, 6},
      {IQReadForm::Single, IQRefresh::None, {i6}, 0, 0},
  };
  sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::FromNowOn({.reads = 2}));
  sim.board.iqSource = [](uint64_t) { return std::pair<uint32_t, uint32_t>{0x0A0B0C, 0xF0E0D0}; };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.form) * 10 + static_cast<int>(c.refresh));
    sim.board.ClearLog();
    fullRefreshes = adcRefreshes = 0;
    for (int a = 0x06; a <= 0x0B; ++a) up.SetRegShadow(a, 0xEE, 0);
    up.SetRegShadow(0x0F, 0x41, 0);

    IQConversion r = ConvertIQ(up, c.form, c.refresh, false);

    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.Polls, 3);  // two busy reads, then the done one
    std::vector<Bytes> expected{kIqStart, kIqPoll, kIqPoll, kIqPoll};
    expected.insert(expected.end(), c.reads.begin(), c.reads.end());
    EXPECT_EQ(SentHeads(), expected);
    EXPECT_EQ(sim.board.Sent()[0][7], 0x45);  // the shadow's bits with the start bit
    EXPECT_EQ(up.GetReg(0x0F, 0), 0x41);      // the shadow never shows the start bit
    EXPECT_DOUBLE_EQ(r.Result.I, 0x0A0B0C / 2.0);
    EXPECT_DOUBLE_EQ(r.Result.Q, (0xF0E0D0 - 0x1000000) / 2.0);
    EXPECT_EQ(r.Result.Y, 0);  // no polar form asked for
    const bool stored = c.refresh != IQRefresh::None;
    const int want[] = {0x0A, 0x0B, 0x0C, 0xF0, 0xE0, 0xD0};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(up.GetReg(0x06 + k, 0), stored ? want[k] : 0xEE) << k;
    EXPECT_EQ(fullRefreshes, c.full);
    EXPECT_EQ(adcRefreshes, c.adc);
  }
}

TEST_F(IqConversion, RawWordsDecodeAsHalvedTwosComplement) {
  const std::pair<uint32_t, double> cases[] = {{0x000000, 0.0},        {0x000001, 0.5},  {0x7FFFFF, 4194303.5},
                                               {0x800000, -4194304.0}, {0xFFFFFE, -1.0}, {0xFFFFFF, -0.5}};
  for (auto [raw, value] : cases) {
    sim.board.iqSource = [raw = raw](uint64_t) { return std::pair<uint32_t, uint32_t>{raw, raw}; };
    IQConversion r = ConvertIQ(up, IQReadForm::Split, IQRefresh::Full, false);
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.Result.I, value) << std::hex << raw;
    EXPECT_EQ(r.Result.Q, value) << std::hex << raw;
  }
}

TEST_F(IqConversion, DoneOnTheFirstPollEndsTheWaitWhateverTheOtherBits) {
  sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::FromNowOn({.reads = 0}));
  up.SetRegShadow(0x0F, 0xFB, 0);
  IQConversion r = ConvertIQ(up, IQReadForm::Split, IQRefresh::None, false);
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(r.Polls, 1);
  EXPECT_EQ(sim.board.chip.Peek(0x0F), 0xFB);
}

TEST(IqPolarForm, MagnitudeAndPrincipalPhase) {
  IQResult a{3, 4};
  PolarForm(a);
  EXPECT_DOUBLE_EQ(a.Y, 5);
  EXPECT_NEAR(a.Theta, 0.927295218, 1e-9);
  IQResult b{-3, 4};  // no quadrant correction
  PolarForm(b);
  EXPECT_DOUBLE_EQ(b.Y, 5);
  EXPECT_NEAR(b.Theta, -0.927295218, 1e-9);

  const std::pair<IQResult, const char*> zeroI[] = {{{0, 4}, kFloatDivByZero}, {{0, 0}, kFloatInvalid}};
  for (auto [r, text] : zeroI) {
    try {
      PolarForm(r);
      ADD_FAILURE() << "no error";
    } catch (const EMathError& e) {
      EXPECT_EQ(e.Text(), text);
    }
  }
}

TEST_F(IqConversion, PolarFormFollowsAFinishedConversion) {
  sim.board.iqSource = [](uint64_t) { return std::pair<uint32_t, uint32_t>{IqWord(-3), IqWord(4)}; };
  IQConversion r = ConvertIQ(up, IQReadForm::Split, IQRefresh::Full, true);
  ASSERT_TRUE(r.Ok());
  EXPECT_DOUBLE_EQ(r.Result.Y, 5);
  EXPECT_NEAR(r.Result.Theta, -0.927295218, 1e-9);
}

TEST_F(IqConversion, ChipThatNeverFinishesFailsAfterTheLastPoll) {
  sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::StuckFromNow());
  for (int a = 0x06; a <= 0x0B; ++a) up.SetRegShadow(a, 0xEE, 0);
  IQConversion r = ConvertIQ(up, IQReadForm::Split, IQRefresh::Full, true);
  EXPECT_EQ(r.Status, IQStatus::TimedOut);
  EXPECT_EQ(r.Polls, IQWaitLimits{}.MaxPolls);
  EXPECT_EQ(CountSent(kIqPoll), IQWaitLimits{}.MaxPolls);
  EXPECT_EQ(CountSent({0xC4, 0x01, 0xA0, 0x06}), 0);  // no result read
  EXPECT_EQ(r.Result.I, 0);
  EXPECT_EQ(r.Result.Y, 0);
  for (int a = 0x06; a <= 0x0B; ++a) EXPECT_EQ(up.GetReg(a, 0), 0xEE);
  EXPECT_EQ(fullRefreshes, 0);
}

TEST_F(IqConversion, SlowChipThatNeverFinishesFailsAfterTenSeconds) {
  sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::StuckFromNow());
  usb.usPerTransfer = 1000;  // two milliseconds a poll
  const int64_t t0 = sim.clock.SteadyUs();
  IQConversion r = ConvertIQ(up, IQReadForm::SixThenThree, IQRefresh::AdcOnly, true);
  const int64_t waited = sim.clock.SteadyUs() - t0;
  EXPECT_EQ(r.Status, IQStatus::TimedOut);
  EXPECT_GT(waited, IQWaitLimits{}.TimeoutUs);
  EXPECT_LT(waited, IQWaitLimits{}.TimeoutUs + 5'000);
  EXPECT_LT(r.Polls, IQWaitLimits{}.MaxPolls);
}

TEST_F(IqConversion, FailedTransferFailsTheConversionAndKeepsTheShadow) {
  // Packets: 1 start, 2 the poll (done at once), 3 the read of I, 4 the read of Q.
  sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::FromNowOn({.reads = 0}));
  sim.board.iqSource = [](uint64_t) { return std::pair<uint32_t, uint32_t>{0x010203, 0x040506}; };
  for (int failing = 1; failing <= 4; ++failing) {
    SCOPED_TRACE(failing);
    ASSERT_TRUE(transport.OpenDevice(g.Channels[0].Devc));
    for (int a = 0x06; a <= 0x0B; ++a) up.SetRegShadow(a, 0xEE, 0);
    sim.board.ClearLog();
    usb.failSend = failing;
    IQConversion r = ConvertIQ(up, IQReadForm::Split, IQRefresh::Full, true);
    EXPECT_EQ(r.Status, IQStatus::TransferFailed);
    EXPECT_EQ(r.Polls, failing > 2 ? 1 : 0);
    EXPECT_EQ(r.Result.I, 0);
    EXPECT_EQ(r.Result.Q, 0);
    EXPECT_EQ(sim.board.Sent().size(), static_cast<size_t>(failing - 1));
    // Only the bytes of a read that succeeded reach the shadow.
    for (int a = 0x06; a <= 0x08; ++a) EXPECT_EQ(up.GetReg(a, 0), failing == 4 ? a - 5 : 0xEE);
    for (int a = 0x09; a <= 0x0B; ++a) EXPECT_EQ(up.GetReg(a, 0), 0xEE);
  }
}

}  // namespace
