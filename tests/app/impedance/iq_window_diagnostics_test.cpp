// The I/Q test's hidden diagnostic box on the running program: its buttons still act
// on the window's fields, and the wait for an ADC phase reading is bounded.
#include <gtest/gtest.h>

#include <QTimer>
#include <cmath>

#include "impedance/run_logs.h"
#include "iq_window_fixture.h"

namespace {

class IQDiagnostics : public IQWindowTest {
protected:
  // The board behind a pass-through: a write of DGCON1 with bit 7 set selects the
  // ADC phase of bits 6-5, whose reading then stands in ADC1OH..ADC1OL (41h..43h),
  // its ready bit set.
  void StartWithPhases() {
    sim.board.analog.reset();  // 41h..43h hold the phase readings put there
    usb.afterWrite = [this](const uint8_t* p, size_t n) {
      if (!phases || n < 8 || p[0] != 0xC4 || p[1] != 0x00 || p[2] != 0xA0 || p[3] != 0x0D || !(p[7] & 0x80)) return;
      const uint32_t word = IqWord(phaseValue[(p[7] >> 5) & 3]);
      for (int b = 0; b < 3; ++b) sim.board.chip.Poke(0x41 + b, static_cast<uint8_t>(word >> (16 - 8 * b)));
    };
    sim.platform.usb = &usb;
    Start();
  }
  // Writes to DGCON1 (0Dh) and AD1RST (0Ch), in order.
  std::vector<std::pair<int, int>> PhaseWrites() const {
    std::vector<std::pair<int, int>> out;
    for (auto [a, v] : RegisterWrites())
      if (a == 0x0D || a == 0x0C) out.emplace_back(a, v);
    return out;
  }
  void SetShadow(int address, uint8_t v) { prog->Mx_UP->SetRegShadow(address, v, 0); }

