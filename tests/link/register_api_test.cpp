// The register API and the link watchdog of TMx_UP.
#include <gtest/gtest.h>

#include <cstdio>

#include "link/mx_up.h"
#include "link/register_files.h"
#include "platform/clock.h"
#include "sim/sim_board.h"
#include "support/board_faults.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct RegisterApi : ::testing::Test {
  SimBoard board;
  Globals g;
  FakeClock clock;
  UsbTransport t{board, g};
  TMx_UP up{g, t, clock};
  std::vector<RefreshViews> refreshed;  // the windows each refresh named
  QStringList status;

  void SetUp() override {
    board.recordPackets = true;
    g.Channels[0].LinkKind = LinkKindUsb;
    up.RefreshWindows = [this](RefreshViews views) { refreshed.push_back(views); };
    up.ShowStatus = [this](int panel, const QString& text) {
      EXPECT_EQ(panel, 0);
      status << text;
    };
  }
  bool Connect() { return t.OpenDevice(g.Channels[0].Devc); }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) up.Timer1Timer();
  }
};

TEST_F(RegisterApi, WriteRegStoresTheValueReadBackAndRefreshesInOrder) {
  ASSERT_TRUE(Connect());
  board.chip.SetMask(0x21, 0x0F);
  board.ClearLog();
  EXPECT_TRUE(up.WriteReg(0x21, 0xFF, 0));
  auto sent = board.Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(Bytes(sent[0].begin(), sent[0].begin() + 5), (Bytes{0xC4, 0x00, 0xA0, 0x21, 0x01}));
  EXPECT_EQ(sent[0][7], 0xFF);
  EXPECT_EQ(sent[1].size(), 6u);
  EXPECT_EQ(up.GetReg(0x21, 0), 0x0F);
  EXPECT_EQ(refreshed, std::vector<RefreshViews>{RefreshViews::All()});
}

TEST_F(RegisterApi, WriteThatDidNotGoOutLeavesShadowAndWindows) {
  up.SetRegShadow(0x30, 0x12, 0);
  // No device open: the write fails.
  EXPECT_FALSE(up.WriteReg(0x30, 0x55, 0));
  EXPECT_EQ(up.GetReg(0x30, 0), 0x12);
  EXPECT_TRUE(refreshed.empty());
  EXPECT_TRUE(status.isEmpty());  // there was no link to lose
  // Board unplugged while open: the packet never leaves, and status panel 0 shows the
  // link gone at once, not at the watchdog's next check.
  board.chip.Poke(0x30, 0x12);
  ASSERT_TRUE(Connect());
  board.UnplugAll();
  EXPECT_FALSE(up.WriteReg(0x30, 0x5A, 0));
  EXPECT_EQ(up.GetReg(0x30, 0), 0x12);
  EXPECT_EQ(board.chip.Peek(0x30), 0x12);
  EXPECT_EQ(g.Channels[0].Devc.Opened, 0);
  EXPECT_TRUE(refreshed.empty());
  EXPECT_EQ(status, QStringList{"USB not Connect !!!"});
  // Link kind other than 5: nothing at all.
  g.Channels[0].LinkKind = 0;
  board.ClearLog();
  EXPECT_FALSE(up.WriteReg(0x30, 0x55, 0));
  EXPECT_TRUE(board.Log().empty());
}

// Once the write's packet went out the chip holds the value: when the write's reply or
// its read-back's is lost (failed, empty, or the board pulled out after it), the shadow
// takes the value written and the windows refresh; the call says it did not complete
// and status panel 0 shows the link gone.
TEST_F(RegisterApi, WriteThatWentOutIsInTheShadowWhateverBecameOfItsReply) {
  for (int k : {1, 2})
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << (k == 1 ? "the write's " : "the read-back's ") << FaultName(fault));
      board.ClearFaults();
      board.chip.Poke(0x30, 0x12);
      up.SetRegShadow(0x30, 0x12, 0);
      ASSERT_TRUE(Connect());
      refreshed.clear();
      status.clear();
      FaultReplyOf(board, k, fault);
      EXPECT_FALSE(up.WriteReg(0x30, 0x5A, 0));
      EXPECT_EQ(board.chip.Peek(0x30), 0x5A);
      EXPECT_EQ(up.GetReg(0x30, 0), 0x5A);
      EXPECT_EQ(refreshed.size(), 1u);
      EXPECT_EQ(g.Channels[0].Devc.Opened, 0);
      EXPECT_EQ(status, QStringList{"USB not Connect !!!"});
    }
}

