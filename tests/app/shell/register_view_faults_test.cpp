// The register view's edits against a board, driver or HID, that loses the reply of one
// command (failed, empty, cut, silent, late, or the board pulled out once the command
// ran): a write that went out is in the shadow as in the chip, the grids show the
// shadow, nothing follows the lost reply, and the status panel tells the user the link
// is gone.
#include <QMenu>
#include <functional>
#include <string>
#include <vector>

#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "shell/register_view.h"
#include "app/support/keypad_driver.h"
#include "app/support/view_fixture.h"
#include "support/board_faults.h"

namespace {

struct RegisterViewFaults : ViewTest {
  TMx_Reg2* reg = nullptr;
  void SetUp() override {
    ViewTest::SetUp();
    Define("#PRODUCT\nTEST\n"
           "#REGBIT\n01H CTRL B7 B6 B5 B4 B3 B2 B1 B0\n"
           "#REGBYTE\n20H OSC 0FFH\n21H TRIM 0FH\n"
           "#REGWORD\n22H DAC 23H X 0FH 0FFH\n");
    // The chip implements the bits the definition declares (DAC's high byte 0Fh).
    for (int a = 0; a < 0x200; ++a)
      if (G().RegMask[a]) sim.board.chip.SetMask(a, G().RegMask[a]);
    reg = prog->Mx_Reg2;
    prog->MainPanel->OpenPanel(reg, 2);
  }
  QString Keys(const std::function<void()>& open, const QString& keys) {
    return TypeIntoKeypad(*prog->MxPopSelHex, open, keys);
  }
};

// Each edit as the user makes it, and the register values (01h, 20h, 22h, 23h) the
// chip holds once the exchanges up to k went out (of DAC's high byte only bits 3..0).
// Every register starts at 00h but 01h at 25h.
TEST_F(RegisterViewFaults, AnEditLosingAReplyLeavesTheShadowAsTheChipAndTheGridsShowingIt) {
  struct Case {
    const char* what;
    int exchanges;
    std::function<void()> edit;
    std::function<std::vector<int>(int k)> after;
  };
  const std::vector<int> before = {0x25, 0x00, 0x00, 0x00};
  const std::vector<Case> cases = {
      {"bit register, keypad", 2, [&] { Keys([&] { GridDoubleClick(reg->SREG, 0, 0); }, "c3"); },
       [](int) { return std::vector<int>{0xC3, 0x00, 0x00, 0x00}; }},
      {"bit 7, menu", 2,
       [&] {
         GridDoubleClick(reg->SREG, 1, 0);
         reg->PMBit->hide();
         reg->PMBitSet->trigger();
       },
       [](int) { return std::vector<int>{0xA5, 0x00, 0x00, 0x00}; }},
      {"byte, keypad", 2, [&] { Keys([&] { GridDoubleClick(reg->SByteReg, 0, 0); }, "3c"); },
       [](int) { return std::vector<int>{0x25, 0x3C, 0x00, 0x00}; }},
      {"byte, typed", 2,
       [&] {
         reg->SByteReg->setCurrentCell(1, 0);
         GridType(reg->SByteReg, "5a\r");
       },
       [](int) { return std::vector<int>{0x25, 0x5A, 0x00, 0x00}; }},
      // A word goes high byte first, each written and read back: 1, 2 high, 3, 4 low.
      {"word, keypad", 4, [&] { Keys([&] { GridDoubleClick(reg->SWordReg, 0, 0); }, "1234"); },
       [](int k) { return std::vector<int>{0x25, 0x00, 0x02, k >= 3 ? 0x34 : 0x00}; }},
      {"word, typed", 4,
       [&] {
         reg->SWordReg->setCurrentCell(1, 0);
         GridType(reg->SWordReg, "a3b5\t");
       },
       [](int k) { return std::vector<int>{0x25, 0x00, 0x03, k >= 3 ? 0xB5 : 0x00}; }},
  };
  const int addresses[] = {0x01, 0x20, 0x22, 0x23};
  for (SimBoard::Kind kind : BoardKinds)
    for (const Case& c : cases)
      for (int k = 1; k <= c.exchanges; ++k)
        for (BoardFault fault : AllReplyFaults) {
          SCOPED_TRACE(testing::Message() << KindName(kind) << ", " << c.what << ", exchange " << k << ", "
                                          << FaultName(fault));
          UseBoard(kind);
          ASSERT_TRUE(prog->Mx_UP->CheckConnection());
          for (int i = 0; i < 4; ++i) Shadow(addresses[i]) = static_cast<uint8_t>(before[i]);
          reg->DataUpdate(true);
          ChipFromShadow(sim.board.chip, G().Channels[0].RegShadow);
          sim.board.ClearLog();
          FaultReplyOf(sim.board, k, fault);
          c.edit();
          EXPECT_EQ(Sent().size(), static_cast<size_t>(k));
          const std::vector<int> held = c.after(k);
          for (int i = 0; i < 4; ++i) EXPECT_EQ(sim.board.chip.Peek(addresses[i]), held[i]) << addresses[i];
          EXPECT_EQ(ShadowAgainstChip(G().Channels[0].RegShadow, sim.board.chip), std::vector<std::string>{});
          EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
          // The grids: bit 7 of CTRL, OSC's value, DAC's with its high byte masked to 0Fh.
          const CellStyle bit7 = held[0] & 0x80 ? CellStyle{ViewColor::Blue, Qt::white}
                                                : CellStyle{Qt::black, ViewColor::Silver};
          EXPECT_EQ(reg->SREGStyle(1, 0), bit7);
          EXPECT_EQ(reg->SByteReg->Cell(0, 1), QString("%1").arg(held[1], 2, 16, QChar('0')).toUpper());
          EXPECT_EQ(reg->SWordReg->Cell(0, 1),
                    QString("%1").arg((held[2] & 0x0F) * 256 + held[3], 4, 16, QChar('0')).toUpper());
        }
}

}  // namespace
