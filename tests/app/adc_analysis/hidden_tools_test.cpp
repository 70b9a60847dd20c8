// The analysis window's hidden tools on a Program with the simulated board: the
// single-value preview and its display, the calibration, the ADC presets of
// "Restore ADC" and the test-series loader.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "adc_analysis/analysis_window.h"
#include "analysis_program_fixture.h"
#include "common/errors.h"
#include "kit/segment_display.h"
#include "link/mx_up.h"
#include "shell/setup_dialog.h"

namespace {

class HiddenTools : public AnalysisProgramTest {
protected:
  void Scale(int index) {
    w->TXScale->setCurrentIndex(index);
    w->TXScaleChange();
  }
  // What the display shows after one preview reading.
  QString Reading() {
    w->Timer1Timer();
    return w->LCDADCP->Caption();
  }
  // Register transfers as (command, register, count), ignoring the bytes the board
  // does not read.
  std::vector<std::tuple<int, int, int>> Transfers() const {
    std::vector<std::tuple<int, int, int>> t;
    for (const Bytes& p : Sent())
      if (p.size() >= 5 && p[0] == 0xC4 && p[2] == 0xA0) t.emplace_back(p[1], p[3], p[4]);
    return t;
  }
};

TEST_F(HiddenTools, PreviewAsksTheBoardAndShowsTheReading) {
  sim.board.singleValueA = 256;
  w->PreViewADC->click();
  EXPECT_TRUE(w->Timer1->isActive());
  EXPECT_FALSE(w->ADCPanel->isHidden());
  for (QWidget* b : std::initializer_list<QWidget*>{w->BADC, w->ShowChart, w->CatchADC}) EXPECT_FALSE(b->isEnabled());

  EXPECT_EQ(Reading(), "256");
  ASSERT_EQ(Sent().size(), 1u);
  EXPECT_EQ(Sent()[0], Bytes({0xBE, 0x00, 0x00, 0xD4, 0x00, 0xF0, 0x00, 0x08, 0x64}));

  // Either button stops it; the mode is that of the last button.
  w->ExtADC->click();
  EXPECT_FALSE(w->Timer1->isActive());
  EXPECT_TRUE(w->ADCPanel->isHidden());
  EXPECT_EQ(w->PreviewMode, 1);
  for (QWidget* b : std::initializer_list<QWidget*>{w->BADC, w->ShowChart, w->CatchADC}) EXPECT_TRUE(b->isEnabled());

  // Closing the window stops a running preview.
  w->PreViewADC->click();
  w->RunFormClose();
  EXPECT_FALSE(w->Timer1->isActive());
  EXPECT_TRUE(w->ADCPanel->isHidden());
  EXPECT_TRUE(w->CatchADC->isEnabled());
}

TEST_F(HiddenTools, ReadingsByCombinationAndScale) {
  struct Case {
    int combination;
    int32_t a, b;
    int scaleIndex;  // 15: D 1, 14: D 2
    const char* shown;
  };
  for (const Case& c : {Case{0, 256, 0, 15, "256"}, Case{3, 256, 256, 15, "0"}, Case{1, 300, 100, 15, "200"},
                        Case{2, 300, 100, 15, "200"}, Case{3, 301, 100, 15, "100"}, Case{3, -3, 0, 15, "-1"},
                        Case{0, 0xFFFFFF, 0, 15, "-1"}, Case{0, 0xFFFFFF, 0, 14, "0"},
                        Case{0, 0x800000, 0, 15, "-8388608"}, Case{-1, 5, 2, 15, "5"}}) {
    SCOPED_TRACE(c.shown);
    w->CFunADC->setCurrentIndex(c.combination);
    Scale(c.scaleIndex);
    sim.board.singleValueA = c.a;
    sim.board.singleValueB = c.b;
    sim.board.ClearLog();
    EXPECT_EQ(Reading(), c.shown);
    EXPECT_EQ(Sent()[0][2], c.combination < 0 ? 0 : c.combination);
  }

  // "Photo" clear sends BAh; the address is the hexadecimal text, low byte first.
  prog->Option->Photo->setChecked(false);
  w->PreADCAddr->setText("1A2");
  sim.board.ClearLog();
  Reading();
  const Bytes sent = Sent().at(0);
  EXPECT_EQ(Bytes(sent.begin(), sent.begin() + 5), Bytes({0xBA, 0x00, 0x00, 0xA2, 0x01}));
}

TEST_F(HiddenTools, DisplayKeepsItsCaptionWithoutAGoodReading) {
  sim.board.singleValueA = 42;
  EXPECT_EQ(Reading(), "42");
  sim.board.singleValueA = 43;
  sim.board.Arm(FirmwareFault::BadStatus, FaultSpan::FromNowOn({.status = 0x55}));
  EXPECT_EQ(Reading(), "42");
  sim.board.ClearFaults();
  sim.board.UnplugAll();
  EXPECT_EQ(Reading(), "42");
}

TEST_F(HiddenTools, ExternalModeScalesByTheCalibration) {
  w->ExtADCClick();
  w->Timer1->stop();
  w->DmmCalValue = 500000;
  w->DmmCalReading = 50000;
  sim.board.singleValueA = 1234;
  EXPECT_EQ(Reading(), "1234000");
  sim.board.singleValueA = -1;
  EXPECT_EQ(Reading(), "-1000");
  w->DmmCalValue = 1;
  w->DmmCalReading = 3;
  sim.board.singleValueA = -1;
  EXPECT_EQ(Reading(), "-34");  // Floor(-100 / 3)
  // No calibration reading: nothing to scale by, the display stays.
  w->DmmCalReading = 0;
  sim.board.singleValueA = 7;
  EXPECT_EQ(Reading(), "-34");
}

TEST_F(HiddenTools, CalibrationTakesTheLastReading) {
  sim.board.singleValueA = 777;
  w->CalVal->setText("1500");
  w->BCALVal->click();
  EXPECT_EQ(sim.board.singleValueRequests, 3);
  EXPECT_EQ(w->DmmCalValue, 1500);
  EXPECT_EQ(w->DmmCalReading, 777);

  // A bad status: each reading is tried for two seconds, then its value is taken.
  sim.board.Arm(FirmwareFault::BadStatus, FaultSpan::FromNowOn({.status = 0x00}));
  sim.board.singleValueA = 555;
  w->CalVal->setText("abc");
  int64_t start = sim.clock.SteadyUs();
  w->BCALValClick();
  int64_t waited = sim.clock.SteadyUs() - start;
  EXPECT_GT(waited, 6'000'000);
  EXPECT_LT(waited, 6'100'000);
  EXPECT_EQ(w->DmmCalValue, 1500);  // not an integer: unchanged
  EXPECT_EQ(w->DmmCalReading, 555);

  // No exchange at all: the reading stays, and the tries end too.
  sim.board.ClearFaults();
  sim.board.UnplugAll();
  start = sim.clock.SteadyUs();
  w->BCALValClick();
  EXPECT_LT(sim.clock.SteadyUs() - start, 6'100'000);
  EXPECT_EQ(w->DmmCalReading, 555);
}

TEST_F(HiddenTools, RestoreAdcWritesThePresetAndReadsItBack) {
  const uint8_t scale[6] = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16};
  const uint8_t dmm[6] = {1, 2, 0xFF, 4, 5, 6};
  std::copy(std::begin(scale), std::end(scale), w->AdcPresetScale);
  std::copy(std::begin(dmm), std::end(dmm), w->AdcPresetDmm);
  sim.board.chip.SetMask(0x3E, 0x0F);
  // The body-fat panel is left out of the refresh.
  FieldDescriptors& f = prog->G.Fields;
  prog->Mx_UP->SetRegShadow(f.F_LOOP.Address, 0xFF, 0);
  const uint8_t loopBefore = f.F_LOOP.Value;

