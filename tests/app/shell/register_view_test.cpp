// The register view on a running program: grids from the shadow, page tabs, change
// marks, keypad, bit menu and typed edits, the hidden core panel.
#include <QMenu>

#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "shell/memory_view.h"
#include "shell/register_view.h"
#include "app/support/keypad_driver.h"
#include "app/support/view_fixture.h"

namespace {

const CellStyle kFace{Qt::black, ViewColor::ButtonFace};

struct RegisterView : ViewTest {
  TMx_Reg2* reg = nullptr;
  void SetUp() override {
    ViewTest::SetUp();
    Define("#PRODUCT\nTEST\n"
           "#REGBIT\n01H CTRL B7 B6 B5 B4 B3 B2 B1 B0\n31H SPEC S7 S6 S5 S4 S3 S2 S1 S0\n"
           "#REGBIT2\n0DH GEN G7 - G5 G4 G3 G2 G1 G0\n"
           "#REGBYTE\n20H OSC 0FFH\n21H TRIM 0FH\n"
           "#REGWORD\n22H DAC 23H X 0FH 0FFH\n");
    reg = prog->Mx_Reg2;
    prog->MainPanel->OpenPanel(reg, 2);
  }
  QString WithKeys(const std::function<void()>& open, const QString& keys) {
    return TypeIntoKeypad(*prog->MxPopSelHex, open, keys);
  }
};

TEST_F(RegisterView, GridsAndPageTabsFollowTheDefinition) {
  EXPECT_EQ(reg->windowTitle(), "TESTRegister");
  for (int p = 0; p < 6; ++p) EXPECT_EQ(!reg->PPAGE[p]->isHidden(), p == 0 || p == 2) << p;
  EXPECT_TRUE(reg->PPAGE[0]->Raised());
  EXPECT_EQ(reg->PPAGE[0]->Color(), ViewColor::Yellow);
  EXPECT_FALSE(reg->PPAGE[2]->Raised());
  EXPECT_EQ(reg->PPAGE[2]->Color(), ViewColor::ButtonFace);
  ASSERT_EQ(reg->SREG->RowCount(), 2);
  EXPECT_EQ(reg->SREG->height(), 4 * reg->SREG->rowHeight(0));
  EXPECT_EQ(reg->SREG->Cell(0, 0), "CTRL");
  EXPECT_EQ(reg->SREG->Cell(1, 0), "B7");
  EXPECT_EQ(reg->SREG->Cell(8, 1), "S0");
  EXPECT_EQ(reg->SByteReg->Cell(1, 0), "TRIM");
  EXPECT_EQ(reg->SWordReg->Cell(0, 0), "DAC");
  EXPECT_EQ(reg->Panel1->text(), "Byte ");
  EXPECT_EQ(reg->Panel3->text(), "Word");

  Shadow(0x01) = 0x81;
  Shadow(0x20) = 0xAB;
  Shadow(0x21) = 0xFF;
  Shadow(0x22) = 0x1F;
  Shadow(0x23) = 0x34;
  reg->DataUpdate(true);
  EXPECT_EQ(reg->SByteReg->Cell(0, 1), "AB");
  EXPECT_EQ(reg->SByteReg->Cell(1, 1), "0F");  // masked
  EXPECT_EQ(reg->SWordReg->Cell(0, 1), "0F34");
  EXPECT_EQ(reg->SREGStyle(1, 0), CellStyle({ViewColor::Blue, Qt::white}));  // bit 7 set
  EXPECT_EQ(reg->SREGStyle(2, 0), CellStyle({Qt::black, ViewColor::Silver}));
  EXPECT_EQ(reg->ValueGridStyle(reg->SByteReg, 0, 1), CellStyle());
  EXPECT_EQ(reg->ValueGridStyle(reg->SByteReg, 5, 0), kFace);  // past the last entry

  reg->PPAGE[2]->click();
  EXPECT_EQ(G().BitPage, 2);
  ASSERT_EQ(reg->SREG->RowCount(), 1);
  EXPECT_EQ(reg->SREG->Cell(0, 0), "GEN");
  EXPECT_TRUE(reg->PPAGE[2]->Raised());
  EXPECT_EQ(reg->PPAGE[2]->Color(), ViewColor::Red);
  EXPECT_FALSE(reg->PPAGE[0]->Raised());
  reg->PPAGEClick(1);  // a page without registers
  EXPECT_EQ(reg->SREG->RowCount(), 0);
}

TEST_F(RegisterView, ChangedValuesAreMarkedUntilTheNextRefresh) {
  Connect();
  // The memory view refreshes after this view and clears the marks of the bank it
  // shows; with bank 1 shown the registers keep theirs.
  prog->Mx_RAM->PBankClick(1);
  sim.board.chip.Poke(0x20, 0x55);
  prog->Mx_UP->WriteReg(0x20, 0x55, 0);
  EXPECT_EQ(reg->ValueGridStyle(reg->SByteReg, 0, 0), ChangedStyle());
  EXPECT_EQ(reg->SByteReg->Cell(0, 1), "55");
  prog->Mx_UP->WriteReg(0x20, 0x55, 0);  // the value it already had
  EXPECT_EQ(reg->ValueGridStyle(reg->SByteReg, 0, 0), kFace);

  sim.board.chip.SetMask(0x21, 0x03);  // read-only bits: the read-back is shown
  prog->Mx_UP->WriteReg(0x21, 0xFF, 0);
  EXPECT_EQ(reg->SByteReg->Cell(1, 1), "03");

  prog->Mx_UP->WriteReg(0x01, 0x80, 0);
  EXPECT_EQ(reg->SREGStyle(0, 0), ChangedStyle());
  EXPECT_EQ(reg->SREGStyle(0, 1), kFace);

  // A word whose two bytes both changed marks only its high address.
  Shadow(0x22) = 0x05;
  Shadow(0x23) = 0x06;
  reg->DataUpdate();
  EXPECT_TRUE(G().RegChanged[0x22]);
  EXPECT_FALSE(G().RegChanged[0x23]);
  EXPECT_EQ(reg->ValueGridStyle(reg->SWordReg, 0, 0), ChangedStyle());
  Shadow(0x23) = 0x07;
  reg->DataUpdate();
  EXPECT_FALSE(G().RegChanged[0x22]);
  EXPECT_TRUE(G().RegChanged[0x23]);
  EXPECT_EQ(reg->ValueGridStyle(reg->SWordReg, 0, 0), ChangedStyle());
  reg->DataUpdate();
  EXPECT_EQ(reg->ValueGridStyle(reg->SWordReg, 0, 0), kFace);
}

TEST_F(RegisterView, KeypadEditsWriteTheRegister) {
  Connect();
  EXPECT_EQ(WithKeys([&] { GridDoubleClick(reg->SREG, 0, 0); }, "a5"), "Ram001=CTRL");
  EXPECT_EQ(SentText(), (std::vector<std::string>{"W 01 A5", "R 01 1"}));
  EXPECT_EQ(Shadow(0x01), 0xA5);

  sim.board.ClearLog();
  WithKeys([&] { GridDoubleClick(reg->SByteReg, 1, 0); }, "7\n");
  WithKeys([&] { GridDoubleClick(reg->SWordReg, 0, 0); }, "1234");
  EXPECT_EQ(SentText(), (std::vector<std::string>{"W 21 07", "R 21 1", "W 22 12", "R 22 1", "W 23 34", "R 23 1"}));

  // Value cells, empty cells and cancelled entries write nothing.
  sim.board.ClearLog();
  WithoutKeypad(*prog->MxPopSelHex, [&] {
    GridDoubleClick(reg->SByteReg, 0, 1);
    GridDoubleClick(reg->SByteReg, 4, 0);
  });
  WithKeys([&] { GridDoubleClick(reg->SByteReg, 0, 0); }, "\x1b");
  EXPECT_TRUE(Sent().empty());
}

TEST_F(RegisterView, BitMenuSetsAndClearsOneBit) {
  Connect();
  sim.board.chip.Poke(0x01, 0xA5);
  Shadow(0x01) = 0xA5;
  GridDoubleClick(reg->SREG, 1, 0);  // bit 7
  EXPECT_TRUE(reg->PMBit->isVisible());
  EXPECT_EQ(reg->PMBitSet->text(), "=1");
  EXPECT_EQ(reg->PMBitClr->text(), "=0");
  reg->PMBit->hide();
  reg->PMBitClr->trigger();
  GridDoubleClick(reg->SREG, 7, 0);  // bit 1
  reg->PMBit->hide();
  reg->PMBitSet->trigger();
  EXPECT_EQ(SentText(), (std::vector<std::string>{"W 01 25", "R 01 1", "W 01 27", "R 01 1"}));

  GridDoubleClick(reg->SREG, 3, 1);  // register 31h opens no menu
  EXPECT_FALSE(reg->PMBit->isVisible());
  reg->PPAGEClick(2);
  GridDoubleClick(reg->SREG, 2, 0);  // bit 6 of GEN is "-"
  EXPECT_FALSE(reg->PMBit->isVisible());
}

TEST_F(RegisterView, TypingIntoValueCells) {
  Connect();
  reg->SByteReg->setCurrentCell(1, 0);
  GridType(reg->SByteReg, "123");
  EXPECT_EQ(reg->SByteReg->Cell(0, 1), "23");
  GridType(reg->SByteReg, "g-\r");  // no hex digits: dropped
  reg->SWordReg->setCurrentCell(1, 0);
  GridType(reg->SWordReg, "0a3b5\b\b1c\t");
  EXPECT_EQ(SentText(), (std::vector<std::string>{"W 20 23", "R 20 1", "W 22 A3", "R 22 1", "W 23 1C", "R 23 1"}));
  EXPECT_EQ(reg->SWordReg->Cell(0, 1), "031C");  // the read-back, high byte masked

  // Leaving a cell that was typed into writes it; name rows take no typing.
  sim.board.ClearLog();
  reg->SByteReg->setCurrentCell(1, 1);
  GridType(reg->SByteReg, "7");
  reg->SByteReg->setCurrentCell(1, 0);
  reg->SByteReg->setCurrentCell(0, 0);
  GridType(reg->SByteReg, "5\r");
  EXPECT_EQ(SentText(), (std::vector<std::string>{"W 21 07", "R 21 1"}));
}

TEST_F(RegisterView, HiddenCorePanelShowsWorkAndIndirectAccess) {
  Connect();
  EXPECT_FALSE(reg->PBase->isVisibleTo(reg));
  EXPECT_EQ(reg->PnlPC->text(), " Program Counter: 1FFF");
  EXPECT_EQ(reg->PnlCycle->text(), " Cycle: 00000000");
  Shadow(0x29) = 0x3C;
  Shadow(0x0F) = 0x01;
  Shadow(0x10) = 0x23;
  Shadow(0x123) = 0x77;
  reg->DataUpdate(true);
  EXPECT_EQ(reg->PnlWork->text(), " Work:3C");
  EXPECT_EQ(reg->PnlWork->Look(), kFace);
  EXPECT_EQ(reg->PnlIND0->text(), " IND0: M[123]=77");
  EXPECT_EQ(reg->PnlIND1->text(), " IND1: M[000]=00");
  Shadow(0x29) = 0x3D;
  reg->DataUpdate(false);
  EXPECT_EQ(reg->PnlWork->Look(), ChangedStyle());

  EXPECT_EQ(WithKeys([&] { reg->EditFSR(0); }, "0A5"), "FSR0=123");
  EXPECT_EQ(SentText(), (std::vector<std::string>{"W 0F 00", "R 0F 1", "W 10 A5", "R 10 1"}));
}

}  // namespace
