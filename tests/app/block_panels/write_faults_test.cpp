// The block panels' and the waveform generator's writers against a board that loses
// the reply of one command part-way (failed, empty, or the board pulled out once the
// command ran): afterwards the shadow holds what the chip holds, the user has been
// told, the windows show the shadow and the job has ended at the lost reply.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <functional>
#include <string>
#include <vector>

#include "block_panels/adc_panel.h"
#include "block_panels/dac_panel.h"
#include "block_panels/opamp_panel.h"
#include "block_panels/oscillator_trim.h"
#include "block_panels/panel_kit.h"
#include "block_panels/wave_memory.h"
#include "shell/main_panel.h"
#include "app/support/views_show_shadow.h"
#include "support/board_faults.h"
#include "wave_fixture.h"

namespace {

constexpr int CounterSource = 0x02, Control = 0x0D, Dgrp = 0x0E, Page = 0x7F, Trim = 0x2B, Clock = 0x3E;

class WriteFaults : public WaveTest {
protected:
  void SetUp() override {
    WaveTest::SetUp();
    StartWave();
    SetVddax(3);
    Connect();
    Click("WaveGen");  // the firmware name enables the trim and the scan
  }

  // The board plugged and answering again, and the program connected to it.
  void Reconnect() {
    sim.board.ClearFaults();
    if (prog->G.Channels[0].Devc.Opened != 1) Click("USBScan");
    ASSERT_EQ(prog->G.Channels[0].Devc.Opened, 1);
  }
  // The chip made equal to the shadow, the logs cleared, and the k-th command from now
  // losing its reply as `fault` says.
  void Arm(int k, BoardFault fault) {
    ChipFromShadow(sim.board.chip, prog->G.Channels[0].RegShadow);
    sim.board.ClearLog();
    sim.dialogs.messages.clear();
    refreshed.clear();
    FaultReplyOf(sim.board, k, fault);
  }
  std::vector<std::string> ShadowVsChip() const {
    return ShadowAgainstChip(prog->G.Channels[0].RegShadow, sim.board.chip);
  }
  QString StatusText() const { return prog->MainPanel->StatusBar1->Text(0); }

  void ExpectViewsShowTheShadow(std::initializer_list<int> addresses) const {
    ::ExpectViewsShowTheShadow(*prog, addresses);
  }
  uint8_t Shadow(int a) const { return prog->Mx_UP->GetReg(a, 0); }

  QPushButton* Vod() const { return GenControl<QPushButton>("VodCorrection"); }
  QPushButton* ScanButton() const { return GenControl<QPushButton>("btnScan"); }
  QString ClockLabel() const { return GenControl<QLabel>("Label7")->text(); }
};

// ---- Oscillator trim and counter scan -------------------------------------------------

class TrimFaults : public WriteFaults {
protected:
  // Counter source 01b, 8 MHz, trim code 40h, in the shadow and on the chip.
  void Start() {
    SetRegister(CounterSource, 0x13);
    SetRegister(Clock, 0x40);
    SetRegister(Trim, 0x40);
    prog->Mx_UP->RunRefreshChain();
  }
  // A trim whose k-th exchange loses its reply: it ends there, a write that went out is
  // in the shadow as in the chip and the views show it, and the user is told.
  void TrimLosing(int k, BoardFault fault) {
    Reconnect();
    Start();
    Arm(k, fault);
    Vod()->click();
    EXPECT_EQ(Sent().size(), static_cast<size_t>(k));
    EXPECT_EQ(ShadowVsChip(), std::vector<std::string>{});
    EXPECT_EQ(Messages(), QStringList{kTrimLinkFail});
    EXPECT_EQ(StatusText(), "USB not Connect !!!");
    ExpectViewsShowTheShadow({CounterSource, Clock, Trim});
  }
};

// The trim of the converging case, its reply lost at each of its exchanges: register 2
// written and read back (1, 2), 62 (3, 4), 43 := 40h (5, 6), the estimate's count (7),
// 43 (8, 9), a count (10), 43 (11, 12), a count (13), 43 (14, 15), the last count (16),
// register 2 put back (17, 18), 62's end bit (19, 20). The clock label keeps the last
// result.
TEST_F(TrimFaults, LosingAnyReplyKeepsTheShadowAsTheChipAndSaysSo) {
  const double error = sim.board.oscillatorError;
  sim.board.oscillatorError = -0.03;
  Start();
  Vod()->click();
  const QString previous = ClockLabel();
  ASSERT_NE(previous, "CLK=");

  sim.board.oscillatorError = error;
  Start();
  sim.board.ClearLog();
  Vod()->click();
  ASSERT_TRUE(Messages().isEmpty());
  ASSERT_EQ(Sent().size(), 20u);
  ASSERT_NE(ClockLabel(), previous);
  GenControl<QLabel>("Label7")->setText(previous);

  for (int k = 1; k <= 20; ++k)
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << "exchange " << k << ", " << FaultName(fault));
      TrimLosing(k, fault);
      EXPECT_EQ(ClockLabel(), previous);
      // Register 2 stays switched to the counter once its write went out; 62 takes the
      // end bit only when its write did.
      EXPECT_EQ(Shadow(CounterSource), k <= 16 ? 0x23 : 0x13);
      EXPECT_EQ(Shadow(Clock), k <= 2 ? 0x40 : k <= 18 ? 0xC0 : 0xC1);
      EXPECT_EQ(GenControl<QComboBox>("CLK_ComboBox")->currentText(), "8MHz");
    }
}

