// The ADC panel: its caption and read-out texts, and the panel itself on a program with
// the simulated board and the shipped chip definition: clicks and combo choices write
// their fields through the register API, and every control follows the shadow.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <map>

#include "block_panels/adc_captions.h"
#include "block_panels/adc_panel.h"
#include "block_panels/adc_spots.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "shell/setup_dialog.h"
#include "app/support/program_fixture.h"

namespace {

// ---- Caption tables and read-out formats --------------------------------------------

TEST(AdcCaptions, TablesByValue) {
  struct Case {
    QString (*caption)(int);
    int value;
    const char* text;
  };
  const Case cases[] = {
      {OffsetCaption, 0, "S + 0"},          {OffsetCaption, 1, "S + VRE*1/8"},
      {OffsetCaption, 7, "S + VRE*7/8"},    {OffsetCaption, 8, "S + 0"},
      {OffsetCaption, 9, "S - VRE*1/8"},    {OffsetCaption, 15, "S - VRE*7/8"},
      {OffsetCaption, 16, "S + 0"},         {OversamplingCaption, 0, "ADC_CK / 32"},
      {OversamplingCaption, 2, "ADC_CK / 125"}, {OversamplingCaption, 10, "ADC_CK / 32000"},
      {OversamplingCaption, 11, "ADC_CK / 64000"}, {OversamplingCaption, 15, "ADC_CK / 64000"},
      {ReferenceGainCaption, 1, "VREGN = x 1/2"}, {ReferenceGainCaption, 0, "VREGN = x 1"},
      {ReferenceGainCaption, 2, "VREGN = x 1"}, {LdoCaption, 0, "LDOM=HighImpedance"},
      {LdoCaption, 2, "LDOM=VDD(<1.5mA)"}, {LdoCaption, 3, "LDOM=VSS"},
      {LdoCaption, 4, "LDOM=HighImpedance"}, {IrqModeCaption, 1, "IRQ MODE=Low Level Mode"},
      {IrqModeCaption, 3, "IRQ MODE=Reserved"}, {IrqModeCaption, 9, "IRQ MODE=Disable"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.caption(c.value), c.text) << c.text << " for " << c.value;

  QString captions[CaptionCount] = {"X1/4", "X1/2", "X1", "X2", "X4", "X8", "X16", "X16"};
  EXPECT_EQ(GainCaption(captions, 3), "ADGN = X2");
  EXPECT_EQ(GainCaption(captions, 8), "ADGN = X1/4");
  EXPECT_EQ(SupplyCaption(captions, 7), "VDDAX=X16 V");
  EXPECT_EQ(SupplyCaption(captions, 200), "VDDAX=X1/4 V");
}

TEST(AdcCaptions, ClockFromPrescalerAndOscillator) {
  struct Case {
    int dadc, haosel, haom;
    const char* text;
  };
  const Case cases[] = {
      {1, 0, 2, "8.5 MHz ÷8"}, {0, 0, 0, "1.95MHz ÷4"}, {2, 1, 1, "3.2 MHz ÷2"}, {0, 1, 0, "1.6 MHz ÷4"},
      {1, 0, 3, "Reserved"},   {3, 0, 0, "Reserved"},   {5, 2, 9, "1.95MHz ÷4"},  // out of range as 0
  };
  for (const Case& c : cases)
    EXPECT_EQ(ClockCaption(c.dadc, c.haosel, c.haom), QString::fromUtf8(c.text)) << c.dadc << c.haosel << c.haom;
}

TEST(AdcReadOut, ResultsAndFormats) {
  EXPECT_EQ(AdcResult(0x7F, 0xFF, 0xFF), 0x7FFFFF);
  EXPECT_EQ(AdcResult(0x80, 0x00, 0x00), -8388608);
  EXPECT_EQ(AdcResult(0xFF, 0xFF, 0xFF), -1);
  EXPECT_EQ(IqText(IqResult(0x80, 0x00, 0x00)), "FFC00000");
  EXPECT_EQ(IqText(IqResult(0x7F, 0xFF, 0xFF)), "3FFFFF");
  EXPECT_EQ(IqText(IqResult(0x00, 0x00, 0x03)), "1");

  struct Case {
    int32_t value;
    int mode, bits;
    const char* text;
  };
  const Case cases[] = {
      {0x7FFFFF, OutHex, 14, "1FFFFF"}, {-8388608, OutHex, 14, "E00000"}, {-2097152 * 4, OutHex, 14, "E00000"},
      {-1, OutHex, 15, "0"},            {-3, OutDec, 15, "-1"},             {0x123456, OutDec, 0, "18"},
      {-2, OutHex, 16, "FFFFFE"},       {0x123456, OutHex, 16, "123456"},   {0x1234, OutHex, 15, "91A"},
  };
  for (const Case& c : cases) {
    std::optional<QString> t = AdcText(c.value, c.mode, c.bits);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(*t, c.text) << c.value << " mode " << c.mode << " bits " << c.bits;
  }
  EXPECT_FALSE(AdcText(5, 2, 14).has_value());  // neither format: the label keeps its text
}

// ---- The panel on the program -------------------------------------------------------

// Register addresses of the shipped definition.
constexpr int ADCON0 = 0x0C, ADCON1 = 0x10, ADCON2 = 0x11, ADCMUX0 = 0x13, ADCMUX1 = 0x14, CLKCON = 0x02;

void Choose(QComboBox* combo, int index) {
  combo->setCurrentIndex(index);
  emit combo->activated(index);
}

class AdcPanel : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(QFile::exists(Path("Include/MX7406.INC")));
  }
  // Starts the program and connects the board ("USB Scan" parses the definition again).
  void Connect() {
    StartProgram();
    Click("USBScan");
    ASSERT_TRUE(prog->G.Channels[0].Devc.Opened);
    sim.board.ClearLog();
  }
  // Rewrites one line of the shipped definition before the program reads it.
  void EditDefinition(const QByteArray& line, const QByteArray& replacement) {
    QByteArray text = ReadFile("Include/MX7406.INC");
    ASSERT_TRUE(text.contains(line)) << line.toStdString();
    WriteFile("Include/MX7406.INC", text.replace(line, replacement));
  }
  TADCForm* Adc() const { return prog->ADCForm; }
  template <typename T = QWidget>
  T* Control(const QString& name) const {
    return Find<T>(prog->ADCForm, name);
  }
  uint8_t Shadow(int address) const { return prog->Mx_UP->GetReg(address, 0); }
  // A register of the chip changed and read back into the shadow, as any window does.
  void ChipHolds(int address, uint8_t value) {
    sim.board.chip.Poke(address, value);
    prog->Mx_UP->UpdateReg(address, value, 0);
  }
  bool Closed(const QString& glyph) const { return Control(glyph + "on")->isVisibleTo(Adc()); }
};

