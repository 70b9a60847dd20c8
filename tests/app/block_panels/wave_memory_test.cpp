// The page-switched write of the wave memory on the simulated board.
#include <gtest/gtest.h>

#include "block_panels/wave_memory.h"
#include "shell/main_panel.h"
#include "support/board_faults.h"
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
  EXPECT_TRUE(IsPut(sent[260], 0x0D, 0x1D));
  EXPECT_EQ(atRefresh, 261u);                 // the memory view, after the run bits

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

// The first packet that does not come through ends the write: nothing after it is
// sent, the memory view is still refreshed, and the shadow holds exactly what the chip
// was written with. A packet that went out is in the chip whatever became of its reply
// (failed, empty, the board pulled out after it); one that never left is not.
TEST_F(WaveMemory, FirstFailedPacketEndsTheWriteWithTheShadowAsTheChip) {
  // Packets (1-based): 1 stops the generator, 2 selects page 0, 3..130 page 0's bytes,
  // 131 page 1, 132..259 its bytes, 260 page 0 again, 261 the run bits.
  for (int packet : {1, 2, 41, 131, 150, 260, 261}) {
    auto run = [&](const std::function<void()>& arm, bool wentOut) {
      SetRegister(13, 0x01);
      SetRegister(127, 0x00);
      for (int a : {0x80, 0x180})
        for (int i = 0; i < 0x80; ++i) SetRegister(a + i, 0xEE);
      sim.board.ClearFaults();
      Connect();
      ChipFromShadow(sim.board.chip, prog->G.Channels[0].RegShadow);
      arm();
      int refreshes = 0;
      EXPECT_FALSE(WaveRamWrite(Up(), Ramp(), 0x11, [&] { ++refreshes; }));
      EXPECT_EQ(refreshes, 1);
      EXPECT_EQ(Sent().size(), wentOut ? packet + 0u : packet - 1u);
      EXPECT_EQ(ShadowAgainstChip(prog->G.Channels[0].RegShadow, sim.board.chip), std::vector<std::string>{});
      EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
    };
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << "packet " << packet << ", " << FaultName(fault));
      run([&] { FaultReplyOf(sim.board, packet, fault); }, true);
    }
    SCOPED_TRACE(testing::Message() << "packet " << packet << " never left");
    run(
        [&] {
          FailCommandOf(sim.board, packet);
        },
        false);
  }
  // The write ended on page 1's bytes: the shadow says page 1, as the chip was left.
  SetRegister(127, 0x00);
  sim.board.ClearFaults();
  Connect();
  FaultReplyOf(sim.board, 150, BoardFault::FailedTransfer);
  WaveRamWrite(Up(), Ramp(), 0x11, {});
  EXPECT_EQ(Shadow(127), 0x01);
  EXPECT_EQ(Shadow(13), 0x00);
}

}  // namespace