// WriteRegs is the register API's packet write: its bytes enter the shadow once the
// packet went out, a packet that never left changes nothing; no window refreshes.
TEST_F(RegisterApi, PacketWriteStoresWhatWentOut) {
  ASSERT_TRUE(Connect());
  const uint8_t bytes[3] = {0x11, 0x22, 0x33};
  std::copy(bytes, bytes + 3, g.XferBuf + 0x3C);
  FaultReplyOf(board, 1, BoardFault::FailedTransfer);
  EXPECT_FALSE(up.WriteRegs(0x3C, 3, 0));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(board.chip.Peek(0x3C + i), bytes[i]);
    EXPECT_EQ(up.GetReg(0x3C + i, 0), bytes[i]);
  }
  g.XferBuf[0x3C] = 0x77;
  EXPECT_FALSE(up.WriteRegs(0x3C, 1, 0));  // the link is closed: nothing leaves
  EXPECT_EQ(up.GetReg(0x3C, 0), 0x11);
  EXPECT_TRUE(refreshed.empty());
}

// Only an address's low byte travels and 7Fh bit 0 picks the bank the chip's 80h..FFh
// reach: every writer's byte lands in the cell its shadow address names. A RAM byte of
// the bank 7Fh does not select goes with its bank selected and 7Fh put back (bit 6 of
// 7Fh kept); registers, 7Fh itself included, go as they are; 120h and 200h name no
// chip cell and stay in the shadow, with nothing sent; 400h is outside the shadow.
struct CellCase {
  int address;
  uint8_t r7f;
  std::vector<std::string> wire;  // WriteReg's packets; the other writers send the same less "R"
  bool stored;                    // the call ends true
};
const CellCase kCellCases[] = {
    {0x85, 0x40, {"W 85 5A", "R 85 1"}, true},
    {0x85, 0x41, {"W 7F 40", "W 85 5A", "R 85 1", "W 7F 41"}, true},
    {0x185, 0x40, {"W 7F 41", "W 85 5A", "R 85 1", "W 7F 40"}, true},
    {0x185, 0x41, {"W 85 5A", "R 85 1"}, true},
    {0x7F, 0x41, {"W 7F 5A", "R 7F 1"}, true},
    {0x20, 0x41, {"W 20 5A", "R 20 1"}, true},
    {0x120, 0x41, {}, true},
    {0x200, 0x40, {}, true},
    {0x400, 0x40, {}, false},
};

enum class Writer { WriteReg, PutRegister, WriteRegs };
const char* WriterName(Writer w) {
  return w == Writer::WriteReg ? "WriteReg" : w == Writer::PutRegister ? "PutRegister" : "WriteRegs";
}

struct RegisterCells : RegisterApi {
  void SetUp() override {
    RegisterApi::SetUp();
    ASSERT_TRUE(Connect());
  }
  bool Write(Writer w, int address, uint8_t value) {
    switch (w) {
      case Writer::WriteReg: return up.WriteReg(address, value, 0);
      case Writer::PutRegister: return PutRegister(up, address, value);
      case Writer::WriteRegs:
        if (address >= XferBufSize) return false;
        g.XferBuf[address] = value;
        return up.WriteRegs(address, 1, 0);
    }
    return false;
  }
  void Arm(uint8_t r7f) {
    board.ClearFaults();
    if (g.Channels[0].Devc.Opened != 1) {
      ASSERT_TRUE(Connect());
    }
    uint8_t* shadow = g.Channels[0].RegShadow;
    std::fill(shadow, shadow + RegShadowSize, 0x50);
    shadow[0x7F] = r7f;
    ChipFromShadow(board.chip, shadow);
    board.ClearLog();
    refreshed.clear();
  }
  std::vector<std::string> SentText() const {
    std::vector<std::string> out;
    for (const Bytes& p : board.Sent()) out.push_back(PacketText(p));
    return out;
  }
};

TEST_F(RegisterCells, EveryWriterWritesTheCellItsAddressNames) {
  for (Writer w : {Writer::WriteReg, Writer::PutRegister, Writer::WriteRegs})
    for (const CellCase& c : kCellCases) {
      SCOPED_TRACE(testing::Message() << WriterName(w) << " at " << std::hex << c.address << ", 7Fh " << int{c.r7f});
      Arm(c.r7f);
      const bool stored = c.stored && !(w == Writer::WriteRegs && c.address >= XferBufSize);
      EXPECT_EQ(Write(w, c.address, 0x5A), stored);
      std::vector<std::string> wire;
      for (const std::string& p : c.wire)
        if (w == Writer::WriteReg || p[0] != 'R') wire.push_back(p);
      EXPECT_EQ(SentText(), wire);
      EXPECT_EQ(ShadowAgainstChip(g.Channels[0].RegShadow, board.chip), std::vector<std::string>{});
      if (c.address < RegShadowSize) {
        EXPECT_EQ(up.GetReg(c.address, 0), stored ? 0x5A : 0x50);
      }
      // The same low byte in the other bank, and register 20h, keep their bytes.
      if (c.address >= 0x80 && c.address < 0x200) {
        EXPECT_EQ(board.chip.Peek(c.address ^ 0x100), 0x50);
      }
      if (c.address != 0x20) {
        EXPECT_EQ(board.chip.Peek(0x20), 0x50);
      }
      // WriteReg refreshes the windows once whenever the shadow took the byte.
      EXPECT_EQ(refreshed.size(), w == Writer::WriteReg && stored ? 1u : 0u);
    }
}

