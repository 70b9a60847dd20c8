// The I/Q test window's writers with one reply lost part-way, as the user meets it:
// "Calculate" (the register lists of both calibrations, the DABIT codes and their
// restore) and CAP TEST (the AC run; the DC run with its steps and restore, then the
// DC+AC(ADC) run).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>

#include "iq_window_fixture.h"
#include "write_faults.h"

namespace {

const QString kStreamLost = "warning: ADC stream lost";
const QString kConversionFailed = "warning: I/Q conversion failed";

class IQWriteFaults : public WriteFaultTest<IQWindowTest> {
protected:
  // A new program, connected, in `mode`: the demodulator reads 600, 800 on the
  // reference and 2000, 0 on the device, the stream 1000 for list DC and 2000 for list DC1
  // (scripted).
  void Connect(const char* mode) {
    StopProgram();
    QFile::remove(Path("MxIQFormSet.txt"));
    sim.board.streaming = false;
    sim.board.samplesPerPoll = 5;
    Start();
    ScriptReadings({600, 800}, [](uint64_t) { return std::pair<double, double>{2000, 0}; });
    ScriptStreams({[](uint64_t) { return 1000; }, [](uint64_t) { return 2000; }});
    Radio(mode)->setChecked(true);
    const char* codes[3][2] = {{"0112", "0213"}, {"0334", "0435"}, {"0556", "0657"}};
    for (int step = 0; step < 3; ++step)
      for (int col = 0; col < 2; ++col) w->edtDABIT[step][col]->setText(codes[step][col]);
  }
  // The same, calibrated, the device reading 1000, 0, short runs: 1 s of AC rows at
  // 250 ms; a DC run of 0.1 s bias, 0.1 s reaction and one packet of rows.
  void Calibrated(const char* mode) {
    Connect(mode);
    w->Pcalculate->click();
    ASSERT_TRUE(Messages().isEmpty());
    ASSERT_TRUE(w->PCAPTEST->isEnabled());
    Edit("T_Freq")->setText("1000");
    ScriptReadings([](uint64_t) { return std::pair<double, double>{1000, 0}; });
    w->rbACTime->setChecked(true);
    List("cbACTime")->setCurrentIndex(0);
    w->rbDCAmount->setChecked(true);
    List("cbDCAmount")->setCurrentIndex(0);
    Edit("edtBiasTime")->setText("0.1");
    Edit("edtReantionTime")->setText("0.1");
  }
  // The run is over and the window usable again.
  void RunEnded() {
    EXPECT_TRUE(S().CapTestIdle);
    for (QWidget* c : std::initializer_list<QWidget*>{w->Pcalculate, w->rbACMode, w->cbACAvg, w->edtDABIT[1][1]})
      EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
    EXPECT_EQ(w->PCAPTEST->palette().color(QPalette::Button), w->palette().color(QPalette::Button));
  }
  // What "Calculate" shows: its errors go to a box captioned with the program's name.
  static QString Calculate(const char* text) { return QCoreApplication::applicationName() + ": " + text; }
};

const Bytes kStreamStart = {0xC4, 0x02};
const Bytes kPoll = {0xC4, 0x04};
const Bytes kStreamStop = {0xC4, 0x03};

// In mode AC+DC: list AC0 (0Dh, 0Dh, 1Fh) and a reading, list AC1 and a reading; the
// measuring codes (23, 24, 26, 27), list DC (0Dh, 13h), a stream, list DC1 (13h),
// a second stream, the stop and the codes put back. A calibration that did not
// complete says why, stores nothing and leaves CAP TEST closed.
TEST_F(IQWriteFaults, CalculateStopsAtTheLostReplyAndSaysSo) {
  const QStringList acFailed = {Calculate("I/Q conversion failed")};
  const QStringList dcFailed = {Calculate("ADC stream lost")};
  const QStringList notRestored = {Calculate("DABIT registers not restored: the board did not answer")};
  const std::vector<FaultPoint> points = {
      {"the first packet, list AC0's first entry", RegisterWrite(0x0D), 1, acFailed},
      {"list AC1's middle entry", RegisterWrite(0x0D), 4, acFailed},
      {"the second reading's I", RegisterRead(0x06), 2, acFailed},
      {"the measuring step's DABIT2 code", RegisterWrite(26), 1, dcFailed},
      {"list DC's last entry", RegisterWrite(0x13), 1, dcFailed},
      {"the first stream's start", kStreamStart, 1, dcFailed},
      {"the second average's last poll", kPoll, -1, dcFailed},
      {"the stream stop", kStreamStop, 1, notRestored},
      {"the restore's first code", RegisterWrite(23), 2, notRestored},
      {"the last packet, the restore's last code", RegisterWrite(27), 2, notRestored},
  };
  ExpectEachFaultTold([this] { Connect("rbACDCMode"); }, [this] { w->Pcalculate->click(); },
                      [this] {
                        EXPECT_FALSE(S().DCCalibrated);
                        EXPECT_FALSE(w->PCAPTEST->isEnabled());
                        for (QWidget* c : std::initializer_list<QWidget*>{w->Pcalculate, w->gbMode, w->gbDCSet})
                          EXPECT_TRUE(c->isEnabled()) << c->objectName().toStdString();
                      },
                      points);
}

// In mode AC: list AC of CAP TEST (0Dh, 0Dh, 1Fh), then four rows of a conversion
// each (start, two polls, a read of six and one of three).
TEST_F(IQWriteFaults, AcRunStopsAtTheLostReplyAndSaysSo) {
  const std::vector<FaultPoint> points = {
      {"the first packet, list AC's first entry", RegisterWrite(0x0D), 1, {kConversionFailed}},
      {"list AC's middle entry", RegisterWrite(0x0D), 2, {kConversionFailed}},
      {"the first row's start", RegisterWrite(0x0F), 1, {kConversionFailed}},
      {"a poll of the second row", RegisterRead(0x0F), 3, {kConversionFailed}},
      {"the last packet, the fourth row's Q", RegisterRead(0x09), -1, {kConversionFailed}},
  };
  ExpectEachFaultTold([this] { Calibrated("rbACMode"); }, [this] { w->PCAPTEST->click(); }, [this] { RunEnded(); },
                      points);
}

// In mode DC+AC(ADC): the DC run writes the bias, reaction and measuring codes, list
// DC (0Dh, 13h), streams one packet of rows, stops and puts the codes back; the
// DC+AC(ADC) run writes list DC1 (13h), streams its rows and stops. A run whose
// stream ended says so and no phase follows; the codes not put back after a whole
// run are told; a lost reply to the very last stop leaves a whole run, which only the
// status panel tells.
TEST_F(IQWriteFaults, DcRunsStopAtTheLostReplyAndSaySo) {
  const QStringList notRestored = {"warning: DABIT registers not restored: the board did not answer"};
  const std::vector<FaultPoint> points = {
      {"the first packet, the bias step's DABIT code", RegisterWrite(23), 1, {kStreamLost}},
      {"the reaction step's DABIT code", RegisterWrite(24), 2, {kStreamLost}},
      {"list DC's first entry", RegisterWrite(0x0D), 1, {kStreamLost}},
      {"the DC stream's start", kStreamStart, 1, {kStreamLost}},
      {"the DC run's poll with its rows", kPoll, 4, {kStreamLost}},
      {"the DC run's stream stop", kStreamStop, 1, notRestored},
      {"the restore's first code", RegisterWrite(23), 4, notRestored},
      {"the restore's last code", RegisterWrite(27), 4, notRestored},
      {"list DC1 of the DC+AC(ADC) run", RegisterWrite(0x13), 2, {kStreamLost}},
      {"the DC+AC(ADC) run's last poll", kPoll, -1, {kStreamLost}},
      {"the last packet, the DC+AC(ADC) run's stream stop", kStreamStop, -1, {}},
  };
  ExpectEachFaultTold([this] { Calibrated("rbDCACMode2"); }, [this] { w->PCAPTEST->click(); },
                      [this] { RunEnded(); }, points);
}

}  // namespace
