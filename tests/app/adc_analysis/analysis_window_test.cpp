// The ENOB test window on a Program with the simulated board: selectors, the capture
// button with its lock and stop, the figures, the mode switches, the chart and the
// result files.
#include <gtest/gtest.h>

#include <cmath>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <qcustomplot.h>

#include "adc_analysis/analysis_window.h"
#include "adc_analysis/capture_loop.h"
#include "adc_analysis/switch_channel_test.h"
#include "analysis_program_fixture.h"
#include "block_panels/adc_panel.h"
#include "common/errors.h"
#include "kit/segment_display.h"
#include "link/mx_up.h"
#include "platform/dialogs.h"
#include "shell/main_panel.h"
#include "app/support/program_fixture.h"
#include "support/board_faults.h"

namespace {

const Bytes kWriteReg2 = {0xC4, 0x00, 0xA0, 0x02, 0x01};
const Bytes kPoll = {0xC4, 0x04};
const Bytes kStop = {0xC4, 0x03, 0x01};

// The raw word an ADC capture decodes to v (positive words are halved).
uint32_t AdcWord(int v) { return static_cast<uint32_t>(2 * v) & 0xFFFFFF; }

class AnalysisWindow : public AnalysisProgramTest {
protected:
  void SetUp() override {
    AnalysisProgramTest::SetUp();
    unlocked = LockedItems();
  }

  // The user picks an item of a selector.
  void Choose(QComboBox* c, int index) {
    c->setCurrentIndex(index);
    emit c->activated(index);
  }
  void Type(QComboBox* c, const QString& text) {
    c->setEditText(text);
    emit c->lineEdit()->textEdited(text);
  }

  // 64 samples (13 dropped first, 11 a poll) alternating 104 and 100.
  void AlternatingStream() {
    sim.board.samplesPerPoll = 11;
    sim.board.streamSource = [](uint64_t n) { return static_cast<int32_t>(AdcWord(n % 2 ? 104 : 100)); };
  }

  QStringList Figures() const {
    return {w->TXENOB->text(), w->TXNFREE->text(), w->TXOffset->text(), w->TXVPP->text(), w->TXNrms->text()};
  }

  // What the lock covers, as booleans "enabled".
  std::vector<bool> LockedItems() const {
    std::vector<bool> e;
    for (const char* m : {"Memu_File", "Menu_Option", "Menu_ReadRAM", "Menu_ReadAdc"})
      e.push_back(prog->MainPanel->MenuItem(m)->isEnabled());
    for (QWidget* c : std::initializer_list<QWidget*>{w->SaveData, w->ShowChart, w->ChangeADI, w->cbEKG,
                                                      w->updateChart, w->CMAVR, w->NPointIndex, w->TXScale})
      e.push_back(c->isEnabled());
    return e;
  }

  QVector<double> Keys(QCPGraph* g) const {
    QVector<double> k;
    for (auto it = g->data()->constBegin(); it != g->data()->constEnd(); ++it) k << it->key;
    return k;
  }
  QVector<double> Values(QCPGraph* g) const {
    QVector<double> v;
    for (auto it = g->data()->constBegin(); it != g->data()->constEnd(); ++it) v << it->value;
    return v;
  }

