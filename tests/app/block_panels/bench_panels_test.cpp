// The ADC panel's "Read ADC" and the generator's oscillator trim on the simulated bench
// as `make run` builds it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "adc_analysis/analysis_window.h"
#include "block_panels/adc_panel.h"
#include "block_panels/wave_generator.h"
#include "common/channel_figures.h"
#include "common/number_text.h"
#include "link/mx_up.h"
#include "app/support/program_fixture.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

class BenchPanels : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    StartProgram();
    Click("USBScan");
    Click("Menu_ReadChip");
    sim.dialogs.messages.clear();
  }
  int Shadow(int a) const { return prog->Mx_UP->GetReg(a, 0); }
  void Choose(QComboBox* c, int index) {
    c->setCurrentIndex(index);
    emit c->activated(index);
  }
};

TEST_F(BenchPanels, ReadAdcShowsTheConversionOfTheSelectedInput) {
  Find<QAbstractButton>(prog->ADCForm, "BRDADC1")->click();
  // AI0's 1.4 V against VSS (the chip's power-on inputs) at the power-on gain x1/4
  // over 2.4 V, as a 24-bit word.
  const int word = (Shadow(0x41) << 16) | (Shadow(0x42) << 8) | Shadow(0x43);
  EXPECT_NEAR(word, 1.4 * 0.25 / 2.4 * 8388608, 40);
  // Shown at 22 bits.
  EXPECT_EQ(Find<QLabel>(prog->ADCForm, "TXADC1")->text(), IntToHexNoPad(word / 4));

  // The stream reads the same input: its samples stand at the same level.
  sim.board.streaming = true;
  sim.board.streamMode = 1;
  uint8_t poll[2] = {0xC4, 0x04}, reply[64] = {};
  uint32_t got = 0;
  auto h = sim.board.OpenDriverDevice("Mxusb-0");
  ASSERT_TRUE(sim.board.DeviceIoControl(h, IOCTL_BULK_WRITE, reinterpret_cast<const uint8_t*>("\1\0\0\0"), 4,
                                        poll, 2, &got));
  ASSERT_TRUE(sim.board.DeviceIoControl(h, IOCTL_BULK_READ, reinterpret_cast<const uint8_t*>("\0\0\0\0"), 4,
                                        reply, 64, &got));
  ASSERT_GT(reply[0], 0);
  EXPECT_NEAR((reply[1] << 16) | (reply[2] << 8) | reply[3], word, 80);
  sim.board.CloseHandle(h);

  // The demodulator's magnitude and phase of the I and Q words standing in 06h..0Bh:
  // the words -3000 and 4000 give 5000 and pi - atan(4/3) in 16 bits of a half turn.
  const uint8_t iq[6] = {0xFF, 0xF4, 0x48, 0x00, 0x0F, 0xA0};
  for (int k = 0; k < 6; ++k) sim.board.chip.Poke(0x06 + k, iq[k]);
  Find<QAbstractButton>(prog->ADCForm, "BRDADC1")->click();
  EXPECT_EQ((Shadow(0x44) << 16) | (Shadow(0x45) << 8) | Shadow(0x46), 5000);
  EXPECT_EQ((Shadow(0x47) << 8) | Shadow(0x48), std::lround((kPi - std::atan(4.0 / 3.0)) / kPi * 32768));

  // Another gain is another word (its noise grows with it: 8 counts, 16 in the word).
  prog->Mx_UP->WriteReg(0x10, 0x02 << 2, 0);  // AD1GN x1
  Find<QAbstractButton>(prog->ADCForm, "BRDADC1")->click();
  EXPECT_NEAR((Shadow(0x41) << 16) | (Shadow(0x42) << 8) | Shadow(0x43), 1.4 / 2.4 * 8388608, 80);
}

// The conversion is the positive input against the negative one, as the panel selects
// them; at x1/4 and "ADC_CK / 32" the noise is 2 counts, 4 in the word.
TEST_F(BenchPanels, ReadAdcConvertsThePositiveAgainstTheNegativeInput) {
  TADCForm* adc = prog->ADCForm;
  auto readAdc = [&] {
    Find<QAbstractButton>(adc, "BRDADC1")->click();
    const int word = (Shadow(0x41) << 16) | (Shadow(0x42) << 8) | Shadow(0x43);
    return word >= 0x800000 ? word - 0x1000000 : word;
  };
  EXPECT_EQ(Find<QComboBox>(adc, "TXIN1N")->currentIndex(), 14);  // VSS, as Read Chip found it
  Find<QAbstractButton>(adc, "IN1N0000off")->click();  // both inputs on AI0
  ASSERT_EQ(Shadow(0x13), 0x00);
  EXPECT_NEAR(readAdc(), 0, 20);
  Find<QAbstractButton>(adc, "IN1P1110off")->click();  // VSS against AI0
  ASSERT_EQ(Shadow(0x13), 0xE0);
  EXPECT_NEAR(readAdc(), -1.4 * 0.25 / 2.4 * 8388608, 20);
  Find<QAbstractButton>(adc, "IN1P0000off")->click();
  Find<QAbstractButton>(adc, "IN1N1110off")->click();  // AI0 against VSS
  ASSERT_EQ(Shadow(0x13), 0x0E);
  const double word = 1.4 * 0.25 / 2.4 * 8388608;
  EXPECT_NEAR(readAdc(), word, 20);

  // "VREGN = x 1/2" halves the reference: the word doubles.
  Find<QAbstractButton>(adc, "PVR1GN")->click();
  ASSERT_EQ(Shadow(0x0C) & 0x04, 0x04);
  EXPECT_EQ(Find<QLabel>(adc, "TXVR1GN")->text(), "VREGN = x 1/2");
  EXPECT_NEAR(readAdc(), 2 * word, 40);
  Find<QAbstractButton>(adc, "PVR1GN")->click();
  ASSERT_EQ(Shadow(0x0C) & 0x04, 0);
  EXPECT_NEAR(readAdc(), word, 20);
}

