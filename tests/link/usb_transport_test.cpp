// The USB transport and the board commands against the simulated board.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/globals.h"
#include "link/board_commands.h"
#include "link/usb_transport.h"
#include "platform/clock.h"
#include "sim/sim_board.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Link : ::testing::Test {
  SimBoard board;
  Globals g;
  FakeClock clock;
  UsbTransport t{board, g};
  BoardCommands cmd{g, t, clock};
  Devc& d = g.Channels[0].Devc;

  void SetUp() override {
    board.recordPackets = true;
    g.Channels[0].LinkKind = LinkKindUsb;
  }
  bool Open() { return t.OpenDevice(d); }
};

TEST_F(Link, DriverScanHandshakeAndInitialisation) {
  board.devices.clear();
  board.AddDriverBoard(3);
  ASSERT_TRUE(Open());
  EXPECT_EQ(d.Opened, 1);
  EXPECT_EQ(d.DeviceName, "Mxusb-3");
  EXPECT_EQ(t.HidMode, 0);
  auto sent = board.Sent();
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(Bytes(sent[0].begin(), sent[0].begin() + 2), (Bytes{0xF9, 0x02}));
  EXPECT_EQ(sent[0].size(), 4u);
  EXPECT_EQ(sent[1], (Bytes{0xF9, 0x01, 0x03, 0x00}));  // the device index
  EXPECT_EQ(sent[2], (Bytes{0xF9, 0x04, 0x03, 0x00}));  // the word F9 01 answered
  EXPECT_EQ(sent[3], (Bytes{0xC5, 0xFF, 0x01, 0x00}));
  // The second initialisation packet carries byte 3 of the first reply.
  EXPECT_EQ(sent[4], (Bytes{0xC5, 0xFF, 0x00, 0x01}));
  ASSERT_EQ(board.Log().size(), 10u);
  EXPECT_EQ(board.Log()[9].bytes.size(), 64u);  // both replies are read whole
}

TEST_F(Link, NoBoardTriesEveryCandidateAndLeavesNothingOpen) {
  board.devices.clear();
  for (int round = 0; round < 3; ++round) {
    board.opensTried = 0;
    EXPECT_FALSE(Open());
    EXPECT_EQ(board.opensTried, 32 + 128);
    EXPECT_EQ(board.openHandles(), 0);
    EXPECT_EQ(d.Handle, InvalidHandle);
    EXPECT_EQ(d.Opened, 0);
  }
}

