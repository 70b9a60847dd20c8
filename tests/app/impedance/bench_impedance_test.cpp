// The impedance jobs on the simulated bench as `make run` builds it: the figures come
// back as the fixture's and the body's values, worked out here by hand.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cmath>
#include <complex>
#include <numbers>

#include "impedance/bodyfat_test_window.h"
#include "iq_window_fixture.h"

namespace {

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;
// The bench's generator after Read Chip: 8 MHz nominal, 2 % slow, / 2^6 / 125.
constexpr double kIqHz = 8e6 * 0.98 / 64 / 125;

Complex Parallel(double ohms, double farads, double hz) { return ohms / Complex(1, 2 * kPi * hz * ohms * farads); }

class BenchIQ : public IQWindowTest {
protected:
  // Connected, Read Chip (as the README asks), calibrated in `mode`.
  void Ready(const char* mode) {
    Start();
    Click("Menu_ReadChip");
    Radio(mode)->setChecked(true);
    w->Pcalculate->click();
    ASSERT_TRUE(Messages().isEmpty());
  }
  double Number(const char* name) const { return Text(name).toDouble(); }
};

TEST_F(BenchIQ, AcCalibrationAndRunGiveBackTheFixture) {
  Ready("rbACMode");
  // The leads' resistance, and the reference's reading as the scale.
  EXPECT_NEAR(Number("T_Resd"), 22, 0.05);
  w->rbACAmount->setChecked(true);  // 100 rows
  List("scanCAPTimer")->setCurrentIndex(0);
  emit List("scanCAPTimer")->activated(0);
  w->PCAPTEST->click();
  ASSERT_TRUE(Messages().isEmpty());
  EXPECT_EQ(w->Label13->text(), "100 Save Data");

  // 10 kOhm with 10 nF across it at the generator's 980 Hz; the program takes the
  // frequency it shows, 1000 Hz, for the capacitances.
  const double typedHz = Text("T_Freq").toDouble();
  EXPECT_EQ(typedHz, 1000);
  const Complex z = Parallel(10000, 10e-9, kIqHz);
  const double xs = -z.imag();
  EXPECT_NEAR(Number("T_RsDATA"), z.real(), 0.5);
  EXPECT_NEAR(Number("T_CsDATA"), 1e9 / (2 * kPi * typedHz * xs), 0.005);
  EXPECT_NEAR(Number("T_RpDATA"), 10000, 1);
  EXPECT_NEAR(Number("T_CpDATA"), 10 * kIqHz / typedHz, 0.005);
  EXPECT_NEAR(Number("T_Zm"), std::abs(z), 0.5);
  // The device's phase against the reference read directly.
  EXPECT_NEAR(Number("T_Theta_Dut"), std::arg(1.0 / (22.0 + z)), 0.001);

  // Another device, the same calibration.
  SetDevice(4700, 22e-9);
  w->PCAPTEST->click();
  ASSERT_TRUE(Messages().isEmpty());
  EXPECT_NEAR(Number("T_RpDATA"), 4700, 1);
  EXPECT_NEAR(Number("T_CpDATA"), 22 * kIqHz / typedHz, 0.005);
}

TEST_F(BenchIQ, DcCalibrationAndRunGiveBackTheLeadsAndTheStrip) {
  Ready("rbDCMode");
  EXPECT_NEAR(Number("edtDCResd"), 22, 1);
  // DAC1 1.2 V through the leads and the reference into 1 kOhm, at x1/4: the stream's
  // samples are half the ADC word.
  EXPECT_NEAR(Number("edtADC1"), 1.2 * 1000 / 5122 * 0.25 / 2.4 * 8388608 / 2, 20);
  w->PCAPTEST->click();  // one packet of rows
  ASSERT_TRUE(Messages().isEmpty());
  EXPECT_NEAR(Number("edtDCOhm"), 10000, 5);
  EXPECT_FALSE(sim.board.streaming);

  // Another strip, the same calibration.
  SetDevice(4700, 10e-9);
  w->PCAPTEST->click();
  ASSERT_TRUE(Messages().isEmpty());
  EXPECT_NEAR(Number("edtDCOhm"), 4700, 3);
}

// ---- body-fat test -----------------------------------------------------------------

class BenchBodyFat : public ProgramTest {
protected:
  // The program folder as `make run` has it: the example register table and file pairs.
  void Open() {
    for (const char* f : {"bodyFatFormSet.txt", "BF1.ram", "BF1.reg", "BF2.ram", "BF2.reg"})
      ASSERT_TRUE(QFile::copy(QDir(MX_EXAMPLES_DIR).filePath(f), Path(f))) << f;
    StartProgram();
    Click("USBScan");
    form = prog->bodyFatForm;
  }
  double Number(const QString& name) const { return Find<QLineEdit>(form, name)->text().toDouble(); }
  QStringList Files(const QString& pattern) const { return QDir(dir.path()).entryList({pattern}, QDir::Files); }

  // The six channels of the example table at `hz`: right arm, left arm, trunk, right
  // leg, left leg, right side.
  static std::vector<Complex> Channels(double hz) {
    const Complex la = Parallel(270, 1.2e-9, hz), ra = Parallel(260, 1.2e-9, hz), t = Parallel(28, 12e-9, hz),
                  ll = Parallel(240, 1.5e-9, hz), rl = Parallel(230, 1.5e-9, hz);
    return {ra, la, t, rl, ll, ra + t + rl};
  }
  void ExpectChannels(double hz) {
    const std::vector<Complex> z = Channels(hz);
    for (int c = 1; c <= 6; ++c) {
      SCOPED_TRACE(c);
      EXPECT_NEAR(Number("edtIMP_" + QString::number(c)), std::abs(z[c - 1]), 0.01);
      EXPECT_NEAR(Number("edtDUT_" + QString::number(c)), std::arg(z[c - 1]), 0.001);
    }
  }

  TbodyFatForm* form = nullptr;
};

TEST_F(BenchBodyFat, CalibrationAndImpedanceRunMeasureEachSegment) {
  Open();
  Find<QPushButton>(form, "btnCalculate")->click();
  EXPECT_TRUE(sim.dialogs.messages.empty());
  // The 1 kOhm reference read as Rref: the gain is Rref over its reading.
  EXPECT_NEAR(Number("edtYDATA0"), 1e6, 10);
  Find<QPushButton>(form, "btnImpedanceTest")->click();
  EXPECT_TRUE(sim.dialogs.messages.empty());
  ExpectChannels(8e6 * 0.98 / 2 / 80);  // the table's 2^1 and DGRP 79: 49 kHz
  EXPECT_EQ(Files("ACReg*.CSV").size(), 6);
}

TEST_F(BenchBodyFat, AutoTestRunsTheExamplePairsAtTheirFrequencies) {
  Open();
  QLineEdit* prefix = Find<QLineEdit>(form, "edtFile");
  prefix->setText("BF");
  QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(prefix, &leave);
  EXPECT_EQ(Find<QLabel>(form, "labFile")->text(), "2 Ram Files");
  Find<QPushButton>(form, "btnAutoTest")->click();
  EXPECT_TRUE(sim.dialogs.messages.empty());
  // Pair 2 last: DGRP 15, 245 kHz.
  ExpectChannels(8e6 * 0.98 / 2 / 16);
  EXPECT_EQ(Files("ACReg*.CSV").size(), 12);
  const QStringList averages = Files("MxAverage*.CSV");
  ASSERT_EQ(averages.size(), 1);
  EXPECT_EQ(SplitLines(QString::fromLatin1(ReadFile(averages[0]))).size(), 1 + 12);
}

}  // namespace
