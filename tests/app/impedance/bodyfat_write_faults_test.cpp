// The body-fat test window's writers with one reply lost part-way, as the user meets
// it: "Calculate" (the table's calibration row), "Impedance Test" (each channel's row
// before its samples) and "Auto Test" (the memory and register files of a pair, the
// calibration flag around each sample's calibration, the channel columns).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "impedance/bodyfat_runs.h"
#include "impedance/bodyfat_test_window.h"
#include "impedance/impedance_fixture.h"
#include "bodyfat_readings.h"
#include "write_faults.h"

namespace {

const QString kReadError = "warning: Read Error !!!!!";

class BodyFatProgram : public ProgramTest {
protected:
  // A new program, connected, the window's table filled: column k at register 20h + k
  // (column 2 at 0Eh with `flagColumn`), row j's value j x 10h + k + 1. Two channels of
  // 1 s at 250 ms: four samples each. The readings are those of a calibration.
  void Connect(bool flagColumn = false) {
    StopProgram();
    QFile::remove(Path("bodyFatFormSet.txt"));
    sim.board.chip.ImplementEveryBit();  // the table's values stand as written
    StartProgram();
    Click("USBScan");
    form = prog->bodyFatForm;
    ASSERT_NE(form, nullptr);
    ScriptReadings(sim.board, CalculateReadings());
    for (int k = 0; k < 6; ++k) {
      const QString column = QString::number(k);
      Edit("edtAddr" + column)->setText(flagColumn && k == 2 ? "0E" : QString::number(0x20 + k, 16));
      QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
      QCoreApplication::sendEvent(Edit("edtAddr" + column), &leave);
      for (int j = 0; j <= 12; ++j)
        Edit(ValueEditName(k, j))->setText(QString::number(j * 0x10 + k + 1, 16).rightJustified(2, '0'));
    }
    Find<QRadioButton>(form, "rbTime")->setChecked(true);
    Choose("cbTime", 0);
    Choose("scanTimer", 1);
    Choose("cbChannels", 1);
  }
  // Connected and calibrated by "Calculate"; the readings are those of a run.
  void Calibrated() {
    Connect();
    Button("btnCalculate")->click();
    ASSERT_TRUE(Button("btnImpedanceTest")->isEnabled());
    ScriptReadings(sim.board, RunReadings(4));
  }
  // Connected, with pair BF1 found for the automatic test: its memory file holds byte
  // i + 1 at 80h + i and FFh - i at 180h + i; its register file gives the test's
  // registers 40h + line (0Fh 00h: no conversion started by the file). The readings are
  // those of the test.
  void PairFound() {
    Connect(true);
    // Line 1 skipped, lines 2..9 bank 0, three lines skipped, lines 13..20 bank 1.
    QByteArray ram;
    for (int line = 1; line <= 20; ++line) {
      const bool bank0 = line >= 2 && line <= 9, bank1 = line >= 13;
      for (int i = 0; (bank0 || bank1) && i < 16; ++i) {
        const int n = 16 * (line - (bank0 ? 2 : 13)) + i;  // byte n of its bank
        ram += "0x" + QByteArray::number(bank0 ? n + 1 : 0xFF - n, 16).rightJustified(2, '0') + ',';
      }
      ram += "\r\n";
    }
    WriteFile("BF1.ram", ram);
    QByteArray reg;
    for (int line = 0; line < 35; ++line) {
      const int address = AutoTestRegisters[line];
      reg += QByteArray::number(address, 16).rightJustified(3, '0') + "H " +
             QByteArray::number(address == 0x0F ? 0 : 0x40 + line, 16).rightJustified(3, '0') + "H\r\n";
    }
    WriteFile("BF1.reg", reg);
    QLineEdit* file = Edit("edtFile");
    file->setText("BF");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(file, &enter);
    ASSERT_EQ(S().PairCount, 1);
    ScriptReadings(sim.board, AutoTestReadings(4, 2));
  }

  // The boxes shown since the last look, as "caption: text".
  QStringList Messages() {
    QStringList out;
    for (const auto& m : sim.dialogs.messages) out << m.caption + ": " + m.text;
    sim.dialogs.messages.clear();
    return out;
  }
  // No run going, the window's controls usable again.
  void Ended() {
    EXPECT_TRUE(S().TestIdle);
    EXPECT_TRUE(S().AutoIdle);
    EXPECT_FALSE(S().AutoMode);
    for (const char* n : {"rbTime", "cbChannels", "btnCalculate", "btnAutoTest", "edtFile", "edtAddr3", "edtAddr5_12"})
      EXPECT_TRUE(form->findChild<QWidget*>(n)->isEnabled()) << n;
  }