  std::vector<bool> unlocked;  // the lock's items before any capture
};

TEST_F(AnalysisWindow, DefaultsAndHiddenControls) {
  EXPECT_EQ(w->windowTitle(), "Analyse ADC - MX7406  16K");
  EXPECT_EQ(prog->G.NPoints, 64);
  EXPECT_EQ(w->st.ScaleBits, 23);
  EXPECT_EQ(prog->G.ScaleDivisor, 1);
  EXPECT_TRUE(w->st.CaptureIdle);
  EXPECT_EQ(w->NPointIndex->currentText(), "64");
  EXPECT_EQ(w->TXScale->currentText(), "23");
  EXPECT_EQ(w->CMAVR->currentText(), "1");
  EXPECT_EQ(w->EREFV->text(), "2.4");
  EXPECT_EQ(w->st.MemoryF.RowCount(), 5);
  EXPECT_EQ(w->MemoryF->model()->columnCount(), 17);
  EXPECT_FALSE(w->MemoryF->isHidden());
  EXPECT_TRUE(w->Chart1->isHidden());
  EXPECT_EQ(w->ShowChart->text(), "Chang to Chart");

  // Present, never shown, and still what their handlers read.
  for (const char* n : {"FastRead", "ChTemper", "BFlashRD", "FTChange", "ENumD", "TXVRMS", "Label8", "GroupBox3",
                        "ADCPanel", "PreViewADC", "ExtADC", "PreADCAddr", "CFunADC", "CalVal", "BCALVal", "ComFun",
                        "BADC", "Button1", "ECompare", "ChFilter", "EGv", "Label18", "TXENOB_ADQ", "labHR",
                        "GroupBox2", "gbECG"})
    EXPECT_TRUE(Find<QWidget>(w, n)->isHidden()) << n;
  EXPECT_TRUE(w->FastRead->isChecked());
  EXPECT_EQ(w->ENumD->text(), "16");
  EXPECT_EQ(w->edtF[3]->text(), "-0.02588");
  EXPECT_EQ(w->edtFGain->text(), "3.3");
  EXPECT_EQ(w->edtAverCoef->text(), "96.875");
  EXPECT_EQ(w->CFunADC->currentText(), "Free");
  EXPECT_EQ(w->LCDADCP->Caption(), "0");
  EXPECT_FALSE(w->Timer1->isActive());
  EXPECT_EQ(w->Timer1->interval(), 20);

  // The figure edits take no typing but can be copied.
  EXPECT_TRUE(w->TXENOB->isReadOnly());
  EXPECT_GE(w->minimumWidth(), 714);
  EXPECT_GE(w->minimumHeight(), 277);
}

TEST_F(AnalysisWindow, SelectorsSetSampleCountAndScale) {
  struct Case {
    const char* typed;  // nullptr: pick the item
    int item;
    int npoints, rows, iqRows;
  };
  for (const Case& c : {Case{nullptr, 12, 131072, 8193, 16385}, Case{nullptr, 0, 32, 3, 5}, Case{"100", -1, 16, 2, 3},
                        Case{"1024", -1, 1024, 65, 129}}) {
    w->ChangeADI->setChecked(false);
    if (c.typed)
      Type(w->NPointIndex, c.typed);
    else
      Choose(w->NPointIndex, c.item);
    EXPECT_EQ(prog->G.NPoints, c.npoints) << c.item;
    EXPECT_EQ(w->st.MemoryF.RowCount(), c.rows) << c.item;
    EXPECT_EQ(w->MemoryF->model()->rowCount(), c.rows);
    w->ChangeADI->setChecked(true);  // shown by the shipped definition's "#CATCHIQ"
    EXPECT_EQ(w->st.MemoryF.RowCount(), c.iqRows) << c.item;
  }
  EXPECT_EQ(w->MemoryF->model()->headerData(65, Qt::Vertical).toString(), "ADQ:0000");  // 1024 pairs

  Choose(w->TXScale, 8);  // "16"
  EXPECT_EQ(w->st.ScaleBits, 16);
  EXPECT_EQ(prog->G.ScaleDivisor, 128);
  EXPECT_EQ(prog->WeightCAL->TXScale->currentIndex(), 8);
  Type(w->TXScale, "x");
  EXPECT_EQ(w->st.ScaleBits, 7);
  EXPECT_EQ(prog->G.ScaleDivisor, 65536);
  Choose(w->TXScale, 15);
  EXPECT_EQ(prog->G.ScaleDivisor, 1);
}

TEST_F(AnalysisWindow, CatchAdcEndToEnd) {
  AlternatingStream();
  std::vector<std::vector<bool>> during;
  auto source = sim.board.streamSource;
  sim.board.streamSource = [&, source](uint64_t n) {
    if (n == 30) during.push_back(LockedItems());
    return source(n);
  };
  ASSERT_EQ(std::count(unlocked.begin(), unlocked.end(), true), 11);  // "Read RAM && REG" is never shown
  QPushButton* readTool = Find<QPushButton>(prog->ADCForm, "BRDADC");
  readTool->click();
  ASSERT_EQ(readTool->text(), "Reading");

  w->CatchADC->click();

  EXPECT_EQ(CountSent(kWriteReg2), 2);
  EXPECT_EQ(CountSent({0xC4, 0x02, 0x03}), 1);  // stream mode 3 ("FastRead" checked)
  EXPECT_EQ(CountSent(kPoll), 7);
  EXPECT_EQ(CountSent(kStop), 1);
  EXPECT_FALSE(sim.board.streaming);
  ASSERT_EQ(during.size(), 1u);
  EXPECT_EQ(during[0], std::vector<bool>(12, false));
  EXPECT_TRUE(w->CatchADC->isEnabled());
  EXPECT_EQ(LockedItems(), unlocked);
  EXPECT_FALSE(w->st.AdcCaptureFlag);
  EXPECT_TRUE(w->st.CaptureIdle);
  EXPECT_EQ(readTool->text(), "STOP");  // the ADC panel's hidden read tool is reset

  EXPECT_EQ(prog->G.SampleCount, 64);
  EXPECT_EQ(w->st.MemoryF.Text(0), "104");
  EXPECT_EQ(w->MemoryF->model()->index(1, 2).data().toString(), "100");
  // Mean 102, deviation 2, peak-to-peak 4 at 23 bits, 2.4 V and gain 1.
  EXPECT_EQ(Figures(), (QStringList{"22.00", "21.00", "102.00", "2288.82", "1144.41"}));
  EXPECT_EQ(w->TXVRMS->text(), "102.02");
  EXPECT_EQ(prog->MainPanel->StatusBar1->Text(2), "Read Compelete");
  EXPECT_TRUE(prog->MainPanel->Gauge1->isHidden());
  // The chart is redrawn with the capture.
  EXPECT_EQ(w->Series1->data()->size(), 64);

  // A smaller scale divides the values of the next capture.
  Choose(w->TXScale, 8);  // 16 bits
  sim.board.streamSource = [](uint64_t) { return static_cast<int32_t>(AdcWord(-200)); };
  w->CatchADC->click();
  EXPECT_EQ(w->st.MemoryF.Text(5), "-1");
  EXPECT_EQ(w->TXOffset->text(), "-1.00");

  // Full-scale values widen the grid's columns: no value is cut.
  Choose(w->TXScale, 15);
  sim.board.streamSource = [](uint64_t) { return 0x800000; };
  w->CatchADC->click();
  ASSERT_EQ(w->st.MemoryF.Text(0), "-4194304");
  EXPECT_GT(w->MemoryF->columnWidth(1), w->MemoryF->fontMetrics().horizontalAdvance("-4194304"));
}

// A long capture shows its values in the grid as they come, but at most every quarter
// of a second rather than after every poll, and all of them once it ends.
TEST_F(AnalysisWindow, GridFollowsTheCaptureAtItsOwnPace) {
  Choose(w->NPointIndex, 8);  // 8192 samples: (8192 + 13) / 21 -> 391 polls of 10 ms
  sim.board.streamSource = [](uint64_t n) { return static_cast<int32_t>(AdcWord(static_cast<int>(n % 1000))); };
  std::vector<int64_t> shown;  // clock times of the grid's refreshes while the capture runs
  QObject::connect(w->MemoryF->model(), &QAbstractItemModel::dataChanged, w, [&] {
    if (!w->st.CaptureIdle) shown.push_back(sim.clock.SteadyUs());
  });
  const int64_t start = sim.clock.SteadyUs();
  w->CatchADC->click();
  const int64_t took = sim.clock.SteadyUs() - start;

  ASSERT_EQ(CountSent(kPoll), 391);
  EXPECT_GE(took, 391 * 10'000);
  EXPECT_GE(shown.size(), static_cast<size_t>(took / 250'000 - 1));
  EXPECT_LE(shown.size(), static_cast<size_t>(took / 250'000 + 1));
  for (size_t i = 1; i < shown.size(); ++i) EXPECT_GE(shown[i] - shown[i - 1], 250'000) << i;
  // The last sample kept (index 8191, stream sample 8204) in row 512, column 16.
  EXPECT_EQ(prog->G.SampleCount, 391 * 21 - 13);
  EXPECT_EQ(w->MemoryF->model()->index(512, 16).data().toString(), "204");
  EXPECT_EQ(w->MemoryF->model()->index(1, 1).data().toString(), "13");
}

TEST_F(AnalysisWindow, SecondClickStopsTheCapture) {
  AlternatingStream();
  auto source = sim.board.streamSource;
  sim.board.streamSource = [&, source](uint64_t n) {
    if (n == 30) QMetaObject::invokeMethod(w->CatchADC, &QPushButton::click, Qt::QueuedConnection);
    return source(n);
  };
  w->CatchADC->click();
  EXPECT_EQ(CountSent({0xC4, 0x02}), 1);  // no second capture started
  EXPECT_EQ(CountSent(kStop), 1);
  EXPECT_LT(prog->G.SampleCount, 64);
  EXPECT_EQ(w->st.LastCount, 0);
  EXPECT_EQ(prog->MainPanel->StatusBar1->Text(2), "Read Error !!!!!");
  EXPECT_TRUE(w->st.CaptureIdle);
  EXPECT_EQ(LockedItems(), unlocked);
  EXPECT_FALSE(w->TXENOB->text().isEmpty());  // figures of what was kept
}

TEST_F(AnalysisWindow, ErrorsUnlockTheWindow) {
  // A rate that is no number stops the capture before anything is sent.
  w->cbEKG->setChecked(true);
  w->edtFactor->setText("fast");
  EXPECT_THROW(w->CatchADCClick(), EConvertError);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(LockedItems(), unlocked);
  EXPECT_TRUE(w->st.CaptureIdle);

  // A rate that is not positive is refused the same way: the last capture's samples
  // and figures stay together, and so does what "Save to CSV" writes of them.
  w->edtFactor->setText("480");
  AlternatingStream();
  w->CatchADC->click();
  ASSERT_EQ(prog->G.SampleCount, 64);
  const QStringList figures = Figures();
  const QString hr = w->labHR->text();
  for (const char* rate : {"0", "-480"}) {
    SCOPED_TRACE(rate);
    w->edtFactor->setText(rate);
    sim.board.streamSource = [](uint64_t) { return static_cast<int32_t>(AdcWord(5000)); };
    sim.board.ClearLog();
    EXPECT_THROW(w->CatchADCClick(), EConvertError);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(LockedItems(), unlocked);
    EXPECT_TRUE(w->gbECG->isEnabled());
    EXPECT_TRUE(w->st.CaptureIdle);
    EXPECT_FALSE(w->st.AdcCaptureFlag);
    EXPECT_EQ(prog->G.LiveChartFlag, 0);
    EXPECT_EQ(Figures(), figures);
    EXPECT_EQ(w->labHR->text(), hr);
    EXPECT_EQ(w->st.MemoryF.Text(0), "104");
    EXPECT_EQ(prog->G.SampleCount, 64);
  }
}

TEST_F(AnalysisWindow, IqAndEkgExcludeEachOther) {
  // I/Q mode: its layout; EKG then refused.
  w->ChangeADI->setChecked(true);
  EXPECT_EQ(w->CatchADC->text(), "Catch ADIQ");
  EXPECT_EQ(w->Label17->text(), "ADI");
  EXPECT_FALSE(w->Label18->isHidden());
  EXPECT_FALSE(w->TXNrms_ADQ->isHidden());
  EXPECT_EQ(w->Series1->name(), "ADI");
  EXPECT_EQ(w->Series2->name(), "ADQ");
  w->cbEKG->setChecked(true);
  EXPECT_FALSE(w->cbEKG->isChecked());
  EXPECT_TRUE(w->gbECG->isHidden());
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(sim.dialogs.messages[0].text, "IQ Mode and EKG Cannot be used simultaneously");
  EXPECT_EQ(sim.dialogs.messages[0].caption, "warning");

  // EKG first: I/Q refused, the ADC layout stays.
  w->ChangeADI->setChecked(false);
  w->cbEKG->setChecked(true);
  EXPECT_FALSE(w->gbECG->isHidden());
  EXPECT_FALSE(w->GroupBox2->isHidden());
  w->ChangeADI->setChecked(true);
  EXPECT_FALSE(w->ChangeADI->isChecked());
  EXPECT_EQ(w->CatchADC->text(), "Catch ADC");
  EXPECT_TRUE(w->Label18->isHidden());
  EXPECT_EQ(sim.dialogs.messages.size(), 2);

  // A checked box the chip does not offer is ADC mode.
  w->cbEKG->setChecked(false);
  w->ChangeADI->hide();
  w->ChangeADI->setChecked(true);
  EXPECT_FALSE(w->IqMode());
  EXPECT_EQ(w->CatchADC->text(), "Catch ADC");
  EXPECT_EQ(w->st.MemoryF.RowCount(), 5);
  EXPECT_TRUE(w->TXENOB_ADQ->isHidden());
}

TEST_F(AnalysisWindow, ChartPointsAxesAndSeries) {
  Globals& g = prog->G;
  AnalysisState& st = w->st;
  g.SampleCount = 64;
  st.CaptureMs = 512;
  for (int i = 0; i < 64; ++i) st.WorkSamples[i] = 1000 + i;
  st.WorkSamples[1] = -200;
  w->ChartFun(64);
  QVector<double> keys = Keys(w->Series1);
  ASSERT_EQ(keys.size(), 64);
  EXPECT_EQ(keys[0], 0);
  EXPECT_EQ(keys[1], 8);
  EXPECT_EQ(keys[2], 16);
  EXPECT_EQ(keys[63], 504);
  EXPECT_EQ(w->Chart1->xAxis->range(), QCPRange(0, 512));
  EXPECT_EQ(w->Chart1->xAxis->ticker().staticCast<QCPAxisTickerFixed>()->tickStep(), 8);
  EXPECT_EQ(w->Chart1->xAxis->label(), "Time  ms");
  EXPECT_EQ(w->Chart1->xAxis->tickLabelRotation(), 90);
  EXPECT_EQ(w->ChartTitle->text(), "Time Domain");
  EXPECT_EQ(w->Chart1->yAxis->label(), "Degree");
  EXPECT_EQ(w->Series1->pen().color(), QColor(Qt::red));
  EXPECT_TRUE(w->Series2->data()->isEmpty());  // "ADC": the values alone

  // Divisor 128: -200 plots at -1 (toward zero), 1063 at 8.
  g.ScaleDivisor = 128;
  w->ChartFun(64);
  QVector<double> values = Values(w->Series1);
  EXPECT_EQ(values[1], -1);
  EXPECT_EQ(values[63], 8);

  // No points: empty series over 0..T, the increment as before.
  st.CaptureMs = 300;
  w->ChartFun(0);
  EXPECT_TRUE(w->Series1->data()->isEmpty());
  EXPECT_EQ(w->Chart1->xAxis->range(), QCPRange(0, 300));
  EXPECT_EQ(w->Chart1->xAxis->ticker().staticCast<QCPAxisTickerFixed>()->tickStep(), 8);

  // EKG output on its own axis from point 16; "EKG" shows it alone.
  g.ScaleDivisor = 1;
  st.CaptureMs = 512;
  for (int i = 0; i < 64; ++i) st.EkgValues[i] = i * 0.5;
  w->rbADC_EKG->setChecked(true);
  EXPECT_EQ(w->Series1->data()->size(), 64);
  ASSERT_EQ(w->Series2->data()->size(), 48);
  EXPECT_EQ(Keys(w->Series2)[0], 128);
  EXPECT_EQ(Values(w->Series2)[0], 8);
  EXPECT_EQ(w->Series2->valueAxis(), w->Chart1->yAxis2);
  EXPECT_TRUE(w->Chart1->yAxis2->visible());
  w->rbEKG->setChecked(true);
  EXPECT_TRUE(w->Series1->data()->isEmpty());
  EXPECT_EQ(w->st.MemoryF.Text(3), "1.50");  // the grid shows the EKG output
  EXPECT_EQ(w->Series2->data()->size(), 48);
  w->rdADC->setChecked(true);
  st.CaptureSamples[0] = 123;
  w->rdADC->toggled(true);
  EXPECT_EQ(w->st.MemoryF.Text(0), "123.00");  // the values before the divisor
  EXPECT_TRUE(w->Series2->data()->isEmpty());
  // Back to "ADC": the EKG axis goes with its series.
  EXPECT_EQ(w->Series2->valueAxis(), w->Chart1->yAxis);
  EXPECT_FALSE(w->Chart1->yAxis2->visible());
  w->rbEKG->setChecked(true);
  EXPECT_TRUE(w->Chart1->yAxis2->visible());
  // I/Q mode: ADQ on the left axis, no right axis.
  w->cbEKG->setChecked(false);
  w->ChangeADI->setChecked(true);
  w->ChartFun(64);
  EXPECT_EQ(w->Series2->valueAxis(), w->Chart1->yAxis);
  EXPECT_FALSE(w->Chart1->yAxis2->visible());
}

TEST_F(AnalysisWindow, AChartDisplayClickDuringACaptureLeavesTheFiguresToTheKeptSamples) {
  w->cbEKG->setChecked(true);
  w->updateChart->setChecked(true);
  sim.board.samplesPerPoll = 11;
  struct Case {
    int scaleItem;          // TXScale item: 15 is 23 bits (D 1), 8 is 16 bits (D 128)
    int divisor;
    QRadioButton* before;   // the choice when the capture starts
    QRadioButton* clicked;  // the choice clicked in the middle of the capture
  };
  for (const Case& c : {Case{15, 1, w->rdADC, w->rbEKG}, Case{8, 128, w->rbADC_EKG, w->rdADC}}) {
    SCOPED_TRACE(c.divisor);
    Choose(w->TXScale, c.scaleItem);
    c.before->setChecked(true);
    std::vector<int> sent;  // every decoded value the stream carried
    sim.board.streamSource = [&](uint64_t n) {
      const int v = 20000 + static_cast<int>((n * 7919) % 1013) * 16;
      sent.push_back(v);
      if (sent.size() == 40) QMetaObject::invokeMethod(c.clicked, &QRadioButton::click, Qt::QueuedConnection);
      return static_cast<int32_t>(AdcWord(v));
    };
    w->CatchADC->click();
    EXPECT_TRUE(c.before->isChecked());
    for (QRadioButton* r : {w->rdADC, w->rbEKG, w->rbADC_EKG}) EXPECT_TRUE(r->isEnabled());

    // The kept samples are the stream's after its first 13; figures of their scaled values.
    const int n = prog->G.SampleCount;
    ASSERT_GE(n, 64);
    ASSERT_GE(static_cast<int>(sent.size()), 13 + n);
    double mean = 0;
    for (int k = 0; k < n; ++k) mean += sent[13 + k] / c.divisor;
    mean /= n;
    double squares = 0;
    for (int k = 0; k < n; ++k) {
      const double d = sent[13 + k] / c.divisor - mean;
      squares += d * d;
    }
    const double sigma = std::sqrt(squares / n);
    for (int k = 0; k < n; ++k) ASSERT_EQ(w->st.MemoryF.Text(k), QString::number(sent[13 + k] / c.divisor)) << k;
    EXPECT_NEAR(prog->G.Channels[0].ChannelResults[5], sigma, 1e-9);
    EXPECT_NEAR(prog->G.Channels[0].ChannelResults[0], mean, 1e-9);
    EXPECT_EQ(w->TXOffset->text(), QString::number(mean, 'f', 2));
  }
}

TEST_F(AnalysisWindow, ViewSwitchAndLiveRedraw) {
  AlternatingStream();
  w->CatchADC->click();
  w->ShowChart->click();
  EXPECT_TRUE(w->MemoryF->isHidden());
  EXPECT_FALSE(w->Chart1->isHidden());
  EXPECT_EQ(w->ShowChart->text(), "Chang to vaule");
  EXPECT_EQ(w->Series1->data()->size(), 64);
  w->ShowChart->click();
  EXPECT_FALSE(w->MemoryF->isHidden());
  EXPECT_TRUE(w->Chart1->isHidden());
  EXPECT_EQ(w->ShowChart->text(), "Chang to Chart");

  // The link timer redraws the chart on its 26th tick while the live flag is set and
  // the chart is the view; while the grid is, it leaves the chart alone.
  w->ShowChart->click();
  w->Series1->data()->clear();
  prog->G.ChartTicks = 0;
  prog->G.LiveChartFlag = 1;
  for (int i = 0; i < 25; ++i) prog->Mx_UP->Timer1Timer();
  EXPECT_TRUE(w->Series1->data()->isEmpty());
  prog->Mx_UP->Timer1Timer();
  EXPECT_EQ(w->Series1->data()->size(), 64);
  w->Series1->data()->clear();
  prog->G.LiveChartFlag = 0;
  for (int i = 0; i < 26; ++i) prog->Mx_UP->Timer1Timer();
  EXPECT_TRUE(w->Series1->data()->isEmpty());
  w->ShowChart->click();  // back to the grid
  prog->G.LiveChartFlag = 1;
  for (int i = 0; i < 26; ++i) prog->Mx_UP->Timer1Timer();
  EXPECT_TRUE(w->Series1->data()->isEmpty());
  w->ShowChart->click();  // turning to the chart draws it
  EXPECT_EQ(w->Series1->data()->size(), 64);
  w->ShowChart->click();
  prog->G.LiveChartFlag = 0;

  // With "Update Chart" the capture redraws as it goes.
  w->updateChart->setChecked(true);
  std::vector<uint8_t> live;
  sim.board.streamSource = [&](uint64_t) {
    live.push_back(prog->G.LiveChartFlag);
    return static_cast<int32_t>(AdcWord(7));
  };
  w->CatchADC->click();
  ASSERT_FALSE(live.empty());
  EXPECT_EQ(live.back(), 1);
  EXPECT_EQ(prog->G.LiveChartFlag, 0);

  // Closing the window stops the live flag and frees the buttons.
  prog->G.LiveChartFlag = 1;
  w->ShowChart->setEnabled(false);
  w->RunFormClose();
  EXPECT_EQ(prog->G.LiveChartFlag, 0);
  EXPECT_TRUE(w->ShowChart->isEnabled());
}

TEST_F(AnalysisWindow, AveragingRecalculatesTheLastCapture) {
  AlternatingStream();
  w->CatchADC->click();
  Choose(w->CMAVR, 1);  // blocks of two: every mean is 102
  EXPECT_EQ(w->st.MemoryF.Text(0), "102.00");
  EXPECT_EQ(w->st.MemoryF.Text(31), "102.00");
  EXPECT_EQ(w->st.MemoryF.Text(32), "");
  EXPECT_EQ(w->st.LastCount, 32);
  EXPECT_EQ(w->TXENOB->text(), "24.00");
  EXPECT_EQ(w->TXOffset->text(), "102.00");
  Choose(w->CMAVR, 0);
  EXPECT_EQ(w->st.MemoryF.Text(1), "100");
  EXPECT_EQ(w->TXENOB->text(), "22.00");
  EXPECT_EQ(w->st.LastCount, 64);
}

// A capture the board broke off holds fewer values than a block of 32: the grid is
// emptied and so are the figures, which described values no longer shown; smaller
// blocks bring the figures of what was kept back.
TEST_F(AnalysisWindow, ABlockLongerThanTheCaptureEmptiesTheFiguresWithTheGrid) {
  // The board is pulled out at the fourth poll: 20 samples of 104 and 100 were kept.
  AlternatingStream();
  FaultReplyOf(sim.board, 8, BoardFault::Unplugged);
  w->CatchADC->click();
  ASSERT_EQ(prog->G.SampleCount, 20);
  const QStringList kept = {"22.00", "21.00", "102.00", "2288.82", "1144.41"};
  ASSERT_EQ(Figures(), kept);
  const auto results = prog->G.Channels[0].ChannelResults;

  Choose(w->CMAVR, 5);  // blocks of 32
  EXPECT_EQ(w->st.MemoryF.Text(0), "");
  EXPECT_EQ(Figures(), QStringList(5));
  EXPECT_EQ(w->TXVRMS->text(), "");
  EXPECT_EQ(prog->G.Channels[0].ChannelResults, results);  // nothing stored in their place

  Choose(w->CMAVR, 4);  // one block of 16, whose mean is 102
  EXPECT_EQ(w->st.MemoryF.Text(0), "102.00");
  EXPECT_EQ(w->st.MemoryF.Text(1), "");
  EXPECT_EQ(w->TXOffset->text(), "102.00");
  Choose(w->CMAVR, 0);
  EXPECT_EQ(Figures(), kept);

  // I/Q mode: both rows go with the grid. The capture breaks off after a few pairs.
  sim.board.ClearFaults();
  Click("USBScan");
  Choose(w->NPointIndex, 0);
  w->ChangeADI->setChecked(true);
  prog->G.Channels[0].RegShadow[13] = 0x81;
  sim.board.iqSource = [](uint64_t n) {
    return std::pair<uint32_t, uint32_t>(AdcWord(n % 2 ? 11 : 10), AdcWord(n % 2 ? -6 : -4));
  };
  FaultReplyOf(sim.board, 20, BoardFault::Unplugged);  // five commands a pair, after two writes
  w->CatchADC->click();
  ASSERT_EQ(prog->G.IQSampleCount, 4);
  auto rows = [this] {
    return QStringList{w->TXENOB->text(), w->TXOffset->text(), w->TXENOB_ADQ->text(), w->TXOffset_ADQ->text()};
  };
  const QStringList pairs = {"24.00", "10.50", "23.00", "-5.00"};
  ASSERT_EQ(rows(), pairs);
  Choose(w->CMAVR, 5);
  EXPECT_EQ(w->st.MemoryF.Text(0), "");
  EXPECT_EQ(rows(), QStringList(4));
  for (QLineEdit* e : {w->TXNFREE_ADQ, w->TXVPP_ADQ, w->TXNrms_ADQ}) EXPECT_EQ(e->text(), "") << e->objectName().toStdString();
  EXPECT_EQ(w->TXVRMS->text(), "");
  Choose(w->CMAVR, 0);
  EXPECT_EQ(rows(), pairs);
}

TEST_F(AnalysisWindow, EkgCaptureShowsTheBeatTexts) {
  w->cbEKG->setChecked(true);
  Choose(w->NPointIndex, 6);  // 2048 samples, 4.3 s at 480 samples a second
  struct Case {
    std::vector<int> intervals;
    bool nn50;
  };
  // A change of 25 samples exceeds 50 ms at 480 samples a second, one of 24 does not.
  for (const Case& c : {Case{{240}, false}, Case{{240, 265}, true}, Case{{240, 264}, false}}) {
    EcgPulseTrain train;
    train.firstPeak = 150 + 13;  // the first 13 samples are dropped
    train.intervals = c.intervals;
    // Counted from this capture's first sample (the board counts on between captures).
    auto source = train.Source();
    auto first = std::make_shared<int64_t>(-1);
    sim.board.streamSource = [source, first](uint64_t n) {
      if (*first < 0) *first = static_cast<int64_t>(n);
      return source(n - *first);
    };
    w->CatchADC->click();
    if (c.intervals.size() == 1) {
      EXPECT_EQ(w->labHR->text(), "HR : 500.0000");
      EXPECT_EQ(w->labSDDN->text(), "SDDN : 0.0000");
      EXPECT_EQ(w->labPNN50->text(), "PNN50 : 0.0");
    }
    EXPECT_EQ(w->labNN50->text() != "NN50 : 0", c.nn50) << w->labNN50->text().toStdString();
    for (QLabel* l : {w->labHeartRate, w->labHR, w->labSDDN, w->labNN50, w->labPNN50}) EXPECT_FALSE(l->isHidden());
    EXPECT_TRUE(w->gbECG->isEnabled());
  }
  // A capture without EKG hides the results but keeps the heading.
  w->cbEKG->setChecked(false);
  AlternatingStream();
  w->CatchADC->click();
  EXPECT_TRUE(w->labHR->isHidden());
  EXPECT_FALSE(w->labHeartRate->isHidden());
}

TEST_F(AnalysisWindow, CsvFilesOfAnAdcAndAnIqCapture) {
  AlternatingStream();
  w->CatchADC->click();
  const QString path = Path("run1.csv");
  sim.dialogs.saveAnswers = {path};
  w->SaveData->click();
  ASSERT_EQ(sim.dialogs.fileRequests.size(), 1);
  const FileDialogRequest& r = sim.dialogs.fileRequests[0];
  EXPECT_EQ(r.fileName, "MxADC.CSV");
  // The dialog lists the CSV files of either case on a case-sensitive file system: the
  // patterns it gets, matched with case, take "x.CSV" and "y.csv" but no other file.
  const QString shown = QtFileFilter(r.filter);
  EXPECT_EQ(shown, "*.CSV (*.CSV *.csv)");
  const QStringList patterns = shown.section('(', 1).chopped(1).split(' ');
  QTemporaryDir folder;
  for (const char* name : {"x.CSV", "y.csv", "z.Csv.txt", "w.txt"})
    QFile(folder.filePath(name)).open(QIODevice::WriteOnly);
  EXPECT_EQ(QDir(folder.path()).entryList(patterns, QDir::Files | QDir::CaseSensitive, QDir::Name),
            (QStringList{"x.CSV", "y.csv"}));
  EXPECT_TRUE(r.promptOverwrite);
  EXPECT_TRUE(r.defaultExt.isEmpty());
  QByteArray adc = "ADC DATA,Average,VPP(nV),RMS Noise(nV),Enob,VPP(Count),RMS Noise(Count),Noise Free\r\n"
                   "104.00,102.00,2288.82,1144.41,22.00,4.00,2.00,21.00\r\n";
  for (int i = 1; i < 64; ++i) adc += i % 2 ? "100.00\r\n" : "104.00\r\n";
  EXPECT_EQ(ReadFile("run1.csv").toStdString(), adc.toStdString());

  // Cancel writes nothing.
  sim.dialogs.saveAnswers.clear();
  w->SaveData->click();
  EXPECT_EQ(ReadFile("run1.csv").toStdString(), adc.toStdString());

  // I/Q: 32 pairs of I 10, 11 and Q -4, -6.
  Choose(w->NPointIndex, 0);
  w->ChangeADI->setChecked(true);
  prog->G.Channels[0].RegShadow[13] = 0x81;
  sim.board.iqSource = [](uint64_t n) {
    return std::pair<uint32_t, uint32_t>(AdcWord(n % 2 ? 11 : 10), AdcWord(n % 2 ? -6 : -4));
  };
  w->CatchADC->click();
  EXPECT_EQ(prog->G.IQSampleCount, 32);
  EXPECT_EQ(w->TXENOB->text(), "24.00");
  EXPECT_EQ(w->TXENOB_ADQ->text(), "23.00");
  sim.dialogs.saveAnswers = {Path("iq")};
  w->SaveData->click();
  EXPECT_EQ(sim.dialogs.fileRequests.last().fileName, "MxADIQ.CSV");
  QByteArray iq =
      "ADI DATA,10,ADQ DATA,-4,,,Average,VPP(nV),RMS Noise(nV),Enob,VPP(Count),RMS Noise(Count),Noise Free\r\n"
      ",11,,-6,,ADI,10.50,572.20,286.10,24.00,1.00,0.50,23.00\r\n"
      ",10,,-4,,ADQ,-5.00,1144.41,572.20,23.00,2.00,1.00,22.00\r\n";
  for (int p = 3; p < 32; ++p) iq += p % 2 ? ",11,,-6\r\n" : ",10,,-4\r\n";
  EXPECT_EQ(ReadFile("iq").toStdString(), iq.toStdString());  // written as typed, no extension added
}

TEST_F(AnalysisWindow, HiddenTemperatureCaptureUsesStreamModeTwo) {
  sim.board.samplesPerPoll = 11;
  sim.board.streamSource = [](uint64_t) { return 0x8000; };  // bytes 80h 00h
  w->BFlashRD->click();
  EXPECT_EQ(CountSent({0xC4, 0x02, 0x02}), 1);
  EXPECT_EQ(w->st.MemoryF.Text(0), "32768");  // 16 bits, never negative
  EXPECT_FALSE(w->st.TempCaptureFlag);
  EXPECT_TRUE(w->SaveData->isEnabled());
  EXPECT_TRUE(w->Series1->data()->isEmpty());  // no redraw
}

TEST_F(AnalysisWindow, AStopFromTheOtherButtonKeepsTheRunningDecodeAndLocksTheSelectors) {
  sim.board.samplesPerPoll = 11;
  bool selectorsLocked = true;
  sim.board.streamSource = [&](uint64_t n) {
    if (n == 40) {
      selectorsLocked = !w->NPointIndex->isEnabled() && !w->CMAVR->isEnabled() && !w->TXScale->isEnabled();
      // "Catch ADC" clicked while the temperature capture runs: a stop request only.
      QMetaObject::invokeMethod(w->CatchADC, &QPushButton::click, Qt::QueuedConnection);
    }
    return 0x8000;
  };
  w->BFlashRD->click();
  EXPECT_TRUE(selectorsLocked);
  EXPECT_EQ(CountSent({0xC4, 0x02}), 1);
  EXPECT_EQ(w->st.MemoryF.Text(prog->G.SampleCount - 1), "32768");  // still 16 bits whole
  EXPECT_FALSE(w->st.AdcCaptureFlag);
  EXPECT_FALSE(w->st.TempCaptureFlag);
  EXPECT_TRUE(w->NPointIndex->isEnabled());
}

}  // namespace
