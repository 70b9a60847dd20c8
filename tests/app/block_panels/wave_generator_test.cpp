// The waveform generator window on the simulated board: the refresh from the
// registers, the frequency and DGRP edits, the checks, the combos and "Generator".
#include <gtest/gtest.h>

#include <QApplication>
#include <cmath>
#include <functional>
#include <vector>

#include "common/errors.h"
#include "impedance/bodyfat_test_window.h"
#include "impedance/iq_test_window.h"
#include "wave_fixture.h"

namespace {

class WaveGenerator : public WaveTest {
protected:
  void SetUp() override {
    WaveTest::SetUp();
    StartWave();
    // Registers that agree with the window's initial state, so the connect's refresh
    // keeps 8 MHz, divider 64, DGRP 127 and 3300 mV.
    SetRegister(62, 0x40);
    SetRegister(13, 0x0C);
    SetRegister(14, 0x7F);
    SetVddax(3);
  }
  QLineEdit* Edit(const char* name) { return GenControl<QLineEdit>(name); }
  // The frequency field of another window, given one when that window has none yet.
  QLineEdit* FrequencyField(QWidget* window, const char* name) {
    if (auto* e = window->findChild<QLineEdit*>(name)) return e;
    auto* e = new QLineEdit(window);
    e->setObjectName(name);
    return e;
  }
};

TEST_F(WaveGenerator, StartsWithItsDefaults) {
  EXPECT_EQ(gen->windowTitle(), "Waveform Generator");
  EXPECT_EQ(GenControl<QComboBox>("CLK_ComboBox")->currentText(), "8MHz");
  QComboBox* div = GenControl<QComboBox>("CLKD_ComboBox");
  ASSERT_EQ(div->count(), 8);
  EXPECT_EQ(div->itemText(0), "Disable (divided by 1)");
  EXPECT_EQ(div->itemText(7), "CLK divided by 128\t");
  EXPECT_EQ(div->currentIndex(), 6);
  EXPECT_EQ(Edit("T_FREQ")->text(), "976");  // 8000000 div (128 x 64)
  EXPECT_EQ(GenControl<QLabel>("lblDacOffset")->text(), "(1650 mV)");
  EXPECT_EQ(GenControl<QLabel>("ActualCLKRange")->text(), "Range=");
  EXPECT_EQ(gen->chartWaveform->Title(), "Waveform Data");
  EXPECT_EQ(gen->chartWaveform->PointCount(), 128);
  EXPECT_DOUBLE_EQ(gen->chartWaveform->PointY(0), 2048);
  EXPECT_EQ(gen->S.WaveSamples[0], 32768);
  EXPECT_EQ(gen->chartWaveform->LeftAxisLabel(0), "0");
  EXPECT_FALSE(GenControl<QPushButton>("VodCorrection")->isEnabled());
  EXPECT_FALSE(GenControl<QPushButton>("btnScan")->isEnabled());
  EXPECT_FALSE(GenControl<QComboBox>("DACbits_ComboBox")->isVisibleTo(gen));
  struct Limit {
    const char* name;
    int max;
  };
  for (Limit l : {Limit{"T_DGRP", 3}, Limit{"edtDacOffset", 4}, Limit{"T_FREQ", 8}, Limit{"edtActualClk", 8},
                  Limit{"edtDacSource", 5}, Limit{"DAC_Vpp", 4}})
    EXPECT_EQ(Edit(l.name)->maxLength(), l.max) << l.name;
}

TEST_F(WaveGenerator, RefreshFollowsTheRegisters) {
  struct Case {
    uint8_t r62, r13, r14;
    const char* clock;
    int actualClk, divider, dgrp;
    const char* range;
  };
  for (Case c : {Case{0x20, 0x06, 0x09, "4MHz", 4000000, 3, 9, "Range=3800000~4200000"},
                 Case{0x60, 0x0E, 0x00, "8MHz", 8000000, 7, 1, "Range=7600000~8400000"},  // 11b reads as 8 MHz
                 Case{0x00, 0x00, 0x80, "2MHz", 2000000, 0, 1, "Range=1900000~2100000"}}) {
    Up().SetRegShadow(62, c.r62, 0);
    Up().SetRegShadow(13, c.r13, 0);
    Up().SetRegShadow(14, c.r14, 0);
    gen->DataUpdate();
    EXPECT_EQ(GenControl<QComboBox>("CLK_ComboBox")->currentText(), c.clock);
    EXPECT_EQ(gen->S.ActualClk, c.actualClk);
    EXPECT_EQ(Edit("edtActualClk")->text(), QString::number(c.actualClk));
    EXPECT_EQ(GenControl<QComboBox>("CLKD_ComboBox")->currentIndex(), c.divider);
    EXPECT_EQ(gen->S.Dgrp, c.dgrp);
    EXPECT_EQ(Edit("T_DGRP")->text(), QString::number(c.dgrp));
    EXPECT_EQ(GenControl<QLabel>("ActualCLKRange")->text(), c.range);
    EXPECT_EQ(Edit("T_FREQ")->text(), QString::number(WaveFrequency(c.actualClk, c.dgrp, c.divider)));
  }
  // A typed clock survives refreshes while the selection stays.
  Leave(Edit("edtActualClk"), "1950000");
  gen->DataUpdate();
  EXPECT_EQ(gen->S.ActualClk, 1950000);
  EXPECT_EQ(Edit("edtActualClk")->text(), "1950000");
}

TEST_F(WaveGenerator, SourceVoltageComesFromTheAdcSupplyCode) {
  SetVddax(7);
  gen->DataUpdate();
  EXPECT_EQ(Edit("edtDacSource")->text(), "5000");
  EXPECT_EQ(gen->S.DacSourceMv, 5000);
  EXPECT_EQ(GenControl<QLabel>("lblDacOffset")->text(), "(2501 mV)");  // 2048 x 5000 / 4095 = 2500.6
  EXPECT_NEAR(gen->S.VppCode, 200 * 4095 / 5000.0, 1e-9);
}

TEST_F(WaveGenerator, TypedFrequencySetsDgrpAndEveryFrequencyField) {
  Connect();
  QLineEdit* iq = FrequencyField(prog->IQForm, "T_Freq");
  QLineEdit* fat = FrequencyField(prog->bodyFatForm, "edtFreq");
  SetRegister(14, 0xFF);  // DGRP 127, bit 7 set
  SetRegister(13, 0x0C);
  SetRegister(62, 0x40);
  gen->DataUpdate();
  Type(Edit("T_FREQ"), "1000");
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x0E, 0xFC}}));  // 124, bit 7 kept
  EXPECT_EQ(gen->S.Dgrp, 124);
  EXPECT_EQ(Edit("T_DGRP")->text(), "124");
  EXPECT_EQ(Edit("T_FREQ")->text(), "1000");  // 8000000 div (125 x 64)
  EXPECT_EQ(iq->text(), "1000");
  EXPECT_EQ(fat->text(), "1000");

  // 100 kHz asks for DGRP 0, which is clamped to 1.
  sim.board.ClearLog();
  Leave(Edit("T_FREQ"), "100000");
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x0E, 0x81}}));
  EXPECT_EQ(Edit("T_FREQ")->text(), "62500");
  EXPECT_EQ(iq->text(), "62500");

  // A frequency of 0 raises the division error and writes nothing.
  sim.board.ClearLog();
  Edit("T_FREQ")->setText("0");
  EXPECT_THROW(gen->SetFrequency(), EMathError);
  EXPECT_TRUE(Sent().empty());
}

