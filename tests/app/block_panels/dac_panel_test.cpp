// The DAC panel on a running program with the shipped MX7406 definition: glyph clicks
// write a position without touching the cached value, combos are matched by their code
// text, toggles invert the shadow's bit, the latch switches and the 12-bit code displays.
#include <QComboBox>
#include <QLineEdit>

#include "app/block_panels/block_panel_fixture.h"
#include "block_panels/dac_panel.h"
#include "shell/main_panel.h"

namespace {

class DacPanelTest : public BlockPanelTest {
protected:
  TDACForm* Dac() { return prog->DACForm; }
  QComboBox* Combo(const char* name) { return Find<QComboBox>(Dac(), name); }
  // The position whose closed glyph shows; -1 when none, -2 when several do.
  int ClosedPosition(const QString& part) {
    int closed = -1;
    for (int i = 0; i < 4; ++i) {
      const QString n = QString::number(i);
      if (!Closed(Dac(), "btn" + part + "On" + n, "btn" + part + "Off" + n)) continue;
      closed = closed == -1 ? i : -2;
    }
    return closed;
  }
  void Refresh(int address, int value) {
    Up().SetRegShadow(address, static_cast<uint8_t>(value), 0);
    Dac()->DataUpdate();
  }
};

TEST_F(DacPanelTest, SelectorsShowTheShadowAndGlyphClicksWriteThePosition) {
  EXPECT_EQ(Dac()->Caption(), "DAC");
  // 15h = E9h: ENDA, DALH, DADCS set, DAPS (bits 3:2) = 2, DANS (bits 1:0) = 1.
  Refresh(0x15, 0xE9);
  EXPECT_EQ(ClosedPosition("Daps"), 2);
  EXPECT_EQ(Combo("cmbDaps")->currentText(), "10");
  EXPECT_EQ(ClosedPosition("Dans"), 1);
  EXPECT_EQ(Combo("cmbDans")->currentText(), "01");

  // The click writes and paints nothing itself: with the write failing, the panel and the
  // cached value stay as the last refresh left them.
  sim.board.Arm(BoardFault::FailedTransfer);
  Button(Dac(), "btnDapsOff1")->click();
  EXPECT_EQ(Shadow(0x15), 0xE9);
  EXPECT_EQ(Field(FieldId::DAPS).Value, 2);
  EXPECT_EQ(ClosedPosition("Daps"), 2);

  Click("USBScan");
  sim.board.ClearLog();
  Button(Dac(), "btnDapsOff1")->click();
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x15, 0xE5}}));
  EXPECT_EQ(ClosedPosition("Daps"), 1);  // the refresh chain repainted
  EXPECT_EQ(Combo("cmbDaps")->currentText(), "01");
  // The closed glyph of a position writes that position too.
  Button(Dac(), "btnDapsOn1")->click();
  EXPECT_EQ(Writes().back(), std::make_pair(0x15, 0xE5));

  // The second DAC and the output selectors: DAOE (16h bits 7:6), DAOE2 (bits 5:4).
  Button(Dac(), "btnDaoe2Off2")->click();
  Button(Dac(), "btnDaoeOff1")->click();
  EXPECT_EQ(Shadow(0x16), 0x60);
  EXPECT_EQ(ClosedPosition("Daoe"), 1);
  EXPECT_EQ(ClosedPosition("Daoe2"), 2);
  EXPECT_EQ(Combo("cmbDaoe2")->currentText(), "10");
  Button(Dac(), "btnDans2Off2")->click();
  EXPECT_EQ(Shadow(0x19), 0x02);
  // Position 3 of DAOE is "-": disabled, no write.
  sim.board.ClearLog();
  Button(Dac(), "btnDaoeOff3")->click();
  EXPECT_TRUE(Writes().empty());
}

TEST_F(DacPanelTest, CombosAreMatchedByTheirCodeText) {
  Refresh(0x15, 0x00);
  Choose(Combo("cmbDaps"), "10");
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x15, 0x08}}));
  EXPECT_EQ(ClosedPosition("Daps"), 2);

  // A definition that offers positions 1..3 of DANS only: the combo holds 01, 10, 11.
  ParseOwn("#DAC0S\n15H DANS 2 0 - VCM REF- GND\n");
  QComboBox* dans = Combo("cmbDans");
  EXPECT_EQ(dans->count(), 3);
  EXPECT_EQ(dans->currentIndex(), -1);  // the cached 0 has no item: nothing selected
  sim.board.ClearLog();
  Choose(dans, "10");
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x15, 0x0A}}));
  EXPECT_EQ(dans->currentText(), "10");
  EXPECT_EQ(ClosedPosition("Dans"), 2);
  Refresh(0x15, 0x08);  // DANS = 0: no item
  EXPECT_EQ(dans->currentIndex(), -1);
  EXPECT_EQ(ClosedPosition("Dans"), 0);

  // After a re-parse the refilled combos show the cached value's code, as the glyphs do.
  Refresh(0x15, 0x0B);  // DANS = 3
  ParseOwn("#DAC0S\n15H DANS 2 0 - VCM REF- GND\n");
  EXPECT_EQ(dans->currentText(), "11");
  EXPECT_EQ(ClosedPosition("Dans"), 3);
}

TEST_F(DacPanelTest, TogglesInvertTheShadowBitWhateverWasPainted) {
  Refresh(0x15, 0x00);
  EXPECT_EQ(LookOf(Button(Dac(), "pnlEnda")), Look::ToggleOffFace);
  Up().SetRegShadow(0x15, 0x80, 0);  // not painted
  Button(Dac(), "pnlEnda")->click();
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x15, 0x00}}));
  Button(Dac(), "pnlDadcs2")->click();
  EXPECT_EQ(Shadow(0x19), 0x20);
  EXPECT_EQ(LookOf(Button(Dac(), "pnlDadcs2")), Look::ToggleOn);
  EXPECT_EQ(LookOf(Button(Dac(), "pnlEnda")), Look::ToggleOffFace);
}

TEST_F(DacPanelTest, LatchSwitchesAndCodeDisplays) {
  // The shipped definition defines both latches: their open glyphs show.
  EXPECT_FALSE(Closed(Dac(), "btnDalhOn", "btnDalhoff"));
  Button(Dac(), "btnDalhoff")->click();
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x15, 0x40}}));
  EXPECT_TRUE(Closed(Dac(), "btnDalhOn", "btnDalhoff"));
  Button(Dac(), "btnDalhOn")->click();
  EXPECT_EQ(Shadow(0x15), 0x00);
  Button(Dac(), "btnDalh2Off")->click();
  EXPECT_EQ(Shadow(0x19), 0x40);
  EXPECT_TRUE(Closed(Dac(), "btnDalh2On", "btnDalh2Off"));

  Up().SetRegShadow(0x17, 0x0A, 0);
  Up().SetRegShadow(0x18, 0x5C, 0);
  Up().SetRegShadow(0x1A, 0x0F, 0);
  Up().SetRegShadow(0x1B, 0x01, 0);
  Dac()->DataUpdate();
  EXPECT_EQ(Dac()->edtDabit->text(), "101001011100");  // A5Ch, bit 11 first
  EXPECT_EQ(Dac()->edtDabit2->text(), "111100000001");
  EXPECT_TRUE(Dac()->edtDabit->isReadOnly());
}

}  // namespace