TEST_F(Link, RejectedCandidatesAreReleased) {
  struct Case {
    const char* what;
    std::function<void(SimBoard&)> setup;
  };
  std::vector<Case> cases = {
      {"wrong product", [](SimBoard& b) { b.AddDriverBoard(0, 0x1005); }},
      {"wrong board word", [](SimBoard& b) { b.AddDriverBoard(0).boardKindWord = 0x1234; }},
      {"wrong HID version", [](SimBoard& b) { b.AddHidBoard(0).version = 0x0728; }},
      {"HID wrong board word", [](SimBoard& b) { b.AddHidBoard(5).boardKindWord = 0xFFFE; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    board.devices.clear();
    c.setup(board);
    EXPECT_FALSE(Open());
    EXPECT_EQ(board.openHandles(), 0);
    EXPECT_EQ(d.Opened, 0);
  }
  // A rejected candidate does not stop the scan: the next good board is taken.
  board.devices.clear();
  board.AddDriverBoard(0, 0x1005);
  board.AddDriverBoard(1, DriverProductB);
  ASSERT_TRUE(Open());
  EXPECT_EQ(d.DeviceName, "Mxusb-1");
  EXPECT_EQ(board.openHandles(), 1);
}

TEST_F(Link, HidBoardThenUnpluggedThenDriverBoard) {
  board.devices.clear();
  board.AddHidBoard(7);
  ASSERT_TRUE(Open());
  EXPECT_EQ(t.HidMode, 1);
  // Every HID write is the report id and all 64 bytes, whatever length was asked.
  for (const auto& p : board.Log())
    if (p.toBoard) {
      EXPECT_EQ(p.bytes.size(), 65u);
      EXPECT_EQ(p.bytes[0], 0);
    }
  auto sent = board.Sent();
  EXPECT_EQ(Bytes(sent[1].begin(), sent[1].begin() + 4), (Bytes{0xF9, 0x01, 0x07, 0x00}));
  EXPECT_EQ(Bytes(sent[3].begin(), sent[3].begin() + 2), (Bytes{0xF9, 0x06}));

  board.UnplugAll();
  board.AddDriverBoard(2);
  board.ClearLog();
  // The open link no longer answers, so the scan runs and its driver phase finds the new board.
  ASSERT_TRUE(Open());
  EXPECT_EQ(t.HidMode, 0);
  EXPECT_EQ(d.DeviceName, "Mxusb-2");
  EXPECT_EQ(board.openHandles(), 1);
}

TEST_F(Link, OpenLinkIsVerifiedNotRescanned) {
  ASSERT_TRUE(Open());
  board.ClearLog();
  board.opensTried = 0;
  EXPECT_TRUE(Open());
  EXPECT_EQ(board.opensTried, 0);
  ASSERT_EQ(board.Sent().size(), 1u);
  EXPECT_EQ(board.Sent()[0], (Bytes{0xF9, 0xAC}));

  // A wrong identification keeps the device open and returns false without a scan.
  board.devices[0].firmwareId = "Velmorax";
  EXPECT_FALSE(Open());
  EXPECT_EQ(d.Opened, 1);
  EXPECT_EQ(board.opensTried, 0);
}

TEST_F(Link, ClosedRecordSendsNothing) {
  EXPECT_FALSE(t.CheckFirmwareId(d));
  EXPECT_TRUE(board.Log().empty());
}

TEST_F(Link, ShortDriverReadKeepsTheRestOfTheBuffer) {
  ASSERT_TRUE(Open());
  for (int i = 0; i < 64; ++i) g.PacketBuf[i] = 0xEE;
  uint16_t w = 0x1234;
  ASSERT_TRUE(t.FirmwareWord(d, 0x01, w));
  EXPECT_EQ(w, 0x1234);
  for (int i = 8; i < 64; ++i) EXPECT_EQ(g.PacketBuf[i], 0xEE) << i;
}

TEST_F(Link, FailedOrSilentTransferClosesTheDevice) {
  ASSERT_TRUE(Open());
  g.IdleTicks = 50;
  board.Arm(BoardFault::FailedTransfer);
  EXPECT_FALSE(cmd.SendRegs(0x10, 1, 0));
  EXPECT_EQ(d.Opened, 0);
  EXPECT_EQ(d.Handle, InvalidHandle);
  EXPECT_EQ(board.openHandles(), 0);
  EXPECT_EQ(g.IdleTicks, 50u);

  ASSERT_TRUE(Open());
  board.Arm(BoardFault::Silent, {.count = FaultSpan::UntilCleared});  // the read times out
  EXPECT_FALSE(cmd.ReadRegs(0x10, 1, 0));
  EXPECT_EQ(d.Opened, 0);
}

// A bulk write the driver reports with fewer bytes than the packet holds did not go
// out: the board took no command, so the write fails as a lost transfer, the device
// closes, the owner is told, and the shadow keeps what the chip holds.
TEST_F(Link, AWriteThatMovedFewerBytesDidNotGoOut) {
  struct CutBoard : SimBoard {
    int cutTo = -1;  // the next bulk write reports this many bytes moved and reaches nobody
    bool DeviceIoControl(Handle h, uint32_t code, const uint8_t* in, size_t inLen, uint8_t* out, size_t outLen,
                         uint32_t* r) override {
      if (code == IOCTL_BULK_WRITE && cutTo >= 0) {
        *r = static_cast<uint32_t>(cutTo);
        cutTo = -1;
        return true;
      }
      return SimBoard::DeviceIoControl(h, code, in, inLen, out, outLen, r);
    }
  } cut;
  cut.recordPackets = true;
  Globals g2;
  g2.Channels[0].LinkKind = LinkKindUsb;
  UsbTransport t2(cut, g2);
  BoardCommands c2(g2, t2, clock);
  int lost = 0;
  t2.LinkLost = [&] { ++lost; };
  for (int moved : {7, 0}) {  // of the 8 bytes a one-register write sends
    SCOPED_TRACE(moved);
    ASSERT_TRUE(t2.OpenDevice(g2.Channels[0].Devc));
    cut.chip.Poke(0x20, 0x11);
    g2.Channels[0].RegShadow[0x20] = 0x11;
    g2.XferBuf[0x20] = 0x5A;
    cut.ClearLog();
    lost = 0;
    cut.cutTo = moved;
    EXPECT_EQ(c2.PutCell(0x20, 0x5A, 0, false), BoardCommands::CellWrite::NotSent);
    EXPECT_EQ(g2.Channels[0].RegShadow[0x20], 0x11);
    EXPECT_EQ(cut.chip.Peek(0x20), 0x11);
    EXPECT_TRUE(cut.Log().empty());  // no reply was waited for
    EXPECT_EQ(g2.Channels[0].Devc.Opened, 0);
    EXPECT_EQ(cut.openHandles(), 0);
    EXPECT_EQ(lost, 1);
  }
}

// A reply shorter than the bytes its command takes from it fails as a lost transfer
// would: the device is closed, the owner told, and nothing of the request is taken
// for the answer. A reply of exactly those bytes is enough.
TEST_F(Link, ShortRepliesFailTheCommandThatNeedsTheirBytes) {
  struct Case {
    const char* what;
    size_t need;  // bytes the command takes from its reply
    std::function<bool()> run;
  };
  QString name;
  uint8_t s1 = 0, s2 = 0, s3 = 0;
  uint16_t w = 0;
  const std::vector<Case> cases = {
      {"SendRegs", 1, [&] { return cmd.SendRegs(0x20, 1, 0); }},
      {"ReadRegs of 4", 5, [&] { return cmd.ReadRegs(0x20, 4, 0); }},
      {"ReadTS", 3, [&] { return cmd.ReadTS(); }},
      {"StopStream", 1, [&] { return cmd.StopStream(); }},
      {"WriteAuxMem", 1, [&] { return cmd.WriteAuxMem(0, 4, 0); }},
      {"ReadAuxMem", 33, [&] { return cmd.ReadAuxMem(0x40, 0); }},
      {"ProbeAux", 1, [&] { return cmd.ProbeAux(0); }},
      {"ReadBoardName", 8, [&] { return cmd.ReadBoardName(d, name); }},
      {"ReadFirmwareName", 8, [&] { return cmd.ReadFirmwareName(d, name); }},
      {"ReadBoardStatus", 4, [&] { return cmd.ReadBoardStatus(d, s1, s2, s3); }},
      {"FirmwareWord", 8, [&] { return t.FirmwareWord(d, 0x04, w); }},
      {"CheckFirmwareId", 8, [&] { return t.CheckFirmwareId(d); }},
  };
  int lost = 0;
  t.LinkLost = [&] { ++lost; };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (size_t bytes : {size_t{0}, c.need - 1}) {
      ASSERT_TRUE(Open());
      std::fill(std::begin(g.XferBuf), std::end(g.XferBuf), 0xEE);
      board.Arm(BoardFault::ShortReply, {.bytes = bytes});
      lost = 0;
      EXPECT_FALSE(c.run()) << bytes;
      EXPECT_EQ(d.Opened, 0) << bytes;
      EXPECT_EQ(board.openHandles(), 0) << bytes;
      EXPECT_EQ(lost, 1) << bytes;
      EXPECT_EQ(g.XferBuf[0x20], 0xEE) << bytes;  // the request's bytes are no registers
      EXPECT_EQ(g.XferBuf[0x40], 0xEE) << bytes;
    }
    ASSERT_TRUE(Open());
    board.Arm(BoardFault::ShortReply, {.bytes = c.need});
    EXPECT_TRUE(c.run());
    EXPECT_EQ(d.Opened, 1);
  }
  // The register values of a reply just long enough are the chip's.
  for (int a = 0; a < 4; ++a) board.chip.Poke(0x20 + a, static_cast<uint8_t>(0x31 + a));
  board.Arm(BoardFault::ShortReply, {.bytes = 5});
  ASSERT_TRUE(cmd.ReadRegs(0x20, 4, 0));
  EXPECT_EQ(Bytes(g.XferBuf + 0x20, g.XferBuf + 0x24), (Bytes{0x31, 0x32, 0x33, 0x34}));

  // A closed device or a scan's rejected candidate was no open link: nobody is told.
  lost = 0;
  t.CloseDevice(d);
  EXPECT_FALSE(cmd.SendRegs(0x20, 1, 0));
  board.devices[0].boardKindWord = 0x1234;
  EXPECT_FALSE(Open());
  EXPECT_EQ(lost, 0);
}

// The stream poll takes only the samples whose three bytes arrived.
TEST_F(Link, StreamPollTakesOnlyTheSamplesThatArrived) {
  ASSERT_TRUE(Open());
  board.streaming = true;
  board.samplesPerPoll = 21;
  struct Case {
    size_t bytes;
    int samples;
  };
  for (Case c : {Case{64, 21}, Case{1 + 3 * 5, 5}, Case{1 + 3 * 5 + 2, 5}, Case{1, 0}}) {
    board.Arm(BoardFault::ShortReply, {.bytes = c.bytes});
    EXPECT_EQ(cmd.ReadStream(0), c.samples) << c.bytes;
    EXPECT_EQ(g.PacketBuf[0], c.samples) << c.bytes;
    EXPECT_EQ(d.Opened, 1);
  }
  board.Arm(BoardFault::EmptyReply);
  EXPECT_EQ(cmd.ReadStream(0), 0);
  EXPECT_EQ(d.Opened, 0);
}

// A HID report shorter than its command's reply needs is a failed read, as on the
// driver path: an empty one, one of the status byte alone, one a byte short. Nothing
// of it is taken. A stream poll's cut report gives the samples it holds whole.
TEST_F(Link, CutHidReportFails) {
  board.devices.clear();
  board.AddHidBoard(0);
  for (int a = 0; a < 6; ++a) board.chip.Poke(0x20 + a, static_cast<uint8_t>(0x5A + a));
  for (size_t bytes : {size_t{0}, size_t{1}, size_t{6}}) {
    SCOPED_TRACE(bytes);
    ASSERT_TRUE(Open());
    ASSERT_EQ(t.HidMode, 1);
    std::fill(g.XferBuf, g.XferBuf + 0x30, 0xEE);
    board.Arm(BoardFault::ShortReply, {.bytes = bytes});
    EXPECT_FALSE(cmd.ReadRegs(0x20, 6, 0));
    EXPECT_EQ(d.Opened, 0);
    for (int a = 0x20; a < 0x26; ++a) EXPECT_EQ(g.XferBuf[a], 0xEE) << a;
  }
  ASSERT_TRUE(Open());
  board.Arm(BoardFault::ShortReply, {.bytes = 7});
  ASSERT_TRUE(cmd.ReadRegs(0x20, 6, 0));
  for (int a = 0; a < 6; ++a) EXPECT_EQ(g.XferBuf[0x20 + a], 0x5A + a) << a;

  board.streaming = true;
  board.streamSource = [](uint64_t) { return 0x123456; };
  board.Arm(BoardFault::ShortReply, {.bytes = 1 + 3 * 5 + 2});
  EXPECT_EQ(cmd.ReadStream(0), 5);
  EXPECT_EQ(t.Received, 1u + 3 * 5 + 2);
  EXPECT_EQ(d.Opened, 1);
}

TEST_F(Link, SuccessfulTransfersResetIdleTicks) {
  ASSERT_TRUE(Open());
  g.IdleTicks = 999;
  ASSERT_TRUE(cmd.ReadRegs(0, 1, 0));
  EXPECT_EQ(g.IdleTicks, 0u);
}

TEST_F(Link, RegisterTransfersBytesAndStaleBytes) {
  ASSERT_TRUE(Open());
  // The previous reply's bytes 5 and 6 travel in a register write.
  ASSERT_TRUE(cmd.ReadRegs(0, 6, 0));
  board.ClearLog();
  g.PacketBuf[5] = 0x55;
  g.PacketBuf[6] = 0x66;
  g.XferBuf[0x3C] = 0xA7;
  ASSERT_TRUE(cmd.SendRegs(0x3C, 1, 0));
  EXPECT_EQ(board.Sent()[0], (Bytes{0xC4, 0x00, 0xA0, 0x3C, 0x01, 0x55, 0x66, 0xA7}));
  EXPECT_EQ(board.chip.Peek(0x3C), 0xA7);

  for (int a = 0; a < 6; ++a) board.chip.Poke(a, static_cast<uint8_t>(0x10 + a));
  board.ClearLog();
  ASSERT_TRUE(cmd.ReadRegs(0, 6, 0));
  Bytes read = board.Sent()[0];
  ASSERT_EQ(read.size(), 11u);
  EXPECT_EQ(Bytes(read.begin(), read.begin() + 5), (Bytes{0xC4, 0x01, 0xA0, 0x00, 0x06}));
  for (int a = 0; a < 6; ++a) EXPECT_EQ(g.XferBuf[a], 0x10 + a);
  // Only the low byte of the address travels.
  board.ClearLog();
  ASSERT_TRUE(cmd.ReadRegs(0x185, 2, 0));
  EXPECT_EQ(board.Sent()[0][3], 0x85);
}

TEST_F(Link, OversizedCommandsAreRefusedWithoutSending) {
  ASSERT_TRUE(Open());
  board.ClearLog();
  EXPECT_FALSE(cmd.SendRegs(0, 58, 0));
  EXPECT_FALSE(cmd.ReadRegs(0, 64, 0));
  EXPECT_FALSE(cmd.SendRegs(510, 4, 0));
  EXPECT_FALSE(cmd.ReadRegs(-1, 1, 0));
  EXPECT_FALSE(cmd.ReadAuxMem(500, 0));
  EXPECT_TRUE(board.Log().empty());
  EXPECT_EQ(d.Opened, 1);
  EXPECT_TRUE(cmd.SendRegs(0, 57, 0));
  EXPECT_TRUE(cmd.ReadRegs(0, 63, 0));
}

TEST_F(Link, StreamPollCountLimit) {
  ASSERT_TRUE(Open());
  board.streaming = true;
  board.samplesPerPoll = 21;
  int64_t before = clock.SteadyUs();
  EXPECT_EQ(cmd.ReadStream(0), 21);
  EXPECT_GT(clock.SteadyUs() - before, 10'000);  // the pause after a good poll
  // A count above 21 reads as 0, also in the buffer.
  board.streamSource = [](uint64_t) { return 0; };
  board.samplesPerPoll = 21;
  // The firmware never sends 22; forge the reply through a board that answers one.
  struct Forged : SimBoard {
    bool forge = false;
    bool DeviceIoControl(Handle h, uint32_t code, const uint8_t* in, size_t inLen, uint8_t* out, size_t outLen,
                         uint32_t* r) override {
      bool ok = SimBoard::DeviceIoControl(h, code, in, inLen, out, outLen, r);
      if (ok && forge && code == IOCTL_BULK_READ) out[0] = 22;
      return ok;
    }
  } forged;
  Globals g2;
  UsbTransport t2(forged, g2);
  BoardCommands c2(g2, t2, clock);
  ASSERT_TRUE(t2.OpenDevice(g2.Channels[0].Devc));
  forged.forge = true;
  EXPECT_EQ(c2.ReadStream(0), 0);
  EXPECT_EQ(g2.PacketBuf[0], 0);
}

// The poll's pause runs from the poll's start: a transfer's own time, and the work the
// caller does in the pause, count towards the 10 ms, so a poll lasts just over 10 ms
// (or longer, when those take longer); a failed transfer returns at once, without the
// work. Work that sends a command of its own leaves the poll's count as it came.
TEST_F(Link, StreamPollPauseCountsFromThePollsStart) {
  struct Case {
    int64_t transferUs;
    int64_t workUs;  // -1: no work given
    bool fails;
    int64_t pollUs;  // the poll's whole time on the clock
  };
  const Case cases[] = {
      {0, -1, false, 10'001},     {3'000, -1, false, 10'001}, {9'999, -1, false, 10'001},
      {12'000, -1, false, 12'000}, {3'000, -1, true, 3'000},   {3'000, 6'000, false, 10'001},
      {3'000, 9'000, false, 12'000}, {3'000, 6'000, true, 3'000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.transferUs << " " << c.workUs << " " << c.fails);
    ASSERT_TRUE(Open());
    board.streaming = true;
    board.samplesPerPoll = 21;
    board.afterCommand = [&](const std::vector<uint8_t>& bytes) {
      if (bytes.size() >= 2 && bytes[0] == 0xC4 && bytes[1] == 0x04) clock.AdvanceUs(c.transferUs);
    };
    board.ClearFaults();
    if (c.fails) board.Arm(BoardFault::FailedTransfer, {.after = 1});  // the command goes out, its reply fails
    int workCount = -1;
    std::function<void(int)> work;
    if (c.workUs >= 0)
      work = [&](int n) {
        workCount = n;
        EXPECT_EQ(g.PacketBuf[0], n);
        clock.AdvanceUs(c.workUs);
        EXPECT_TRUE(cmd.ReadRegs(0x20, 2, 0));  // a register read from another window
      };
    const int64_t before = clock.SteadyUs();
    EXPECT_EQ(cmd.ReadStream(0, work), c.fails ? 0 : 21);
    EXPECT_EQ(clock.SteadyUs() - before, c.pollUs);
    EXPECT_EQ(workCount, c.workUs >= 0 && !c.fails ? 21 : -1);
  }
}

TEST_F(Link, LinkKindGatesOnlyTheNamedCommands) {
  ASSERT_TRUE(Open());
  g.Channels[0].LinkKind = 2;
  board.ClearLog();
  EXPECT_FALSE(cmd.SendRegs(1, 1, 0));
  EXPECT_FALSE(cmd.ReadRegs(1, 1, 0));
  EXPECT_FALSE(cmd.WriteAuxMem(0, 4, 0));
  EXPECT_FALSE(cmd.ReadAuxMem(0, 0));
  EXPECT_FALSE(cmd.ProbeAux(0));
  EXPECT_FALSE(cmd.UnlockAux(0));
  EXPECT_TRUE(board.Log().empty());
  cmd.ReadStream(0);
  cmd.ReadTS();
  cmd.StartStream(3);
  cmd.StopStream();
  auto sent = board.Sent();
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(sent[0][1], 0x04);
  EXPECT_EQ(sent[1][1], 0x01);
  EXPECT_EQ(sent[2][1], 0x02);
}

TEST_F(Link, StreamStartRewritesIrqenFromTheShadow) {
  ASSERT_TRUE(Open());
  g.Fields.IRQEN = {0x21, 1, 0, 0, 1};
  g.Fields.TS = {0x22, 1, 0, 0, 1};
  g.XferBuf[0x21] = 0x01;
  g.XferBuf[0x22] = 0x80;
  g.Channels[0].RegShadow[0x21] = 0x40;
  board.ClearLog();
  EXPECT_TRUE(cmd.StartStream(3));
  auto sent = board.Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0], (Bytes{0xC4, 0x02, 0x03, 0x01, 0x80}));
  EXPECT_EQ(sent[1][3], 0x21);
  EXPECT_EQ(sent[1][7], 0x54);
  // The chip now holds the enables: so does the shadow.
  EXPECT_EQ(g.Channels[0].RegShadow[0x21], 0x54);
  EXPECT_EQ(board.chip.Peek(0x21), 0x54);
  // A bad status still rewrites IRQEN, and the result tells the status.
  board.Arm(FirmwareFault::BadStatus, FaultSpan::FromNowOn({.status = 0x00}));
  board.ClearLog();
  EXPECT_FALSE(cmd.StartStream(3));
  EXPECT_EQ(board.Sent().size(), 2u);
  // Without an IRQEN field nothing is rewritten (register 0 stays untouched).
  board.ClearFaults();
  g.Fields.IRQEN = {};
  board.ClearLog();
  EXPECT_TRUE(cmd.StartStream(3));
  EXPECT_EQ(board.Sent().size(), 1u);
}

TEST_F(Link, AuxiliaryChipAndBoardCommands) {
  ASSERT_TRUE(Open());
  for (int i = 0; i < 32; ++i) g.XferBuf[i] = static_cast<uint8_t>(i * 3);
  ASSERT_TRUE(cmd.WriteAuxMem(0x0120, 32, 0));
  Bytes sent = board.Sent().back();
  EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 7), (Bytes{0xC4, 0x09, 0x90, 0x01, 0x20, 0x01, 0x20}));
  EXPECT_EQ(sent.size(), 39u);
  std::fill(std::begin(g.XferBuf), std::end(g.XferBuf), 0);
  ASSERT_TRUE(cmd.ReadAuxMem(0x0120, 0));
  EXPECT_EQ(board.Sent().back(), (Bytes{0xC4, 0x0A, 0x90, 0x02, 0x20, 0x01, 0x20}));
  EXPECT_EQ(g.XferBuf[0x0120 + 5], 15);
  board.Arm(FirmwareFault::BadStatus, FaultSpan::FromNowOn({.status = 0x01}));
  g.XferBuf[0x0120] = 0x99;
  EXPECT_FALSE(cmd.ReadAuxMem(0x0120, 0));
  EXPECT_EQ(g.XferBuf[0x0120], 0x99);  // nothing copied on a bad status
  board.ClearFaults();
  board.ClearLog();
  EXPECT_TRUE(cmd.UnlockAux(0));
  EXPECT_EQ(board.Sent()[0][7], 0xA5);
  EXPECT_EQ(board.Sent()[0].size(), 8u);
  EXPECT_TRUE(cmd.ProbeAux(0));

  QString name;
  ASSERT_TRUE(cmd.ReadBoardName(d, name));
  EXPECT_EQ(name, "E7403V01");
  EXPECT_EQ(board.Sent().back(), (Bytes{0xF9, 0x05, 0, 0, 0, 0, 0, 0}));
  name.clear();
  ASSERT_TRUE(cmd.ReadFirmwareName(d, name));
  EXPECT_EQ(name, "E7403V01");
  EXPECT_EQ(board.Sent().back(), (Bytes{0xF9, 0x05}));
  board.boardStatus[0] = 0x20;
  uint8_t s1 = 0, s2 = 0, s3 = 0;
  ASSERT_TRUE(cmd.ReadBoardStatus(d, s1, s2, s3));
  EXPECT_EQ(s1, 0x20);
  EXPECT_EQ(board.Sent().back().size(), 3u);
}

}  // namespace