TEST_F(WaveGenerator, ChecksRefuseValuesOutOfRange) {
  Connect();
  struct Case {
    const char* edit;
    const char* typed;
    const char* message;  // nullptr: accepted
    const char* shown;    // the edit's text afterwards
  };
  for (Case c : {Case{"edtDacOffset", "4093", "DAC offset code Out Range", "2048"},
                 Case{"edtDacOffset", "3", nullptr, "3"}, Case{"edtDacOffset", "4092", nullptr, "4092"},
                 Case{"edtActualClk", "0", "Actual CLK Out Range", "8000000"},
                 Case{"edtActualClk", "07999000", nullptr, "7999000"},  // shown in canonical form
                 Case{"edtDacSource", "0", "DAC source voltage Out Range", "3300"},
                 Case{"DAC_Vpp", "5000", "DacVpp Out Range", "3300"},  // the source, not the old amplitude
                 Case{"DAC_Vpp", "1", "DacVpp Out Range", "3300"}, Case{"DAC_Vpp", "300", nullptr, "300"},
                 Case{"T_DGRP", "128", "DGRP Out Range", "127"}, Case{"T_DGRP", "0", "DGRP Out Range", "127"}}) {
    sim.dialogs.messages.clear();
    Type(Edit(c.edit), c.typed);
    EXPECT_EQ(Messages(), c.message ? QStringList{c.message} : QStringList{}) << c.edit << " " << c.typed;
    EXPECT_EQ(Edit(c.edit)->text(), c.shown) << c.edit << " " << c.typed;
  }
  EXPECT_EQ(gen->S.DacOffset, 4092);
  EXPECT_EQ(gen->S.ActualClk, 7999000);
  EXPECT_TRUE(Writes().empty());  // no refused DGRP went out
  // A DGRP in range is written, bit 7 kept.
  SetRegister(14, 0x80 | 127);
  Type(Edit("T_DGRP"), "9");
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x0E, 0x89}}));
  EXPECT_EQ(gen->S.Dgrp, 9);
  // An empty edit is a conversion error, shown by the application.
  Edit("edtDacOffset")->setText("");
  EXPECT_THROW(gen->CheckDacOffset(), EConvertError);
}

