// The step grids on their windows and the File menu's step-table commands, on a
// Program with the simulated board.
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QCoreApplication>
#include <iterator>
#include <vector>

#include "common/errors.h"
#include "common/text_encoding.h"
#include "instruments/calibrator_grid.h"
#include "instruments/power_grid.h"
#include "instruments/step_grid.h"
#include "instruments/step_tables.h"
#include "instruments/temperature_test.h"
#include "shell/main_panel.h"
#include "app/support/program_fixture.h"

namespace {

class StepGrids : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
    tmp = prog->TMP;
    reg = Find<TStepGrid>(tmp, "RegChg");
    fluke = Find<TStepGrid>(prog->FLUKE, "FlukeGd");
    power = Find<TStepGrid>(prog->FPower, "PowerGd");
    modes = Find<QLineEdit>(tmp, "EModenum");
  }
  // Types a mode count and presses Enter in the mode-count field.
  void EnterModes(const QString& text) {
    modes->setText(text);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
    QCoreApplication::sendEvent(modes, &press);
  }
  // Types into a cell as the user would, through the grid's model.
  bool Type(TStepGrid* g, int col, int row, const QString& text) {
    return g->model()->setData(g->model()->index(row, col), text, Qt::EditRole);
  }
  QString Status0() const { return prog->MainPanel->StatusBar1->Text(0); }

  TTMP* tmp = nullptr;
  TStepGrid* reg = nullptr;
  TStepGrid* fluke = nullptr;
  TStepGrid* power = nullptr;
  QLineEdit* modes = nullptr;
};

TEST_F(StepGrids, StartUpSizesAndModeCountOnEnter) {
  EXPECT_EQ(modes->text(), "1000");
  EXPECT_EQ(reg->ColCount(), 5);
  EXPECT_EQ(reg->RowCount(), 5);
  EXPECT_EQ(reg->Cells(0, 0), "");
  EXPECT_EQ(fluke->RowCount(), 49);
  EXPECT_EQ(fluke->Cells(0, 48), "48");
  EXPECT_EQ(fluke->Cells(1, 0), "Step");
  EXPECT_EQ(power->RowCount(), 49);
  EXPECT_EQ(prog->FLUKE->windowTitle(), "FLUKE-5500");
  EXPECT_EQ(prog->FPower->windowTitle(), "Power Supply");
  EXPECT_EQ(fluke->width(), 338);
  EXPECT_EQ(fluke->height(), 622);

  EnterModes("5");
  EXPECT_EQ(reg->ColCount(), 13);
  EXPECT_EQ(reg->RowCount(), 6);
  for (int m = 1; m <= 5; ++m) EXPECT_EQ(reg->Cells(0, m), "Value-" + QString::number(m));
  EXPECT_EQ(reg->Cells(11, 0), "Delay");
  EXPECT_EQ(reg->columnWidth(0), 60);
  EXPECT_EQ(reg->columnWidth(5), 22);
  EXPECT_EQ(reg->columnWidth(12), 50);
  for (TStepGrid* g : {fluke, power}) {
    EXPECT_EQ(g->RowCount(), 6);
    EXPECT_EQ(g->Cells(0, 5), "5");
  }

  EnterModes("20001");
  EXPECT_EQ(modes->text(), "48");
  EXPECT_EQ(reg->RowCount(), 49);
  EnterModes("20000");
  EXPECT_EQ(reg->RowCount(), 20001);
  EXPECT_EQ(reg->Cells(0, 20000), "Value-20000");
  EXPECT_EQ(fluke->Cells(0, 20000), "20000");
}