  w->ComFun->setCurrentIndex(1);  // "DMM"
  Click("RestoreADC");
  using T = std::tuple<int, int, int>;
  EXPECT_EQ(Transfers(), std::vector<T>({T{0, 0x3C, 5}, T{0, 0x30, 1}, T{1, 0x3C, 5}, T{1, 0x30, 1}}));
  const std::vector<Bytes> sent = Sent();
  EXPECT_EQ(sent[0].size(), 12u);
  EXPECT_EQ(Bytes(sent[0].begin() + 7, sent[0].end()), Bytes({1, 2, 0xFF, 4, 5}));
  EXPECT_EQ(sent[1][7], 6);
  const uint8_t expected[5] = {1, 2, 0x0F, 4, 5};  // what the chip returned
  for (int i = 0; i < 5; ++i) EXPECT_EQ(prog->Mx_UP->GetReg(0x3C + i, 0), expected[i]);
  EXPECT_EQ(prog->Mx_UP->GetReg(0x30, 0), 6);
  EXPECT_EQ(prog->G.RegShown[0x3D], 2);  // the views were refreshed
  EXPECT_EQ(f.F_LOOP.Value, loopBefore);

  // The selector's own choice restores "Scale"; no choice only reads back.
  sim.board.ClearLog();
  w->ComFun->setCurrentIndex(0);
  emit w->ComFun->activated(0);
  EXPECT_EQ(prog->Mx_UP->GetReg(0x3C, 0), 0x11);
  EXPECT_EQ(prog->Mx_UP->GetReg(0x30, 0), 0x16);
  sim.board.ClearLog();
  w->ComFun->setCurrentIndex(-1);
  w->ComFunChange();
  EXPECT_EQ(Transfers(), std::vector<T>({T{1, 0x3C, 5}, T{1, 0x30, 1}}));

