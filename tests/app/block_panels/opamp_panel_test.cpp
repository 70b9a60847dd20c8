// The op-amp panel on a running program with the shipped MX7406 definition: bank clicks
// write one bit and keep the others, every bank follows the shadow after a refresh and
// after a re-parse, the feedback resistors and enables, and the two variant layouts of
// OP1O and OP1P that the definition's widths choose.
#include <QComboBox>
#include <QLabel>

#include "block_panels/opamp_panel.h"
#include "app/block_panels/block_panel_fixture.h"
#include "shell/main_panel.h"

namespace {

class OpampPanelTest : public BlockPanelTest {
protected:
  TOPForm* Op() { return prog->OPForm; }
  bool Closed(const QString& prefix, int number) {
    return BlockPanelTest::Closed(Op(), prefix + "On" + QString::number(number),
                                  prefix + "Off" + QString::number(number));
  }
  void Glyph(const QString& prefix, bool closed, int number) {
    Button(Op(), prefix + (closed ? "On" : "Off") + QString::number(number))->click();
  }
};

// Each bank's glyph numbering and register bit (shipped definition): the open glyph sets
// the bit, the closed one clears it, the register's other bits stay; the refresh shows it.
TEST_F(OpampPanelTest, BankClicksWriteTheirBitAndKeepTheOthers) {
  struct Case {
    const char* glyphs;
    int number;  // the glyph pair's number in its name
    int address;
    int bit;     // register bit
  };
  const Case cases[] = {
      {"btnOp1o", 0, 0x1C, 2},     {"btnOp1o", 5, 0x1C, 7},  {"btnOp1p", 7, 0x1D, 7}, {"btnOp1n", 3, 0x1E, 3},
      {"btnOp2n", 8, 0x20, 6},     {"btnOp2n", 9, 0x20, 7},  {"btnOp2Net1", 4, 0x20, 2},
      {"btnOp2Net1", 7, 0x20, 5},  {"btnOp2n", 0, 0x1F, 0},  {"btnOp2p", 6, 0x21, 6}, {"btnSw", 1, 0x24, 4},
      {"btnSw", 4, 0x24, 7},       {"btnOp3n", 2, 0x22, 2},  {"btnOp3p", 5, 0x23, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.glyphs) + std::to_string(c.number));
    const int others = 0xA5 & ~(1 << c.bit);
    Up().SetRegShadow(c.address, static_cast<uint8_t>(others), 0);
    Op()->DataUpdate();
    ASSERT_FALSE(Closed(c.glyphs, c.number));
    sim.board.ClearLog();
    Glyph(c.glyphs, false, c.number);
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{c.address, others | (1 << c.bit)}}));
    EXPECT_EQ(Shadow(c.address), others | (1 << c.bit));
    EXPECT_TRUE(Closed(c.glyphs, c.number));
    Glyph(c.glyphs, true, c.number);
    EXPECT_EQ(Shadow(c.address), others);
    EXPECT_FALSE(Closed(c.glyphs, c.number));
  }
}

TEST_F(OpampPanelTest, ClicksOnOneBankFollowTheShadowNotTheCachedValue) {
  // OP1N at 1Eh, shift 0: 05h, switch 3 opened writes 0Dh, switch 0 closed then 0Ch.
  Up().SetRegShadow(0x1E, 0x05, 0);
  Field(FieldId::OP1N).Value = 0xF0;  // whatever was painted last does not count
  Glyph("btnOp1n", false, 3);
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x1E, 0x0D}}));
  EXPECT_EQ(Field(FieldId::OP1N).Value, 0x0D);  // stored by the refresh, from the read-back
  Glyph("btnOp1n", true, 0);
  EXPECT_EQ(Shadow(0x1E), 0x0C);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(Closed("btnOp1n", i), i == 2 || i == 3) << i;

  // Switch 7 is "-" in the definition: its glyphs are disabled and ignore clicks.
  sim.board.ClearLog();
  Glyph("btnOp1n", false, 7);
  EXPECT_TRUE(Writes().empty());

  // A write that fails leaves the shadow, and the panel shows the shadow.
  sim.board.Arm(BoardFault::FailedTransfer);
  Glyph("btnOp1n", false, 5);
  EXPECT_EQ(Shadow(0x1E), 0x0C);
  Op()->DataUpdate();
  EXPECT_FALSE(Closed("btnOp1n", 5));
}