// The reply of each packet of a bank-switched write lost (failed, empty, the board
// pulled out after it), or its packet never leaving: the call says so, nothing follows,
// the shadow holds what the chip was left with (7Fh's bank included) and the windows
// show it once anything reached the chip.
TEST_F(RegisterCells, ALinkLostPartWayLeavesTheShadowAsTheChip) {
  for (Writer w : {Writer::WriteReg, Writer::PutRegister})
    for (const CellCase& c : {kCellCases[1], kCellCases[2]}) {
      const int packets = w == Writer::WriteReg ? 4 : 3;
      for (int k = 1; k <= packets; ++k)
        for (int f = 0; f <= 3; ++f) {
          const bool outgoing = f == 3;  // the k-th packet itself does not go out
          SCOPED_TRACE(testing::Message() << WriterName(w) << " at " << std::hex << c.address << std::dec
                                          << ", packet " << k << ", "
                                          << (outgoing ? "not sent" : FaultName(AllReplyFaults[f])));
          Arm(c.r7f);
          if (outgoing) {
            FailCommandOf(board, k);
          } else {
            FaultReplyOf(board, k, AllReplyFaults[f]);
          }
          EXPECT_FALSE(Write(w, c.address, 0x5A));
          EXPECT_EQ(board.Sent().size(), static_cast<size_t>(outgoing ? k - 1 : k));
          EXPECT_EQ(ShadowAgainstChip(g.Channels[0].RegShadow, board.chip), std::vector<std::string>{});
          EXPECT_EQ(board.chip.Peek(c.address ^ 0x100), 0x50);
          const bool reached = !(outgoing && k == 1);
          EXPECT_EQ(refreshed.size(), w == Writer::WriteReg && reached ? 1u : 0u);
        }
    }
}

// A write whose read-back is lost keeps the bits the chip definition declares, and the
// value written where it declares nothing.
TEST_F(RegisterCells, LostReadBackKeepsTheImplementedBits) {
  g.RegMask[0x7F] = 0x01;
  board.chip.SetMask(0x7F, 0x01);
  g.RegMask[0x185] = 0xFF;
  for (int k : {1, 2})
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << "packet " << k << ", " << FaultName(fault));
      Arm(0x00);
      FaultReplyOf(board, k, fault);
      EXPECT_FALSE(up.WriteReg(0x7F, 0xFF, 0));
      EXPECT_EQ(up.GetReg(0x7F, 0), 0x01);
      Arm(0x00);
      FaultReplyOf(board, k, fault);
      EXPECT_FALSE(up.WriteReg(0x30, 0xF3, 0));  // 30h: not in the definition
      EXPECT_EQ(up.GetReg(0x30, 0), 0xF3);
      EXPECT_EQ(ShadowAgainstChip(g.Channels[0].RegShadow, board.chip), std::vector<std::string>{});
    }
}

// A packet write that spans kinds of cell goes as one packet per kind: FCh..FFh of bank
// 0 with its bank selected, 100h and 101h into the shadow alone.
TEST_F(RegisterCells, PacketWriteAcrossKindsOfCell) {
  Arm(0x41);
  const uint8_t bytes[6] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
  std::copy(bytes, bytes + 6, g.XferBuf + 0xFC);
  EXPECT_TRUE(up.WriteRegs(0xFC, 6, 0));
  const std::vector<std::string> sent = SentText();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0], "W 7F 40");
  const Bytes block = board.Sent()[1];
  EXPECT_EQ(Bytes(block.begin(), block.begin() + 5), (Bytes{0xC4, 0x00, 0xA0, 0xFC, 0x04}));
  EXPECT_EQ(Bytes(block.begin() + 7, block.end()), (Bytes{0x01, 0x02, 0x03, 0x04}));
  EXPECT_EQ(sent[2], "W 7F 41");
  for (int i = 0; i < 6; ++i) EXPECT_EQ(up.GetReg(0xFC + i, 0), bytes[i]) << i;
  EXPECT_EQ(board.chip.Peek(0x1FC), 0x50);
  EXPECT_EQ(ShadowAgainstChip(g.Channels[0].RegShadow, board.chip), std::vector<std::string>{});
}