// A trim whose code would leave its range ends with register 62's end bit (exchanges 11,
// 12) and register 2 put back (13, 14), after the count of exchange 10. With a reply lost
// there the trim did not end as it says it did: the user hears of the board, not of the
// range.
TEST_F(TrimFaults, OutOfRangeLosingAClosingReplySaysTheBoardFailed) {
  sim.board.oscillatorError = -0.2;
  Start();
  sim.board.ClearLog();
  Vod()->click();
  ASSERT_EQ(Messages(), QStringList{"Calculation out of range"});
  ASSERT_EQ(Sent().size(), 14u);
  for (int k = 10; k <= 14; ++k)
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << "exchange " << k << ", " << FaultName(fault));
      TrimLosing(k, fault);
      EXPECT_EQ(Shadow(Clock), k <= 10 ? 0xC0 : 0xC1);
      EXPECT_EQ(Shadow(CounterSource), k <= 12 ? 0x23 : 0x13);
    }
}

// The scan's start (register 2 written and read back: 1, 2), two ticks (3, 4) and its
// stop (register 2 put back: 5, 6), a reply lost at each: the scan still starts and
// stops by its button, register 2 holds in the shadow what the chip holds, a count
// that did not come leaves the label, and the status panel tells the link is gone.
TEST_F(WriteFaults, CounterScanLosingAReplyStillStopsWithTheShadowAsTheChip) {
  for (int k = 1; k <= 6; ++k)
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << "exchange " << k << ", " << FaultName(fault));
      Reconnect();
      SetRegister(CounterSource, 0x13);
      prog->Mx_UP->RunRefreshChain();
      GenControl<QLabel>("Label7")->setText("CLK=");
      Arm(k, fault);
      ScanButton()->click();
      EXPECT_EQ(ScanButton()->text(), "Stop");
      EXPECT_TRUE(gen->ScanTime->isActive());
      gen->ScanTimeTimer();
      gen->ScanTimeTimer();
      // A count arrives only from a tick before the lost reply.
      EXPECT_EQ(ClockLabel() != "CLK=", k >= 4);
      ScanButton()->click();
      EXPECT_EQ(ScanButton()->text(), "Scan");
      EXPECT_FALSE(gen->ScanTime->isActive());
      EXPECT_TRUE(Vod()->isEnabled());
      EXPECT_EQ(Sent().size(), static_cast<size_t>(k));
      EXPECT_EQ(ShadowVsChip(), std::vector<std::string>{});
      EXPECT_EQ(Shadow(CounterSource), k <= 4 ? 0x23 : 0x13);
      EXPECT_EQ(StatusText(), "USB not Connect !!!");
      ExpectViewsShowTheShadow({CounterSource});
    }
}

