// The impedance windows' register writers put each byte into the cell its address
// names: an entry of the chip definition's register lists (CAP TEST's list AC, the
// calibration's list AC0). A column of the body-fat table names a chip address of one
// byte and goes as the chip reads it: a RAM byte reaches the bank 7Fh selects.
#include <QCoreApplication>
#include <QFile>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "app/support/cell_writes.h"
#include "impedance/bodyfat_runs.h"
#include "impedance/bodyfat_test_window.h"
#include "iq_window_fixture.h"
#include "write_faults.h"

namespace {

// A job of the impedance windows: its writes are not read back and it sends more than
// the write under test; the chip's own results and start bit are left out of the
// comparison.
CellWriter Writer(std::function<void(int)> prepare, std::function<void()> job) {
  CellWriter w{std::move(prepare), [job](int, uint8_t) { job(); }};
  w.readBack = false;
  w.alone = false;
  w.compare = [](const uint8_t* shadow, const SimChip& chip) { return ShadowAgainstChipWrites(shadow, chip); };
  return w;
}

class IQCellWrites : public CellWriteTest<IQWindowTest> {
protected:
  // A new program, connected, in AC mode, whose chip definition ends with `section`
  // holding one entry: `list` writes 5Ah into `address`.
  void StartWith(const char* section, const char* list, int address) {
    StopProgram();
    QFile::remove(Path("MxIQFormSet.txt"));
    QFile::remove(Path("Include/MX7406.INC"));
    CopyShippedData(dir.path());
    WriteFile("Include/MX7406.INC", ReadFile("Include/MX7406.INC") + "\r\n" + section + "\r\n" +
                                        QByteArray::number(address, 16) + "H " + list + " 8 0 05AH\r\n");
    Start();
    ScriptReadings({600, 800}, [](uint64_t) { return std::pair<double, double>{2000, 0}; });
    Radio("rbACMode")->setChecked(true);
  }
};

// "Calculate" in AC mode writes list AC0 (its last entry ours), a reading, list AC1, a
// reading.
TEST_F(IQCellWrites, CalculationListEntry) {
  ExpectEachWriteInItsCell(Writer([this](int address) { StartWith("#CALCULATE", "AC0", address); },
                                  [this] { w->Pcalculate->click(); }));
}

// CAP TEST's AC run writes list AC (its last entry ours), then its rows.
TEST_F(IQCellWrites, CapTestListEntry) {
  ExpectEachWriteInItsCell(Writer(
      [this](int address) {
        StartWith("#CAPTEST", "AC", address);
        w->Pcalculate->click();
        ASSERT_TRUE(w->PCAPTEST->isEnabled());
        Messages();
        Edit("T_Freq")->setText("1000");
        w->rbACTime->setChecked(true);
        List("cbACTime")->setCurrentIndex(0);
      },
      [this] { w->PCAPTEST->click(); }));
}

class BodyFatCellWrites : public CellWriteTest<ProgramTest> {
protected:
  QLineEdit* Edit(const QString& name) const { return Find<QLineEdit>(prog->bodyFatForm, name); }
  // Row 0 of the table: column k at address addresses[k] (as the user leaves the edit)
  // with the value values[k].
  void SetRowZero(const std::array<int, 6>& addresses, const std::array<const char*, 6>& values) {
    for (int k = 0; k < 6; ++k) {
      QLineEdit* column = Edit("edtAddr" + QString::number(k));
      column->setText(QString::number(addresses[k], 16));
      QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
      QCoreApplication::sendEvent(column, &leave);
      Edit(ValueEditName(k, 0))->setText(values[k]);
    }
  }
  void Calculate() { Find<QPushButton>(prog->bodyFatForm, "btnCalculate")->click(); }
  // The program started, every conversion reading the same I and Q.
  void StartWithReadings() {
    StartProgram();
    sim.board.iqSource = [](uint64_t) { return std::pair<uint32_t, uint32_t>{IqWord(300), IqWord(400)}; };
  }
};

// "Calculate" of the body-fat window writes the table's row 0, column 0 at the address
// under test (5Ah), columns 1..5 at 21h..25h, then one conversion. An address edit
// holds two hexadecimal characters.
TEST_F(BodyFatCellWrites, TableColumn) {
  StartWithReadings();
  CellWriter w = Writer(
      [this](int address) {
        Click("USBScan");
        SetRowZero({address, 0x21, 0x22, 0x23, 0x24, 0x25}, {"5A", "01", "01", "01", "01", "01"});
      },
      [this] { Calculate(); });
  w.byteAddresses = true;
  ExpectEachWriteInItsCell(w);
}

// Column 0 selects RAM bank 1 (7Fh := 01), column 1 writes A5h at 90h: the byte
// reaches the chip's 190h.
TEST_F(BodyFatCellWrites, EarlierColumnSelectsTheBank) {
  StartWithReadings();
  Click("USBScan");
  SetRowZero({0x7F, 0x90, 0x22, 0x23, 0x24, 0x25}, {"01", "A5", "01", "01", "01", "01"});
  ExpectEarlierBankWriteDecides(Writer([](int) {}, [this] { Calculate(); }));
}

}  // namespace
