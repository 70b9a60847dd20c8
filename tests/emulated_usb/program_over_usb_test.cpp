// The whole program on boards emulated below libusb and hidapi: the real USB code
// finds them, the simulated firmware and chip answer.
#include <gtest/gtest.h>
#include <umockdev.h>

#include <QComboBox>
#include <QPushButton>
#include <ostream>

#include "adc_analysis/analysis_window.h"
#include "emulated_usb/emulated_boards.h"
#include "link/mx_up.h"
#include "platform/real_usb.h"
#include "shell/main_panel.h"
#include "app/support/program_fixture.h"

namespace {

using Kind = EmulatedBoards::Kind;

class EmulatedProgram : public ProgramTest {
protected:
  void SetUp() override {
    ASSERT_TRUE(umockdev_in_mock_environment()) << "the emulated boards need umockdev-wrapper";
    ProgramTest::SetUp();
    usb = std::make_unique<RealUsbServices>();
  }
  void TearDown() override {
    ProgramTest::TearDown();
    usb.reset();
  }

  // Starts the program on the real USB code and clicks "USB Scan".
  void StartAndScan() {
    Platform p = sim.platform;
    p.usb = usb.get();
    prog = std::make_unique<Program>(dir.path(), p);
    prog->Start();
    Click("USBScan");
  }
  QString Status() const { return prog->MainPanel->StatusBar1->Text(0); }
  uint8_t& Shadow(int address) const { return prog->G.Channels[0].RegShadow[address]; }
  // The watchdog's next check of the link.
  void WatchdogCheck() {
    prog->G.IdleTicks = TMx_UP::IdleCheckTicks - 1;
    prog->Mx_UP->Timer1Timer();
  }
  // Every chip byte its own value: registers a x 7 + 3, bank 0 a ^ 5Ah, bank 1 a ^ 33h;
  // 7Fh selects bank 1, and no I/Q conversion runs (0Fh bit 2 clear).
  void FillChip() {
    for (int a = 0; a < 0x80; ++a) sim.board.chip.Poke(a, static_cast<uint8_t>(a * 7 + 3));
    for (int a = 0x80; a < 0x100; ++a) sim.board.chip.Poke(a, static_cast<uint8_t>(a ^ 0x5A));
    for (int a = 0x180; a < 0x200; ++a) sim.board.chip.Poke(a, static_cast<uint8_t>(a ^ 0x33));
    sim.board.chip.Poke(0x7F, 0x01);
    sim.board.chip.Poke(0x0F, 0x00);
  }
  // Read Chip after the shadow was filled with EEh: it holds what the chip holds.
  void ReadChip() {
    for (uint8_t& b : prog->G.Channels[0].RegShadow) b = 0xEE;
    prog->G.ReadDone = false;
    Click("Menu_ReadChip");
    EXPECT_TRUE(prog->G.ReadDone);
    for (int a : {0x00, 0x05, 0x06, 0x0B, 0x0C, 0x2B, 0x3E, 0x7F, 0x80, 0xC7, 0xFF, 0x180, 0x1A5, 0x1FF})
      EXPECT_EQ(Shadow(a), sim.board.chip.Peek(a)) << a;
  }

