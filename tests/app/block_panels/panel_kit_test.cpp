// A selector and a switch bank of the block panels' kit bound to a field, writing it
// through the program's register API.
#include <gtest/gtest.h>

#include <memory>

#include "app/support/program_fixture.h"
#include "block_panels/field_binding.h"
#include "block_panels/panel_kit.h"
#include "block_panels/panel_kit_fixture.h"
#include "link/mx_up.h"

namespace {

// Controls bound to fields, wired as a panel wires them, on the program's register API.
class BoundControlsTest : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    // Fields anywhere, 41h among them: a chip that keeps every bit and converts nothing.
    sim.board.chip.ImplementEveryBit();
    sim.board.analog.reset();
    StartProgram();
    field = Def(0x21, 4, 4);
    kit = std::make_unique<KitFixture>(16);
    selector = std::make_unique<BoundSelector>(BoundSelector{field, kit->selector});
    selector->view.OnPick(*prog, &kit->host, [this](int i) { selector->Pick(Up(), i, true); });
    OnChoice(*prog, kit->combo, &kit->host, [this](int k) {
      selector->Choose(Up(), k);
      selector->Refresh(Up(), Repaint::Always);
    });
  }
  static TRegField Def(uint16_t address, uint8_t width, uint8_t shift) {
    TRegField f;
    f.Address = address;
    f.Width = width;
    f.Shift = shift;
    f.Defined = 1;
    return f;
  }
  void Connect() {
    Click("USBScan");
    sim.board.ClearLog();
  }
  TMx_UP& Up() { return *prog->Mx_UP; }
  uint8_t Shadow(int a) { return Up().GetReg(a, 0); }
  TRegField field;
  std::unique_ptr<KitFixture> kit;
  std::unique_ptr<BoundSelector> selector;
};

TEST_F(BoundControlsTest, SelectorClickWritesThePositionKeepingTheOtherBits) {
  Connect();
  Up().SetRegShadow(0x21, 0x0A, 0);
  kit->selector.glyphs[15].open->click();
  auto sent = Sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0][3], 0x21);
  EXPECT_EQ(sent[0][7], 0xFA);
  EXPECT_EQ(Shadow(0x21), 0xFA);
  EXPECT_EQ(field.Value, 15);
  EXPECT_EQ(kit->ClosedPosition(), 15);
}

TEST_F(BoundControlsTest, WriteWhileTheLinkIsClosedShowsTheShadowAfterTheRefresh) {
  Up().SetRegShadow(0x21, 0x30, 0);  // position 3; not connected
  selector->Refresh(Up(), Repaint::Always);
  kit->selector.glyphs[9].open->click();
  EXPECT_EQ(kit->ClosedPosition(), 9);  // painted before the write
  EXPECT_TRUE(Sent().empty());
  selector->Refresh(Up(), Repaint::OnChange);  // the cached 9 differs from the shadow
  EXPECT_EQ(kit->ClosedPosition(), 3);
  EXPECT_EQ(field.Value, 3);
}

TEST_F(BoundControlsTest, RefreshOnChangeLeavesAnUnchangedValueAlone) {
  Up().SetRegShadow(0x21, 0x20, 0);
  selector->Refresh(Up(), Repaint::OnChange);
  EXPECT_EQ(kit->ClosedPosition(), 2);
  kit->selector.PaintGlyphs(-1);  // something else drew over it
  selector->Refresh(Up(), Repaint::OnChange);
  EXPECT_EQ(kit->ClosedPosition(), -1);
  selector->Refresh(Up(), Repaint::Always);
  EXPECT_EQ(kit->ClosedPosition(), 2);
}

TEST_F(BoundControlsTest, ComboCodeBeyondTheFieldWritesTheCachedValueAgain) {
  Connect();
  field = Def(0x21, 3, 0);
  Up().SetRegShadow(0x21, 0x05, 0);
  selector->Refresh(Up(), Repaint::Always);
  Choose(kit->combo, 10);  // "1010"
  EXPECT_EQ(kit->combo->currentIndex(), 5);
  auto sent = Sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0][7], 0x05);  // the unchanged value, once more
  EXPECT_EQ(kit->ClosedPosition(), 5);
  Choose(kit->combo, 6);
  EXPECT_EQ(Shadow(0x21), 0x06);
  EXPECT_EQ(kit->ClosedPosition(), 6);
}

TEST_F(BoundControlsTest, UndefinedFieldIgnoresClicks) {
  Connect();
  field = TRegField{};
  kit->selector.glyphs[4].open->click();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Shadow(0), 0);
}

TEST_F(BoundControlsTest, BankClicksSetAndClearTheirBitsWithinTheWidth) {
  Connect();
  TRegField op1n = Def(0x40, 3, 0);
  BoundBank bank{op1n, kit->bank, 0};
  bank.view.OnClick(*prog, &kit->host, [&](int e, bool closed) { bank.Click(Up(), e, closed); });
  Up().SetRegShadow(0x40, 0x05, 0);
  bank.Refresh(Up());
  EXPECT_TRUE(kit->bank.glyphs[0].IsClosed());
  EXPECT_FALSE(kit->bank.glyphs[1].IsClosed());
  EXPECT_TRUE(kit->bank.glyphs[2].IsClosed());

  kit->bank.glyphs[1].open->click();
  EXPECT_EQ(Shadow(0x40), 0x07);
  kit->bank.glyphs[0].closed->click();
  EXPECT_EQ(Shadow(0x40), 0x06);
  sim.board.ClearLog();
  kit->bank.glyphs[3].open->click();  // bit 3 is beyond the 3-bit field
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Shadow(0x40), 0x06);

  // A bank painted from its second entry: entry 1 is bit 0.
  TRegField loop = Def(0x41, 2, 4);
  BoundBank fromSecond{loop, kit->bank, 1};
  fromSecond.Click(Up(), 1, false);
  EXPECT_EQ(Shadow(0x41), 0x10);
  fromSecond.Click(Up(), 0, false);  // before the bank's first entry
  EXPECT_EQ(Shadow(0x41), 0x10);
}

TEST_F(BoundControlsTest, TogglesInvertTheCachedValueOrTheShadowBit) {
  Connect();
  TRegField enadc = Def(0x50, 1, 3);
  auto* panel = new TTogglePanel("ENADC", &kit->host);
  BoundToggle toggle{enadc, panel, Look::ToggleOffWindow};
  toggle.Refresh(Up());
  EXPECT_EQ(LookOf(panel), Look::ToggleOffWindow);

  enadc.Value = 0;
  toggle.InvertCached(Up());
  EXPECT_EQ(Shadow(0x50), 0x08);
  toggle.Refresh(Up());
  EXPECT_EQ(LookOf(panel), Look::ToggleOn);
  enadc.Value = 5;  // anything but 0 inverts to 0
  toggle.InvertCached(Up());
  EXPECT_EQ(Shadow(0x50), 0x00);

  // The shadow's bit decides, not what was painted or cached.
  Up().SetRegShadow(0x50, 0x08, 0);
  enadc.Value = 0;
  toggle.InvertBit(Up());
  EXPECT_EQ(Shadow(0x50), 0x00);
}

}  // namespace
