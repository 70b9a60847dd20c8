// The temperature test's mode registers name a chip address of one byte and go as
// the chip reads it: a RAM byte at 85h reaches the bank 7Fh selects, no bank switch,
// and the shadow takes it in that bank.
#include <QLineEdit>
#include <QPushButton>
#include <utility>
#include <vector>

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
  // "T-Test" with one mode whose register columns 1, 2, .. hold these headers and
  // values: the board is closed and opened again, then each write is read back.
  CellWriter TTest(const std::vector<std::pair<const char*, const char*>>& columns) {
    TTMP* tmp = prog->TMP;
    tmp->EModenum->setText("4");
    tmp->EModenumKeyPress(QChar(13));
    for (size_t c = 0; c < columns.size(); ++c) {
      tmp->RegChg->SetCells(static_cast<int>(c) + 1, 0, columns[c].first);
      tmp->RegChg->SetCells(static_cast<int>(c) + 1, 1, columns[c].second);
    }
    CellWriter w;
    w.write = [tmp](int, uint8_t) { tmp->TTest->click(); };
    w.alone = false;
    w.byteAddresses = true;
    return w;
  }
};

// A mode writing 5Ah into the register headed 85 (a register header is one byte).
TEST_F(TemperatureCellWrites, ModeRegister) {
  CellWriter w = TTest({{"85", "5A"}});
  w.prepare = [this](int) { Click("USBScan"); };
  ExpectEachWriteInItsCell(w);
}

// A mode whose column 1 selects RAM bank 1 (7Fh := 01) and whose column 2 writes A5h
// at 90h: the byte reaches the chip's 190h, as stored step tables expect.
TEST_F(TemperatureCellWrites, EarlierColumnSelectsTheBank) {
  const CellWriter w = TTest({{"7F", "01"}, {"90", "A5"}});
  Click("USBScan");
  ExpectEarlierBankWriteDecides(w);
}

}  // namespace
