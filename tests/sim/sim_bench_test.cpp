// The bench's board: the raw words its demodulator and ADC give for the fixture and the
// body, against the circuit worked out here by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "platform/clock.h"
#include "sim/sim_bench.h"

namespace {

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;

// R with C across it.
Complex Parallel(double ohms, double farads, double hz) {
  return ohms / Complex(1, 2 * kPi * hz * ohms * farads);
}
// The 24-bit word of a value (the word is twice the value), rounded.
uint32_t Word(double value) { return static_cast<uint32_t>(static_cast<int32_t>(std::lround(2 * value))) & 0xFFFFFF; }

class SimBenchTest : public ::testing::Test {
protected:
  void SetUp() override {
    bench.frontEnd.iqNoise = 0;
    bench.frontEnd.adcNoise = 0;
  }
  SimChip& Chip() { return bench.board.chip; }
  std::pair<uint32_t, uint32_t> Words() { return bench.frontEnd.IqWords(bench.board); }

  FakeClock clock;
  SimBench bench{clock};
};

TEST_F(SimBenchTest, PowersUpAsTheBenchBoard) {
  EXPECT_EQ(bench.board.boardName, "E7403V02");
  EXPECT_EQ(Chip().Mask(0x0F), 0x04);
  EXPECT_EQ(Chip().Mask(0x33), 0x00);
  EXPECT_EQ(Chip().Mask(0x180), 0xFF);
  // The generator at 8 MHz / 2^6 / 125 = 1 kHz nominal; the oscillator 2 % slow.
  EXPECT_EQ(Chip().Peek(0x3E), 0x40);
  EXPECT_EQ(Chip().Peek(0x0D), 0x0C);
  EXPECT_EQ(Chip().Peek(0x0E), 124);
  EXPECT_EQ(Chip().Peek(0x2B), 0x40);
  EXPECT_EQ(Chip().Peek(0x13), 0x0E);  // the ADC on AI0 against VSS
  EXPECT_DOUBLE_EQ(SimFrontEnd::ExcitationHz(bench.board), 8e6 * 0.98 / 64 / 125);
  EXPECT_EQ(bench.board.ClockCount(), std::lround(8e6 * 0.98 / 4096));
}

TEST_F(SimBenchTest, DemodulatorReadsTheFixtureThroughOp2) {
  struct Case {
    const char* what;
    uint8_t op2n, rfb2, control, dgrp;
  };
  const Case cases[] = {
      {"reference, 10k feedback, 980 Hz", 0x01, 0, 0x8D, 124},
      {"device through the leads, 980 Hz", 0x02, 0, 0x8D, 124},
      {"reference through the leads, 50k feedback", 0x04, 1, 0x8D, 124},
      {"device, 2^4 and DGRP 99: 4.9 kHz", 0x02, 0, 0x89, 99},
      {"device and reference together", 0x03, 0, 0x8D, 124},
  };
  const double feedback[] = {10e3, 50e3};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Chip().Poke(0x0D, c.control);
    Chip().Poke(0x0E, c.dgrp);
    Chip().Poke(0x1F, c.op2n);
    Chip().Poke(0x20, c.rfb2);
    const double hz = 8e6 * 0.98 / (1 << ((c.control >> 1) & 7)) / (c.dgrp + 1);
    Complex admittance = 0;
    if (c.op2n & 1) admittance += 1.0 / 5100.0;
    if (c.op2n & 2) admittance += 1.0 / (22.0 + Parallel(10000, 10e-9, hz));
    if (c.op2n & 4) admittance += 1.0 / (22.0 + 5100.0);
    const Complex v = 408000.0 * feedback[c.rfb2] * admittance * std::polar(1.0, 0.2);
    const auto [i, q] = Words();
    EXPECT_EQ(i, Word(v.real()));
    EXPECT_EQ(q, Word(v.imag()));
  }
}

TEST_F(SimBenchTest, DemodulatorGivesNothingWithoutIqModeAndSaturates) {
  Chip().Poke(0x1F, 0x01);
  for (uint8_t control : {0x0C, 0x8C, 0x0D}) {
    Chip().Poke(0x0D, control);
    EXPECT_EQ(Words(), (std::pair<uint32_t, uint32_t>{0, 0})) << int(control);
  }
  Chip().Poke(0x0D, 0x8D);
  Chip().Poke(0x20, 3);  // 500k: 40 million counts
  const auto [i, q] = Words();
  EXPECT_EQ(i, 0x7FFFFFu);
  EXPECT_EQ(q, 0x7FFFFFu);
}