TEST_F(OpampPanelTest, BanksFollowTheShadowAfterARefreshAndAReparse) {
  const std::pair<int, int> regs[] = {{0x1C, 0x25}, {0x1D, 0x83}, {0x20, 0xC6}, {0x24, 0x35}, {0x23, 0x40}};
  for (auto [a, v] : regs) Up().SetRegShadow(a, static_cast<uint8_t>(v), 0);
  ASSERT_FALSE(Op()->Shown());
  Op()->DataUpdate();  // hidden, and repainted all the same
  auto check = [this] {
    // OP1O = 09h: switches 0 and 3.
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Closed("btnOp1o", i), i == 0 || i == 3) << "OP1O " << i;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Closed("btnOp1p", i), i == 0 || i == 1 || i == 7) << "OP1P " << i;
    // 20h = C6h: OP2N89 = 3 (switches 8, 9), OP2NET1 = 1 (switch 4), RFB2 = 2.
    EXPECT_TRUE(Closed("btnOp2n", 8));
    EXPECT_TRUE(Closed("btnOp2n", 9));
    for (int i = 4; i < 8; ++i) EXPECT_EQ(Closed("btnOp2Net1", i), i == 4) << "NET1 " << i;
    EXPECT_EQ(Label(Op(), "lblRfb2")->text(), "100K");
    // 24h = 35h: SW = 3 (switches 1, 2), ENOP = 5.
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(Closed("btnSw", i), i <= 2) << "SW " << i;
    EXPECT_EQ(LookOf(Button(Op(), "pnlEnop1")), Look::ToggleOn);
    EXPECT_EQ(LookOf(Button(Op(), "pnlEnop2")), Look::ToggleOffFace);
    EXPECT_EQ(LookOf(Button(Op(), "pnlEnop3")), Look::ToggleOn);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(Closed("btnOp3p", i), i == 6) << "OP3P " << i;
    EXPECT_TRUE(Lit(Op(), "lblOp3p6"));
    EXPECT_FALSE(Lit(Op(), "lblOp3p5"));
  };
  check();
  ASSERT_TRUE(prog->Option->GetSELUP());
  check();
  // The connect hook parses again and refreshes.
  sim.board.chip.Poke(0x23, 0x01);
  Click("USBScan");
  EXPECT_EQ(Op()->Caption(), "OP - " + prog->Option->ProductText(0));
  check();  // no register was read: the shadow still holds 40h
}

TEST_F(OpampPanelTest, FeedbackResistorsAndEnables) {
  Up().SetRegShadow(0x1C, 0x26, 0);  // RFB = 2, OP1O bits above
  Op()->DataUpdate();
  auto* rfb = Find<QComboBox>(Op(), "cmbRfb");
  EXPECT_EQ(Label(Op(), "lblRfb")->text(), "100K");
  EXPECT_EQ(rfb->currentText(), "10");
  Choose(rfb, "11");
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x1C, 0x27}}));
  EXPECT_EQ(Label(Op(), "lblRfb")->text(), "500K");
  Choose(Find<QComboBox>(Op(), "cmbRfb2"), "01");
  EXPECT_EQ(Shadow(0x20), 0x01);
  EXPECT_EQ(Label(Op(), "lblRfb2")->text(), "50K");

  // Three ENOP bits with bit 1 set: only the second enable is on. A click inverts the
  // panel's bit of the shadow byte.
  Up().SetRegShadow(0x24, 0xF2, 0);
  Op()->DataUpdate();
  EXPECT_EQ(LookOf(Button(Op(), "pnlEnop1")), Look::ToggleOffFace);
  EXPECT_EQ(LookOf(Button(Op(), "pnlEnop2")), Look::ToggleOn);
  EXPECT_EQ(LookOf(Button(Op(), "pnlEnop3")), Look::ToggleOffFace);
  sim.board.ClearLog();
  Button(Op(), "pnlEnop3")->click();
  Button(Op(), "pnlEnop2")->click();
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x24, 0xF6}, {0x24, 0xF4}}));
  EXPECT_EQ(LookOf(Button(Op(), "pnlEnop2")), Look::ToggleOffFace);
  EXPECT_EQ(LookOf(Button(Op(), "pnlEnop3")), Look::ToggleOn);
}