  EmulatedBoards boards{sim.board};
  std::unique_ptr<RealUsbServices> usb;
};

struct Board {
  const char* name;
  Kind kind;
  bool fullPackets;  // the driver board answers every read with a whole 64-byte packet
};
void PrintTo(const Board& b, std::ostream* os) { *os << b.name; }

class EveryBoard : public EmulatedProgram, public ::testing::WithParamInterface<Board> {
protected:
  void SetUp() override {
    EmulatedProgram::SetUp();
    boards.fullPackets = GetParam().fullPackets;
    boards.Plug(GetParam().kind);
    StartAndScan();
  }
};

TEST_P(EveryBoard, ScanReadChipAndRegisterWrites) {
  EXPECT_EQ(Status(), "USB On Line");
  EXPECT_EQ(prog->G.Channels[0].Devc.Opened, 1);
  EXPECT_EQ(prog->Transport.HidMode, GetParam().kind == Kind::Hid ? 1 : 0);

  FillChip();
  ReadChip();
  EXPECT_EQ(Shadow(0x0C), 0x0C * 7 + 3);
  EXPECT_EQ(Shadow(0x80), 0x80 ^ 0x5A);
  EXPECT_EQ(Shadow(0x1A5), (0x1A5 ^ 0x33) & 0xFF);
  EXPECT_EQ(Shadow(0x7F), 0x01);

  // A write is read back: the shadow takes what the chip kept.
  sim.board.chip.SetMask(0x21, 0x0F);
  prog->Mx_UP->WriteReg(0x20, 0x5A, 0);
  prog->Mx_UP->WriteReg(0x21, 0xA7, 0);
  EXPECT_EQ(sim.board.chip.Peek(0x20), 0x5A);
  EXPECT_EQ(Shadow(0x20), 0x5A);
  EXPECT_EQ(sim.board.chip.Peek(0x21), 0x07);
  EXPECT_EQ(Shadow(0x21), 0x07);
  EXPECT_EQ(Status(), "USB On Line");
}

TEST_P(EveryBoard, StreamCaptureOfAFewHundredSamples) {
  // Sample n of the stream decodes to 1000 + (n x 37) mod 4001 (positive words are halved).
  auto value = [](uint64_t n) { return static_cast<int>(1000 + n * 37 % 4001); };
  sim.board.samplesPerPoll = 21;
  sim.board.streamSource = [value](uint64_t n) { return static_cast<int32_t>(2 * value(n)); };
  TAnxADC* w = prog->AnxADC;
  w->NPointIndex->setCurrentIndex(3);  // 256
  emit w->NPointIndex->activated(3);
  ASSERT_EQ(prog->G.NPoints, 256);

  w->CatchADC->click();

  EXPECT_FALSE(sim.board.streaming);
  // 13 samples dropped, then whole replies of 21 until 256 are kept.
  ASSERT_EQ(prog->G.SampleCount, 13 * 21 - 13);
  for (int i = 0; i < prog->G.SampleCount; ++i)
    ASSERT_EQ(w->st.MemoryF.Text(i), QString::number(value(i + 13))) << i;
  EXPECT_EQ(prog->MainPanel->StatusBar1->Text(2), "Read Compelete");
}

TEST_P(EveryBoard, AuxiliaryDownloadIsVerified) {
  FillChip();
  Click("LoadVI52R7718");
  EXPECT_EQ(Status(), "Verifty OK !!!");
  EXPECT_TRUE(sim.dialogs.messages.isEmpty());
  for (int k = 0; k < 128; ++k) {
    EXPECT_EQ(sim.board.auxMem[k], static_cast<uint8_t>((0x80 + k) ^ 0x5A)) << k;
    EXPECT_EQ(sim.board.auxMem[128 + k], static_cast<uint8_t>((0x180 + k) ^ 0x33)) << k;
  }
  // The register list: 7Fh with the bank it had before the read.
  EXPECT_EQ(sim.board.auxMem[0x100 + 70], 0x7F);
  EXPECT_EQ(sim.board.auxMem[0x100 + 71], 0x01);

  // A byte that does not take the write fails the verification.
  sim.board.auxWriteMask[5] = 0x00;
  sim.board.auxMem[5] = 0xEE;
  Click("LoadVI52R7718");
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(sim.dialogs.messages[0].text, "Verifty Ram Fail");
}

// Pulled out in the middle of Read Chip, then taken away: the job ends, the watchdog
// shows the board gone, and finds it again once it is plugged back.
TEST_P(EveryBoard, UnplugAndReplug) {
  FillChip();
  boards.packetsBeforePullOut = 10;
  Click("Menu_ReadChip");
  EXPECT_FALSE(prog->G.ReadDone);
  EXPECT_EQ(prog->G.Channels[0].Devc.Opened, 0);
  boards.Unplug(GetParam().kind);
  WatchdogCheck();
  EXPECT_EQ(Status(), "USB not Connect !!!");
  const uint8_t before = Shadow(0x20);
  prog->Mx_UP->WriteReg(0x20, static_cast<uint8_t>(before + 1), 0);
  EXPECT_EQ(Shadow(0x20), before);

  boards.Plug(GetParam().kind);
  WatchdogCheck();
  EXPECT_EQ(Status(), "USB On Line");
  ReadChip();
}

INSTANTIATE_TEST_SUITE_P(Emulated, EveryBoard,
                         ::testing::Values(Board{"DriverPath", Kind::Driver, false},
                                           Board{"DriverPathFullPackets", Kind::Driver, true},
                                           Board{"Hid", Kind::Hid, false}),
                         [](const ::testing::TestParamInfo<Board>& info) { return info.param.name; });

// A register write whose reply comes after the transfer's time-out: the write is not
// confirmed and the link closes, but its packet went out, so the shadow holds the value
// the chip was given; the next watchdog check reads the late reply away before the
// handshake, and every later command gets its own reply.
TEST_F(EmulatedProgram, ALateReplyDoesNotShiftLaterReplies) {
  boards.Plug(Kind::Driver);
  StartAndScan();
  ASSERT_EQ(Status(), "USB On Line");
  prog->Mx_UP->WriteReg(0x20, 0x11, 0);
  ASSERT_EQ(Shadow(0x20), 0x11);

  boards.lateReplies = 1;
  EXPECT_FALSE(prog->Mx_UP->WriteReg(0x20, 0x5A, 0));
  EXPECT_EQ(Shadow(0x20), 0x5A);
  EXPECT_EQ(sim.board.chip.Peek(0x20), 0x5A);
  EXPECT_EQ(prog->G.Channels[0].Devc.Opened, 0);
  EXPECT_EQ(boards.WaitingReplies(), 1u);

  WatchdogCheck();
  EXPECT_EQ(Status(), "USB On Line");
  EXPECT_EQ(boards.WaitingReplies(), 0u);
  prog->Mx_UP->WriteReg(0x21, 0x77, 0);
  prog->Mx_UP->WriteReg(0x20, 0x5A, 0);
  EXPECT_EQ(Shadow(0x21), 0x77);
  EXPECT_EQ(Shadow(0x20), 0x5A);
  FillChip();
  ReadChip();
}

// A register write whose packet did not move whole never reached the chip: chip and
// shadow keep the old value, the link closes and status panel 0 says so, and the
// watchdog finds the board again. One whose every byte moved though the host heard of
// it only on its time-out reached the chip, and the write's read-back confirms it.
TEST_F(EmulatedProgram, ARegisterWriteCountsOnlyWhenItsPacketMovedWhole) {
  struct Case {
    const char* what;
    Kind kind;
    bool cutShort;
    int unacknowledgedMoved;  // the packet is never acknowledged and moved this much (-1 all; -2 acknowledged)
    bool reachesChip;
  } cases[] = {
      {"driver packet cut short", Kind::Driver, true, -2, false},
      {"driver packet unacknowledged, every byte moved", Kind::Driver, false, -1, true},
      {"driver packet unacknowledged, part moved", Kind::Driver, false, 4, false},
      {"HID report cut short", Kind::Hid, true, -2, false},
  };
  Kind plugged = Kind::Driver;
  boards.Plug(plugged);
  StartAndScan();
  uint8_t value = 0x30;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.kind != plugged) {
      boards.Unplug(plugged);
      boards.Plug(plugged = c.kind);
      WatchdogCheck();
    }
    ASSERT_EQ(Status(), "USB On Line");
    sim.board.chip.Poke(0x20, value);
    ASSERT_TRUE(prog->Mx_UP->WriteReg(0x20, value, 0));
    const uint8_t next = static_cast<uint8_t>(value + 1);
    boards.shortWrites = c.cutShort ? 1 : 0;
    boards.unacknowledgedWrites = c.unacknowledgedMoved == -2 ? 0 : 1;
    boards.unacknowledgedMoved = c.unacknowledgedMoved;
    EXPECT_EQ(prog->Mx_UP->WriteReg(0x20, next, 0), c.reachesChip);
    const uint8_t held = c.reachesChip ? next : value;
    EXPECT_EQ(sim.board.chip.Peek(0x20), held);
    EXPECT_EQ(Shadow(0x20), held);
    if (!c.reachesChip) {
      EXPECT_EQ(Status(), "USB not Connect !!!");
      EXPECT_EQ(prog->G.Channels[0].Devc.Opened, 0);
      WatchdogCheck();
    }
    EXPECT_EQ(Status(), "USB On Line");
    value = static_cast<uint8_t>(value + 0x10);
  }
}