  BodyFatState& S() const { return prog->G.Impedance.BodyFat; }
  QLineEdit* Edit(const QString& name) const { return Find<QLineEdit>(form, name); }
  QPushButton* Button(const QString& name) const { return Find<QPushButton>(form, name); }
  void Choose(const QString& name, int index) const {
    QComboBox* c = Find<QComboBox>(form, name);
    c->setCurrentIndex(index);
    emit c->activated(index);
  }

  TbodyFatForm* form = nullptr;
};

using BodyFatWriteFaults = WriteFaultTest<BodyFatProgram>;


// The calibration row (20h..25h), then one conversion (start, two polls, I, Q). A
// calibration that did not complete leaves "Impedance Test" closed.
TEST_F(BodyFatWriteFaults, CalculateStopsAtTheLostReplyAndSaysSo) {
  const std::vector<FaultPoint> points = {
      {"the first packet, column 0", RegisterWrite(0x20), 1, {kReadError}},
      {"column 3", RegisterWrite(0x23), 1, {kReadError}},
      {"the conversion's start", RegisterWrite(0x0F), 1, {kReadError}},
      {"a poll", RegisterRead(0x0F), 1, {kReadError}},
      {"the last packet, Q", RegisterRead(0x09), -1, {kReadError}},
  };
  ExpectEachFaultTold([this] { Connect(); }, [this] { Button("btnCalculate")->click(); },
                      [this] {
                        Ended();
                        EXPECT_FALSE(Button("btnImpedanceTest")->isEnabled());
                      },
                      points);
}

// Per channel: its row (20h..25h), then four samples of a conversion each.
TEST_F(BodyFatWriteFaults, ImpedanceTestStopsAtTheLostReplyAndSaysSo) {
  const std::vector<FaultPoint> points = {
      {"the first packet, channel 1's column 0", RegisterWrite(0x20), 1, {kReadError}},
      {"channel 1's column 3", RegisterWrite(0x23), 1, {kReadError}},
      {"the first sample's start", RegisterWrite(0x0F), 1, {kReadError}},
      {"the third sample's I", RegisterRead(0x06), 3, {kReadError}},
      {"channel 2's column 3", RegisterWrite(0x23), 2, {kReadError}},
      {"the last packet, channel 2's last Q", RegisterRead(0x09), -1, {kReadError}},
  };
  ExpectEachFaultTold([this] { Calibrated(); }, [this] { Button("btnImpedanceTest")->click(); }, [this] { Ended(); },
                      points);
}

// The pair: 0Dh, 7Fh bank 0, 128 bytes, 7Fh bank 1, 128 bytes, 7Fh bank 0, then the
// register file's 35 registers (0Eh, 20h, 23h among them). Then per sample: 0Eh bit 7
// set, the calibration row but its 0Eh column, a conversion, 0Eh bit 7 clear, the
// channel's row but its 0Eh column, a conversion.
TEST_F(BodyFatWriteFaults, AutoTestStopsAtTheLostReplyAndSaysSo) {
  const std::vector<FaultPoint> points = {
      {"the first packet, 0Dh", RegisterWrite(0x0D), 1, {kReadError}},
      {"bank 0 byte 40", RegisterWrite(0x80 + 40), 1, {kReadError}},
      {"bank 1 selected", RegisterWrite(0x7F), 2, {kReadError}},
      {"bank 1 byte 40", RegisterWrite(0x80 + 40), 2, {kReadError}},
      {"the register file's 1Dh", RegisterWrite(0x1D), 1, {kReadError}},
      {"the first calibration's flag", RegisterWrite(0x0E), 2, {kReadError}},
      {"the first calibration's column 3", RegisterWrite(0x23), 2, {kReadError}},
      {"the flag cleared after it", RegisterWrite(0x0E), 3, {kReadError}},
      {"the first sample's column 3", RegisterWrite(0x23), 3, {kReadError}},
      {"channel 2's last flag", RegisterWrite(0x0E), -1, {kReadError}},
      {"the last packet, the last sample's Q", RegisterRead(0x09), -1, {kReadError}},
  };
  ExpectEachFaultTold([this] { PairFound(); }, [this] { Button("btnAutoTest")->click(); }, [this] { Ended(); },
                      points);
}

}  // namespace