TEST_F(WaveGenerator, KeyFilterTakesDigitsOnly) {
  QLineEdit* e = Edit("T_DGRP");
  e->setText("12");
  e->setCursorPosition(2);
  for (auto [key, text] : {std::pair{Qt::Key_A, "a"}, std::pair{Qt::Key_Minus, "-"}, std::pair{Qt::Key_3, "3"}}) {
    QKeyEvent k(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(e, &k);
  }
  EXPECT_EQ(e->text(), "123");
  QKeyEvent back(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, "\b");
  QCoreApplication::sendEvent(e, &back);
  EXPECT_EQ(e->text(), "12");
  // Tab still moves the focus on (and leaving the edit runs its check).
  gen->show();
  QApplication::setActiveWindow(gen);
  e->setFocus();
  ASSERT_TRUE(e->hasFocus());
  QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, "\t");
  QCoreApplication::sendEvent(e, &tab);
  EXPECT_FALSE(e->hasFocus());
  // Closing the program with the focus in an edit runs no check on windows being destroyed.
  StopProgram();
}

TEST_F(WaveGenerator, CombosWriteTheClockAndTheDivider) {
  Connect();
  SetRegister(62, 0xC1);
  SetRegister(13, 0x1D);
  gen->DataUpdate();
  Choose(GenControl<QComboBox>("CLK_ComboBox"), 2);  // already the selection: nothing
  EXPECT_TRUE(Writes().empty());
  Choose(GenControl<QComboBox>("CLK_ComboBox"), 0);
  Choose(GenControl<QComboBox>("CLKD_ComboBox"), 3);
  EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x3E, 0x81}, {0x0D, 0x17}}));
  // The refresh chain brought the new state back.
  EXPECT_EQ(gen->S.ClkIndex, 0);
  EXPECT_EQ(gen->S.ActualClk, 2000000);
  EXPECT_EQ(gen->S.ClkdIndex, 3);
  EXPECT_EQ(Edit("T_FREQ")->text(), QString::number(2000000 / (128 * 8)));
}

TEST_F(WaveGenerator, SquareSwitchAndGeneratorLoadTheChosenWave) {
  Connect();
  SetRegister(13, 0x0D);
  QPushButton* sw = GenControl<QPushButton>("btnWaveformSwitch");
  EXPECT_EQ(sw->text(), "Sine Wave");
  sw->click();
  EXPECT_EQ(sw->text(), "Square Wave");
  Type(Edit("T_DGRP"), "9");  // written, read back, and the refresh recomputes
  ASSERT_EQ(gen->S.Dgrp, 9);
  EXPECT_DOUBLE_EQ(gen->chartWaveform->PointY(4), 2172);
  EXPECT_DOUBLE_EQ(gen->chartWaveform->PointY(5), 1924);
  sim.board.ClearLog();
  refreshed.clear();
  GenControl<QPushButton>("Button1")->click();
  EXPECT_EQ(gen->S.Type, WaveType::Square);
  ASSERT_EQ(Sent().size(), 261u);
  for (int k = 0; k < 10; ++k) {
    const int code = (k % 10) < 5 ? 2172 : 1924;
    EXPECT_EQ(sim.board.chip.Peek(0x80 + 2 * k) * 256 + sim.board.chip.Peek(0x81 + 2 * k), code * 16) << k;
  }
  EXPECT_TRUE(IsPut(Sent().back(), 0x0D, 0x1D));
  EXPECT_EQ(refreshed, (std::vector<RefreshView>{RefreshView::MemoryView, RefreshView::RegisterView}));
  sw->click();
  EXPECT_EQ(sw->text(), "Sine Wave");
  EXPECT_EQ(gen->S.Type, WaveType::Sine);
}