TEST_F(OpampPanelTest, EnableBeyondTheFieldWritesNothing) {
  ParseOwn("#OP0S\n24H ENOP 2 0 E1 E2\n");
  EXPECT_FALSE(Button(Op(), "pnlEnop3")->isHidden());  // beyond the width: left as it was
  Up().SetRegShadow(0x24, 0x00, 0);
  Button(Op(), "pnlEnop3")->click();
  EXPECT_TRUE(Writes().empty());
  Button(Op(), "pnlEnop2")->click();
  EXPECT_EQ(Shadow(0x24), 0x02);
}

// The shipped definition chooses the 6-switch OP1O and 8-switch OP1P banks; a definition
// with a 3-bit OP1O and a 7-bit OP1P the small banks in their cards.
TEST_F(OpampPanelTest, VariantLayoutsFollowTheWidths) {
  auto shown = [this](const char* name) { return !Find<QWidget>(Op(), name)->isHidden(); };
  EXPECT_FALSE(shown("pnlOp1os"));
  EXPECT_FALSE(shown("pnlOp1ps"));
  EXPECT_FALSE(shown("pnlCoverLpf_1"));
  // The small banks' labels as created: "0", "1", ...
  EXPECT_EQ(Label(Op(), "lblOp1ps2_0")->text(), "0");
  EXPECT_EQ(Label(Op(), "lblOp1ps2_6")->text(), "6");
  EXPECT_EQ(Label(Op(), "lblOp1os2_2")->text(), "2");
  EXPECT_EQ(Label(Op(), "lblOp1ps2_0")->geometry(), QRect(15, 52, 49, 13));
  EXPECT_EQ(Label(Op(), "lblOp1os2_1")->geometry(), QRect(71, 45, 49, 13));

  Up().SetRegShadow(0x1C, 0x0C, 0);  // OP1O bits 0 and 1 (shift 2)
  Up().SetRegShadow(0x1D, 0x81, 0);
  ParseOwn("#OP0S\n1CH OP1O 3 2 A0 - A2\n1DH OP1P 7 0 P0 P1 P2 P3 P4 P5 P6\n");
  EXPECT_EQ(Field(FieldId::OP1O).Width, 3);
  EXPECT_TRUE(shown("pnlOp1os"));
  EXPECT_TRUE(shown("pnlOp1os_2"));
  EXPECT_TRUE(shown("pnlOp1ps"));
  EXPECT_TRUE(shown("pnlCoverLpf_1"));
  EXPECT_EQ(Label(Op(), "lblOp1os2_2")->text(), "A2");
  EXPECT_FALSE(Button(Op(), "btnOp1os2Off1")->isEnabled());
  // The small banks show the shadow at once: OP1O = 3, OP1P = 01h on the pair numbered 1.
  EXPECT_TRUE(Closed("btnOp1os2", 0));
  EXPECT_FALSE(Closed("btnOp1os2", 2));
  for (int n = 1; n <= 7; ++n) EXPECT_EQ(Closed("btnOp1ps2", n), n == 1) << n;
  EXPECT_TRUE(Lit(Op(), "lblOp1ps2_0"));

  // Their clicks write the bits of the narrower fields; the refresh paints the small banks.
  Glyph("btnOp1os2", false, 2);
  EXPECT_EQ(Shadow(0x1C), 0x1C);
  Glyph("btnOp1ps2", false, 7);
  EXPECT_EQ(Shadow(0x1D), 0xC1);
  EXPECT_TRUE(Closed("btnOp1ps2", 7));
  EXPECT_TRUE(Closed("btnOp1os2", 2));

  // Back to the shipped definition: the big banks, painted from the shadow.
  ParseShipped();
  EXPECT_FALSE(shown("pnlOp1os"));
  EXPECT_FALSE(shown("pnlOp1ps"));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(Closed("btnOp1o", i), i <= 2) << i;  // 1Ch = 1Ch: OP1O = 7
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Closed("btnOp1p", i), i == 0 || i >= 6) << i;
}

}  // namespace