// A one-byte chip address goes as the chip reads it: one packet, no bank switch; a RAM
// byte lands in the bank 7Fh selects, in the chip and in the shadow, and registers
// (7Fh among them) are the same in both banks.
TEST_F(RegisterCells, ChipByteLandsInTheBankSelected) {
  struct Case {
    uint8_t address, r7f;
    int cell;
  };
  const Case cases[] = {{0x20, 0x41, 0x20}, {0x7F, 0x41, 0x7F}, {0x80, 0x40, 0x80},
                        {0x80, 0x41, 0x180}, {0xFF, 0x40, 0xFF}, {0xFF, 0x41, 0x1FF}};
  for (bool readBack : {true, false})
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << (readBack ? "WriteChipReg" : "PutChipByte") << " at " << std::hex
                                      << int{c.address} << ", 7Fh " << int{c.r7f});
      Arm(c.r7f);
      EXPECT_TRUE(readBack ? up.WriteChipReg(c.address, 0x5A, 0)
                           : up.PutChipByte(c.address, 0x5A, 0, false) == BoardCommands::CellWrite::Done);
      char write[16], read[16];
      std::snprintf(write, sizeof write, "W %02X 5A", c.address);
      std::snprintf(read, sizeof read, "R %02X 1", c.address);
      std::vector<std::string> wire{write};
      if (readBack) wire.push_back(read);
      EXPECT_EQ(SentText(), wire);
      EXPECT_EQ(board.chip.Peek(c.cell), 0x5A);
      EXPECT_EQ(up.GetReg(c.cell, 0), 0x5A);
      if (c.cell >= 0x80) {
        EXPECT_EQ(board.chip.Peek(c.cell ^ 0x100), 0x50);
      }
      EXPECT_EQ(ShadowAgainstChip(g.Channels[0].RegShadow, board.chip), std::vector<std::string>{});
      EXPECT_EQ(refreshed.size(), readBack ? 1u : 0u);
    }
}

TEST_F(RegisterApi, ShadowBounds) {
  up.SetRegShadow(1023, 7, 0);
  EXPECT_EQ(up.GetReg(1023, 0), 7);
  EXPECT_EQ(up.GetReg(1024, 0), 0);
  EXPECT_EQ(up.GetReg(-1, 0), 0);
  up.SetRegShadow(2000, 5, 0);
  up.SetRegShadow(-3, 5, 0);
  up.SetRegShadow(5, 9, 3);  // no such channel
  for (int a = 0; a < RegShadowSize; ++a) EXPECT_EQ(up.GetReg(a, 0), a == 1023 ? 7 : 0) << a;
  // Above the transfer buffer nothing is written.
  ASSERT_TRUE(Connect());
  board.ClearLog();
  up.WriteReg(600, 1, 0);
  EXPECT_TRUE(board.Log().empty());
}

TEST_F(RegisterApi, UpdateRegADCRefreshesOnlyMemoryViewAndAdcPanel) {
  up.UpdateRegADC(0x06, 0x44, 0);
  EXPECT_EQ(up.GetReg(0x06, 0), 0x44);
  EXPECT_EQ(refreshed, (std::vector<RefreshViews>{{RefreshView::MemoryView, RefreshView::AdcPanel}}));
}

