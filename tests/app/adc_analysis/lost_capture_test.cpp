// Captures whose board is lost at their first poll, after a good capture, on a Program
// with the simulated board: the stream capture, the I/Q capture and the interleaved
// capture end with "Read Error !!!!!", show no figure and leave no figure in the
// channel records or the CSV file, neither zeros nor the good capture's. A capture
// cut later still shows the figures of the samples that came.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <functional>
#include <optional>
#include <string>

#include "adc_analysis/analysis_window.h"
#include "analysis_program_fixture.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "support/board_faults.h"

namespace {

// The raw word a capture decodes to v (positive words are halved).
uint32_t AdcWord(int v) { return static_cast<uint32_t>(2 * v) & 0xFFFFFF; }

// The ways a board is lost at a command, each armed at the k-th command from now.
struct LostAt {
  const char* name;
  std::function<void(SimBoard&, int k)> arm;
};

std::vector<LostAt> LinkLosses() {
  std::vector<LostAt> kinds;
  for (BoardFault f : {BoardFault::FailedTransfer, BoardFault::EmptyReply, BoardFault::Silent,
                       BoardFault::LateReply, BoardFault::Unplugged})
    kinds.push_back({FaultName(f), [f](SimBoard& b, int k) { FaultReplyOf(b, k, f); }});
  // A board that stays connected but from then on answers with its count byte alone.
  kinds.push_back({"replies cut to one byte", [](SimBoard& b, int k) {
                     b.Arm(BoardFault::ShortReply, {.after = k - 1, .count = FaultSpan::UntilCleared, .bytes = 1});
                   }});
  return kinds;
}

QString Fixed2(double v) { return QString::number(v, 'f', 2); }

class LostCapture : public AnalysisProgramTest {
protected:
  // The board back, connected, with its log empty.
  void Reconnect() {
    sim.board.ClearFaults();
    Click("USBScan");
    ASSERT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB On Line");
    sim.board.ClearLog();
  }

  // Stream values by sample number from the next capture's first sample on.
  void Stream(std::function<int(uint64_t)> v) {
    sim.board.samplesPerPoll = 11;
    sim.board.streamSource = [v = std::move(v), first = std::optional<uint64_t>()](uint64_t n) mutable {
      if (!first) first = n;
      return static_cast<int32_t>(AdcWord(v(n - *first)));
    };
  }

  QStringList Row(bool adq = false) const {
    if (adq) return {w->TXENOB_ADQ->text(), w->TXNFREE_ADQ->text(), w->TXOffset_ADQ->text(), w->TXVPP_ADQ->text(),
                     w->TXNrms_ADQ->text()};
    return {w->TXENOB->text(), w->TXNFREE->text(), w->TXOffset->text(), w->TXVPP->text(), w->TXNrms->text()};
  }

  // Channel c's record holds no figure at all.
  void ExpectNoFigures(int c) const {
    for (int f = 0; f < FigureCount; ++f)
      EXPECT_FALSE(IsFigure(prog->G.Channels[c].ChannelResults[f])) << "channel " << c << " figure " << f;
  }

  // The k-th packet of the capture (1-based), as text.
  std::string PacketAt(int k) const {
    const std::vector<Bytes> sent = Sent();
    return k <= static_cast<int>(sent.size()) ? PacketText(sent[k - 1]) : std::string();
  }

  QString SavedCsv(const QString& name) {
    sim.dialogs.saveAnswers = {Path(name)};
    w->SaveData->click();
    return QString::fromLatin1(ReadFile(name));
  }

