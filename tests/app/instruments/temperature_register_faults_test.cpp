// The temperature test's per-mode register writes against a board that loses the reply
// of one of them (failed, empty, or the board pulled out once the command ran): the
// write that went out is in the shadow as in the chip, nothing follows the lost reply,
// the views show the shadow, the status panel tells the link is gone, and the run ends.
#include <QLineEdit>
#include <QPushButton>
#include <string>
#include <vector>

#include "instruments/step_grid.h"
#include "instruments/temperature_test.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "app/support/program_fixture.h"
#include "app/support/views_show_shadow.h"
#include "support/board_faults.h"

namespace {

class TemperatureRegisterFaults : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
    tmp = prog->TMP;
    // The bench's chamber, on its port as Setup would have opened it.
    DevcRS232& chamber = prog->G.Instruments.ChamberPort;
    chamber.Handle = sim.serial.Open("COM" + QString::number(SimInstrumentSet::ChamberCom));
    ASSERT_TRUE(SerialHandleValid(chamber.Handle));
    chamber.Connected = 1;
  }
  uint8_t& Shadow(int a) const { return prog->G.Channels[0].RegShadow[a]; }
  TTMP* tmp = nullptr;
};

// "T-Test" with two modes writing registers 3Ch and 3Dh (headed 13D: the low byte
// counts): mode 1 writes 11h and 22h. The run first closes and opens the board again
// (commands 1..6), then writes 3Ch and reads it back (7, 8), and 3Dh (9, 10).
TEST_F(TemperatureRegisterFaults, SingleTestLosingARegisterWriteReplyEndsWithTheShadowAsTheChip) {
  tmp->EModenum->setText("4");
  tmp->EModenumKeyPress(QChar(13));
  TStepGrid* reg = tmp->RegChg;
  const char* cells[3][2] = {{"3C", "13D"}, {"11", "22"}, {"33", "1FF"}};
  for (int r = 0; r < 3; ++r) {
    reg->SetCells(1, r, cells[r][0]);
    reg->SetCells(2, r, cells[r][1]);
  }
  for (int k = 7; k <= 10; ++k)
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << "command " << k << ", " << FaultName(fault));
      sim.board.ClearFaults();
      Click("USBScan");
      Shadow(0x3C) = Shadow(0x3D) = 0x00;
      prog->Mx_UP->RunRefreshChain();
      ChipFromShadow(sim.board.chip, prog->G.Channels[0].RegShadow);
      sim.board.ClearLog();
      FaultReplyOf(sim.board, k, fault);
      tmp->TTest->click();
      EXPECT_EQ(Sent().size(), static_cast<size_t>(k));
      EXPECT_EQ(ShadowAgainstChip(prog->G.Channels[0].RegShadow, sim.board.chip), std::vector<std::string>{});
      EXPECT_EQ(Shadow(0x3C), 0x11);
      EXPECT_EQ(Shadow(0x3D), k >= 9 ? 0x22 : 0x00);
      ExpectViewsShowTheShadow(*prog, {0x3C, 0x3D});
      EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
      EXPECT_FALSE(tmp->Running);
      EXPECT_TRUE(tmp->TTest->isEnabled());
    }
}

}  // namespace
