// The temperature test's mode registers go into the cell their address names: a
// RAM byte at 85h reaches bank 0 whichever bank 7Fh selects.
#include <QLineEdit>
#include <QPushButton>

#include "app/support/cell_writes.h"
#include "instruments/step_grid.h"
#include "instruments/temperature_test.h"

namespace {

class TemperatureCellWrites : public CellWriteTest<ProgramTest> {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
    DevcRS232& chamber = prog->G.Instruments.ChamberPort;
    chamber.Handle = sim.serial.Open("COM1");
    ASSERT_TRUE(SerialHandleValid(chamber.Handle));
    chamber.Connected = 1;
  }
};

// "T-Test" with one mode writing 5Ah into the register headed 85 (a register header
// is one byte): the board is closed and opened again, then the write is read back.
TEST_F(TemperatureCellWrites, ModeRegister) {
  TTMP* tmp = prog->TMP;
  tmp->EModenum->setText("4");
  tmp->EModenumKeyPress(QChar(13));
  tmp->RegChg->SetCells(1, 0, "85");
  tmp->RegChg->SetCells(1, 1, "5A");
  CellWriter w;
  w.prepare = [this](int) { Click("USBScan"); };
  w.write = [tmp](int, uint8_t) { tmp->TTest->click(); };
  w.alone = false;
  w.byteAddresses = true;
  ExpectEachWriteInItsCell(w);
}

}  // namespace