TEST_F(StepGrids, CellsAreTypedIntoExceptTitles) {
  EnterModes("3");
  EXPECT_TRUE(Type(reg, 1, 0, "3C"));
  EXPECT_TRUE(Type(reg, 12, 3, "2.4"));
  EXPECT_FALSE(Type(reg, 0, 1, "x"));
  EXPECT_EQ(reg->Cells(1, 0), "3C");
  EXPECT_EQ(reg->Cells(0, 1), "Value-1");
  EXPECT_TRUE(Type(fluke, 2, 1, "OPER"));
  EXPECT_FALSE(Type(fluke, 1, 0, "x"));
  EXPECT_FALSE(Type(power, 0, 2, "x"));
  TStepGrid* data = Find<TStepGrid>(tmp, "TMPData");
  EXPECT_FALSE(Type(data, 1, 1, "x"));
  EXPECT_FALSE(reg->model()->flags(reg->model()->index(1, 0)) & Qt::ItemIsEditable);
  EXPECT_TRUE(reg->model()->flags(reg->model()->index(0, 1)) & Qt::ItemIsEditable);
}

TEST_F(StepGrids, FlukeAndPowerTablesRoundTrip) {
  EnterModes("6");
  Type(fluke, 1, 3, "1");
  Type(fluke, 2, 3, "OUT 100 mV ,0 Hz ");
  Type(fluke, 1, 4, "A");
  Type(fluke, 2, 4, QString::fromUtf8("輸入值"));
  Type(fluke, 1, 5, "0");
  Type(fluke, 2, 5, "STBY");
  Click("SaveFluke1");
  const QByteArray expected = "   1OUT 100 mV ,0 Hz \r\n   A" + EncodeBig5(QString::fromUtf8("輸入值")) + "\r\n";
  EXPECT_EQ(ReadFile("Fluke.txt"), expected);

  // The row positions are not stored: loading fills rows 1, 2, ...; "DownLoad Fluke" drops
  // the key A, which "Download Power" takes.
  WriteFile("Power.txt", expected);
  Click("DownLoadFluke1");
  EXPECT_EQ(fluke->Cells(1, 1), "1");
  EXPECT_EQ(fluke->Cells(2, 1), "OUT 100 mV ,0 Hz ");
  EXPECT_EQ(fluke->Cells(1, 2), "");
  EXPECT_EQ(fluke->Cells(1, 3), "");
  EXPECT_EQ(fluke->Cells(2, 5), "");
  Click("DownloadPower1");
  EXPECT_EQ(power->Cells(1, 2), "A");
  EXPECT_EQ(power->Cells(2, 2), QString::fromUtf8("輸入值"));

  Click("SavePower1");
  EXPECT_EQ(ReadFile("Power.txt"), expected);

  // A missing table leaves its grid cleared, without a message.
  QFile::remove(Path("Fluke.txt"));
  Click("DownLoadFluke1");
  for (int r = 1; r <= 6; ++r) EXPECT_EQ(fluke->Cells(1, r) + fluke->Cells(2, r), "") << r;
  EXPECT_TRUE(sim.dialogs.messages.empty());
}

TEST_F(StepGrids, SaveRegWritesThreeFixedWidthFiles) {
  EnterModes("8");
  Type(reg, 1, 0, "3C");
  Type(reg, 2, 0, "3D");
  Type(reg, 4, 0, "7F");  // beyond the empty column 3: not a register column
  for (int m = 1; m <= 4; ++m) {
    Type(reg, 1, m, QString::number(m));
    Type(reg, 2, m, "FF");
    Type(reg, 11, m, QString::number(5 * m));
    Type(reg, 12, m, "2.4");
  }
  Type(reg, 1, 6, "9");  // after the empty row 5: not in use
  Click("SaveReg1");
  EXPECT_EQ(tmp->RegColCount, 2);
  EXPECT_EQ(tmp->ModeCount, 4);
  const QByteArray blanks(32, ' ');
  EXPECT_EQ(ReadFile("Register.txt"), "  3C  3D" + blanks + "\r\n   1  FF" + blanks + "\r\n   2  FF" + blanks +
                                          "\r\n   3  FF" + blanks + "\r\n   4  FF" + blanks + "\r\n");
  EXPECT_EQ(ReadFile("Delay.txt"), "     5\r\n    10\r\n    15\r\n    20\r\n");
  EXPECT_EQ(ReadFile("ACM.txt"), "   2.4\r\n   2.4\r\n   2.4\r\n   2.4\r\n");

  // Register 0 heading column 1 ends the count when saving.
  Type(reg, 1, 0, "00");
  Click("SaveReg1");
  EXPECT_EQ(tmp->RegColCount, 0);
  EXPECT_EQ(ReadFile("Register.txt").left(42), QByteArray(40, ' ') + "\r\n");
}