TEST_F(WaveGenerator, GeneratorLoadsTheExactSineAtDgrpOneAndNine) {
  Connect();
  Type(Edit("DAC_Vpp"), "1000");
  const double half = 1000.0 * 4095 / 3300 / 2;  // half the peak-to-peak in codes
  const double s36 = std::sqrt(10 - 2 * std::sqrt(5.0)) / 4, s72 = std::sqrt(10 + 2 * std::sqrt(5.0)) / 4;
  const std::pair<const char*, std::vector<double>> cases[] = {
      {"1", {0, 0}},  // both samples of the period at a crossing: 2048, 8000h
      {"9", {0, s36, s72, s72, s36, 0, -s36, -s72, -s72, -s36}},
  };
  for (const auto& [dgrp, sines] : cases) {
    SCOPED_TRACE(dgrp);
    Type(Edit("T_DGRP"), dgrp);
    ASSERT_EQ(gen->S.Dgrp, QString(dgrp).toInt());
    GenControl<QPushButton>("Button1")->click();
    for (int k = 0; k < WaveTableSize; ++k) {
      const int at = k < 64 ? 0x80 + 2 * k : 0x180 + 2 * (k - 64);
      const int word = sim.board.chip.Peek(at) * 256 + sim.board.chip.Peek(at + 1);
      const int code = static_cast<int>(std::trunc(sines[k % sines.size()] * half + 2048));
      EXPECT_EQ(word, code * 16) << k;
    }
  }
}

TEST_F(WaveGenerator, AClockDividerOrDgrpWriteThatFailsShowsWhatTheChipHolds) {
  struct Case {
    const char* name;
    std::function<void()> change;
  };
  const Case cases[] = {
      {"clock", [this] { Choose(GenControl<QComboBox>("CLK_ComboBox"), 0); }},
      {"divider", [this] { Choose(GenControl<QComboBox>("CLKD_ComboBox"), 3); }},
      {"DGRP", [this] { Type(Edit("T_DGRP"), "9"); }},
      {"frequency", [this] { Type(Edit("T_FREQ"), "1000"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Connect();
    SetRegister(62, 0x40);
    SetRegister(13, 0x0C);
    SetRegister(14, 0x7F);
    gen->DataUpdate();
    sim.board.Arm(BoardFault::FailedTransfer);  // the write's packet
    c.change();
    EXPECT_FALSE(prog->G.Channels[0].Devc.Opened);
    // The chip and the shadow still hold 8 MHz, divider 64, DGRP 127; so do the controls.
    EXPECT_EQ(sim.board.chip.Peek(62), 0x40);
    EXPECT_EQ(sim.board.chip.Peek(13), 0x0C);
    EXPECT_EQ(sim.board.chip.Peek(14), 0x7F);
    EXPECT_EQ(GenControl<QComboBox>("CLK_ComboBox")->currentText(), "8MHz");
    EXPECT_EQ(GenControl<QComboBox>("CLKD_ComboBox")->currentIndex(), 6);
    EXPECT_EQ(Edit("T_DGRP")->text(), "127");
    EXPECT_EQ(Edit("T_FREQ")->text(), QString::number(8000000 / (128 * 64)));
    EXPECT_EQ(GenControl<QLineEdit>("edtActualClk")->text(), "8000000");
  }
}

TEST_F(WaveGenerator, UnitsSwitchShowsMillivolts) {
  QPushButton* units = GenControl<QPushButton>("btnChangeUint");
  units->click();
  EXPECT_EQ(units->text(), "Show Core");
  EXPECT_EQ(gen->chartWaveform->Format(), AxisFormat::Millivolts);
  EXPECT_NEAR(gen->chartWaveform->PointY(0), 2048 * 3300 / 4095.0, 1e-9);
  units->click();
  EXPECT_EQ(units->text(), "Show Voltage");
  EXPECT_EQ(gen->chartWaveform->Format(), AxisFormat::CodesBlank);
  EXPECT_DOUBLE_EQ(gen->chartWaveform->PointY(0), 2048);
}

TEST_F(WaveGenerator, RefreshChainSurvivesAnEmptiedAmplitude) {
  Connect();
  GenControl<QLineEdit>("DAC_Vpp")->setText("");
  SetRegister(14, 0x05);
  Up().WriteReg(14, 0x09, 0);  // the chain runs through the generator to the viewer
  EXPECT_EQ(gen->S.Dgrp, 9);
  EXPECT_EQ(viewer->LastPoint, 9);
  EXPECT_THROW(gen->CalcWaveform(), EConvertError);  // the user's own actions still report it
}

}  // namespace
