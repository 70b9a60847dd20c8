// The main configuration file "MxADC.cfg" written at close and read at start-up.
#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "adc_analysis/analysis_state.h"
#include "adc_analysis/analysis_window.h"
#include "block_panels/adc_panel.h"
#include "common/errors.h"
#include "common/text_encoding.h"
#include "instruments/temperature_test.h"
#include "shell/main_config.h"
#include "shell/main_panel.h"
#include "shell/setup_dialog.h"
#include "app/support/program_fixture.h"

namespace {

using MainConfigFile = ProgramTest;

QList<QByteArray> Lines(const QByteArray& file) {
  QList<QByteArray> lines = file.split('\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  for (QByteArray& l : lines) {
    EXPECT_TRUE(l.endsWith('\r'));
    l.chop(1);
  }
  return lines;
}

// The file a program writes, with some lines replaced.
QByteArray Edited(QList<QByteArray> lines, const std::map<int, QByteArray>& replace) {
  for (const auto& [line, text] : replace) {
    while (lines.size() < line) lines.append(QByteArray());
    lines[line - 1] = text;
  }
  QByteArray out;
  for (const QByteArray& l : lines) out += l + "\r\n";
  return out;
}

TEST_F(MainConfigFile, FreshFolderWritesTheDefaultsBeforeReadingThem) {
  StartProgram(false);
  ASSERT_FALSE(QFile::exists(Path("MxADC.cfg")));
  prog->Start();
  QList<QByteArray> first = Lines(ReadFile("MxADC.cfg"));
  ASSERT_EQ(first.size(), 29);
  EXPECT_EQ(first[0], "MX-ENOB TEST V1.4 for MX7406");
  EXPECT_EQ(first[1], "   0   5   0   0   0");
  EXPECT_EQ(first[2], "FALSE");
  EXPECT_EQ(first[8], " 0");
  EXPECT_EQ(first[16], "       0       0");
  StopProgram();
  QList<QByteArray> closing = Lines(ReadFile("MxADC.cfg"));
  ASSERT_EQ(closing.size(), 29);
  EXPECT_EQ(closing[1], "   0   5  15   5   0");
  EXPECT_EQ(closing[16], "  500000   50000");  // the zero pair was read as the defaults
  EXPECT_EQ(closing[21], "   1");  // Photo checked
}

TEST_F(MainConfigFile, BlocksLandInTheirWindows) {
  StartProgram();
  StopProgram();
  QList<QByteArray> lines = Lines(ReadFile("MxADC.cfg"));
  WriteFile("MxADC.cfg", Edited(lines, {{2, "   0   5   3   9   2"},
                                        {3, "true"},
                                        {11, "1"},
                                        {12, "12"},
                                        {13, "   4   2"},
                                        {17, "       7       3"},
                                        {18, "   1   2   3   4   5 300"},
                                        {22, "   0"},
                                        {23, "2.50"},
                                        {25, "   1"},
                                        {26, "    42     1"},
                                        {29, "TRUE"},
                                        {30, "extra line"}}) +
                                 "more\r\n");
  StartProgram();
  const STND& ch = prog->G.Channels[0];
  EXPECT_EQ(ch.UartComIndex, 15u);
  EXPECT_EQ(ch.UartBaudIndex, 5u);
  EXPECT_EQ(ch.UartParityIndex, 0u);
  EXPECT_EQ(prog->Option->TXBaud->currentIndex(), 5);
  EXPECT_EQ(prog->Option->TXCOM->currentIndex(), 15);
  EXPECT_FALSE(prog->Option->TXBaud->isEnabled());
  EXPECT_FALSE(prog->Option->CLPT->isEnabled());
  EXPECT_TRUE(prog->MainPanel->ConfigFlags[0]);
  EXPECT_EQ(prog->ADCForm->OutMode, 1);
  EXPECT_EQ(prog->ADCForm->OutBits, 12);
  EXPECT_EQ(prog->ADCForm->TXADCObit->currentIndex(), 12);
  TAnxADC* anx = prog->AnxADC;
  EXPECT_EQ(anx->NPointIndex->currentIndex(), 4);
  EXPECT_EQ(prog->G.NPoints, NPointsForIndex(4));
  EXPECT_EQ(anx->TXScale->currentIndex(), 2);
  EXPECT_EQ(anx->DmmCalValue, 7);
  EXPECT_EQ(anx->DmmCalReading, 3);
  EXPECT_EQ(anx->AdcPresetScale[5], 44);  // the low byte
  EXPECT_TRUE(prog->Option->Photo->isChecked());  // whatever line 22 holds
  EXPECT_EQ(anx->EREFV->text(), "2.50");
  EXPECT_TRUE(prog->TMP->CHFULL->isChecked());
  EXPECT_EQ(anx->EGv->text(), "42");
  EXPECT_TRUE(anx->ChTemper->isChecked());
  EXPECT_TRUE(anx->updateChart->isChecked());
}

TEST_F(MainConfigFile, ChangedCaptionIgnoresTheFileOnceAndRewritesIt) {
  StartProgram();
  StopProgram();
  QList<QByteArray> lines = Lines(ReadFile("MxADC.cfg"));
  WriteFile("MxADC.cfg", Edited(lines, {{13, "   6   3"}}));
  WriteFile("MxAppName.cfg", "Bench B\r\n");
  StartProgram();
  EXPECT_NE(prog->AnxADC->NPointIndex->currentIndex(), 6);  // ignored
  EXPECT_TRUE(prog->Option->TXBaud->isEnabled());
  StopProgram();
  EXPECT_EQ(Lines(ReadFile("MxADC.cfg"))[0], "Bench B");
}

TEST_F(MainConfigFile, ShortAndBadFiles) {
  StartProgram();
  StopProgram();
  QList<QByteArray> lines = Lines(ReadFile("MxADC.cfg"));
  // Ending after block 3: the blocks present apply, the definition is parsed.
  WriteFile("MxADC.cfg", Edited(lines.mid(0, 12), {{11, "1"}}));
  StartProgram();
  EXPECT_EQ(prog->ADCForm->OutMode, 1);
  EXPECT_FALSE(prog->Option->TXBaud->isEnabled());
  StopProgram();
  // A field that is not a number is reported and the start-up goes on; the blocks
  // before it stay applied. The file is not replaced at close: what follows the bad
  // field is the user's, not defaults.
  const QByteArray bad = Edited(lines, {{11, "1"}, {13, "   x   2"}, {17, "       7       3"}});
  WriteFile("MxADC.cfg", bad);
  StartProgram();
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(sim.dialogs.messages[0].text,
            "Invalid numeric format\nMxADC.cfg is kept as it is: it is not written at close.");
  EXPECT_EQ(prog->ADCForm->OutMode, 1);
  EXPECT_NE(prog->AnxADC->DmmCalValue, 7);  // block 7 comes after the fault
  EXPECT_TRUE(prog->MainPanel->MenuItem("Menu_ReadAdc")->isVisible());  // the definition is parsed
  StopProgram();
  EXPECT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(ReadFile("MxADC.cfg"), bad);
}

TEST_F(MainConfigFile, UnreadableCaptionFileKeepsTheConfiguration) {
  // Without the caption file the caption line cannot match: the file is neither
  // applied nor replaced, and the user is told both.
  WriteFile("MxAppName.cfg", "Bench B\r\n");
  StartProgram();
  StopProgram();
  const QByteArray saved = ReadFile("MxADC.cfg");
  ASSERT_TRUE(saved.startsWith("Bench B\r\n"));
  ASSERT_TRUE(QFile::remove(Path("MxAppName.cfg")));
  ASSERT_TRUE(QDir().mkpath(Path("MxAppName.cfg")));
  StartProgram();
  ASSERT_EQ(sim.dialogs.messages.size(), 2);
  EXPECT_TRUE(sim.dialogs.messages[0].text.contains("MxAppName.cfg"));
  EXPECT_TRUE(sim.dialogs.messages[1].text.startsWith("MxADC.cfg is not applied"));
  EXPECT_EQ(prog->MainPanel->windowTitle(), "MX-ENOB TEST V1.4 for MX7406");
  StopProgram();
  EXPECT_EQ(ReadFile("MxADC.cfg"), saved);
}

TEST_F(MainConfigFile, IqModeAndEkgBothSavedLeaveEkgUnchecked) {
  // Product 0 offers "EKG" only; the saved product 1 offers I/Q mode as well, which the
  // definition parsed after the file was read shows.
  WriteFile("MxSel.INC", "EKGONLY.INC EKGONLY 1K\r\nMX7406.INC MX7406 16K\r\n");
  WriteFile("Include/EKGONLY.INC", "#PRODUCT\nEKGONLY\n#EKG\n");
  StartProgram();
  StopProgram();
  WriteFile("MxADC.cfg",
            Edited(Lines(ReadFile("MxADC.cfg")), {{2, "   1   5   0   0   0"}, {27, "TRUE"}, {28, "TRUE"}}));
  StartProgram();
  TAnxADC* anx = prog->AnxADC;
  EXPECT_EQ(prog->G.ProductName, "MX7406");
  EXPECT_TRUE(anx->IqMode());
  EXPECT_FALSE(anx->cbEKG->isChecked());
  EXPECT_FALSE(anx->EkgMode());
  EXPECT_TRUE(anx->gbECG->isHidden());
  EXPECT_TRUE(anx->GroupBox2->isHidden());
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(sim.dialogs.messages[0].text, "IQ Mode and EKG Cannot be used simultaneously");
  // The window shows the I/Q layout it now captures in.
  EXPECT_EQ(anx->CatchADC->text(), "Catch ADIQ");
  EXPECT_FALSE(anx->TXENOB_ADQ->isHidden());
  EXPECT_EQ(anx->st.MemoryF.RowCount(), 2 * (prog->G.NPoints / 16) + 1);
  // Back on the product without I/Q mode: the checked box is hidden, the ADC layout returns.
  emit prog->Option->CbSeluP->activated(0);
  EXPECT_FALSE(anx->IqMode());
  EXPECT_EQ(anx->CatchADC->text(), "Catch ADC");
  EXPECT_TRUE(anx->TXENOB_ADQ->isHidden());
  EXPECT_EQ(anx->st.MemoryF.RowCount(), prog->G.NPoints / 16 + 1);
  emit prog->Option->CbSeluP->activated(1);
  EXPECT_EQ(anx->CatchADC->text(), "Catch ADIQ");
  // What is kept is the mode the window runs in.
  StopProgram();
  const QList<QByteArray> saved = Lines(ReadFile("MxADC.cfg"));
  EXPECT_EQ(saved[26], "TRUE");
  EXPECT_EQ(saved[27], "FALSE");
}

TEST_F(MainConfigFile, SampleCountOutsideItsRangeBecomes256) {
  StartProgram();
  StopProgram();
  // No selection in the sample-count selector gives 16 samples, which start-up corrects.
  WriteFile("MxADC.cfg", Edited(Lines(ReadFile("MxADC.cfg")), {{13, "  -1   2"}}));
  StartProgram();
  EXPECT_EQ(prog->G.NPoints, 256);
  EXPECT_EQ(prog->AnxADC->NPointIndex->currentText(), "256");
  prog->AnxADC->NPointIndexChange();  // a later change keeps the 256 samples
  EXPECT_EQ(prog->G.NPoints, 256);
}

}  // namespace
