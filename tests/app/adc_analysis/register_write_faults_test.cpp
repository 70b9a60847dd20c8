// The ADC analysis window's preset restore and the switched channel test's review
// against a board that loses the reply of one command (failed, empty, or the board
// pulled out once the command ran): a write that went out is in the shadow as in the
// chip, the views show the shadow, nothing follows the lost reply, and the status
// panel tells the user the link is gone (neither job has a message of its own).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QMouseEvent>
#include <string>
#include <vector>

#include "adc_analysis/analysis_window.h"
#include "adc_analysis/switch_channel_test.h"
#include "adc_analysis/switch_scan.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "app/support/program_fixture.h"
#include "app/support/views_show_shadow.h"
#include "sim/sim_chip_registers.h"
#include "support/board_faults.h"

namespace {

class RegisterWriteFaults : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    sim.board.chip.ImplementEveryBit();  // the shadow's values copied to the chip stand as they are
    StartProgram();
  }
  uint8_t& Shadow(int a) const { return prog->G.Channels[0].RegShadow[a]; }
  // The board plugged and connected, the chip made equal to the shadow, and the k-th
  // command from now losing its reply as `fault` says.
  void Arm(int k, BoardFault fault) {
    sim.board.ClearFaults();
    ASSERT_TRUE(prog->Mx_UP->CheckConnection());
    prog->Mx_UP->RunRefreshChain();
    ChipFromShadow(sim.board.chip, prog->G.Channels[0].RegShadow);
    sim.board.ClearLog();
    FaultReplyOf(sim.board, k, fault);
  }
  void ExpectTheShadowAsTheChipAfter(int k) const {
    EXPECT_EQ(Sent().size(), static_cast<size_t>(k));
    EXPECT_EQ(ShadowAgainstChip(prog->G.Channels[0].RegShadow, sim.board.chip), std::vector<std::string>{});
    EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
  }
};

// "Restore ADC" with "DMM" chosen: registers 3Ch..40h written in one packet (1), 30h
// (2), then both read back (3, 4).
TEST_F(RegisterWriteFaults, PresetRestoreLosingAReplyKeepsWhatWentOut) {
  TAnxADC* w = prog->AnxADC;
  const uint8_t dmm[6] = {0x21, 0x22, 0x23, 0x24, 0x25, 0x26};
  std::copy(std::begin(dmm), std::end(dmm), w->AdcPresetDmm);
  w->ComFun->setCurrentIndex(1);
  const int addresses[] = {0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x30};
  for (int k = 1; k <= 4; ++k)
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << "exchange " << k << ", " << FaultName(fault));
      for (int a : addresses) Shadow(a) = 0x00;
      Arm(k, fault);
      Click("RestoreADC");
      ExpectTheShadowAsTheChipAfter(k);
      for (int i = 0; i < 5; ++i) EXPECT_EQ(Shadow(addresses[i]), dmm[i]) << addresses[i];
      EXPECT_EQ(Shadow(0x30), k >= 2 ? 0x26 : 0x00);
      ExpectViewsShowTheShadow(*prog, {0x3C, 0x3D, 0x3E, 0x3F, 0x40, 0x30});
    }
}

// The review of channel 3 writes its eleven registers in list order, each read back
// (register j: exchanges 2j + 1 and 2j + 2). A lost reply ends it there: the registers
// before and the one whose write went out hold the channel's values, the rest their
// old ones, and the review panel is raised again.
TEST_F(RegisterWriteFaults, SwitchChannelReviewLosingAReplyEndsWithTheShadowAsTheChip) {
  Click("USBScan");
  Click("MCALW");
  TWeightCAL* w = prog->WeightCAL;
  ASSERT_TRUE(w->Shown());
  w->SwitCh[2]->click();
  ASSERT_TRUE(w->SwitCh[2]->isChecked());
  for (size_t j = 0; j < SwitchRegList.size(); ++j) w->SwitchChannels[2].RegValue[j] = static_cast<uint8_t>(0x40 + j);
  // The chip implements the MX7406's own bits: of OSCCON (3Eh, 0x45 written) bits 2
  // and 1 are not there, so it holds 0x41.
  for (int a = 0; a < 0x200; ++a) sim.board.chip.SetMask(a, Mx7406Mask(a));
  const auto held = [](int j) { return SwitchRegList[j] == 0x3E ? 0x41 : 0x40 + j; };
  for (int k : {1, 2, 3, 12, 21, 22})
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << "exchange " << k << ", " << FaultName(fault));
      for (uint8_t a : SwitchRegList) Shadow(a) = 0x00;
      Arm(k, fault);
      QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3), w->PReview[2]->mapToGlobal(QPointF(3, 3)),
                          Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
      QCoreApplication::sendEvent(w->PReview[2], &release);
      ExpectTheShadowAsTheChipAfter(k);
      for (int j = 0; j < static_cast<int>(SwitchRegList.size()); ++j)
        EXPECT_EQ(Shadow(SwitchRegList[j]), 2 * j < k ? held(j) : 0x00) << int(SwitchRegList[j]);
      for (uint8_t a : SwitchRegList) ExpectViewsShowTheShadow(*prog, {a});
      EXPECT_EQ(w->PReview[2]->frameShadow(), QFrame::Raised);
    }
}

}  // namespace
