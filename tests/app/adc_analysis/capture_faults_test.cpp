// A stream capture on a board, driver or HID, that loses the reply of one command: the
// capture ends with what came before it and says so, nothing follows the lost reply,
// and the shadow holds what the chip holds.
#include <gtest/gtest.h>

#include <QPushButton>
#include <algorithm>

#include "analysis_program_fixture.h"
#include "support/board_faults.h"

namespace {

// The raw word an ADC capture decodes to v (positive words are halved).
uint32_t AdcWord(int v) { return static_cast<uint32_t>(2 * v) & 0xFFFFFF; }

struct CaptureFaults : AnalysisProgramTest {
  // Every sample 100, eleven a poll: 64 are kept after the first 13 are dropped.
  void SetUp() override {
    AnalysisProgramTest::SetUp();
    sim.board.samplesPerPoll = 11;
    sim.board.streamSource = [](uint64_t) { return static_cast<int32_t>(AdcWord(100)); };
  }
  void Connect() {
    Click("USBScan");
    ASSERT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB On Line");
    ChipFromShadow(sim.board.chip, prog->G.Channels[0].RegShadow);
    sim.board.ClearLog();
  }
  // The values the grid shows that are not the stream's 100.
  std::vector<std::string> OtherValues() const {
    std::vector<std::string> out;
    for (int i = 0; i < prog->G.SampleCount; ++i)
      if (w->st.MemoryF.Text(i) != "100") out.push_back(std::to_string(i) + ": " + w->st.MemoryF.Text(i).toStdString());
    return out;
  }
};

TEST_F(CaptureFaults, ALostReplyEndsTheCaptureWithTheSamplesBeforeIt) {
  // Commands: the two writes of 02h, the stream start, the write of 01h, the polls
  // (seven of eleven samples for the 13 dropped and 64 kept), the stop.
  const struct {
    const char* what;
    int command;
    int kept;  // samples kept when the reply is lost
  } points[] = {{"the first write of 02h", 1, 0},
                {"the stream start", 3, 0},
                {"the write of 01h", 4, 0},
                {"the fourth poll", 8, 3 * 11 - 13}};
  // A command's own bytes, without what the packet buffer held after them.
  auto head = [](const Bytes& b) { return Bytes(b.begin(), b.begin() + std::min<size_t>(b.size(), 3)); };
  for (SimBoard::Kind kind : BoardKinds) {
    UseBoard(kind);
    Connect();
    w->CatchADC->click();
    const std::vector<Bytes> clean = Sent();
    ASSERT_EQ(prog->G.SampleCount, 7 * 11 - 13);
    for (const auto& p : points)
      for (BoardFault fault : AllReplyFaults) {
        SCOPED_TRACE(testing::Message() << KindName(kind) << ", " << p.what << ", " << FaultName(fault));
        sim.board.ClearFaults();
        Connect();
        FaultReplyOf(sim.board, p.command, fault);
        w->CatchADC->click();
        sim.board.ClearFaults();
        const std::vector<Bytes> sent = Sent();
        ASSERT_GE(sent.size(), static_cast<size_t>(p.command));
        EXPECT_EQ(head(sent[p.command - 1]), head(clean[p.command - 1]));
        EXPECT_EQ(OtherValues(), std::vector<std::string>{});
        EXPECT_EQ(ShadowAgainstChip(prog->G.Channels[0].RegShadow, sim.board.chip), std::vector<std::string>{});
        if (!LosesTheAnswer(fault, clean[p.command - 1])) {
          // A poll cut by its last byte gives the ten samples before it, and the
          // capture goes on: eight polls bring 87 samples, 74 of them kept.
          EXPECT_EQ(prog->G.SampleCount, 8 * 11 - 1 - 13);
          EXPECT_EQ(prog->MainPanel->StatusBar1->Text(2), "Read Compelete");
          EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB On Line");
          continue;
        }
        EXPECT_EQ(sent.size(), static_cast<size_t>(p.command));
        EXPECT_EQ(prog->G.SampleCount, p.kept);
        EXPECT_EQ(prog->MainPanel->StatusBar1->Text(2), "Read Error !!!!!");
        EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
        EXPECT_TRUE(w->CatchADC->isEnabled());
      }
  }
}

}  // namespace