  PacedUsb usb{sim.board, sim.clock};
  bool phases = true;
  double phaseValue[4] = {10.5, -9.5, 0.5, 0.5};
};

using W = std::vector<std::pair<int, int>>;

TEST_F(IQDiagnostics, PhaseButtonsSelectTheirPhaseAndShowTheReading) {
  StartWithPhases();
  struct Case {
    uint8_t d;
    int phase;
    W writes;
    const char* field;
    const char* text;
  };
  const Case cases[] = {
      {0x05, 0, {{0x0D, 0x85}, {0x0D, 0x95}, {0x0C, 0x41}}, "T_ADC1_0", "10.50"},
      {0x05, 1, {{0x0D, 0xA5}, {0x0C, 0x41}}, "T_ADC2_0", "-9.50"},
      {0x15, 1, {{0x0D, 0xB5}, {0x0C, 0x41}}, "T_ADC2_0", "-9.50"},
      {0x05, 3, {{0x0D, 0xE5}, {0x0C, 0x41}}, "T_ADC4_0", "0.50"},
  };
  for (const Case& c : cases) {
    SetShadow(0x0D, c.d);
    SetShadow(0x0C, 0x40);
    Edit(c.field)->setText("000000");
    sim.board.ClearLog();
    w->PADCn[c.phase]->click();
    EXPECT_EQ(PhaseWrites(), c.writes) << int(c.d) << " " << c.phase;
    EXPECT_EQ(Text(c.field), c.text);
    // The shadow holds what the chip was last given.
    EXPECT_EQ(prog->Mx_UP->GetReg(0x0D, 0), c.writes[c.writes.size() - 2].second);
    EXPECT_EQ(prog->Mx_UP->GetReg(0x0C, 0), 0x41);
  }
  EXPECT_TRUE(Messages().isEmpty());
  // "ADC": one read of the output, shown when its status is FAh.
  sim.board.chip.Poke(0x41, 0x00);
  sim.board.chip.Poke(0x42, 0x00);
  sim.board.chip.Poke(0x43, 0x08);
  w->PADC->click();
  EXPECT_EQ(Text("T_ADC4_0"), "4.00");
  sim.board.Arm(FirmwareFault::BadStatus, FaultSpan::FromNowOn({.status = 0xFB}));
  sim.board.chip.Poke(0x43, 0x0A);
  w->PADC->click();
  EXPECT_EQ(Text("T_ADC4_0"), "4.00");
  EXPECT_EQ(prog->Mx_UP->GetReg(0x43, 0), 0x08);
}

TEST_F(IQDiagnostics, SequenceMeasuresFourPhasesIntoColumnOne) {
  StartWithPhases();
  SetShadow(0x0D, 0x05);
  IQTestState& s = S();
  s.Y0 = 1000;
  s.Theta0 = 0;
  s.Y2 = 1000;
  s.Theta2 = M_PI / 6;
  w->PIQTEST1->click();
  EXPECT_TRUE(Messages().isEmpty());
  EXPECT_EQ(PhaseWrites(), (W{{0x0D, 0x85}, {0x0D, 0x95}, {0x0C, 0x01}, {0x0D, 0xB5}, {0x0C, 0x01},
                              {0x0D, 0xD5}, {0x0C, 0x01}, {0x0D, 0xF5}, {0x0C, 0x01}}));
  const std::pair<const char*, const char*> shown[] = {
      {"T_ADC1_1", "10.50"}, {"T_ADC2_1", "-9.50"}, {"T_ADC3_1", "0.50"},  {"T_ADC4_1", "0.50"},
      {"T_IDATA_1", "20.00"}, {"T_QDATA_1", "0.00"}, {"T_YDATA_1", "20.00"}, {"T_Theta_1", "0.000"},
      {"T_Resd", "-4998.00"}, {"T_Gain", "102000.00"}, {"T_YDATA_n", "102.00"}, {"T_Theta_s", "0.524"}};
  for (auto [name, text] : shown) EXPECT_EQ(Text(name), text) << name;
  EXPECT_EQ(Text("T_Zm2"), Text("T_Zm"));
  EXPECT_DOUBLE_EQ(s.Y1, 20);
  EXPECT_DOUBLE_EQ(s.Theta1, 0);
}

TEST_F(IQDiagnostics, APhaseReadingThatNeverCompletesEndsWithAMessage) {
  StartWithPhases();
  phases = false;
  sim.board.chip.Poke(0x43, 0x00);
  struct Case {
    const char* what;
    uint8_t status;
    int64_t usPerTransfer;
  };
  // No ready bit in 10 s of slow replies; no reply with FAh in 10,000 reads.
  const Case cases[] = {{"time", 0xFA, 6000}, {"status", 0xFB, 0}};
  for (const Case& c : cases) {
    sim.board.Arm(FirmwareFault::BadStatus, FaultSpan::FromNowOn({.status = c.status}));
    usb.usPerTransfer = c.usPerTransfer;
    Edit("T_ADC1_0")->setText("000000");
    sim.board.ClearLog();
    const int64_t t0 = sim.clock.SteadyUs();
    w->PADCn[0]->click();
    const QStringList shown = Messages();
    ASSERT_EQ(shown.size(), 1) << c.what;
    EXPECT_TRUE(shown[0].endsWith(": ADC phase reading failed")) << c.what;
    EXPECT_EQ(Text("T_ADC1_0"), "000000") << c.what;
    const int reads = CountSent({0xC4, 0x01, 0xA0, 0x41, 0x03});
    if (c.usPerTransfer) {
      EXPECT_LT(reads, 1000) << c.what;
      EXPECT_LT(sim.clock.SteadyUs() - t0, 10'100'000) << c.what;
    } else {
      EXPECT_EQ(reads, 10'000) << c.what;
    }
  }
}

TEST_F(IQDiagnostics, MeasureAndOneShotConvertWithTheirSetUp) {
  StartWithPhases();
  phases = false;
  ScriptReadings([](uint64_t) { return std::pair<double, double>{3, 4}; });
  SetShadow(0x0D, 0x05);
  SetShadow(62, 0xFF);
  IQTestState& s = S();
  s.Y0 = 1000;
  s.Y1 = 2000;
  w->PIQTEST2->click();
  EXPECT_TRUE(Messages().isEmpty());
  W writes;
  for (auto [a, v] : RegisterWrites())
    if (a != 0x0F) writes.emplace_back(a, v);
  EXPECT_EQ(writes, (W{{62, 0xEF}, {28, 0x03}, {30, 0x00}, {0x0D, 0x85}, {0x0D, 0x95}}));
  for (const char* n : {"T_ADC1_2", "T_ADC2_2", "T_ADC3_2", "T_ADC4_2"}) EXPECT_EQ(Text(n), "0.00") << n;
  EXPECT_EQ(Text("T_IDATA_2"), "3.00");
  EXPECT_EQ(Text("T_YDATA_2"), "5.00");
  EXPECT_EQ(Text("T_Theta_2"), "0.927");
  EXPECT_EQ(Text("T_Gain"), "10200000.00");
  EXPECT_EQ(Text("T_Zm2"), "000000");  // only the run and "Sequence" show it
  EXPECT_DOUBLE_EQ(s.Y2, 5);

  // "OneShot": a conversion seen only in the shadow.
  const uint64_t before = sim.board.iqConversions;
  Edit("T_IDATA_2")->setText("x");
  w->PIQTEST0->click();
  EXPECT_EQ(sim.board.iqConversions, before + 1);
  EXPECT_EQ(Text("T_IDATA_2"), "x");
  EXPECT_EQ(prog->Mx_UP->GetReg(0x08, 0), 0x06);  // I = 3.0: 000006h
  // A conversion that never ends is an error, not a reading.
  sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::StuckFromNow());
  w->PIQTEST2->click();
  const QStringList shown = Messages();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].endsWith(": I/Q conversion failed"));
}