// A zero-length reply part-way through a job, through the real driver-path code: the
// job ends at once and tells the user, status panel 0 shows the link gone without
// waiting for the watchdog, and the shadow holds only what the chip gave. The
// watchdog's next check finds the board again.
TEST_F(EmulatedProgram, AnEmptyReplyPartWayEndsTheJobAndTellsTheUser) {
  boards.Plug(Kind::Driver);
  StartAndScan();
  ASSERT_EQ(Status(), "USB On Line");
  auto expectLinkLostThenFound = [this] {
    EXPECT_EQ(Status(), "USB not Connect !!!");
    EXPECT_EQ(prog->G.Channels[0].Devc.Opened, 0);
    EXPECT_EQ(boards.WaitingReplies(), 0u);
    WatchdogCheck();
    EXPECT_EQ(Status(), "USB On Line");
  };

  // Read Chip's exchanges: R 7F, W 7F, the register blocks 00h (2), 06h, 09h, 0Ch (5),
  // 3Dh, 3Eh, 7Fh, R 0D, W 0D, bank 0 in eight pages (11..18), W 7F, bank 1 (20..27).
  struct ReadCase {
    int exchange;     // the one whose reply is empty
    int lastRead;     // an address read before it
    int firstUnread;  // an address it would have read
  } reads[] = {{5, 0x0B, 0x0C}, {14, 0xAF, 0xB0}, {22, 0x19F, 0x1A0}};
  for (const ReadCase& c : reads) {
    SCOPED_TRACE(testing::Message() << "Read Chip, empty reply " << c.exchange);
    FillChip();
    for (uint8_t& b : prog->G.Channels[0].RegShadow) b = 0xEE;
    prog->G.ReadDone = false;
    sim.dialogs.messages.clear();
    boards.repliesBeforeEmpty = c.exchange;
    boards.emptyReplies = 1;
    Click("Menu_ReadChip");
    EXPECT_FALSE(prog->G.ReadDone);
    ASSERT_EQ(sim.dialogs.messages.size(), 1);
    EXPECT_TRUE(sim.dialogs.messages[0].text.startsWith("Read Chip Fail")) << sim.dialogs.messages[0].text.toStdString();
    EXPECT_EQ(Shadow(c.lastRead), sim.board.chip.Peek(c.lastRead));
    EXPECT_EQ(Shadow(c.firstUnread), 0xEE);
    for (int a = 0; a < 0x200; ++a)
      if (Shadow(a) != 0xEE) {
        EXPECT_EQ(Shadow(a), sim.board.chip.Peek(a)) << a;
      }
    expectLinkLostThenFound();
  }

  // A register write whose own reply, or its read-back's, comes empty: the packet went
  // out, so chip and shadow hold the new value.
  for (int repliesBefore : {0, 1}) {
    SCOPED_TRACE(repliesBefore ? "its read-back empty" : "the write's reply empty");
    sim.board.chip.Poke(0x20, 0x11);
    ASSERT_TRUE(prog->Mx_UP->WriteReg(0x20, 0x11, 0));
    boards.repliesBeforeEmpty = repliesBefore;
    boards.emptyReplies = 1;
    EXPECT_FALSE(prog->Mx_UP->WriteReg(0x20, 0x5A, 0));
    EXPECT_EQ(Shadow(0x20), 0x5A);
    EXPECT_EQ(sim.board.chip.Peek(0x20), 0x5A);
    expectLinkLostThenFound();
  }
  // Back on line, Read Chip shows what the chip holds.
  FillChip();
  ReadChip();
}