  // A failed read-back leaves the shadow as it was.
  sim.board.chip.Poke(0x3C, 0x99);
  sim.board.UnplugAll();
  w->ComFunChange();
  EXPECT_EQ(prog->Mx_UP->GetReg(0x3C, 0), 0x11);
}

TEST_F(HiddenTools, TestSeriesFromBloodCsv) {
  prog->G.SampleCount = 9;
  w->Button1->click();  // no file: nothing happens
  EXPECT_EQ(prog->G.SampleCount, 9);

  struct Case {
    const char* text;
    const char* diffLength;
    std::vector<double> values;
    std::vector<double> sums;
  };
  for (const Case& c :
       {Case{"1\r\n3\r\n6\r\n10\r\n", "16", {1, 3, 6, 10}, {}}, Case{"1\n3\n6\n10\n\n", "16", {1, 3, 6, 10, 0}, {}},
        Case{"1\n\n  3\n", "16", {1, 3}, {}}, Case{"2.5, 7\n-1e1\t8\n", "16", {2.5, -10}, {}},
        Case{"1\n3\n6\n10", "2", {1, 3, 6, 10}, {5, 7}}, Case{"1\n3\n6\n10", "0", {1, 3, 6, 10}, {2, 3}}}) {
    SCOPED_TRACE(c.text);
    WriteFile("blood.csv", c.text);
    w->ENumD->setText(c.diffLength);
    w->st.DiffSums[0] = -1;
    w->Button1Click();
    const int n = static_cast<int>(c.values.size());
    ASSERT_EQ(prog->G.SampleCount, n);
    EXPECT_EQ(w->st.LastCount, n);
    EXPECT_DOUBLE_EQ(w->st.CaptureMs, 30000);
    for (int i = 0; i < n; ++i) EXPECT_DOUBLE_EQ(w->st.WorkSamples[i], c.values[i]);
    for (int i = 0; i + 1 < n; ++i) EXPECT_DOUBLE_EQ(w->st.SampleDiffs[i], c.values[i + 1] - c.values[i]);
    if (c.sums.empty()) {
      EXPECT_DOUBLE_EQ(w->st.DiffSums[0], -1);  // too few values for a sum
    }
    for (size_t i = 0; i < c.sums.size(); ++i) EXPECT_DOUBLE_EQ(w->st.DiffSums[i], c.sums[i]);
  }

  // A line that is no number: an error; the values before stay, the count does not change.
  WriteFile("blood.csv", "4\nfive\n6\n");
  w->ENumD->setText("16");
  EXPECT_THROW(w->Button1Click(), EInOutError);
  EXPECT_DOUBLE_EQ(w->st.WorkSamples[0], 4);
  EXPECT_EQ(prog->G.SampleCount, 4);

  // At most 65,536 values.
  QByteArray many;
  for (int i = 0; i < 65540; ++i) many += "1\n";
  WriteFile("blood.csv", many);
  w->Button1Click();
  EXPECT_EQ(prog->G.SampleCount, 65536);
}

}  // namespace
