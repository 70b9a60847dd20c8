// The interleaved ADC and temperature capture ("ADC-Temp") on a Program with the
// simulated board in stream mode 7: pairs, decoding, odd replies, the outlier filter
// and its limit, the time-out and the stop, and the figures of the ADC values.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

#include "adc_analysis/analysis_window.h"
#include "adc_analysis/pair_capture.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "analysis_program_fixture.h"

namespace {

class InterleavedCapture : public AnalysisProgramTest {
protected:
  void SetUp() override {
    AnalysisProgramTest::SetUp();
    // Steady groups: ADC 00 10 00 (x = 800h), temperature 12 34.
    AdcSamples([](uint64_t) { return 0x001000; });
    sim.board.temperatureWord = 0x1234;
  }

  // Raw ADC words by ADC sample number from now on (temperature groups do not count).
  void AdcSamples(std::function<int32_t(uint64_t)> f) {
    sim.board.streamSource = [f = std::move(f), first = std::optional<uint64_t>()](uint64_t n) mutable {
      if (!first) first = n;
      return f(n - *first);
    };
  }

  QString Status() const { return prog->MainPanel->StatusBar1->Text(2); }
  const double* Results() const { return prog->G.Channels[0].ChannelResults.data(); }
};

TEST_F(InterleavedCapture, PairsOfTheAlternatingGroups) {
  std::vector<bool> selectors;  // the sample count's selector as the polls go out
  sim.board.afterCommand = [&](const std::vector<uint8_t>& c) {
    if (c[0] == 0xC4 && c[1] == 0x04) selectors.push_back(w->NPointIndex->isEnabled());
  };
  w->BADC->click();
  EXPECT_EQ(selectors, std::vector<bool>(4, false));
  EXPECT_TRUE(w->NPointIndex->isEnabled());
  EXPECT_TRUE(w->TXScale->isEnabled());
  const std::vector<Bytes> sent = Sent();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(Bytes(sent[0].begin(), sent[0].begin() + 3), Bytes({0xC4, 0x02, 0x07}));  // register 2 is not written
  EXPECT_EQ(CountSent({0xC4, 0x03, 0x01}), 1);
  EXPECT_FALSE(sim.board.streaming);

  // Twenty groups a reply, nine values dropped first: 11, 31, 51, then 71 pairs.
  EXPECT_EQ(prog->G.SampleCount, 71);
  EXPECT_EQ(w->st.LastCount, 71);
  EXPECT_EQ(w->st.MemoryF.RowCount(), 9);  // 64 pairs: 8 rows of 8 pairs
  EXPECT_EQ(w->st.MemoryF.RowLabel(8), "0007");
  EXPECT_EQ(w->st.MemoryF.Text(0), "2048");
  EXPECT_EQ(w->st.MemoryF.Text(1), "4660");
  EXPECT_EQ(w->st.MemoryF.Text(141), "4660");

  // Equal values: ENOB B + 1, Noise Free B, VPP(Count) 1.
  EXPECT_EQ(Status(), "Read Compelete");
  EXPECT_EQ(w->TXENOB->text(), "24.00");
  EXPECT_EQ(w->TXNFREE->text(), "23.00");
  EXPECT_EQ(w->TXOffset->text(), "2048.00");
  EXPECT_EQ(w->TXVPP->text(), "572.20");
  EXPECT_EQ(w->TXNrms->text(), "0.00");
  EXPECT_DOUBLE_EQ(Results()[0], 2048);
  EXPECT_DOUBLE_EQ(Results()[4], 1);
  EXPECT_DOUBLE_EQ(w->st.WorkSamples[70], 2048);  // the chart draws the ADC values
  EXPECT_DOUBLE_EQ(w->st.CaptureSamples[0], 0);   // the last ADC capture's values stay
  EXPECT_EQ(prog->G.FilterLimit, 0);
  EXPECT_TRUE(w->st.CaptureIdle);
  EXPECT_TRUE(prog->MainPanel->MenuItem("Memu_File")->isEnabled());
  EXPECT_TRUE(w->SaveData->isEnabled());
}

TEST_F(InterleavedCapture, AdcValuesAreHalvedBeforeTheDivisor) {
  struct Case {
    int32_t raw;
    int scaleIndex;  // 15: 23 bits, D 1; 8: 16 bits, D 128
    const char* grid;
    double mean;
  };
  for (const Case& c : {Case{0xFFFFFE, 15, "-1", -1}, Case{0x7FFFFF, 15, "4194303", 4194303},
                        Case{0x800000, 15, "-4194304", -4194304}, Case{0xFFFFFE, 8, "0", -1},
                        Case{0x123456, 8, "4660", 596523}}) {
    SCOPED_TRACE(c.raw);
    w->TXScale->setCurrentIndex(c.scaleIndex);
    w->TXScaleChange();
    AdcSamples([&](uint64_t) { return c.raw; });
    w->BADCClick();
    EXPECT_EQ(w->st.MemoryF.Text(0), c.grid);
    EXPECT_DOUBLE_EQ(w->st.PairAdcMean, c.mean);
  }
}

TEST_F(InterleavedCapture, OddRepliesAreSkippedWhole) {
  sim.board.pollCount = [](uint64_t poll) { return poll % 2 ? 5 : 20; };
  QStringList shown;  // status panel 2 as each poll goes out: what the one before left
  sim.board.afterCommand = [&](const std::vector<uint8_t>& c) {
    if (c[0] == 0xC4 && c[1] == 0x04) shown << Status();
  };
  w->BADCClick();
  EXPECT_EQ(shown.mid(1, 4), QStringList({"0", "5", "0", "5"}));
  EXPECT_EQ(prog->G.SampleCount, 71);  // only the even replies brought pairs
  EXPECT_EQ(CountSent({0xC4, 0x04}), 7);
}

TEST_F(InterleavedCapture, FilterRejectsOutliersAndWidensItsLimit) {
  w->ChFilter->setChecked(true);
  w->ECompare->setText("2");
  // One ADC value makes two pairs (with the temperature after it): a lone outlier
  // is two rejections, two in a row are four, which start the capture over.
  AdcSamples([](uint64_t n) {
    if (n == 15 || n == 30 || n == 31) return 0x001000 + 2 * 50;
    if (n == 50) return 0x001000 + 2 * 150;  // beyond the widened limit of 100
    return 0x001000;
  });
  w->BADCClick();
  EXPECT_EQ(prog->G.FilterLimit, 100);
  EXPECT_EQ(w->st.FilterRefAdc, 2048);
  EXPECT_EQ(w->st.FilterRefTemp, 0x1234);
  EXPECT_GE(prog->G.SampleCount, 64);
  EXPECT_EQ(w->st.MemoryF.Text(0), "2048");
  EXPECT_DOUBLE_EQ(Results()[4], 1);  // no outlier was stored
  EXPECT_EQ(w->TXENOB->text(), "24.00");

  // The limit lives on: the next capture starts from it.
  AdcSamples([](uint64_t n) { return n == 20 ? 0x001000 + 2 * 90 : 0x001000; });
  w->BADCClick();
  EXPECT_EQ(prog->G.FilterLimit, 100);
  EXPECT_DOUBLE_EQ(Results()[4], 90);  // 90 lies within it: kept
}

TEST_F(InterleavedCapture, FilterOffKeepsEveryValue) {
  w->ECompare->setText("none");  // not a number: 5
  AdcSamples([](uint64_t n) { return n == 20 ? 0x001000 + 2 * 90 : 0x001000; });
  w->BADCClick();
  EXPECT_EQ(w->st.RejectLimit, 5);
  EXPECT_DOUBLE_EQ(Results()[4], 90);
  EXPECT_EQ(prog->G.FilterLimit, 0);
}

// No time-out: a board that sends nothing, or one unplugged, is polled until the
// user stops the capture (status panel 0 tells the lost link at once).
TEST_F(InterleavedCapture, SilentOrLostBoardIsPolledUntilStopped) {
  struct Case {
    const char* what;
    std::function<void()> fault;
    const char* link;
  };
  const std::vector<Case> cases = {
      {"silent", [this] { sim.board.samplesPerPoll = 0; }, "USB On Line"},
      {"unplugged", [this] { sim.board.UnplugAll(); }, "USB not Connect !!!"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sim.board.devices.clear();
    sim.board.AddDriverBoard(0);
    Click("USBScan");
    c.fault();
    // The stop comes after 30 s of fake time without a pair.
    const int64_t start = sim.clock.SteadyUs();
    EXPECT_TRUE(ClickAndStopAfter(w->BADC, 30'000'000));
    EXPECT_GT(sim.clock.SteadyUs() - start, 30'000'000);
    EXPECT_EQ(Status(), "Read Error !!!!!");
    EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), c.link);
    EXPECT_TRUE(w->st.CaptureIdle);
    EXPECT_EQ(prog->G.SampleCount, 0);
    // No pair, no figure: the texts stay empty and the record holds none.
    EXPECT_EQ(w->TXENOB->text(), "");
    EXPECT_EQ(w->TXNFREE->text(), "");
    EXPECT_FALSE(IsFigure(Results()[FigureIndex(Figure::Enob)]));
  }
}