// ---- The wave viewer's "Load RAM" -------------------------------------------------------

// Exchanges: the generator stopped (1), page 0 (2), page 0's 128 bytes (3..130), page 1
// (131), its bytes (132..259), page 0 again (260), the run bits (261). A lost reply
// anywhere ends the load there: the message, the viewer not shown as loaded, and the
// memory and register views showing what the chip holds.
TEST_F(WriteFaults, LoadRamLosingAReplyStopsThereAndShowsWhatTheChipHolds) {
  WaveTable words;
  for (int k = 0; k < WaveTableSize; ++k) words[k] = static_cast<uint16_t>(0x0101 * k + 0x2010);
  WriteFile("wave.ram", RamArrayText(words));
  for (int k : {1, 2, 3, 130, 131, 132, 259, 260, 261})
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << "exchange " << k << ", " << FaultName(fault));
      Reconnect();
      SetRegister(Control, 0x0D);
      SetRegister(Page, 0x00);
      for (int a = 0x80; a < 0x100; ++a) SetRegister(a, 0x00);
      for (int a = 0x180; a < 0x200; ++a) SetRegister(a, 0x00);
      prog->Mx_UP->RunRefreshChain();
      Arm(k, fault);
      sim.dialogs.openAnswers << Path("wave.ram");
      Click("LoadRAM");
      EXPECT_EQ(Sent().size(), static_cast<size_t>(k));
      EXPECT_EQ(ShadowVsChip(), std::vector<std::string>{});
      EXPECT_EQ(Messages(), QStringList{kWaveRamWriteFail});
      EXPECT_EQ(StatusText(), "USB not Connect !!!");
      EXPECT_FALSE(viewer->Shown());
      // The bytes before the lost reply are in; word 0's high byte is the third write.
      EXPECT_EQ(Shadow(0x80), k >= 3 ? 0x20 : 0x00);
      EXPECT_EQ(Shadow(Page), k >= 131 && k < 260 ? 0x01 : 0x00);
      EXPECT_EQ(Shadow(Control), k == 261 ? 0x1D : 0x0C);
      ExpectViewsShowTheShadow({Control, Page, 0x80, 0xFF});
    }
}

// ---- Register writes of single controls ---------------------------------------------------

struct ControlCase {
  const char* what;
  int address;
  uint8_t before, after;  // the register before the change and once its write went out
  std::function<void()> change;
  std::function<bool()> shown;  // the control shows `after`
};

// A change writes one register and reads it back (exchanges 1 and 2). With either
// reply lost the write went out: the shadow and every window take the value, as the
// chip did, and the status panel tells the link is gone (a control has no message of
// its own).
class ControlFaults : public WriteFaults {
protected:
  QAbstractButton* Button(QObject* panel, const char* name) const { return Find<QAbstractButton>(panel, name); }
  static void Pick(QComboBox* c, const QString& text) {
    const int i = c->findText(text);
    ASSERT_GE(i, 0) << text.toStdString();
    Choose(c, i);
  }
  // `settle` puts the registers the controls share back before each case.
  void Run(const std::vector<ControlCase>& cases, const std::function<void()>& settle = {}) {
    for (const ControlCase& c : cases)
      for (int k : {1, 2})
        for (BoardFault fault : AllReplyFaults) {
          SCOPED_TRACE(testing::Message() << c.what << ", exchange " << k << ", " << FaultName(fault));
          Reconnect();
          if (settle) settle();
          SetRegister(c.address, c.before);
          prog->Mx_UP->RunRefreshChain();
          ASSERT_FALSE(c.shown());
          Arm(k, fault);
          c.change();
          EXPECT_EQ(Sent().size(), static_cast<size_t>(k));
          EXPECT_EQ(Shadow(c.address), c.after);
          EXPECT_EQ(ShadowVsChip(), std::vector<std::string>{});
          EXPECT_EQ(StatusText(), "USB not Connect !!!");
          EXPECT_TRUE(c.shown());
          ExpectViewsShowTheShadow({c.address});
        }
  }
};