TEST_F(AdcPanel, CaptionBeforeAndAfterConnect) {
  StartProgram();
  EXPECT_EQ(Adc()->windowTitle(), "ADC");
  Click("USBScan");
  EXPECT_TRUE(Adc()->windowTitle().startsWith("ADC - MX7406")) << Adc()->windowTitle().toStdString();
}

// The road of one request: ENADC on, the register written and read back, the shadow
// holding what came back and every register-driven window refreshed once, in the
// refresh chain's order.
TEST_F(AdcPanel, EnableClickWritesReadsBackAndRefreshesOnce) {
  Connect();
  ChipHolds(ADCON0, 0x08);  // INIS set, ENADC clear
  sim.board.ClearLog();
  std::vector<RefreshView> runs;
  WatchRefreshes([&runs](RefreshView v) { runs.push_back(v); });
  auto* enadc = Control<QAbstractButton>("PENAD1");
  ASSERT_TRUE(enadc->isEnabled());
  enadc->click();

  auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  ASSERT_EQ(sent[0].size(), 8u);
  EXPECT_EQ(Bytes(sent[0].begin(), sent[0].begin() + 5), (Bytes{0xC4, 0x00, 0xA0, ADCON0, 0x01}));
  EXPECT_EQ(sent[0][7], 0x88);  // ENADC is bit 7; INIS kept
  EXPECT_EQ(sent[1].size(), 6u);
  EXPECT_EQ(Bytes(sent[1].begin(), sent[1].begin() + 5), (Bytes{0xC4, 0x01, 0xA0, ADCON0, 0x01}));
  EXPECT_EQ(Shadow(ADCON0), 0x88);
  using V = RefreshView;
  EXPECT_EQ(runs, (std::vector<V>{V::RegisterView, V::MemoryView, V::AdcPanel, V::OpAmpPanel, V::DacPanel,
                                  V::WaveGenerator, V::WaveViewer, V::BodyfatPanel}));
  WatchRefreshes(nullptr);
  EXPECT_EQ(LookOf(enadc), Look::ToggleOn);

  // The chip does not take bit 7: the shadow holds the value read back and the toggle
  // shows it off again.
  sim.board.chip.SetMask(ADCON0, 0x7F);
  ChipHolds(ADCON0, 0x08);
  enadc->click();
  EXPECT_EQ(Shadow(ADCON0), 0x08);
  EXPECT_EQ(LookOf(enadc), Look::ToggleOffWindow);
  EXPECT_EQ(prog->G.Fields.ENADC.Value, 0);

  // Link closed: nothing is sent, the shadow stays and the panel shows the shadow.
  sim.board.chip.SetMask(ADCON0, 0xFF);
  prog->Transport.CloseDevice(prog->G.Channels[0].Devc);
  sim.board.ClearLog();
  enadc->click();
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Shadow(ADCON0), 0x08);
  EXPECT_EQ(LookOf(enadc), Look::ToggleOffWindow);
  EXPECT_EQ(prog->G.Fields.ENADC.Value, 0);
}