TEST_F(StepGrids, DelayTableGivesBackTheWaitTheRunTakes) {
  // A typed "Delay" cell, its line in "Delay.txt", the cell after loading, and the whole
  // seconds a run waits (twice) before the mode's capture.
  struct Case {
    const char* typed;
    const char* line;
    const char* loaded;
    int wait;
  };
  const Case cases[] = {{"1.5", "     1", "1", 1},   {"-5", "     0", "0", 0}, {"20", "    20", "20", 20},
                        {" 7", "     0", "0", 0},    {"", "     0", "0", 0},   {"3x", "     3", "3", 3}};
  const int n = static_cast<int>(std::size(cases));
  EnterModes("8");
  Type(reg, 1, 0, "3C");
  QByteArray file;
  std::vector<int> expected;
  for (int m = 1; m <= n; ++m) {
    const Case& c = cases[m - 1];
    Type(reg, 1, m, "1");
    Type(reg, DelayColumn, m, c.typed);
    file += QByteArray(c.line) + "\r\n";
    expected.insert(expected.end(), {c.wait, c.wait});
  }
  std::vector<int> waits;
  const auto waitTrigger = tmp->Analysis.WaitTrigger;
  tmp->Analysis.WaitTrigger = [&](int seconds) {
    waits.push_back(seconds);
    waitTrigger(seconds);
  };
  tmp->TTest->click();
  EXPECT_EQ(waits, expected);

  Click("SaveReg1");
  EXPECT_EQ(ReadFile("Delay.txt"), file);
  for (int m = 1; m <= n; ++m) Type(reg, DelayColumn, m, "99");
  Click("DownloadReg1");
  for (int m = 1; m <= n; ++m) EXPECT_EQ(reg->Cells(DelayColumn, m), QString(cases[m - 1].loaded)) << cases[m - 1].typed;
  waits.clear();
  tmp->TTest->click();
  EXPECT_EQ(waits, expected);
}

TEST_F(StepGrids, DelayTableOfAnEarlierVersionLoadsAsTheWaitsOfItsCells) {
  // An earlier version wrote the "Delay" cells themselves, right-aligned in 6: each line
  // loads as the whole seconds a run took for that cell, and the run waits them.
  struct Case {
    const char* line;
    const char* loaded;
    int wait;
  };
  const Case cases[] = {{"   1.5", "1", 1}, {"    -5", "0", 0}, {"   2,5", "2", 2},
                        {"    20", "20", 20}, {"  7 s", "7", 7}};
  const int n = static_cast<int>(std::size(cases));
  EnterModes("8");
  QByteArray registers = "  3C\r\n", delays;
  std::vector<int> expected;
  for (const Case& c : cases) {
    registers += "   1\r\n";
    delays += QByteArray(c.line) + "\r\n";
    expected.insert(expected.end(), {c.wait, c.wait});
  }
  WriteFile("Register.txt", registers);
  WriteFile("Delay.txt", delays);
  Click("DownloadReg1");
  ASSERT_EQ(tmp->ModeCount, n);
  for (int m = 1; m <= n; ++m) EXPECT_EQ(reg->Cells(DelayColumn, m), QString(cases[m - 1].loaded)) << cases[m - 1].line;
  std::vector<int> waits;
  tmp->Analysis.WaitTrigger = [&](int seconds) { waits.push_back(seconds); };
  tmp->TTest->click();
  EXPECT_EQ(waits, expected);
}