// The panel shows the register shadow, not the chip: before Read Chip the empty shadow
// puts IN1N on AI0, while the chip holds VSS there from power-on.
using BenchAdcPanelAtStart = ProgramTest;

TEST_F(BenchAdcPanelAtStart, ShowsTheShadowUntilReadChip) {
  StartProgram();
  Click("USBScan");
  auto* in1n = Find<QComboBox>(prog->ADCForm, "TXIN1N");
  EXPECT_EQ(in1n->currentIndex(), 0);
  EXPECT_EQ(sim.board.chip.Peek(0x13), 0x0E);
  Click("Menu_ReadChip");
  EXPECT_EQ(in1n->currentIndex(), 14);
}

// A capture's noise on 0 V (both inputs on AI0), 1,024 samples: at gain x1, 8 counts RMS
// at "ADC_CK / 32", falling with the square root of the ratio to 1 count (the README's
// figures). It is the input's noise: it doubles with the gain in counts, while the
// nanovolt figures, which the program scales by the gain, stay.
TEST_F(BenchPanels, CaptureNoiseFollowsTheOversamplingRatioAndTheGain) {
  TADCForm* adc = prog->ADCForm;
  TAnxADC* anx = prog->AnxADC;
  Choose(Find<QComboBox>(anx, "NPointIndex"), 5);
  Choose(Find<QComboBox>(adc, "TXAD1GN"), 2);  // x1
  Find<QAbstractButton>(adc, "IN1N0000off")->click();
  ASSERT_EQ(Shadow(0x13), 0x00);
  struct Case {
    const char* what;
    int osr;
    bool halfReference;
    double counts, gain;
  };
  const Case cases[] = {
      {"ADC_CK / 32", 0, false, 8, 1},
      {"ADC_CK / 32, VREGN = x 1/2", 0, true, 16, 2},
      {"ADC_CK / 1000", 5, false, 8 * std::sqrt(32.0 / 1000), 1},
      {"ADC_CK / 32000: the floor", 10, false, 1, 1},
  };
  std::vector<double> enob;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Choose(Find<QComboBox>(adc, "TXOSR1"), c.osr);
    if (((Shadow(0x0C) & 0x04) != 0) != c.halfReference) Find<QAbstractButton>(adc, "PVR1GN")->click();
    ASSERT_EQ(Shadow(0x11) & 0x0F, c.osr);
    anx->CatchADC->click();
    ASSERT_GE(prog->G.SampleCount, 1024);
    auto figure = [this](Figure f) { return prog->G.Channels[0].ChannelResults[FigureIndex(f)]; };
    // Within the spread of a 1,024-sample estimate and the word's rounding.
    EXPECT_NEAR(figure(Figure::RmsCount), c.counts, 0.12 * c.counts);
    EXPECT_NEAR(figure(Figure::RmsNv), c.counts * 2.4e9 / 4194304 / c.gain, 0.12 * c.counts * 2.4e9 / 4194304 / c.gain);
    EXPECT_NEAR(figure(Figure::Enob), 23 - std::log2(c.counts), 0.2);
    EXPECT_NEAR(figure(Figure::Average), 0, 0.5 + 5 * c.counts / 32);
    enob.push_back(figure(Figure::Enob));
  }
  EXPECT_GE(enob[3] - enob[0], 1.5);
}

TEST_F(BenchPanels, TrimBringsTheSlowOscillatorToItsTarget) {
  Click("WaveGen");  // its firmware name enables the trim and the scan
  TWaveGenForm* gen = prog->WaveGenForm;
  QAbstractButton* vod = Find<QAbstractButton>(gen, "VodCorrection");
  ASSERT_TRUE(vod->isEnabled());
  EXPECT_TRUE(Find<QAbstractButton>(gen, "btnScan")->isEnabled());
  // 2 % slow before the trim.
  EXPECT_NEAR(sim.board.ClockCount() * 4096.0, 8e6 * 0.98, 4096);
  vod->click();
  EXPECT_TRUE(sim.dialogs.messages.empty());
  // Within half a trim step (0.33 % of the clock) and the counter's 4096 Hz.
  const int hz = sim.board.ClockCount() * 4096;
  EXPECT_LE(std::abs(hz - 8'000'000), 8e6 * 0.0033 / 2 + 4096);
  EXPECT_EQ(Find<QLabel>(gen, "Label7")->text(), "CLK=" + QString::number(hz) + "Hz");
  EXPECT_NE(Shadow(0x2B), 0x40);
  EXPECT_EQ(Shadow(0x2B), sim.board.chip.Peek(0x2B));
}

}  // namespace
