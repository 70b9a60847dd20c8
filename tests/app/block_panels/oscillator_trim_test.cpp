// The oscillator trim and the counter scan: converging on the simulated oscillator,
// ending when the code would leave its range or after its last pass, and the scan's
// timer with its counter source.
#include <gtest/gtest.h>

#include <QTimer>
#include <cmath>
#include <deque>

#include "block_panels/oscillator_trim.h"
#include "common/errors.h"
#include "link/clock_trim.h"
#include "platform/clock.h"
#include "shell/main_panel.h"
#include "wave_fixture.h"

namespace {

class Trim : public WaveTest {
protected:
  void SetUp() override {
    WaveTest::SetUp();
    StartWave();
    SetRegister(2, 0x13);   // counter source 01b, other bits set
    SetRegister(62, 0x40);  // 8 MHz
    SetRegister(14, 0x7F);
    SetVddax(3);
    Connect();
    Click("WaveGen");  // the firmware name enables the buttons
    sim.board.ClearLog();
    sim.dialogs.messages.clear();
  }
  QPushButton* Vod() { return GenControl<QPushButton>("VodCorrection"); }
  QPushButton* ScanButton() { return GenControl<QPushButton>("btnScan"); }
  QString Clock() { return GenControl<QLabel>("Label7")->text(); }
  int Counts() const {
    int n = 0;
    for (const Bytes& b : Sent()) n += b.size() == 2 && b[0] == 0xF9 && b[1] == 0x11;
    return n;
  }
};

TEST_F(Trim, ConvergesOnTheSimulatedOscillator) {
  ASSERT_TRUE(Vod()->isEnabled());
  Vod()->click();
  EXPECT_TRUE(Messages().isEmpty());
  // Model estimate 8 steps (code 38h), then one step a measurement until within half a step.
  const std::vector<std::pair<int, int>> writes = {{0x02, 0x23}, {0x3E, 0xC0}, {0x2B, 0x40}, {0x2B, 0x38},
                                                   {0x2B, 0x39}, {0x2B, 0x3A}, {0x02, 0x13}, {0x3E, 0xC1}};
  EXPECT_EQ(Writes(), writes);
  EXPECT_EQ(Counts(), 4);
  EXPECT_EQ(sim.board.chip.Peek(0x2B), 0x3A);
  EXPECT_EQ(Clock(), "CLK=" + QString::number(sim.board.ClockCount() * 4096) + "Hz");
  EXPECT_EQ(Shadow(2), 0x13);  // counter source put back
}

TEST_F(Trim, ConvergesForEveryClockAndOscillatorError) {
  struct Case {
    uint8_t r62;
    int target;
    double error;
  };
  for (Case c : {Case{0x00, 2000000, -0.03}, Case{0x20, 4000000, 0.02}, Case{0x40, 7700000, 0.04},
                 Case{0x40, 8300000, -0.08}, Case{0x40, 8000000, 0.0}}) {
    sim.board.oscillatorError = c.error;
    SetRegister(62, c.r62);
    SetRegister(43, 0x40);
    gen->DataUpdate();
    Type(GenControl<QLineEdit>("edtActualClk"), QString::number(c.target));
    sim.dialogs.messages.clear();
    Vod()->click();
    EXPECT_TRUE(Messages().isEmpty()) << c.target << " " << c.error;
    const double hz = sim.board.ClockCount() * 4096.0;
    // Within one trim step (about 0.2 to 0.35 % of the target) of the target.
    EXPECT_LT(std::fabs(hz - c.target), 0.0035 * c.target) << c.target << " " << c.error;
    EXPECT_EQ(Clock(), "CLK=" + QString::number(static_cast<qint64>(hz)) + "Hz");
    EXPECT_EQ(Shadow(62) & 0x61, ((c.r62 & 0x60) | 0x01)) << c.target;
  }
}

TEST_F(Trim, TargetOutsideTheClockRangeWritesNothing) {
  prog->G.ClockTexts[4] = "7500000";
  prog->G.ClockTexts[5] = "8500000";
  for (const char* target : {"9000000", "7499999"}) {
    GenControl<QLineEdit>("edtActualClk")->setText(target);
    Vod()->click();
  }
  EXPECT_EQ(Messages(), (QStringList{"Calculation out of range", "Calculation out of range"}));
  EXPECT_TRUE(Sent().empty());
  // A chip definition without clock ranges: a clear conversion error, nothing written.
  prog->G.ClockTexts[4].clear();
  EXPECT_THROW(gen->VodCorrectionClick(), EConvertError);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(Trim, EndsWhenTheCodeWouldLeaveItsRange) {
  struct Case {
    double error;
    int startCode;  // estimate folded: 50h-ish -> 40h (code 00h), 90h-ish -> C1h (code 7Fh)
  };
  for (Case c : {Case{-0.2, 0x00}, Case{0.3, 0x7F}}) {
    sim.board.oscillatorError = c.error;
    SetRegister(62, 0x40);
    sim.board.ClearLog();
    sim.dialogs.messages.clear();
    Vod()->click();
    EXPECT_EQ(Messages(), QStringList{"Calculation out of range"}) << c.error;
    auto w = Writes();
    ASSERT_GE(w.size(), 4u);
    EXPECT_EQ(w[3], std::make_pair(0x2B, c.startCode)) << c.error;
    EXPECT_EQ(Shadow(0x2B), c.startCode);      // no further step was written
    EXPECT_EQ(Shadow(62), 0xC1);               // bit 0 set at the end
    EXPECT_EQ(Shadow(2), 0x13);                // and the counter source put back
    EXPECT_EQ(Clock(), "CLK=");                // no result shown
  }
}

// A count that does not come ends the trim with a message: the label keeps the last
// result, register 62 gets no end bit, and the shadow holds what the chip holds
// (register 2 still switched to the counter where the link went before it could be
// put back).
TEST_F(Trim, FailedMeasurementEndsTheTrimWithAMessage) {
  Vod()->click();
  const QString previous = Clock();
  ASSERT_NE(previous, "CLK=");
  // Exchanges: 2 written and read back, 62, 43, the estimate's count (6), 43, the next
  // count (9), 43, the count after (12).
  struct Case {
    const char* what;
    std::function<void()> fault;
  };
  const std::vector<Case> cases = {
      {"board unplugged", [this] { sim.board.UnplugAll(); }},
      {"empty reply to the estimate's count", [this] { sim.board.Arm(BoardFault::EmptyReply, {.after = 6}); }},
      {"empty reply to the third count", [this] { sim.board.Arm(BoardFault::EmptyReply, {.after = 12}); }},
      {"empty reply to a trim code", [this] { sim.board.Arm(BoardFault::EmptyReply, {.after = 7}); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim.board.devices.clear();
    sim.board.AddDriverBoard(0);
    Connect();
    SetRegister(2, 0x13);
    SetRegister(62, 0x40);
    SetRegister(43, 0x40);
    sim.board.oscillatorError = -0.03;  // a new trim would find another count
    sim.dialogs.messages.clear();
    c.fault();
    Vod()->click();
    EXPECT_EQ(Messages(), QStringList{kTrimLinkFail});
    EXPECT_EQ(Clock(), previous);
    EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
    EXPECT_EQ(Shadow(62) & 0x01, 0);
    for (int a : {2, 62, 43}) EXPECT_EQ(Shadow(a), sim.board.chip.Peek(a)) << a;
  }
}

TEST_F(Trim, ScanShowsTheClockUntilStoppedOrClosed) {
  ScanButton()->click();
  EXPECT_EQ(ScanButton()->text(), "Stop");
  EXPECT_FALSE(Vod()->isEnabled());
  EXPECT_TRUE(gen->ScanTime->isActive());
  EXPECT_EQ(gen->ScanTime->interval(), 500);
  EXPECT_EQ(Shadow(2), 0x23);
  gen->ScanTimeTimer();
  const QString first = "CLK=" + QString::number(sim.board.ClockCount() * 4096) + "Hz";
  EXPECT_EQ(Clock(), first);
  // The firmware name read again meanwhile: the trim stays off, Stop stays usable.
  Click("WaveGen");
  EXPECT_FALSE(Vod()->isEnabled());
  EXPECT_TRUE(ScanButton()->isEnabled());
  // No board: the count and the text stay.
  sim.board.UnplugAll();
  sim.board.oscillatorError = 0.0;
  gen->ScanTimeTimer();
  gen->ScanTimeTimer();
  EXPECT_EQ(Clock(), first);
  // Closing the window stops the scan and puts the counter source back.
  sim.board.devices.clear();
  sim.board.AddDriverBoard(0);
  Click("USBScan");
  gen->Frame()->close();
  EXPECT_FALSE(gen->ScanTime->isActive());
  EXPECT_EQ(ScanButton()->text(), "Scan");
  EXPECT_TRUE(Vod()->isEnabled());
  EXPECT_EQ(Shadow(2), 0x13);
  EXPECT_EQ(sim.board.chip.Peek(2), 0x13);
}

TEST_F(Trim, ScanStopsByItsButtonAndTheOldFirmwareDisablesBoth) {
  ScanButton()->click();
  ScanButton()->click();
  EXPECT_EQ(ScanButton()->text(), "Scan");
  EXPECT_FALSE(gen->ScanTime->isActive());
  EXPECT_TRUE(Vod()->isEnabled());
  EXPECT_EQ(Shadow(2), 0x13);
  sim.board.boardName = "E7403V01";
  Click("WaveGen");
  EXPECT_FALSE(Vod()->isEnabled());
  EXPECT_FALSE(ScanButton()->isEnabled());
}

// A board whose counter answers from a script (the last count repeats).
struct ScriptedCounter : SimBoard {
  std::deque<uint16_t> counts;
  bool DeviceIoControl(Handle h, uint32_t code, const uint8_t* in, size_t inLen, uint8_t* out, size_t outLen,
                       uint32_t* r) override {
    bool ok = SimBoard::DeviceIoControl(h, code, in, inLen, out, outLen, r);
    if (ok && code == IOCTL_BULK_READ && counting_ && !counts.empty()) {
      out[1] = counts.front() & 0xFF;
      out[2] = counts.front() >> 8;
      if (counts.size() > 1) counts.pop_front();
      ++measured;
    }
    if (code == IOCTL_BULK_WRITE) counting_ = outLen == 2 && out[0] == 0xF9 && out[1] == 0x11;
    return ok;
  }
  int measured = 0;

private:
  bool counting_ = false;
};

struct TrimLoop : ::testing::Test {
  ScriptedCounter board;
  Globals g;
  UsbTransport t{board, g};
  FakeClock clock;
  TMx_UP up{g, t, clock};
  ClockTrim trim{g, t};
  uint8_t saved = 0;
  void SetUp() override {
    g.Channels[0].LinkKind = LinkKindUsb;
    ASSERT_TRUE(t.OpenDevice(g.Channels[0].Devc));
    const char* texts[6] = {"1900000", "2100000", "3800000", "4200000", "7600000", "8400000"};
    for (int k = 0; k < 6; ++k) g.ClockTexts[k] = texts[k];
  }
};

TEST_F(TrimLoop, LargerErrorAtTheFirstPassEndsAtOnce) {
  // Target 1953.125 counts: the estimate's count 1900 gives a step of 11 (code 35h).
  board.counts = {1900, 1890};
  EXPECT_EQ(RunOscillatorTrim(up, trim, 2, 8000000, saved), TrimEnd::Done);
  EXPECT_EQ(board.measured, 2);
  EXPECT_EQ(up.GetReg(43, 0), 0x40 - 11);
}

TEST_F(TrimLoop, EveryPassBetterButNeverDoneEndsAfterTheLastPass) {
  // The error shrinks a little each pass, the count swinging round the target, so the
  // step swings between 1 and 0 and never leaves the range.
  board.counts = {1800};
  for (int k = 0; k < 100; ++k) {
    board.counts.push_back(static_cast<uint16_t>(2100 - k));  // 146.875 - k above
    board.counts.push_back(static_cast<uint16_t>(1807 + k));  // 146.125 - k below
  }
  EXPECT_EQ(RunOscillatorTrim(up, trim, 2, 8000000, saved), TrimEnd::PassesUsed);
  EXPECT_EQ(board.measured, 1 + TrimPasses);
  EXPECT_EQ(up.GetReg(2, 0) & 0x30, 0x00);       // counter source put back
  EXPECT_EQ(up.GetReg(62, 0) & 0x01, 0x00);      // no end bit
}

}  // namespace
