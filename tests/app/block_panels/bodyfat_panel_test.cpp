// The body-fat switch panel on a running program with the shipped MX7406 definition: the
// switch map (which field bit paints a switch and which one a click changes), the shared
// switches painted from one field and toggling another, the node labels lit through the
// refresh chain, and fields narrower than their switches.
#include "block_panels/adc_panel.h"
#include "app/block_panels/block_panel_fixture.h"
#include "block_panels/bodyfat_panel.h"
#include "block_panels/field_binding.h"

namespace {

class BodyfatPanelTest : public BlockPanelTest {
protected:
  TbodyfatGUIForm* Bf() { return prog->bodyfatGUIForm; }
  bool Sw(int n) { return Closed(Bf(), QString("btnSWOn%1").arg(n), QString("btnSWOff%1").arg(n)); }
  bool Force(int n) { return Closed(Bf(), QString("btn1FOn%1").arg(n), QString("btn1FOff%1").arg(n)); }
  void Refresh(int address, int value) {
    Up().SetRegShadow(address, static_cast<uint8_t>(value), 0);
    Bf()->DataUpdate();
  }
};

TEST_F(BodyfatPanelTest, RamBankSwitchesAndTheirClicks) {
  EXPECT_EQ(Bf()->Caption(), "Body fat");
  Refresh(0x28, 0x41);
  EXPECT_TRUE(Sw(15));
  EXPECT_TRUE(Sw(9));
  for (int n : {14, 13, 12, 11, 10}) EXPECT_FALSE(Sw(n)) << "SW" << n;
  Button(Bf(), "btnSWOff12")->click();
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x28, 0x49}}));
  EXPECT_TRUE(Sw(12));
}

// Every switch: the register bit a click on it sets (open glyph) and clears (closed
// glyph), the others kept, and the refresh shows the switch as the bit says.
TEST_F(BodyfatPanelTest, EachSwitchTogglesItsFieldBit) {
  struct Case {
    const char* glyph;  // name without "On"/"Off": "SW" + n or "1F" + n
    int number;
    int address;
    int bit;
  };
  const Case cases[] = {
      {"SW", 1, 0x25, 7},  {"1F", 4, 0x25, 3},  {"1F", 7, 0x25, 6},  {"SW", 5, 0x26, 3},  {"SW", 2, 0x26, 6},
      {"SW", 9, 0x28, 6},  {"SW", 8, 0x27, 3},  {"SW", 6, 0x27, 5},  {"SW", 15, 0x28, 0}, {"SW", 14, 0x28, 1},
      {"SW", 13, 0x28, 2}, {"SW", 10, 0x28, 5},
  };
  for (const Case& c : cases) {
    const QString closed = QString("btn%1On%2").arg(c.glyph).arg(c.number);
    const QString open = QString("btn%1Off%2").arg(c.glyph).arg(c.number);
    SCOPED_TRACE(closed.toStdString());
    const int others = 0x5A & ~(1 << c.bit);
    Refresh(c.address, others);
    ASSERT_FALSE(Closed(Bf(), closed, open));
    sim.board.ClearLog();
    Button(Bf(), open)->click();
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{c.address, others | (1 << c.bit)}}));
    EXPECT_TRUE(Closed(Bf(), closed, open));
    Button(Bf(), closed)->click();
    EXPECT_EQ(Shadow(c.address), others);
    EXPECT_FALSE(Closed(Bf(), closed, open));
  }
}

// SW9, SW14 and SW15 are painted first from DACCN3 and DAC2CN2, then from RAMBANK, which
// wins; a click on them changes RAMBANK only.
TEST_F(BodyfatPanelTest, SharedSwitchesArePaintedFromOneFieldAndToggleAnother) {
  Up().SetRegShadow(0x26, 0x80, 0);  // DACCN3 bit 4
  Up().SetRegShadow(0x27, 0xC0, 0);  // DAC2CN2 bits 3 and 4
  Refresh(0x28, 0x00);
  EXPECT_FALSE(Sw(9));
  EXPECT_FALSE(Sw(15));
  EXPECT_FALSE(Sw(14));
  Button(Bf(), "btnSWOff9")->click();
  Button(Bf(), "btnSWOff14")->click();
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x28, 0x40}, {0x28, 0x42}}));
  EXPECT_EQ(Shadow(0x26), 0x80);
  EXPECT_TRUE(Sw(9));
  EXPECT_TRUE(Sw(14));
  EXPECT_FALSE(Sw(15));
}

