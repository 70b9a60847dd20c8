// The page-switched write of the wave memory on the simulated board.
#include <gtest/gtest.h>

#include "block_panels/wave_memory.h"
#include "wave_fixture.h"

namespace {

WaveTable Ramp() {
  WaveTable w{};
  for (int k = 0; k < WaveTableSize; ++k) w[k] = static_cast<uint16_t>(0x0100 * k + 0x10 + k);
  return w;
}

class WaveMemory : public WaveTest {
protected:
  void SetUp() override {
    WaveTest::SetUp();
    StartWave();
    Connect();
  }
};

TEST_F(WaveMemory, ExactSequenceWithTheGeneratorRunning) {
  SetRegister(13, 0x0D);   // running, divider 6
  SetRegister(127, 0x01);  // page 1 selected on entry
  const WaveTable words = Ramp();
  size_t atRefresh = 0;
  WaveRamWrite(Up(), words, 0x11, [&] { atRefresh = Sent().size(); });

  const std::vector<Bytes> sent = Sent();
  ASSERT_EQ(sent.size(), 261u);
  EXPECT_TRUE(IsPut(sent[0], 0x0D, 0x0C));  // stopped
  EXPECT_TRUE(IsPut(sent[1], 0x7F, 0x00));  // page 0
  for (int k = 0; k < 64; ++k) {
    EXPECT_TRUE(IsPut(sent[2 + 2 * k], 0x80 + 2 * k, words[k] >> 8)) << k;
    EXPECT_TRUE(IsPut(sent[3 + 2 * k], 0x81 + 2 * k, words[k] & 0xFF)) << k;
  }
  EXPECT_TRUE(IsPut(sent[130], 0x7F, 0x01));  // page 1
  for (int k = 0; k < 64; ++k) {
    // Shadow addresses 180h.. go out as 80h..
    EXPECT_TRUE(IsPut(sent[131 + 2 * k], 0x80 + 2 * k, words[64 + k] >> 8)) << k;
    EXPECT_TRUE(IsPut(sent[132 + 2 * k], 0x81 + 2 * k, words[64 + k] & 0xFF)) << k;
  }
  EXPECT_TRUE(IsPut(sent[259], 0x7F, 0x00));  // page 0 again, whatever 127 held
  EXPECT_EQ(atRefresh, 260u);                 // the memory view, before the run bits
  EXPECT_TRUE(IsPut(sent[260], 0x0D, 0x1D));

  // The chip and the shadow hold both pages; no read-back was asked.
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(sim.board.chip.Peek(0x80 + 2 * k), words[k] >> 8);
    EXPECT_EQ(sim.board.chip.Peek(0x181 + 2 * k), words[64 + k] & 0xFF);
    EXPECT_EQ(Shadow(0x80 + 2 * k), words[k] >> 8);
    EXPECT_EQ(Shadow(0x181 + 2 * k), words[64 + k] & 0xFF);
  }
  EXPECT_EQ(Shadow(127), 0x00);
  EXPECT_EQ(sim.board.chip.Peek(0x7F), 0x00);
  EXPECT_EQ(Shadow(13), 0x1D);
}

TEST_F(WaveMemory, StoppedGeneratorIsNotStoppedAgain) {
  SetRegister(13, 0x0C);
  SetRegister(127, 0x80);
  WaveRamWrite(Up(), Ramp(), WaveRunBits, {});
  const std::vector<Bytes> sent = Sent();
  ASSERT_EQ(sent.size(), 260u);
  EXPECT_TRUE(IsPut(sent[0], 0x7F, 0x80));
  EXPECT_TRUE(IsPut(sent[129], 0x7F, 0x81));
  EXPECT_TRUE(IsPut(sent[258], 0x7F, 0x80));  // the other bits of 127 are kept
  EXPECT_TRUE(IsPut(sent[259], 0x0D, 0x0D));
}

// The first packet that fails ends the write: nothing after it is sent, the memory
// view is still refreshed, and the shadow holds exactly what reached the chip (the
// generator left stopped and page 1 selected where the write ended there).
TEST_F(WaveMemory, FirstFailedPacketEndsTheWriteWithTheShadowAsTheChip) {
  struct Case {
    const char* what;
    int packet;      // the packet that fails (0-based)
    bool emptyReply; // else its command never leaves
    uint8_t r13, r127;
  } cases[] = {{"link gone at the first packet", 0, false, 0x01, 0x00},
               {"empty reply on page 0", 40, true, 0x00, 0x00},
               {"empty reply on page 1", 150, true, 0x00, 0x01},
               {"empty reply to the run bits", 260, true, 0x00, 0x00}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetRegister(13, 0x01);
    SetRegister(127, 0x00);
    for (int a : {0x80, 0x180})
      for (int i = 0; i < 0x80; ++i) SetRegister(a + i, 0xEE);
    Connect();
    if (c.emptyReply) {
      sim.board.repliesBeforeShort = c.packet;
      sim.board.shortReplies = 1;
    } else {
      sim.board.transfersBeforeFault = 2 * c.packet;
      sim.board.failTransfers = 1;
    }
    int refreshes = 0;
    EXPECT_FALSE(WaveRamWrite(Up(), Ramp(), 0x11, [&] { ++refreshes; }));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(Sent().size(), c.emptyReply ? c.packet + 1u : c.packet + 0u);
    EXPECT_EQ(Shadow(13), c.r13);
    EXPECT_EQ(Shadow(127), c.r127);
    for (int a : {0x0D, 0x7F}) EXPECT_EQ(Shadow(a), sim.board.chip.Peek(a)) << a;
    for (int a : {0x80, 0x180})
      for (int i = 0; i < 0x80; ++i) EXPECT_EQ(Shadow(a + i), sim.board.chip.Peek(a + i)) << a + i;
  }
}

}  // namespace
