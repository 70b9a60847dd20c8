// The ADC panel's "Read ADC" and the generator's oscillator trim on the simulated bench
// as `make run` builds it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <cmath>
#include <cstdlib>

#include "block_panels/adc_panel.h"
#include "block_panels/wave_generator.h"
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
};

TEST_F(BenchPanels, ReadAdcShowsTheConversionOfTheSelectedInput) {
  Find<QAbstractButton>(prog->ADCForm, "BRDADC1")->click();
  // AI0's 1.4 V at the power-on gain x1/4 over 2.4 V, as a 24-bit word.
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

  // Another gain is another word.
  prog->Mx_UP->WriteReg(0x10, 0x02 << 2, 0);  // AD1GN x1
  Find<QAbstractButton>(prog->ADCForm, "BRDADC1")->click();
  EXPECT_NEAR((Shadow(0x41) << 16) | (Shadow(0x42) << 8) | Shadow(0x43), 1.4 / 2.4 * 8388608, 40);
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