TEST_F(AdcPanel, MultiplexerClickWritesItsCodeAndKeepsTheOtherBits) {
  Connect();
  ChipHolds(ADCMUX0, 0x0A);  // IN1P 0, IN1N 10
  sim.board.ClearLog();
  Control<QAbstractButton>("IN1P0101off")->click();

  auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0][3], ADCMUX0);
  EXPECT_EQ(sent[0][7], 0x5A);
  EXPECT_EQ(Shadow(ADCMUX0), 0x5A);

  auto expectShown = [&](int in1p, int in1n) {
    for (int i = 0; i < 16; ++i) {
      EXPECT_EQ(Closed(AdcGlyphName("IN1P", i, true).chopped(2)), i == in1p) << "IN1P position " << i;
      EXPECT_EQ(LookOf(Control(AdcLabelName("IN1P", i))), i == in1p ? Look::Inverted : Look::Normal) << i;
      EXPECT_EQ(Closed(AdcGlyphName("IN1N", i, true).chopped(2)), i == in1n) << "IN1N position " << i;
    }
    EXPECT_EQ(Control<QComboBox>("TXIN1P")->currentIndex(), in1p);
    EXPECT_EQ(Control<QComboBox>("TXIN1N")->currentIndex(), in1n);
    EXPECT_EQ(Control("TPSHP")->isVisibleTo(Adc()), in1p == 2 || in1p == 3);
    EXPECT_EQ(Control("TPSLN")->isVisibleTo(Adc()), in1n == 2 || in1n == 3);
  };
  expectShown(5, 10);
  EXPECT_EQ(Control<QLabel>("LINP05")->text(), "AI5");

  // A re-parse refills the combos; the panel still shows the shadow, before and after
  // the next refresh.
  ASSERT_TRUE(prog->ChipDef.GetSELUP());
  expectShown(5, 10);
  prog->Mx_UP->RunRefreshChain();
  expectShown(5, 10);

  // A change from elsewhere: the sensor's outputs reach the inputs at positions 2 and 3.
  ChipHolds(ADCMUX0, 0x23);
  expectShown(2, 3);
  EXPECT_FALSE(Control("TPSHN")->isVisibleTo(Adc()));
  ChipHolds(ADCMUX0, 0x5A);
  expectShown(5, 10);

  // The combo writes the position chosen, then the panel refreshes.
  sim.board.ClearLog();
  Choose(Control<QComboBox>("TXIN1N"), 15);
  EXPECT_EQ(Shadow(ADCMUX0), 0x5F);
  expectShown(5, 15);
}