TEST_F(ControlFaults, PanelClicksWhoseReplyIsLostShowWhatTheChipHolds) {
  QObject* adc = prog->ADCForm;
  QObject* dac = prog->DACForm;
  QObject* op = prog->OPForm;
  auto hidden = [this](QObject* panel, const char* name) { return Button(panel, name)->isHidden(); };
  const std::vector<ControlCase> cases = {
      {"ENADC toggle", 0x0C, 0x08, 0x88, [=, this] { Button(adc, "PENAD1")->click(); },
       [=, this] { return LookOf(Button(adc, "PENAD1")) == Look::ToggleOn; }},
      {"IN1P glyph", 0x13, 0x0A, 0x5A, [=, this] { Button(adc, "IN1P0101off")->click(); },
       [=, this] { return !hidden(adc, "IN1P0101on") && Find<QComboBox>(adc, "TXIN1P")->currentIndex() == 5; }},
      {"OSR1 combo", 0x11, 0x50, 0x53, [=, this] { Choose(Find<QComboBox>(adc, "TXOSR1"), 3); },
       [=, this] { return Find<QLabel>(adc, "TXOSR1S")->text() == "ADC_CK / 250"; }},
      {"INX combo", 0x12, 0x60, 0x70, [=, this] { Choose(Find<QComboBox>(adc, "TXINX"), 2); },
       [=, this] { return Find<QComboBox>(adc, "TXINX")->currentIndex() == 2; }},
      {"DAPS glyph", 0x15, 0xE9, 0xE5, [=, this] { Button(dac, "btnDapsOff1")->click(); },
       [=, this] { return !hidden(dac, "btnDapsOn1") && Find<QComboBox>(dac, "cmbDaps")->currentText() == "01"; }},
      {"ENOP1 toggle", 0x24, 0x00, 0x01, [=, this] { Button(op, "pnlEnop1")->click(); },
       [=, this] { return LookOf(Button(op, "pnlEnop1")) == Look::ToggleOn; }},
  };
  Run(cases);
}

// The generator's clock, divider and DGRP choices (8 MHz, divided by 64, DGRP 127
// before): the controls follow the register once its write went out.
TEST_F(ControlFaults, GeneratorChoicesWhoseReplyIsLostShowWhatTheChipHolds) {
  auto edit = [this](const char* name) { return GenControl<QLineEdit>(name); };
  auto settled = [this] {
    SetRegister(Clock, 0x40);
    SetRegister(Control, 0x0C);
    SetRegister(Dgrp, 0x7F);
  };
  const std::vector<ControlCase> cases = {
      {"clock", Clock, 0x40, 0x00, [this] { Pick(GenControl<QComboBox>("CLK_ComboBox"), "2MHz"); },
       [=, this] {
         return GenControl<QComboBox>("CLK_ComboBox")->currentText() == "2MHz" &&
                edit("edtActualClk")->text() == "2000000";
       }},
      {"divider", Control, 0x0C, 0x06, [this] { Choose(GenControl<QComboBox>("CLKD_ComboBox"), 3); },
       [=, this] {
         return GenControl<QComboBox>("CLKD_ComboBox")->currentIndex() == 3 &&
                edit("T_FREQ")->text() == QString::number(8000000 / (128 * 8));
       }},
      {"DGRP", Dgrp, 0x7F, 0x09, [=] { Type(edit("T_DGRP"), "9"); },
       [=] { return edit("T_DGRP")->text() == "9" && edit("T_FREQ")->text() == QString::number(8000000 / (10 * 64)); }},
      // 8 MHz / 64 / 2500 Hz = 50 = DGRP + 1.
      {"frequency", Dgrp, 0x7F, 0x31, [=] { Type(edit("T_FREQ"), "2500"); },
       [=] { return edit("T_DGRP")->text() == "49" && edit("T_FREQ")->text() == "2500"; }},
  };
  Run(cases, settled);
}

}  // namespace