TEST_F(InterleavedCapture, SecondClickStopsAndKeepsTheMean) {
  int polls = 0;
  sim.board.afterCommand = [&](const std::vector<uint8_t>& c) {
    if (c[0] == 0xC4 && c[1] == 0x04 && ++polls == 2)
      QMetaObject::invokeMethod(w->BADC, &QPushButton::click, Qt::QueuedConnection);
  };
  w->BADC->click();
  EXPECT_EQ(CountSent({0xC4, 0x02}), 1);  // no second capture
  EXPECT_EQ(prog->G.SampleCount, 31);
  EXPECT_EQ(w->st.LastCount, 0);
  EXPECT_EQ(Status(), "Read Error !!!!!");
  EXPECT_EQ(w->TXOffset->text(), "2048.00");  // the mean of what came, not its sum
  EXPECT_TRUE(w->st.CaptureIdle);
  EXPECT_TRUE(w->SaveData->isEnabled());
}

TEST(FilterReference, MiddleThreeOfTheSixCandidates) {
  struct Case {
    int32_t c[6];
    int32_t ref;
  };
  for (const Case& t : {Case{{6, 1, 5, 2, 4, 3}, 4}, Case{{-1, -2, -3, -4, -5, -6}, -3},
                        Case{{-1, -1, -2, 0, 0, 0}, 0}, Case{{9, 9, 9, 9, 9, 100}, 9}})
    EXPECT_EQ(FilterReference(t.c), t.ref);
}

}  // namespace