TEST_F(AdcPanel, UnofferedPositionIsDisabledAndReferenceCombosGoByCode) {
  Connect();
  EXPECT_FALSE(Control("IN1P1101on")->isEnabled());  // "-" in the definition
  EXPECT_EQ(Control<QLabel>("LINP13")->text(), "");
  EXPECT_FALSE(Control("VR1N11off")->isEnabled());
  EXPECT_FALSE(Control("LVR1N3")->isVisibleTo(Adc()));
  auto* vr1n = Control<QComboBox>("TXVR1N");
  ASSERT_EQ(vr1n->count(), 3);  // 00, 01, 10

  ChipHolds(ADCMUX1, 0x40);  // VR1P 1 (AVDD), VR1N 0
  EXPECT_EQ(vr1n->currentText(), "00");
  EXPECT_EQ(Control<QComboBox>("TXVR1P")->currentText(), "01");
  Choose(vr1n, 2);  // "10": position 2
  EXPECT_EQ(Shadow(ADCMUX1), 0x60);
  EXPECT_TRUE(Closed("VR1N10"));
  EXPECT_EQ(LookOf(Control("LVR1N2")), Look::Inverted);
  EXPECT_EQ(vr1n->currentText(), "10");

  Control<QAbstractButton>("VR1P11off")->click();
  EXPECT_EQ(Shadow(ADCMUX1), 0xE0);
  EXPECT_TRUE(Closed("VR1P11"));
  EXPECT_FALSE(Closed("VR1P01"));
}

TEST_F(AdcPanel, ComboCodeBeyondTheFieldWritesTheCachedValueAgain) {
  EditDefinition("11H OSR1     4 0", "11H OSR1     3 0");
  Connect();
  ChipHolds(ADCON2, 0x50);
  auto* osr = Control<QComboBox>("TXOSR1");
  Choose(osr, 3);
  EXPECT_EQ(Shadow(ADCON2), 0x53);
  EXPECT_EQ(Control<QLabel>("TXOSR1S")->text(), "ADC_CK / 250");
  sim.board.ClearLog();
  Choose(osr, 10);  // "1010" does not fit 3 bits
  EXPECT_EQ(osr->currentIndex(), 3);
  auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0][7], 0x53);
  EXPECT_EQ(Control<QLabel>("TXOSR1S")->text(), "ADC_CK / 250");
}