  QString Status() const { return prog->MainPanel->StatusBar1->Text(2); }
};

const QString kFigureTitles = "Average,VPP(nV),RMS Noise(nV),Enob,VPP(Count),RMS Noise(Count),Noise Free";

// Register 2 twice, the stream start and its write of the interrupt enables, then the
// first poll.
constexpr int kFirstAdcPoll = 5;

TEST_F(LostCapture, AdcCaptureLostAtItsFirstPollShowsAndStoresNoFigures) {
  for (const LostAt& lost : LinkLosses()) {
    SCOPED_TRACE(lost.name);
    Reconnect();
    Stream([](uint64_t i) { return i % 2 ? 104 : 100; });
    w->CatchADC->click();
    ASSERT_EQ(Row(), (QStringList{"22.00", "21.00", "102.00", "2288.82", "1144.41"}));
    ASSERT_TRUE(IsFigure(prog->G.Channels[0].ChannelResults[FigureIndex(Figure::Enob)]));

    Reconnect();
    lost.arm(sim.board, kFirstAdcPoll);
    w->CatchADC->click();
    EXPECT_EQ(PacketAt(kFirstAdcPoll).substr(0, 5), "C4 04");
    EXPECT_EQ(Status(), "Read Error !!!!!");
    EXPECT_EQ(prog->G.SampleCount, 0);
    EXPECT_EQ(Row(), QStringList(5));
    EXPECT_EQ(w->TXVRMS->text(), "");
    ExpectNoFigures(0);
    EXPECT_EQ(SavedCsv("adc.csv"), "ADC DATA," + kFigureTitles + "\r\n");
    EXPECT_TRUE(w->st.CaptureIdle);
    EXPECT_TRUE(w->CatchADC->isEnabled());
  }
}

// Lost at the third poll: the second poll's 9 samples (after the 13 dropped), five of
// 104 and four of 100, give their figures.
TEST_F(LostCapture, AdcCaptureCutLaterShowsTheFiguresOfWhatCame) {
  const double mean = (5 * 104 + 4 * 100) / 9.0;
  const double sigma = std::sqrt((5 * std::pow(104 - mean, 2) + 4 * std::pow(100 - mean, 2)) / 9);
  const double lsbNv = 2.4e9 / std::ldexp(1.0, 22);  // 2.4 V, 23 bits, gain 1
  const QStringList expected = {Fixed2(23 - std::log2(sigma)), "21.00", Fixed2(mean), Fixed2(4 * lsbNv),
                                Fixed2(sigma * lsbNv)};
  ASSERT_EQ(expected[0], "22.01");
  for (const LostAt& lost : LinkLosses()) {
    SCOPED_TRACE(lost.name);
    Reconnect();
    Stream([](uint64_t i) { return i % 2 ? 104 : 100; });
    lost.arm(sim.board, kFirstAdcPoll + 2);
    w->CatchADC->click();
    EXPECT_EQ(Status(), "Read Error !!!!!");
    ASSERT_EQ(prog->G.SampleCount, 9);
    EXPECT_EQ(Row(), expected);
    EXPECT_NEAR(prog->G.Channels[0].ChannelResults[FigureIndex(Figure::RmsCount)], sigma, 1e-9);
    EXPECT_NEAR(prog->G.Channels[0].ChannelResults[FigureIndex(Figure::Average)], mean, 1e-9);
  }
}

TEST_F(LostCapture, IqCaptureWithNoConversionShowsAndStoresNoFigures) {
  w->NPointIndex->setCurrentIndex(0);
  emit w->NPointIndex->activated(0);
  w->ChangeADI->setChecked(true);
  sim.board.iqSource = [](uint64_t n) {
    return std::pair<uint32_t, uint32_t>(AdcWord(n % 2 ? 11 : 10), AdcWord(n % 2 ? -6 : -4));
  };
  // Register 2 twice, the first conversion's start, then the first poll of its done bit.
  constexpr int firstPoll = 4;
  for (const LostAt& lost : LinkLosses()) {
    SCOPED_TRACE(lost.name);
    Reconnect();
    prog->G.Channels[0].RegShadow[13] = 0x81;
    w->CatchADC->click();
    ASSERT_EQ(prog->G.IQSampleCount, 32);
    ASSERT_EQ(Row(), (QStringList{"24.00", "23.00", "10.50", "572.20", "286.10"}));
    ASSERT_EQ(Row(true), (QStringList{"23.00", "22.00", "-5.00", "1144.41", "572.20"}));

    Reconnect();
    lost.arm(sim.board, firstPoll);
    w->CatchADC->click();
    EXPECT_EQ(PacketAt(firstPoll), "R 0F 1");
    EXPECT_EQ(Status(), "Read Error !!!!!");
    EXPECT_EQ(prog->G.IQSampleCount, 0);
    EXPECT_EQ(Row(), QStringList(5));
    EXPECT_EQ(Row(true), QStringList(5));
    ExpectNoFigures(1);
    ExpectNoFigures(2);
    // The file names the figures and leaves their cells empty.
    const QStringList lines = SavedCsv("iq.csv").split("\r\n");
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "ADI DATA,,ADQ DATA,,,," + kFigureTitles);
    EXPECT_EQ(lines[1], ",,,,,ADI,,,,,,,");
    EXPECT_EQ(lines[2], ",,,,,ADQ,,,,,,,");
  }
}

TEST_F(LostCapture, InterleavedCaptureWithNoPairShowsAndStoresNoFigures) {
  sim.board.temperatureWord = 0x1234;
  // The stream start and the interrupt enables, then the first poll (register 2 is
  // not written).
  constexpr int firstPoll = 3;
  for (const LostAt& lost : LinkLosses()) {
    SCOPED_TRACE(lost.name);
    Reconnect();
    sim.board.streamSource = [](uint64_t) { return 0x001000; };
    w->BADC->click();
    ASSERT_GE(prog->G.SampleCount, 64);
    ASSERT_EQ(Row(), (QStringList{"24.00", "23.00", "2048.00", "572.20", "0.00"}));

    Reconnect();
    lost.arm(sim.board, firstPoll);
    EXPECT_TRUE(ClickAndStopAfter(w->BADC, 30'000'000));
    EXPECT_EQ(PacketAt(firstPoll).substr(0, 5), "C4 04");
    EXPECT_EQ(Status(), "Read Error !!!!!");
    EXPECT_EQ(prog->G.SampleCount, 0);
    EXPECT_EQ(Row(), QStringList(5));
    EXPECT_EQ(w->TXVRMS->text(), "");
    ExpectNoFigures(0);
    EXPECT_TRUE(w->st.CaptureIdle);
  }
}

}  // namespace
