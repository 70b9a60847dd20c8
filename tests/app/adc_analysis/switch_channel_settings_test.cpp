// The switched ADC channel test's settings file "StepADC.txt".
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTableWidget>

#include "adc_analysis/switch_channel_test.h"
#include "common/errors.h"
#include "app/support/program_fixture.h"

namespace {

using StepFile = ProgramTest;

const char* kRegLine = "  49  50  55  60  61  62  63  64  48  73  52";

QByteArray Lines(const QStringList& lines) {
  QByteArray out;
  for (const QString& l : lines) out += l.toLatin1() + "\r\n";
  return out;
}

QStringList Zeros(int n) {
  QStringList l;
  for (int i = 0; i < n; ++i) l << "   0   0   0   0   0   0   0   0   0   0   0";
  return l;
}

TEST_F(StepFile, MissingFileIsWrittenWithDefaultsThenLoaded) {
  StartProgram();
  QByteArray expected = Lines(QStringList{"   2   0", "   0   0   0   0   0   0   0   0", kRegLine} + Zeros(8) +
                              QStringList{"   0"});
  EXPECT_EQ(ReadFile("StepADC.txt"), expected);
  TWeightCAL* w = prog->WeightCAL;
  EXPECT_EQ(w->SwitchChannels[3].StepLen, 4);
  EXPECT_EQ(w->SwitchChannels[3].LoopCount, 1);
  EXPECT_EQ(w->SGDS->columnCount(), 5);
  EXPECT_EQ(w->SGDS->rowCount(), 2);
  EXPECT_EQ(w->CurrentStep, 0);
  EXPECT_EQ(w->SwitchChannels[0].RegAddr[3], 60);
  for (auto* c : w->SwitCh) EXPECT_FALSE(c->isChecked());
  StopProgram();
  EXPECT_EQ(ReadFile("StepADC.txt"), expected);
}

TEST_F(StepFile, OutOfRangeValuesAreKeptAsTheRulesSay) {
  QStringList values = Zeros(8);
  values[2] = " 300   1   2   3   4   5   6   7   8   9  10";
  WriteFile("StepADC.txt", Lines(QStringList{"   9   9", "   5   0   1   0   0   0   0   0",
                                              "   1   2   3   4   5   6   7   8   9  10  11"} +
                                 values + QStringList{"   3", "extra line", "", ""}));
  StartProgram();
  TWeightCAL* w = prog->WeightCAL;
  EXPECT_EQ(w->EvStepLen->currentIndex(), -1);
  EXPECT_EQ(w->LoopStep->currentIndex(), -1);
  EXPECT_EQ(w->SwitchChannels[0].StepLen, 4);
  EXPECT_EQ(w->SwitchChannels[0].LoopCount, 4);
  EXPECT_EQ(w->SwitchChannels[2].RegValue[0], 44);
  EXPECT_EQ(w->SwitchChannels[2].RegAddr[0], 49);  // the address line has no effect
  EXPECT_TRUE(w->SwitCh[0]->isChecked());
  EXPECT_TRUE(w->SwitCh[2]->isChecked());
  EXPECT_EQ(w->CurrentStep, 3);
  StopProgram();
  QList<QByteArray> saved = ReadFile("StepADC.txt").split('\n');
  EXPECT_EQ(saved[0], "  -1  -1\r");
  EXPECT_EQ(saved[1], "   1   0   1   0   0   0   0   0\r");
  EXPECT_EQ(saved[2], QByteArray(kRegLine) + "\r");
  EXPECT_EQ(saved[5], "  44   1   2   3   4   5   6   7   8   9  10\r");
  EXPECT_EQ(saved.size(), 13);  // twelve lines and the final line end
}

TEST_F(StepFile, FileEndingEarlyKeepsTheRest) {
  QStringList values = Zeros(6);
  for (auto& l : values) l = "   1   1   1   1   1   1   1   1   1   1   1";
  WriteFile("StepADC.txt", Lines(QStringList{"   3   1", "   1   1   1   1   1   1   1   1", kRegLine} + values));
  StartProgram();
  TWeightCAL* w = prog->WeightCAL;
  EXPECT_EQ(w->SwitchChannels[5].RegValue[10], 1);
  EXPECT_EQ(w->SwitchChannels[6].RegValue[0], 0);
  EXPECT_EQ(w->SwitchChannels[7].RegValue[0], 0);
  EXPECT_EQ(w->CurrentStep, 0);
  EXPECT_EQ(w->SGDS->columnCount(), 9);
  EXPECT_EQ(w->SGDS->rowCount(), 3);
}

TEST_F(StepFile, BadNumberStopsTheLoadAndKeepsTheFile) {
  QByteArray bad = Lines({"   3   1", "   1   x   1   1   1   1   1   1", kRegLine});
  WriteFile("StepADC.txt", bad);
  StartProgram();  // the fault is reported and the start-up goes on
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(sim.dialogs.messages[0].text,
            "Invalid numeric format\nStepADC.txt is kept as it is: it is not written at close.");
  TWeightCAL* w = prog->WeightCAL;
  EXPECT_EQ(w->EvStepLen->currentIndex(), 3);  // the line read before keeps its effect
  EXPECT_FALSE(w->SwitCh[0]->isChecked());     // the bad line's numbers are not used
  EXPECT_EQ(w->SwitchChannels[0].StepLen, 0);  // the apply step did not run
  EXPECT_EQ(ReadFile("StepADC.txt"), bad);
  StopProgram();  // nor replaced at close
  EXPECT_EQ(ReadFile("StepADC.txt"), bad);
}

TEST_F(StepFile, StepPanelFallsBackToTheFirstRecord) {
  WriteFile("StepADC.txt", Lines(QStringList{"   0   0", "   1   1   0   1   1   1   1   1", kRegLine} + Zeros(8) +
                                 QStringList{"   0"}));
  StartProgram();
  TWeightCAL* w = prog->WeightCAL;
  w->SwitchChannels[0].Results[0] = 11;
  w->SwitchChannels[5].Results[0] = 66;
  w->PStepClick(5);
  EXPECT_EQ(w->CurrentStep, 5);
  EXPECT_EQ(w->SGDS->item(1, 1)->text(), "11");
  EXPECT_EQ(w->PStep[0]->frameShadow(), QFrame::Sunken);
  EXPECT_EQ(w->PStep[5]->frameShadow(), QFrame::Raised);
  EXPECT_FALSE(w->PStep[2]->isEnabled());
}

}  // namespace