TEST_F(AdcPanel, SettingsAndTheirCaptionsFollowTheShadow) {
  Connect();
  // Gain from the definition's captions, chosen in its combo.
  EXPECT_EQ(Control<QLabel>("TXAD1GNS")->text(), "ADGN = X1/4");
  ChipHolds(ADCON1, 0xE3);  // PGA 7, AD1GN 0, LDOM 3
  Choose(Control<QComboBox>("TXAD1GN"), 3);
  EXPECT_EQ(Shadow(ADCON1), 0xEF);
  EXPECT_EQ(Control<QLabel>("TXAD1GNS")->text(), "ADGN = X2");
  EXPECT_EQ(Control<QLabel>("TXLDOM1")->text(), "LDOM=VSS");

  struct Case {
    int address;
    uint8_t value;
    const char* label;
    const char* text;
  };
  const Case cases[] = {
      {CLKCON, 0x81, "TXDADCS1", "8.5 MHz ÷8"},  // DADC 1, HAOSEL 0, HAOM 2
      {CLKCON, 0xC1, "TXDADCS1", "Reserved"},      // HAOM 3
      {CLKCON, 0x44, "TXDADCS1", "3.2 MHz ÷4"},    // HAOSEL 1, HAOM 1
      {0x12, 0xE0, "TXVDDAS1", "VDDAX=5.0 V"},
      {ADCON2, 0x9B, "TXDC1SS", "S - VRE*1/8"},
      {ADCON2, 0x9B, "TXOSR1S", "ADC_CK / 64000"},
      {ADCON0, 0x04, "TXVR1GN", "VREGN = x 1/2"},
      {0x01, 0x40, "LIRQM", "IRQ MODE=Low Pulse Mode"},
  };
  for (const Case& c : cases) {
    ChipHolds(c.address, c.value);
    EXPECT_EQ(Control<QLabel>(c.label)->text(), QString::fromUtf8(c.text)) << c.label;
  }
  EXPECT_EQ(LookOf(Control("PVR1GN")), Look::ToggleOn);

  // The clock combo paints the new pre-scaler with the cached oscillator, then writes.
  ChipHolds(CLKCON, 0x80);
  Choose(Control<QComboBox>("TXDADC1"), 2);
  EXPECT_EQ(Control<QLabel>("TXDADCS1")->text(), QString::fromUtf8("8.5 MHz ÷2"));
  EXPECT_EQ(Shadow(CLKCON), 0x82);

  // The input converter shows the picture of its code; the short switch flips INIS.
  ChipHolds(0x12, 0x18);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Control(AdcConverterName(i))->isVisibleTo(Adc()), i == 3) << i;
  ChipHolds(ADCON0, 0x00);
  Control<QAbstractButton>("IN1SToff")->click();
  EXPECT_EQ(Shadow(ADCON0), 0x08);
  EXPECT_TRUE(Control("IN1STon")->isVisibleTo(Adc()));
  EXPECT_FALSE(Control("IN1SToff")->isVisibleTo(Adc()));
}

TEST_F(AdcPanel, ReadOutFormatsAndReadAdc) {
  Connect();
  auto* adc = Control<QLabel>("TXADC1");
  EXPECT_EQ(Adc()->OutMode, OutHex);
  EXPECT_EQ(Adc()->OutBits, 14);
  EXPECT_EQ(Control<QComboBox>("TXADCObit")->currentText(), "22");

  // "Read ADC": four groups of result registers, each stored from the reply (the ADC
  // converting nothing, so they hold what is put there).
  sim.board.analog.reset();
  const std::map<int, uint8_t> results = {{0x41, 0x80}, {0x42, 0x00}, {0x43, 0x00}, {0x06, 0x80}, {0x07, 0x00},
                                          {0x08, 0x00}, {0x09, 0x00}, {0x0A, 0x00}, {0x0B, 0x03}, {0x44, 0x11},
                                          {0x45, 0x22}, {0x46, 0x33}, {0x47, 0x44}, {0x48, 0x55}};
  for (auto [a, v] : results) sim.board.chip.Poke(a, v);
  sim.board.ClearLog();
  Control<QAbstractButton>("BRDADC1")->click();
  auto sent = Sent();
  ASSERT_EQ(sent.size(), 4u);
  const Bytes reads[] = {{0xC4, 0x01, 0xA0, 0x41, 0x03}, {0xC4, 0x01, 0xA0, 0x06, 0x03},
                         {0xC4, 0x01, 0xA0, 0x09, 0x03}, {0xC4, 0x01, 0xA0, 0x44, 0x05}};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Bytes(sent[i].begin(), sent[i].begin() + 5), reads[i]) << i;
  for (auto [a, v] : results) EXPECT_EQ(Shadow(a), v) << a;
  EXPECT_EQ(adc->text(), "E00000");
  EXPECT_EQ(Control<QLabel>("TXADI1")->text(), "FFC00000");
  EXPECT_EQ(Control<QLabel>("TXADQ1")->text(), "1");

  // The width takes effect at the next refresh; the format at once.
  Choose(Control<QComboBox>("TXADCObit"), 0);
  EXPECT_EQ(Adc()->OutBits, 0);
  EXPECT_EQ(adc->text(), "E00000");
  Choose(Control<QComboBox>("TXADCOMD"), 1);
  EXPECT_EQ(adc->text(), "-128");

  // A reply without the success status stores nothing.
  sim.board.chip.Poke(0x43, 0x01);
  sim.board.Arm(FirmwareFault::BadStatus, FaultSpan::FromNowOn({.status = 0x00}));
  Control<QAbstractButton>("BRDADC1")->click();
  EXPECT_EQ(Shadow(0x43), 0x00);
}