TEST_F(RegisterApi, TriggerTSSetsBitZeroWithoutTouchingTheShadow) {
  g.Fields.TS = {0x24, 1, 0, 0, 1};
  up.SetRegShadow(0x24, 0x80, 0);
  EXPECT_FALSE(up.TriggerTS());  // no link
  ASSERT_TRUE(Connect());
  board.ClearLog();
  int64_t before = clock.SteadyUs();
  EXPECT_TRUE(up.TriggerTS());
  EXPECT_GT(clock.SteadyUs() - before, 50'000);
  EXPECT_EQ(board.Sent()[0][7], 0x81);
  EXPECT_EQ(up.GetReg(0x24, 0), 0x80);
}

TEST_F(RegisterApi, WatchdogWithNoBoardRescansEveryTenSeconds) {
  board.devices.clear();
  Ticks(999);
  EXPECT_TRUE(status.isEmpty());
  Ticks(1);
  EXPECT_EQ(status, QStringList{"USB not Connect !!!"});
  EXPECT_EQ(g.IdleTicks, 0u);
  Ticks(1000);
  EXPECT_EQ(status.size(), 2);
  EXPECT_EQ(board.openHandles(), 0);
}

TEST_F(RegisterApi, WatchdogKeepsAnIdleBoardVerified) {
  Ticks(1000);  // the first check finds and opens the board
  EXPECT_EQ(status.last(), "USB On Line");
  board.ClearLog();
  Ticks(1000);
  auto sent = board.Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0], (Bytes{0xF9, 0xAC}));
  EXPECT_EQ(status.last(), "USB On Line");
  // A board that answers with the wrong text is closed.
  board.devices[0].firmwareId = "XXXXXXXX";
  Ticks(1000);
  EXPECT_EQ(status.last(), "USB not Connect !!!");
  EXPECT_EQ(g.Channels[0].Devc.Opened, 0);
  // Unplugged while idle.
  board.devices[0].firmwareId = "Velmoran";
  Ticks(1000);
  EXPECT_EQ(status.last(), "USB On Line");
  board.UnplugAll();
  Ticks(1000);
  EXPECT_EQ(status.last(), "USB not Connect !!!");
  EXPECT_EQ(board.openHandles(), 0);
}

TEST_F(RegisterApi, WatchdogLeavesOtherLinkKindsAlone) {
  g.Channels[0].LinkKind = 1;
  Ticks(1000);
  EXPECT_TRUE(board.Log().empty());
  EXPECT_TRUE(status.isEmpty());
  EXPECT_EQ(g.IdleTicks, 0u);
}

TEST_F(RegisterApi, TrafficHoldsTheWatchdogOff) {
  ASSERT_TRUE(Connect());
  for (int i = 0; i < 5; ++i) {
    Ticks(900);
    ASSERT_TRUE(up.ReadRegs(0, 1, 0));
  }
  EXPECT_TRUE(status.isEmpty());
}

TEST_F(RegisterApi, LiveChartEveryTwentySixthTickWhileFlagged) {
  int draws = 0;
  up.LiveChart = [&] { ++draws; };
  Ticks(26 * 4);
  EXPECT_EQ(draws, 0);
  EXPECT_EQ(g.ChartTicks, 0u);
  g.LiveChartFlag = 1;
  Ticks(25);
  EXPECT_EQ(draws, 0);
  Ticks(1);
  EXPECT_EQ(draws, 1);
  Ticks(26 * 3);
  EXPECT_EQ(draws, 4);
}

TEST_F(RegisterApi, UserConnectAndDisconnect) {
  int clients = 0;
  up.USBClient = [&] { ++clients; };
  up.USBConnect();
  EXPECT_EQ(status.last(), "USB On Line");
  EXPECT_EQ(clients, 1);
  board.ClearLog();
  up.Disconnect();
  EXPECT_EQ(board.Sent(), (std::vector<Bytes>{{0xF9, 0x01, 0xFF, 0xFF}}));
  EXPECT_EQ(board.openHandles(), 0);
  board.ClearLog();
  up.Disconnect();  // nothing open: nothing sent
  EXPECT_TRUE(board.Log().empty());
  board.devices.clear();
  up.USBConnect();
  EXPECT_EQ(status.last(), "USB not Connect !!!");
  EXPECT_EQ(clients, 1);
}

// A board that passes the handshake but fails one of the exchanges that follow it
// (board words, initialisation pair) is closed again: the connect says so and does
// not run the connect hook, whichever exchange it was. The pair's second reply is
// taken for its status byte alone, so one cut short of its last byte still answers.
TEST_F(RegisterApi, ConnectThatFailsAfterTheHandshakeIsNoConnection) {
  int clients = 0, answered = 0;
  up.USBClient = [&] { ++clients; };
  for (int exchange = 2; exchange <= 5; ++exchange)
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << "exchange " << exchange << ", " << FaultName(fault));
      const bool connects = exchange == 5 && fault == BoardFault::ShortReply;
      answered += connects;
      board.ClearFaults();
      status.clear();
      FaultReplyOf(board, exchange, fault);
      up.USBConnect();
      EXPECT_EQ(status.last(), connects ? "USB On Line" : "USB not Connect !!!");
      EXPECT_EQ(g.Channels[0].Devc.Opened, connects ? 1 : 0);
      t.CloseDevice(g.Channels[0].Devc);
      board.ClearFaults();
      FaultReplyOf(board, exchange, fault);
      EXPECT_EQ(up.CheckConnection(), connects);
      EXPECT_EQ(status.last(), connects ? "USB On Line" : "USB not Connect !!!");
      t.CloseDevice(g.Channels[0].Devc);
    }
  EXPECT_EQ(clients, answered);
}

}  // namespace