// A HID report the board cut short, through hidapi: Read Chip whose "R 00 6" reply
// brings only its status byte fails there, tells the user and stores nothing of it.
TEST_F(EmulatedProgram, ACutHidReplyEndsReadChipAndStoresNothingOfIt) {
  boards.Plug(Kind::Hid);
  StartAndScan();
  ASSERT_EQ(Status(), "USB On Line");
  FillChip();
  for (uint8_t& b : prog->G.Channels[0].RegShadow) b = 0xEE;
  prog->G.ReadDone = false;
  sim.dialogs.messages.clear();
  sim.board.Arm(BoardFault::ShortReply, {.after = 2, .bytes = 1});  // R 7F, W 7F, then R 00 6
  Click("Menu_ReadChip");
  EXPECT_FALSE(prog->G.ReadDone);
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_TRUE(sim.dialogs.messages[0].text.startsWith("Read Chip Fail")) << sim.dialogs.messages[0].text.toStdString();
  EXPECT_EQ(Status(), "USB not Connect !!!");
  for (int a = 0; a < 6; ++a) EXPECT_EQ(Shadow(a), 0xEE) << a;
  EXPECT_EQ(Shadow(0x7F), sim.board.chip.Peek(0x7F));
  sim.board.ClearFaults();
  WatchdogCheck();
  EXPECT_EQ(Status(), "USB On Line");
  ReadChip();
}

}  // namespace