// The main configuration sets the format and width, selects them and calls the handler.
TEST_F(AdcPanel, FormatRestoredFromOutside) {
  Connect();
  ChipHolds(0x41, 0x12);
  ChipHolds(0x42, 0x34);
  TADCForm* f = Adc();
  f->OutMode = OutDec;
  f->OutBits = 0;
  f->TXADCOMD->setCurrentIndex(f->OutMode);
  f->TXADCObit->setCurrentIndex(f->OutBits);
  f->TXADCObitChange();
  f->DataUpdate();
  EXPECT_EQ(Control<QLabel>("TXADC1")->text(), "18");
}

TEST_F(AdcPanel, ResultGroupOfAnUndefinedFieldIsNotStored) {
  for (const char* line : {"06H ADCIOH\n", "07H ADCIOM\n", "08H ADCIOL\n"}) EditDefinition(line, "");
  Connect();
  for (int a : {0x00, 0x01, 0x02}) ChipHolds(a, 0x00);
  for (int a : {0x00, 0x01, 0x02}) sim.board.chip.Poke(a, static_cast<uint8_t>(0x77 + a));
  sim.board.ClearLog();
  Control<QAbstractButton>("BRDADC1")->click();
  EXPECT_EQ(Sent().size(), 3u);  // the I group is skipped
  EXPECT_EQ(Shadow(0x00), 0x00);
}

TEST_F(AdcPanel, ControlsLieOnTheDiagramAndHiddenOnesStayHidden) {
  Connect();
  // Controls are placed on the picture's own coordinates.
  QWidget* canvas = Control("PanelDiagram");
  EXPECT_EQ(Control("Image1")->geometry(), QRect(QPoint(0, 0), AdcDiagramSize()));
  const QRect diagram(QPoint(0, 0), AdcDiagramSize());
  for (const AdcSpot& s : AdcSpots()) {
    QWidget* w = Adc()->findChild<QWidget*>(s.name);
    ASSERT_NE(w, nullptr) << s.name.toStdString();
    QRect onDiagram(w->mapTo(canvas, QPoint(0, 0)), w->size());
    EXPECT_EQ(onDiagram, s.rect) << s.name.toStdString();
    EXPECT_TRUE(diagram.contains(onDiagram)) << s.name.toStdString();
  }
  for (const char* name : {"PENLDO", "PENREFO", "PENACM", "PENOP", "PTS", "POSM", "PIRQEN", "PHS", "PINIS",
                           "OP3NET1_S1", "OP3NET1_S3", "LADIF1", "TXPGA1GN", "COMOSCS", "TXPGA1GNS", "Label4",
                           "Label5", "Label6", "TXTEMP", "OP2O", "OP2O_1", "OP3O", "OP3O_1", "VR1STon", "VR1SToff",
                           "PVRIS1", "BTempRead", "BRDADC"})
    EXPECT_FALSE(Control(name)->isVisibleTo(Adc())) << name;
  EXPECT_EQ(Adc()->sizeHint(), AdcDiagramSize());

  // The hidden toggles work as the visible ones; the hidden STOP button only flips its caption.
  ChipHolds(0x05, 0x00);
  Control<QAbstractButton>("PTS")->click();
  EXPECT_EQ(Shadow(0x05), 0x01);
  auto* stop = Control<QPushButton>("BRDADC");
  stop->click();
  EXPECT_EQ(stop->text(), "Reading");
  Adc()->RunFormClose();
  EXPECT_EQ(stop->text(), "STOP");
}

}  // namespace
