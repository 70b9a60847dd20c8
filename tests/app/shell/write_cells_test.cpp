// The shell's writers put each byte into the cell its address names (register view
// lists, memory view, Load REG), Load REG tells how a line failed, and Save REG after
// a write whose read-back was lost writes what the chip holds.
#include "app/support/cell_writes.h"
#include "app/support/keypad_driver.h"
#include "common/number_text.h"
#include "shell/memory_view.h"
#include "shell/register_view.h"

namespace {

class ShellCellWrites : public CellWriteTest<ViewTest> {};

TEST_F(ShellCellWrites, RegisterViewByteList) {
  Define("#REGBYTE\n085H R85 0FFH\n185H R185 0FFH\n120H R120 0FFH\n");
  TMx_Reg2* reg = prog->Mx_Reg2;
  prog->MainPanel->OpenPanel(reg, 2);
  const auto entry = [](int address) { return address == 0x85 ? 0 : address == 0x185 ? 1 : 2; };
  ExpectEachWriteInItsCell({[this](int) { Connect(); },
                            [&](int address, uint8_t) {
                              reg->SByteReg->setCurrentCell(1, entry(address));
                              GridType(reg->SByteReg, "5a\r");
                              // The grid shows the shadow's value of the entry.
                              EXPECT_EQ(reg->SByteReg->Cell(entry(address), 1), IntToHexW(Shadow(address), 2));
                            }});
}

TEST_F(ShellCellWrites, MemoryViewKeypad) {
  Define("#RAMBANK0\n80H 0FFH\n#RAMBANK1\n100H 1FFH\n");
  TMx_RAM* ram = prog->Mx_RAM;
  prog->MainPanel->OpenPanel(ram, 1);
  ExpectEachWriteInItsCell({[this](int) { Connect(); },
                            [&](int address, uint8_t) {
                              ram->PBankClick(address >> 8);
                              const int col = address % 16 + 1, row = address % 256 / 16 + 1;
                              TypeIntoKeypad(*prog->MxPopSelHex, [&] { GridDoubleClick(ram->SGD, col, row); }, "5a");
                              EXPECT_EQ(ram->SGD->Cell(col, row), IntToHexW(Shadow(address), 2));
                            }});
}

// Load REG clears 7Fh bit 0 first; a line of the file selects the bank for the next.
TEST_F(ShellCellWrites, LoadReg) {
  CellWriter w;
  w.prepare = [this](int) { Connect(); };
  w.write = [this](int address, uint8_t r7f) {
    WriteFile("cells.reg", DumpWriting(address, r7f));
    sim.dialogs.openAnswers << Path("cells.reg");
    Click("LoadREG");
  };
  w.readBack = false;
  w.alone = false;
  ExpectEachWriteInItsCell(w);
}

// What the user is told when a line's write fails part-way: the line of bank 1 is
// written with 7Fh switched to bank 1 (command 4), the byte (5) and 7Fh put back (6),
// after 7Fh (1), 3Eh (2) and the file's first line (3).
TEST_F(ShellCellWrites, LoadRegTellsHowTheLineFailed) {
  Define("#RAMBANK0\n80H 0FFH\n#RAMBANK1\n180H 1FFH\n");
  WriteFile("in.reg", "07FH 040H\r\n185H 05AH\r\n086H 011H\r\n");
  const QString fail = "Load REG Fail in " + Path("in.reg");
  const QString line2 = fail + " at line 2 \"185H 05AH\": ";
  const QString rest = ", and the lines after it were not sent";
  struct Case {
    int command;
    bool outgoing;  // the command's own transfer fails: it never reached the board
    QString message;
  } cases[] = {
      {1, true, fail + ": the board did not answer; no line of the file was sent"},
      {3, false, fail + " at line 1 \"07FH 040H\": its write was not confirmed by the board" + rest},
      {3, true, fail + " at line 1 \"07FH 040H\": the line did not reach the chip" + rest},
      {4, true, line2 + "the line did not reach the chip" + rest},
      {4, false, line2 + "the line did not reach the chip (the chip may be left on bank 1)" + rest},
      {5, true, line2 + "the line did not reach the chip (the chip may be left on bank 1)" + rest},
      {5, false, line2 + "its write was not confirmed by the board (the chip may be left on bank 1)" + rest},
      {6, true, line2 + "the line was written, but register 7Fh was not put back (the chip may be left on bank 1)" + rest},
      {6, false, line2 + "the line was written, but register 7Fh was not put back (the chip may be left on bank 1)" + rest},
  };
  for (const Case& c : cases)
    for (BoardFault fault : AllReplyFaults) {
      if (c.outgoing && fault != BoardFault::FailedTransfer) continue;
      SCOPED_TRACE(testing::Message() << "command " << c.command << (c.outgoing ? ", not sent" : ", ")
                                      << (c.outgoing ? "" : FaultName(fault)));
      sim.board.ClearFaults();
      Connect();
      Shadow(0x7F) = 0x40;
      Shadow(0x85) = Shadow(0x185) = 0x50;
      ChipFromShadow(sim.board.chip, G().Channels[0].RegShadow);
      sim.dialogs.messages.clear();
      sim.dialogs.openAnswers << Path("in.reg");
      if (c.outgoing) {
        FailCommandOf(sim.board, c.command);
      } else {
        FaultReplyOf(sim.board, c.command, fault);
      }
      Click("LoadREG");
      EXPECT_EQ(Sent().size(), static_cast<size_t>(c.outgoing ? c.command - 1 : c.command));
      ASSERT_EQ(sim.dialogs.messages.size(), 1);
      EXPECT_EQ(sim.dialogs.messages[0].text, c.message);
      EXPECT_EQ(ShadowAgainstChip(G().Channels[0].RegShadow, sim.board.chip), std::vector<std::string>{});
      EXPECT_EQ(sim.board.chip.Peek(0x85), 0x50);
    }
}

// A write whose read-back is lost keeps only the bits the definition declares: 7Fh
// has bit 0 alone, so the chip holds 01h after FFh, and so does the dump.
TEST_F(ShellCellWrites, SaveRegAfterALostReadBackWritesTheImplementedBits) {
  Define("#REGBIT\n7FH BANK - - - - - - - RB\n01H CTRL B7 B6 B5 B4 B3 B2 B1 B0\n");
  sim.board.chip.SetMask(0x7F, 0x01);
  TMx_Reg2* reg = prog->Mx_Reg2;
  prog->MainPanel->OpenPanel(reg, 2);
  for (int command : {1, 2})
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << (command == 1 ? "the write's " : "the read-back's ") << FaultName(fault));
      sim.board.ClearFaults();
      Connect();
      Shadow(0x7F) = 0x00;
      Shadow(0x01) = 0x3C;
      ChipFromShadow(sim.board.chip, G().Channels[0].RegShadow);
      FaultReplyOf(sim.board, command, fault);
      TypeIntoKeypad(*prog->MxPopSelHex, [&] { GridDoubleClick(reg->SREG, 0, 0); }, "ff");
      EXPECT_EQ(sim.board.chip.Peek(0x7F), 0x01);
      EXPECT_EQ(Shadow(0x7F), 0x01);
      EXPECT_EQ(ShadowAgainstChip(G().Channels[0].RegShadow, sim.board.chip), std::vector<std::string>{});
      sim.dialogs.saveAnswers << Path("dump");
      Click("SaveREG");
      EXPECT_EQ(ReadFile("dump.reg"), "001H 03CH\r\n07FH 001H\r\n");
    }
}

}  // namespace