TEST_F(StepGrids, DownloadRegFillsDefaultsAndPreviewsTheResultGrid) {
  ASSERT_TRUE(QFile::remove(Path("ACM.txt")));  // the shipped example
  EnterModes("12");
  for (int c = 1; c <= 4; ++c) Type(reg, c, 0, QString::number(0x40 + c, 16));
  Type(reg, 3, 7, "old");
  QByteArray registers = "  3C  3D\r\n";
  for (int m = 1; m <= 11; ++m) registers += "  " + QByteArray::number(m, 16).rightJustified(2, '0') + "   1\r\n";
  WriteFile("Register.txt", registers);
  WriteFile("Delay.txt", "    20\r\n     5\r\n");
  Click("DownloadReg1");
  // Row 0 is not cleared: columns 3 and 4 keep their addresses and count for a run.
  EXPECT_EQ(reg->Cells(1, 0), "3C");
  EXPECT_EQ(reg->Cells(3, 0), "43");
  EXPECT_EQ(reg->Cells(3, 7), "");
  EXPECT_EQ(tmp->RegColCount, 4);
  EXPECT_EQ(tmp->ModeCount, 11);
  EXPECT_EQ(reg->Cells(1, 11), "0b");
  EXPECT_EQ(reg->Cells(11, 1), "20");
  EXPECT_EQ(reg->Cells(11, 2), "5");
  EXPECT_EQ(reg->Cells(11, 11), "15");
  EXPECT_EQ(reg->Cells(11, 12), "");
  // Without "ACM.txt" the reference column stays empty and no OK message comes.
  EXPECT_EQ(reg->Cells(12, 1), "");
  EXPECT_EQ(Status0(), "Download Register Value - 12");

  TStepGrid* data = Find<TStepGrid>(tmp, "TMPData");
  EXPECT_EQ(data->ColCount(), 11);
  EXPECT_EQ(data->RowCount(), 3);
  EXPECT_EQ(data->Cells(1, 0), "D - 1");
  EXPECT_EQ(data->Cells(10, 0), "D - 10");
  EXPECT_EQ(data->Cells(0, 0), "");

  WriteFile("ACM.txt", "  2.50\r\n   3.3\r\n  junk\r\n");
  Click("DownloadReg1");
  EXPECT_EQ(reg->Cells(12, 1), "2.5");
  EXPECT_EQ(reg->Cells(12, 2), "3.3");
  EXPECT_EQ(reg->Cells(12, 3), "2.4");
  EXPECT_EQ(reg->Cells(12, 11), "2.4");
  EXPECT_EQ(Status0(), "Download Register Value OK !!!");

  // Without "Delay.txt" the download stops before the delays: "ACM.txt" is not read.
  QFile::remove(Path("Delay.txt"));
  Click("DownloadReg1");
  EXPECT_EQ(reg->Cells(11, 1), "");
  EXPECT_EQ(reg->Cells(12, 1), "");
  EXPECT_EQ(Status0(), "Download Register Value - 12");
}

TEST_F(StepGrids, DownloadRegWithoutRegisterFileRaisesAfterClearing) {
  ASSERT_TRUE(QFile::remove(Path("Register.txt")));  // the shipped example
  EnterModes("3");
  Type(reg, 1, 0, "3C");
  Type(reg, 1, 1, "7");
  Type(reg, 11, 1, "9");
  WriteFile("Delay.txt", "    20\r\n");
  EXPECT_THROW(tmp->DownloadReg(), EInOutError);
  EXPECT_EQ(reg->Cells(1, 1), "");
  EXPECT_EQ(reg->Cells(11, 1), "");  // "Delay.txt" is not read
  EXPECT_EQ(reg->Cells(1, 0), "3C");

  // A short register file: only the lines it has.
  WriteFile("Register.txt", "  3C\r\n   1");
  tmp->DownloadReg();
  EXPECT_EQ(reg->Cells(1, 1), "1");
  EXPECT_EQ(tmp->ModeCount, 1);
  EXPECT_EQ(reg->Cells(11, 1), "20");
}

}  // namespace
