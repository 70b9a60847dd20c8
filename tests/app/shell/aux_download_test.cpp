// The auxiliary chip download: what goes into the board's second chip and its verification.
#include "shell/aux_download.h"
#include "shell/main_panel.h"
#include "app/support/program_fixture.h"

namespace {

class AuxDownload : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
    Click("USBScan");
    for (int a = 0; a < 0x80; ++a) sim.board.chip.Poke(a, static_cast<uint8_t>(a + 1));
    for (int a = 0x80; a < 0x100; ++a) sim.board.chip.Poke(a, static_cast<uint8_t>(a ^ 0x5A));
    for (int a = 0x180; a < 0x200; ++a) sim.board.chip.Poke(a, static_cast<uint8_t>(a ^ 0x33));
    sim.board.chip.Poke(0x7F, 0x01);  // bank 1 selected before the read
    sim.board.ClearLog();
  }
  std::vector<Bytes> AuxPackets() const {
    std::vector<Bytes> out;
    for (const Bytes& p : Sent())
      if (p.size() > 2 && p[0] == 0xC4 && p[2] == 0x90) out.push_back(p);
    return out;
  }
};

TEST_F(AuxDownload, WritesTheImageAndTheListThenVerifies) {
  Click("LoadVI52R7718");
  EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "Verifty OK !!!");
  EXPECT_TRUE(sim.dialogs.messages.isEmpty());
  // RAM image: bank 0 then bank 1, each byte as the chip holds it.
  for (int k = 0; k < 128; ++k) {
    EXPECT_EQ(sim.board.auxMem[k], static_cast<uint8_t>((0x80 + k) ^ 0x5A)) << k;
    EXPECT_EQ(sim.board.auxMem[128 + k], static_cast<uint8_t>((0x180 + k) ^ 0x33)) << k;
  }
  // Register list: 36 pairs, 7Fh with its bank bit as it was before the read.
  const uint8_t* list = sim.board.auxMem + 0x100;
  EXPECT_EQ(list[0], 0x01);
  EXPECT_EQ(list[1], 0x02);
  EXPECT_EQ(list[4], 0x0C);
  EXPECT_EQ(list[68], 0x3E);
  EXPECT_EQ(list[70], 0x7F);
  EXPECT_EQ(list[71], 0x01);
  auto aux = AuxPackets();
  // unlock, erase, unlock, 8 image blocks, 3 list blocks, then the reads.
  ASSERT_GE(aux.size(), 14u);
  EXPECT_EQ(aux[0].size(), 8u);
  EXPECT_EQ(aux[1].size(), 5u);
  EXPECT_EQ(aux[13].size(), 15u);  // the last list block: 8 bytes at 0140h
  EXPECT_EQ(aux[13][4], 8);
  EXPECT_EQ(aux[13][5], 0x01);
  EXPECT_EQ(aux[13][6], 0x40);
  // Verification reads each block twice; the list's fourth block is never read.
  int reads = 0;
  for (const Bytes& p : aux)
    if (p[1] == 0x0A) ++reads;
  EXPECT_EQ(reads, 2 * 8 + 2 * 3);
}

TEST_F(AuxDownload, ADifferenceIsReported) {
  // An auxiliary byte that cannot be written reads back as it was.
  struct Case {
    int address;
    const char* text;
  };
  for (Case c : {Case{5, "Verifty Ram Fail"}, Case{0x100 + 40, "Verifty Reg Fail"}}) {
    sim.board.auxWriteMask[c.address] = 0x00;  // that byte cannot be written
    sim.board.auxMem[c.address] = 0xEE;
    sim.dialogs.messages.clear();
    Click("LoadVI52R7718");
    ASSERT_EQ(sim.dialogs.messages.size(), 1) << c.text;
    EXPECT_EQ(sim.dialogs.messages[0].text, c.text);
    EXPECT_EQ(sim.dialogs.messages[0].caption, "warning");
    sim.board.auxWriteMask[c.address] = 0xFF;
  }
}

// A failed auxiliary command ends the download there and says so: a bad status on the
// first command, or a reply lost part-way through the writes or the verification (the
// link closes, and status panel 0 says so at once).
TEST_F(AuxDownload, FailuresStopTheDownloadAndTellTheUser) {
  const QString failText =
      "Download Fail: the board or the auxiliary chip did not answer; the download did not complete";
  struct Case {
    int answered;  // auxiliary commands answered before the failing one; -1: bad status
    const char* status;
  };
  for (Case c : {Case{-1, "Read Finish !!!"}, Case{5, "USB not Connect !!!"}, Case{20, "USB not Connect !!!"}}) {
    SCOPED_TRACE(c.answered);
    Click("USBScan");
    sim.board.ClearLog();
    sim.dialogs.messages.clear();
    int aux = 0;
    if (c.answered < 0) {
      // Every auxiliary command reports failure.
      sim.board.Arm(FirmwareFault::BadStatus, FaultSpan::FromNowOn({.status = 0x00}));
    } else {
      sim.board.afterCommand = [&](const std::vector<uint8_t>& cmd) {
        if (cmd.size() > 2 && cmd[0] == 0xC4 && cmd[2] == 0x90 && aux++ == c.answered) sim.board.Arm(BoardFault::FailedTransfer);
      };
    }
    Click("LoadVI52R7718");
    sim.board.afterCommand = nullptr;
    sim.board.ClearFaults();
    EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), c.status);
    ASSERT_EQ(sim.dialogs.messages.size(), 1);
    EXPECT_EQ(sim.dialogs.messages[0].text, failText);
    EXPECT_EQ(sim.dialogs.messages[0].caption, "warning");
    EXPECT_EQ(AuxPackets().size(), c.answered < 0 ? 1u : static_cast<size_t>(c.answered + 1));
  }
  // A board unplugged after the scan: Read Chip fails, says so, and nothing else is sent.
  Click("USBScan");
  sim.board.UnplugAll();
  sim.board.ClearLog();
  sim.dialogs.messages.clear();
  prog->MainPanel->StatusBar1->SetText(0, "before");
  Click("LoadVI52R7718");
  EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_TRUE(sim.dialogs.messages[0].text.startsWith("Read Chip Fail"));
  EXPECT_TRUE(AuxPackets().empty());
}

}  // namespace