// The body's star of five segments, worked out by which segments the current crosses
// and where the sense contacts meet its path.
TEST_F(SimBenchTest, BodyFrontEndMeasuresEachSegmentWithFourElectrodes) {
  Chip().Poke(0x0D, 0x83);  // I/Q mode, 2^1
  Chip().Poke(0x0E, 0x4F);  // DGRP 79
  Chip().Poke(0x25, 0x80);
  const double hz = 8e6 * 0.98 / 2 / 80;
  const Complex leftArm = Parallel(270, 1.2e-9, hz), rightArm = Parallel(260, 1.2e-9, hz),
                trunk = Parallel(28, 12e-9, hz), leftLeg = Parallel(240, 1.5e-9, hz),
                rightLeg = Parallel(230, 1.5e-9, hz);
  struct Case {
    const char* what;
    uint8_t in, out, sense;
    Complex z;
  };
  const Case cases[] = {
      {"right arm", 2, 6, 0x31, rightArm},
      {"left arm", 0, 4, 0x13, leftArm},
      {"trunk", 2, 6, 0x15, trunk},
      {"right leg", 2, 6, 0x57, rightLeg},
      {"left leg", 0, 4, 0x75, leftLeg},
      {"right side", 2, 6, 0x37, rightArm + trunk + rightLeg},
      {"sense pair off the current's path", 0, 2, 0x57, 0},
      {"no current: one contact", 3, 3, 0x31, 0},
      {"no current: drive open", 8, 6, 0x31, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Chip().Poke(0x26, c.in << 3);
    Chip().Poke(0x27, c.out << 3);
    Chip().Poke(0x28, c.sense);
    const Complex v = 1000.0 * c.z * std::polar(1.0, 0.2);
    const auto [i, q] = Words();
    EXPECT_EQ(i, Word(v.real()));
    EXPECT_EQ(q, Word(v.imag()));
  }
  // DGCAL puts the 1 kOhm reference in the body's place.
  Chip().Poke(0x0E, 0xCF);
  const Complex v = 1000.0 * 1000.0 * std::polar(1.0, 0.2);
  EXPECT_EQ(Words(), (std::pair<uint32_t, uint32_t>{Word(v.real()), Word(v.imag())}));
}

// The positive input against the negative one (13h: IN1P high, IN1N low nibble; 14 is
// VSS), at AD1GN's gain, doubled while VR1GN (0Ch bit 2) halves the 2.4 V reference.
TEST_F(SimBenchTest, AdcReadsItsPositiveAgainstItsNegativeInput) {
  struct Case {
    const char* what;
    uint8_t mux, adcon0, adcon1;
    uint16_t dac;
    double volts, gain;
  };
  const Case cases[] = {
      {"AI0 against VSS at x1/4", 0x0E, 0x00, 0x00, 0x800, 1.4, 0.25},
      {"AI0 against VSS at x1", 0x0E, 0x00, 0x02 << 2, 0x800, 1.4, 1},
      {"AI0 against AI0", 0x00, 0x00, 0x02 << 2, 0x800, 0, 1},
      {"VSS against AI0", 0xE0, 0x00, 0x02 << 2, 0x800, -1.4, 1},
      {"AI0 against VSS, half reference", 0x0E, 0x04, 0x00, 0x800, 1.4, 0.5},
      {"AI4 at x1, half reference", 0x4E, 0x04, 0x02 << 2, 0x800, 1.2 * 1000 / 5100, 2},
      {"AI4: DAC1 1.2 V through 5100 ohm into 1 kOhm", 0x4E, 0x00, 0x00, 0x800, 1.2 * 1000 / 5100, 0.25},
      {"AI5: 0.6 V through the leads and the device", 0x5E, 0x00, 0x00, 0x400, 0.6 * 1000 / 10022, 0.25},
      {"AI6: the leads and the reference at x1", 0x6E, 0x00, 0x02 << 2, 0x800, 1.2 * 1000 / 5122, 1},
      {"AI4 against AI6", 0x46, 0x00, 0x02 << 2, 0x800, 1.2 * 1000 / 5100 - 1.2 * 1000 / 5122, 1},
      {"AI1: the calibrator in standby", 0x1E, 0x00, 0x00, 0x800, 0, 0.25},
      {"AI7: nothing", 0x7E, 0x00, 0x00, 0x800, 0, 0.25},
      {"AI0 against VCM, not wired", 0x0F, 0x00, 0x00, 0x800, 1.4, 0.25},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Chip().Poke(0x13, c.mux);
    Chip().Poke(0x0C, c.adcon0);
    Chip().Poke(0x10, c.adcon1);
    Chip().Poke(0x17, c.dac >> 8);
    Chip().Poke(0x18, c.dac & 0xFF);
    EXPECT_EQ(bench.frontEnd.AdcWord(bench.board), std::lround(c.volts * c.gain / 2.4 * 8388608));
  }
  Chip().Poke(0x0C, 0x00);
  Chip().Poke(0x10, 0x06 << 2);  // x16: beyond full scale, both ways
  Chip().Poke(0x13, 0x0E);
  EXPECT_EQ(bench.frontEnd.AdcWord(bench.board), 8388607);
  Chip().Poke(0x13, 0xE0);
  EXPECT_EQ(bench.frontEnd.AdcWord(bench.board), -8388608);
}

// The bench's calibrator drives AI1 with its last output while operating.
TEST_F(SimBenchTest, CalibratorDrivesAi1WhileOperating) {
  SimCalibrator& cal = bench.instruments.calibrator;
  cal.output = "600 mV ,0 Hz";
  Chip().Poke(0x13, 0x1E);
  Chip().Poke(0x10, 0x03 << 2);  // x2
  EXPECT_EQ(bench.frontEnd.AdcWord(bench.board), 0);
  cal.operating = true;
  EXPECT_EQ(bench.frontEnd.AdcWord(bench.board), std::lround(0.6 * 2 / 2.4 * 8388608));
}

}  // namespace