TEST_F(IQDiagnostics, LoopTestReplacesTheReferenceReadingEveryTick) {
  StartWithPhases();
  phases = false;
  ScriptReadings([](uint64_t) { return std::pair<double, double>{3, 4}; });
  w->LoopTest->click();
  EXPECT_TRUE(w->Timer2->isActive());
  EXPECT_EQ(w->Timer2->interval(), 100);
  EXPECT_NE(w->LoopTest->palette().color(QPalette::Button), w->palette().color(QPalette::Button));
  SetShadow(0x0D, 0x25);
  w->Timer2Timer();
  EXPECT_EQ(PhaseWrites(), (W{{0x0D, 0x85}, {0x0D, 0x95}, {0x0C, 0x01}}));
  EXPECT_DOUBLE_EQ(S().Y0, 5);
  EXPECT_EQ(Text("T_IDATA_0"), "3.00");
  EXPECT_EQ(Text("T_Theta_0"), "0.927");
  EXPECT_TRUE(w->Timer2->isActive());
  // A tick that fails stops the timer; the next click starts it again.
  sim.board.Arm(FirmwareFault::IqBusy, FaultSpan::StuckFromNow());
  w->Timer2Timer();
  EXPECT_EQ(Messages().size(), 1);
  EXPECT_FALSE(w->Timer2->isActive());
  w->LoopTest->click();
  EXPECT_TRUE(w->Timer2->isActive());
  w->LoopTest->click();
  EXPECT_FALSE(w->Timer2->isActive());
  EXPECT_EQ(w->LoopTest->palette().color(QPalette::Button), w->palette().color(QPalette::Button));
}

TEST_F(IQDiagnostics, AnAcRunLogsTheReadOutsTheDiagnosticsFilled) {
  StartWithPhases();
  // Calibrated in mode "AC": 600, 800 (Y0 1000) and 2000, 0 (Y1 2000).
  ScriptReadings({600, 800}, [](uint64_t) { return std::pair<double, double>{2000, 0}; });
  Radio("rbACMode")->setChecked(true);
  w->Pcalculate->click();
  ASSERT_TRUE(Messages().isEmpty());
  ScriptReadings([](uint64_t) { return std::pair<double, double>{1000, 0}; });
  // "ADC1" .. "ADC4" fill column 0, "Measure" column 2; column 1 keeps "000000".
  SetShadow(0x0D, 0x05);
  for (int p = 0; p < 4; ++p) w->PADCn[p]->click();
  w->PIQTEST2->click();
  ASSERT_TRUE(Messages().isEmpty());
  // The full refreshes let the waveform generator write its frequency.
  Edit("T_Freq")->setText("1000");
  w->rbACTime->setChecked(true);  // "1 s" at "250 ms": four rows
  const QString stamp = FileStamp(sim.clock.LocalNow());
  w->PCAPTEST->click();

  EXPECT_TRUE(Messages().isEmpty());
  const QStringList lines = LogLines("AC" + stamp + ".CSV");
  ASSERT_EQ(lines.size(), 1 + 4);
  for (int r = 1; r <= 4; ++r) {
    EXPECT_EQ(lines[r].section(',', 8, 19),
              "10.50,000000,0.00,-9.50,000000,0.00,0.50,000000,0.00,0.50,000000,0.00")
        << r;
    // The figures of I = 1000, Q = 0 against the calibration, and I0 .. Q2 around them.
    EXPECT_EQ(lines[r].section(',', 2, 7), "5100,1000,1020.00,19.504,66300.00,19.204") << r;
    EXPECT_EQ(lines[r].section(',', 20), "600.00,2000.00,1000.00,800.00,0.00,0.00,1000.00,2000.00,1000.00,0.927,"
                                         "0.000,0.000,5100.00,10200000.00,0.000,8223.50,,")
        << r;
  }
}

}  // namespace