// A write on any panel reaches the body-fat panel through the refresh chain, hidden as it
// is: IN1P = 15 (what the ADC panel's position 15 writes) lights "OPO2".
TEST_F(BodyfatPanelTest, NodeLabelsLightThroughTheRefreshChain) {
  ASSERT_FALSE(Bf()->Shown());
  struct Case {
    FieldId field;
    int value;
    const char* label;
    bool lit;
  };
  const Case cases[] = {
      {FieldId::IN1P, 15, "lblOpo2", true}, {FieldId::IN1P, 14, "lblOpo2", false},
      {FieldId::IN1N, 8, "lblOpo", true},   {FieldId::IN1N, 9, "lblOpo", false},
      {FieldId::DAOE, 1, "lblLpf_In", true}, {FieldId::DAOE, 2, "lblLpf_In", false},
      {FieldId::LPF_FBP, 1, "lblLpf_fbp", true}, {FieldId::AI8, 1, "lblAi8", true},
      {FieldId::AI9, 1, "lblAi9", true},   {FieldId::DACO2, 1, "lblDaco2", true},
      {FieldId::LPF_O, 1, "lblLpf_O", true}, {FieldId::LPF_O, 0, "lblLpf_O", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label + std::to_string(c.value));
    ASSERT_TRUE(WriteField(Up(), Field(c.field), c.value));
    EXPECT_EQ(Lit(Bf(), c.label), c.lit);
    EXPECT_EQ(Label(Bf(), c.label)->isHidden(), false);
  }
  EXPECT_EQ(Label(Bf(), "lblOpo2")->text(), "OPO2");
  EXPECT_EQ(Label(Bf(), "lblLpf_fbp")->text(), "LPF_fbp");
}

// Position 15 of IN1P and 8 of IN1N chosen on the ADC panel light the body-fat panel's
// labels; opened later, the panel shows that state without a further refresh.
TEST_F(BodyfatPanelTest, AdcPanelChoicesLightTheSharedLabels) {
  Button(prog->ADCForm, "IN1P1111off")->click();
  Button(prog->ADCForm, "IN1N1000off")->click();
  EXPECT_EQ(Shadow(0x13), 0xF8);
  EXPECT_TRUE(Lit(Bf(), "lblOpo2"));
  EXPECT_TRUE(Lit(Bf(), "lblOpo"));
  sim.board.ClearLog();
  Click("SMenu_Bodyfat");
  EXPECT_TRUE(Bf()->Shown());
  EXPECT_TRUE(Sent().empty());
  EXPECT_TRUE(Lit(Bf(), "lblOpo2"));
  Button(prog->ADCForm, "IN1P1110off")->click();
  EXPECT_FALSE(Lit(Bf(), "lblOpo2"));
}

// Fields narrower than the switches the network gives them paint and change only the
// switches of their bits.
TEST_F(BodyfatPanelTest, NarrowFieldsLeaveTheirFurtherSwitchesAlone) {
  ParseOwn("#BODYFATPANEL\n25H F_LOOP 2 3\n28H RAMBANK 2 0\n");
  Refresh(0x25, 0x78);  // four bits set where F_LOOP has two
  EXPECT_TRUE(Force(4));
  EXPECT_TRUE(Force(5));
  EXPECT_FALSE(Force(6));
  EXPECT_FALSE(Force(7));
  sim.board.ClearLog();
  Button(Bf(), "btn1FOff6")->click();  // bit 2 of a 2-bit F_LOOP
  Button(Bf(), "btnSWOff12")->click(); // RAMBANK bit 3 of a 2-bit RAMBANK
  Button(Bf(), "btnSWOff9")->click();  // bit 6
  EXPECT_TRUE(Writes().empty());
  Button(Bf(), "btnSWOff14")->click();
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x28, 0x02}}));
}

}  // namespace
