// A panel field and the auto-load's register list put each byte into the cell its
// address names; the auto-load names the file whose line failed.
#include "app/support/cell_writes.h"
#include "block_panel_fixture.h"
#include "block_panels/adc_panel.h"
#include "wave_fixture.h"

namespace {

class PanelCellWrites : public CellWriteTest<BlockPanelTest> {};

// The ADC panel's IN1P selector on the low nibble of the address: position 1010b
// over 50h writes 5Ah.
TEST_F(PanelCellWrites, AdcPanelSelector) {
  ExpectEachWriteInItsCell({[this](int address) {
                              QByteArray line = QByteArray::number(address, 16) + "H IN1P 4 0";
                              for (int i = 0; i < 16; ++i) line += " AI" + QByteArray::number(i);
                              ParseOwn("#ADC0S\r\n" + line + "\r\n");
                              ASSERT_TRUE(prog->Mx_UP->CheckConnection());
                            },
                            [this](int, uint8_t) { Button(prog->ADCForm, "IN1P1010off")->click(); }});
}

class AutoLoadCells : public CellWriteTest<WaveTest> {};

// "USB Scan" with #AUTOLOAD loads "Config/Reg.reg" as Load REG does, so its lines go to
// their own cells too.
TEST_F(AutoLoadCells, RegisterListAfterUsbScan) {
  WriteFile("Include/MX7406.INC", ReadFile("Include/MX7406.INC") + "\r\n#AUTOLOAD\r\n");
  StartWave();
  CellWriter w;
  w.prepare = [this](int) { Connect(); };
  w.write = [this](int address, uint8_t r7f) {
    WriteFile("Config/Reg.reg", DumpWriting(address, r7f));
    Click("USBScan");
  };
  w.readBack = false;
  w.alone = false;
  ExpectEachWriteInItsCell(w);
}

// The register list's line of bank 1 loses the reply of 7Fh's put-back: the message
// names the file and the line, says the line was written and where the chip may be.
TEST_F(AutoLoadCells, FailureNamesTheFileAndTheBankLeft) {
  WriteFile("Include/MX7406.INC", ReadFile("Include/MX7406.INC") + "\r\n#AUTOLOAD\r\n");
  StartWave();
  WriteFile("Config/Reg.reg", "07FH 000H\r\n185H 05AH\r\n00EH 03FH\r\n");
  Connect();
  Click("USBScan");
  ASSERT_TRUE(Messages().isEmpty());
  std::vector<std::string> clean;
  for (const Bytes& p : Sent()) clean.push_back(PacketText(p));
  const std::vector<std::string> line2 = {"W 7F 01", "W 85 5A", "W 7F 00"};
  const auto at = std::search(clean.begin(), clean.end(), line2.begin(), line2.end());
  ASSERT_NE(at, clean.end());
  const int putBack = static_cast<int>(at - clean.begin()) + 3;
  for (BoardFault fault : AllReplyFaults) {
    SCOPED_TRACE(FaultName(fault));
    sim.board.ClearFaults();
    Connect();
    ChipFromShadow(sim.board.chip, prog->G.Channels[0].RegShadow);
    sim.dialogs.messages.clear();
    FaultReplyOf(sim.board, putBack, fault);
    Click("USBScan");
    EXPECT_EQ(Messages(), QStringList{"Load REG Fail in Config/Reg.reg at line 2 \"185H 05AH\": the line was "
                                      "written, but register 7Fh was not put back (the chip may be left on bank "
                                      "1), and the lines after it were not sent"});
    EXPECT_EQ(Sent().size(), static_cast<size_t>(putBack));
    EXPECT_EQ(sim.board.chip.Peek(0x185), 0x5A);
    EXPECT_EQ(ShadowAgainstChip(prog->G.Channels[0].RegShadow, sim.board.chip), std::vector<std::string>{});
  }
}

}  // namespace
