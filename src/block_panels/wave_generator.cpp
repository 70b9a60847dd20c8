#include "block_panels/wave_generator.h"

#include <QComboBox>
#include <algorithm>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "block_panels/digit_edit.h"
#include "block_panels/oscillator_trim.h"
#include "block_panels/wave_chart.h"
#include "block_panels/wave_files.h"
#include "block_panels/wave_memory.h"
#include "common/errors.h"
#include "common/handler_guard.h"
#include "common/settings_reader.h"
#include "common/text_encoding.h"
#include "kit/bench.h"
#include "kit/plain_controls.h"
#include "link/mx_up.h"
#include "link/register_files.h"
#include "platform/dialogs.h"

namespace {
const char kSine[] = "Sine Wave";
const char kSquare[] = "Square Wave";
const char kShowVoltage[] = "Show Voltage";
const char kShowCore[] = "Show Core";
const char kScan[] = "Scan";
const char kStop[] = "Stop";

}  // namespace

TWaveGenForm::TWaveGenForm(Bench& program, QWidget* parent)
    : TPanelForm(program, "WaveGenForm", QString::fromUtf8("Waveform Generator"), parent) {
  BuildControls();
}

void TWaveGenForm::BuildControls() {
  CLK_ComboBox = new QComboBox(this);
  CLK_ComboBox->setObjectName("CLK_ComboBox");
  CLK_ComboBox->addItems({"2MHz", "4MHz", "8MHz"});
  CLK_ComboBox->setCurrentIndex(2);
  connect(CLK_ComboBox, &QComboBox::activated, this, GuardedSlot(P, [this] { CLK_ComboBoxChange(); }));

  CLKD_ComboBox = new QComboBox(this);
  CLKD_ComboBox->setObjectName("CLKD_ComboBox");
  CLKD_ComboBox->addItem("Disable (divided by 1)");
  for (int k = 1; k <= 7; ++k) CLKD_ComboBox->addItem(QString("CLK divided by %1\t").arg(1 << k));
  CLKD_ComboBox->setCurrentIndex(6);
  connect(CLKD_ComboBox, &QComboBox::activated, this, GuardedSlot(P, [this] { CLKD_ComboBoxChange(); }));

  auto checked = [this](void (TWaveGenForm::*check)()) {
    return [this, check] {
      (this->*check)();
      CalcWaveform();
    };
  };
  T_DGRP = DigitEdit(P, this, "T_DGRP", "127", 3, checked(&TWaveGenForm::CheckDGRP), checked(&TWaveGenForm::CheckDGRP));
  edtDacOffset = DigitEdit(P, this, "edtDacOffset", "2048", 4, checked(&TWaveGenForm::CheckDacOffset),
                           checked(&TWaveGenForm::CheckDacOffset));
  lblDacOffset = new QLabel("(1650 mV)", this);
  lblDacOffset->setObjectName("lblDacOffset");
  T_FREQ = DigitEdit(P, this, "T_FREQ", "1000000", 8, [this] { SetFrequency(); }, [this] { SetFrequency(); });
  edtActualClk = DigitEdit(P, this, "edtActualClk", "8000000", 8, checked(&TWaveGenForm::CheckActualClk),
                           checked(&TWaveGenForm::CheckActualClk));
  ActualCLKRange = new QLabel("Range=", this);
  ActualCLKRange->setObjectName("ActualCLKRange");
  edtDacSource = DigitEdit(P, this, "edtDacSource", "3300", 5, checked(&TWaveGenForm::CheckDacSource),
                           checked(&TWaveGenForm::CheckDacSource));
  DAC_Vpp = DigitEdit(P, this, "DAC_Vpp", "200", 4, checked(&TWaveGenForm::CheckVpp), [this] { CheckVpp(); });

  // Present in the window but never shown; nothing reads it.
  auto* dacBits = new QLabel("DAC bits=", this);
  dacBits->setObjectName("LabelDACbits");
  dacBits->hide();
  DACbits_ComboBox = new QComboBox(this);
  DACbits_ComboBox->setObjectName("DACbits_ComboBox");
  for (int b = 2; b <= 12; ++b) DACbits_ComboBox->addItem(QString::number(b));
  DACbits_ComboBox->setCurrentIndex(6);
  DACbits_ComboBox->hide();

  auto button = [this](const char* name, const char* text, void (TWaveGenForm::*handler)()) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, GuardedSlot(P, [this, handler] { (this->*handler)(); }));
    return b;
  };
  Button1 = button("Button1", "Generator", &TWaveGenForm::Button1Click);
  btnWaveformSwitch = button("btnWaveformSwitch", kSine, &TWaveGenForm::btnWaveformSwitchClick);
  btnChangeUint = button("btnChangeUint", kShowVoltage, &TWaveGenForm::btnChangeUintClick);
  VodCorrection = button("VodCorrection", "Vod Correction", &TWaveGenForm::VodCorrectionClick);
  VodCorrection->setEnabled(false);
  btnScan = button("btnScan", kScan, &TWaveGenForm::btnScanClick);
  btnScan->setEnabled(false);
  // The switching captions keep their buttons' width.
  auto fitCaptions = [](QPushButton* b, std::initializer_list<const char*> captions) {
    int w = 0;
    for (const char* c : captions) w = std::max(w, b->fontMetrics().horizontalAdvance(c));
    b->setMinimumWidth(w + 24);
  };
  fitCaptions(btnWaveformSwitch, {kSine, kSquare});
  fitCaptions(btnChangeUint, {kShowVoltage, kShowCore});
  fitCaptions(btnScan, {kScan, kStop});
  Label7 = new QLabel("CLK=", this);
  Label7->setObjectName("Label7");
  Label7->setMinimumWidth(Label7->fontMetrics().horizontalAdvance("CLK=999999999Hz") + 8);

  chartWaveform = new TWaveChart(this);

  ScanTime = new QTimer(this);
  ScanTime->setObjectName("ScanTime");
  ScanTime->setInterval(500);
  connect(ScanTime, &QTimer::timeout, this, GuardedSlot(P, [this] { ScanTimeTimer(); }));

  const int editWidth = edtActualClk->fontMetrics().horizontalAdvance("00000000") + 16;
  for (QWidget* e : std::initializer_list<QWidget*>{T_DGRP, edtDacOffset, T_FREQ, edtActualClk, edtDacSource, DAC_Vpp})
    e->setFixedWidth(editWidth);

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(6);
  grid->addWidget(CaptionLabel(this, "CLK(MHz)="), 0, 0);
  grid->addWidget(CLK_ComboBox, 0, 1);
  grid->addWidget(CaptionLabel(this, "CLK Divided="), 0, 3);
  grid->addWidget(CLKD_ComboBox, 0, 4, 1, 2);
  grid->addWidget(CaptionLabel(this, "DGRP(1~127)="), 1, 0);
  grid->addWidget(T_DGRP, 1, 1);
  grid->addWidget(CaptionLabel(this, "Frequency of Waveform Generator(Hz)="), 1, 3);
  grid->addWidget(T_FREQ, 1, 4);
  grid->addWidget(CaptionLabel(this, "Actual CLK(Hz)="), 2, 0);
  grid->addWidget(edtActualClk, 2, 1);
  grid->addWidget(ActualCLKRange, 2, 2);
  grid->addWidget(CaptionLabel(this, "DAC source voltage(mV)="), 2, 3);
  grid->addWidget(edtDacSource, 2, 4);
  grid->addWidget(CaptionLabel(this, "DAC Offset Core(3~4092)="), 3, 0);
  grid->addWidget(edtDacOffset, 3, 1);
  grid->addWidget(lblDacOffset, 3, 2);
  grid->addWidget(CaptionLabel(this, "(DAC Vpp= "), 3, 3);
  auto* vpp = new QHBoxLayout;
  vpp->setSpacing(4);
  vpp->addWidget(DAC_Vpp);
  vpp->addWidget(new QLabel("mV)", this));
  vpp->addStretch();
  grid->addLayout(vpp, 3, 4, 1, 2);
  grid->setColumnMinimumWidth(2, ActualCLKRange->fontMetrics().horizontalAdvance("Range=8400000~8400000") + 8);
  grid->setColumnStretch(5, 1);

  auto* buttons = new QHBoxLayout;
  buttons->setSpacing(6);
  for (QWidget* w : std::initializer_list<QWidget*>{Button1, btnWaveformSwitch, btnChangeUint, VodCorrection, btnScan})
    buttons->addWidget(w);
  buttons->addSpacing(12);
  buttons->addWidget(Label7);
  buttons->addStretch();

  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(10, 10, 10, 10);
  page->setSpacing(10);
  page->addLayout(grid);
  page->addLayout(buttons);
  page->addWidget(chartWaveform, 1);
  resize(sizeHint());
}

// ---- window ---------------------------------------------------------------------------

void TWaveGenForm::FormCreate() {
  const QString settings = P.ExeDir + WaveFiles::Settings;
  if (QFile::exists(settings)) {
    try {
      // A line that does not read, or that the file ends before, keeps what the edit
      // holds; the other is read.
      WaveformSettings s{edtDacOffset->text().toInt(), DAC_Vpp->text().toInt()};
      const SettingsFileFaults faults = ReadWaveformSettings(settings, s);
      edtDacOffset->setText(QString::number(s.OffsetCode));
      DAC_Vpp->setText(QString::number(s.VppMv));
      if (!faults.Clean()) Message(SettingsFileMessage(WaveFiles::Settings, faults));
    } catch (const MxError& e) {
      // The window starts with its defaults; the user learns why, and the file is
      // not replaced by them.
      keepSettings_ = true;
      Message(e.Text() + "\n" + KeptUnreadText(WaveFiles::Settings));
    }
  }
  S = WaveGenState{};
  ActualCLKRange->setText("Range=");
  CalcWaveform();
}

void TWaveGenForm::FormClose() {
  P.G.AppDir = P.ExeDir;
  // A value that is not a number keeps the old file rather than writing a broken one.
  bool ok1 = false, ok2 = false;
  WaveformSettings s;
  s.OffsetCode = edtDacOffset->text().trimmed().toInt(&ok1);
  s.VppMv = DAC_Vpp->text().trimmed().toInt(&ok2);
  if (ok1 && ok2 && !keepSettings_) {
    try {
      WriteWaveformSettings(P.G.AppDir + WaveFiles::Settings, s);
    } catch (const MxError& e) {
      Message(e.Text());
    }
  }
  if (Scanning()) StopScan();
}

void TWaveGenForm::Message(const QString& text) {
  P.dialogs().MessageBox(this, text, QCoreApplication::applicationName(), MB_OK);
}

// ---- computation ------------------------------------------------------------------------

void TWaveGenForm::ShowFrequency() {
  const QString text = QString::number(S.WaveFreq);
  T_FREQ->setText(text);
  emit FrequencyShown(text);
}

void TWaveGenForm::ShowClockRange(int c) {
  if (c < 0 || c > 2) return;
  ActualCLKRange->setText("Range=" + P.G.ClockTexts[2 * c] + "~" + P.G.ClockTexts[2 * c + 1]);
}

void TWaveGenForm::CalcWaveform() {
  S.WaveFreq = WaveFrequency(S.ActualClk, S.Dgrp, CLKD_ComboBox->currentIndex());
  ShowFrequency();
  lblDacOffset->setText(QString("(%1 mV)").arg(OffsetMillivolts(S.DacOffset, S.DacSourceMv)));
  S.VppCode = VppCodeOf(EditInteger(DAC_Vpp->text()), S.DacSourceMv);
  const WaveCodes codes = WaveTableCodes(S.Type, S.Dgrp, S.VppCode, S.DacOffset);
  S.WaveSamples = WaveSampleWords(codes);
  QVector<double> x(WaveTableSize), y(WaveTableSize);
  for (int i = 0; i < WaveTableSize; ++i) {
    x[i] = i;
    y[i] = S.ShowVoltage ? static_cast<double>(static_cast<long double>(codes[i]) * S.DacSourceMv / 4095) : codes[i];
  }
  chartWaveform->SetPoints(x, y);
}

void TWaveGenForm::SetFrequency() {
  S.ActualClk = EditInteger(edtActualClk->text());
  const int divider = CLKD_ComboBox->currentIndex();
  const int f = EditInteger(T_FREQ->text());
  const int g = DgrpForFrequency(S.ActualClk, divider, f);
  T_DGRP->setText(QString::number(S.Dgrp));
  S.WaveFreq = WaveFrequency(S.ActualClk, S.Dgrp, divider);
  ShowFrequency();
  if (g != S.Dgrp) {
    P.Mx_UP->WriteReg(WaveReg::Dgrp, WithDgrp(P.Mx_UP->GetReg(WaveReg::Dgrp, 0), g), 0);
    ShowChipClock();
  }
}

void TWaveGenForm::ShowChipClock() {
  // A write that succeeded has brought its value back through the refresh; one that
  // failed left the registers, and the controls go back to what they hold.
  CLK_ComboBox->setCurrentIndex(S.ClkIndex);
  CLKD_ComboBox->setCurrentIndex(S.ClkdIndex);
  T_DGRP->setText(QString::number(S.Dgrp));
  CalcWaveform();
}

// ---- checks -------------------------------------------------------------------------------

void TWaveGenForm::CheckActualClk() {
  const int v = EditInteger(edtActualClk->text());
  if (v < 1) {
    Message("Actual CLK Out Range");
    edtActualClk->setText(QString::number(S.ActualClk));
  } else if (v != S.ActualClk) {
    S.ActualClk = v;
    edtActualClk->setText(QString::number(v));
    CalcWaveform();
  }
}

void TWaveGenForm::CheckDacSource() {
  const int v = EditInteger(edtDacSource->text());
  if (v < 1) {
    Message("DAC source voltage Out Range");
    edtDacSource->setText(QString::number(S.DacSourceMv));
  } else if (v != S.DacSourceMv) {
    S.DacSourceMv = v;
    CalcWaveform();
  }
}

void TWaveGenForm::CheckDacOffset() {
  const int v = EditInteger(edtDacOffset->text());
  if (v < 3 || v > 4092) {
    Message("DAC offset code Out Range");
    edtDacOffset->setText(QString::number(S.DacOffset));
  } else if (v != S.DacOffset) {
    S.DacOffset = v;
    CalcWaveform();
  }
}

void TWaveGenForm::CheckVpp() {
  const int s = EditInteger(edtDacSource->text());
  const int a = EditInteger(DAC_Vpp->text());
  if (a >= 2 && a <= s) {
    CalcWaveform();
  } else {
    Message("DacVpp Out Range");
    DAC_Vpp->setText(QString::number(s));
  }
}

void TWaveGenForm::CheckDGRP() {
  const int v = EditInteger(T_DGRP->text());
  if (v < 1 || v > 127) {
    Message("DGRP Out Range");
    T_DGRP->setText(QString::number(S.Dgrp));
  } else if (v != S.Dgrp) {
    P.Mx_UP->WriteReg(WaveReg::Dgrp, WithDgrp(P.Mx_UP->GetReg(WaveReg::Dgrp, 0), v), 0);
    ShowChipClock();
  }
}

// ---- refresh from the registers --------------------------------------------------------------

void TWaveGenForm::DataUpdate() {
  TMx_UP& up = *P.Mx_UP;
  if (std::optional<int> mv = SourceMillivoltsOf(P.G.Fields.VDDAX.Value)) edtDacSource->setText(QString::number(*mv));
  // The refresh runs inside every register write: an edit left without a number keeps
  // the previous figures here instead of breaking the refresh of the other windows.
  try {
    CheckDacSource();
  } catch (const EConvertError&) {
  }
  const int c = ClockSelectionOf(up.GetReg(WaveReg::Clock, 0));
  if (c != S.ClkIndex) {
    CLK_ComboBox->setCurrentIndex(c);
    S.ClkIndex = c;
    ShowClockRange(c);
    S.ActualClk = NominalClock(c);
    edtActualClk->setText(QString::number(S.ActualClk));
  }
  const int d = DividerIndexOf(up.GetReg(GeneratorControlRegister, 0));
  if (d != S.ClkdIndex) {
    CLKD_ComboBox->setCurrentIndex(d);
    S.ClkdIndex = d;
  }
  const int g = DgrpOf(up.GetReg(WaveReg::Dgrp, 0));
  if (g != S.Dgrp) {
    T_DGRP->setText(QString::number(g));
    S.Dgrp = g;
  }
  try {
    CalcWaveform();
  } catch (const EConvertError&) {
  }
}

// ---- combos and buttons ----------------------------------------------------------------------

void TWaveGenForm::CLK_ComboBoxChange() {
  const int k = CLK_ComboBox->currentIndex();
  if (k < 0 || k == S.ClkIndex) return;
  P.Mx_UP->WriteReg(WaveReg::Clock, WithClockSelection(P.Mx_UP->GetReg(WaveReg::Clock, 0), k), 0);
  ShowChipClock();
}

void TWaveGenForm::CLKD_ComboBoxChange() {
  const int k = CLKD_ComboBox->currentIndex();
  if (k < 0 || k == S.ClkdIndex) return;
  P.Mx_UP->WriteReg(GeneratorControlRegister, WithDividerIndex(P.Mx_UP->GetReg(GeneratorControlRegister, 0), k), 0);
  ShowChipClock();
}

void TWaveGenForm::Button1Click() {
  S.Type = btnWaveformSwitch->text() == kSine ? WaveType::Sine : WaveType::Square;
  CalcWaveform();
  const bool loaded =
      WaveRamWrite(*P.Mx_UP, S.WaveSamples, WaveRunBitsWithGen4, [this] { P.Refresh(RefreshView::MemoryView); });
  P.Refresh(RefreshView::RegisterView);
  if (!loaded) Message(kWaveRamWriteFail);
}

void TWaveGenForm::btnWaveformSwitchClick() {
  if (btnWaveformSwitch->text() != kSine) {
    btnWaveformSwitch->setText(kSine);
    S.Type = WaveType::Sine;
  } else {
    btnWaveformSwitch->setText(kSquare);
    S.Type = WaveType::Square;
  }
  CalcWaveform();
}

void TWaveGenForm::btnChangeUintClick() {
  S.ShowVoltage = !S.ShowVoltage;
  chartWaveform->SetAxisFormat(S.ShowVoltage ? AxisFormat::Millivolts : AxisFormat::CodesBlank);
  btnChangeUint->setText(S.ShowVoltage ? kShowCore : kShowVoltage);
  CalcWaveform();
}

// ---- loaders ---------------------------------------------------------------------------------

void TWaveGenForm::LoadRegFile() {
  if (const std::optional<QString> failed = RegFileLoad()) Message(*failed);
}

void TWaveGenForm::LoadDACRam() {
  if (const std::optional<QString> failed = DacRamLoad()) Message(*failed);
}

void TWaveGenForm::AutoLoad() {
  struct Step {
    const char* file;
    std::optional<QString> (TWaveGenForm::*load)();
  };
  QStringList told;
  QStringList unsent;  // files not tried: the link was down
  QDir().mkpath(P.G.AppDir + WaveFiles::ConfigFolder);
  for (const Step& s : {Step{WaveFiles::RegList, &TWaveGenForm::RegFileLoad},
                        Step{WaveFiles::DacRam, &TWaveGenForm::DacRamLoad}}) {
    if (!QFile::exists(P.G.AppDir + s.file)) continue;
    // Every failed transfer closes the device: after one, the next file cannot get
    // through either, and without a board none can.
    if (P.G.Channels[0].Devc.Opened != 1) {
      unsent << s.file;
      continue;
    }
    // A file that cannot be read is told, and the other one is still loaded.
    try {
      if (const std::optional<QString> failed = (this->*s.load)()) told << *failed;
    } catch (const std::exception& e) {
      told << QString::fromStdString(e.what());
    }
  }
  if (!unsent.isEmpty())
    told << "Auto-load: " + unsent.join(" and ") + " did not reach the chip: the board is not connected";
  if (!told.isEmpty()) Message(told.join("\n"));
}

std::optional<QString> TWaveGenForm::RegFileLoad() {
  QDir().mkpath(P.G.AppDir + WaveFiles::ConfigFolder);
  const QString path = P.G.AppDir + WaveFiles::RegList;
  if (!QFile::exists(path)) return std::nullopt;
  const QStringList lines = ReadTextLines(path);
  const std::optional<RegisterLoadFailure> failed = LoadRegisterLines(*P.Mx_UP, lines);
  P.Refresh(RefreshViews::All().Without(RefreshView::BodyfatPanel));
  if (failed) return RegisterLoadFailText(*failed, lines, WaveFiles::RegList);
  return std::nullopt;
}

std::optional<QString> TWaveGenForm::DacRamLoad() {
  QDir().mkpath(P.G.AppDir + WaveFiles::ConfigFolder);
  const QString path = P.G.AppDir + WaveFiles::DacRam;
  if (!QFile::exists(path)) return std::nullopt;
  const WaveTable table = RamArrayWords(ReadTextLines(path));
  const bool loaded = WaveRamWrite(*P.Mx_UP, ResampleWaveTable(table, S.Dgrp), WaveRunBits,
                                   [this] { P.Refresh(RefreshView::MemoryView); });
  P.Refresh({RefreshView::RegisterView, RefreshView::AdcPanel, RefreshView::OpAmpPanel, RefreshView::DacPanel});
  CalcWaveform();
  ShowClockRange(CLK_ComboBox->currentIndex());
  if (!loaded) return QString(kWaveRamWriteFail);
  return std::nullopt;
}

// ---- oscillator trim and counter scan --------------------------------------------------------

bool TWaveGenForm::Scanning() const { return btnScan->text() == kStop; }

void TWaveGenForm::SetTrimEnabled(bool enabled) {
  trimAllowed_ = enabled;
  // A running scan keeps its Stop button, and the trim waits for the scan to end.
  btnScan->setEnabled(enabled || Scanning());
  VodCorrection->setEnabled(enabled && !Scanning());
}

void TWaveGenForm::VodCorrectionClick() {
  const int target = EditInteger(edtActualClk->text());
  const TrimEnd end = RunOscillatorTrim(*P.Mx_UP, P.Trim, CLK_ComboBox->currentIndex(), target, S.SavedCntSel);
  switch (end) {
    case TrimEnd::TargetOutOfRange:
    case TrimEnd::TrimOutOfRange:
      Message("Calculation out of range");
      break;
    case TrimEnd::Done:
      Label7->setText(ClockLabelText(P.Trim.ClockCount));
      break;
    case TrimEnd::LinkFailed:
      Message(kTrimLinkFail);
      break;
    case TrimEnd::PassesUsed:
      break;
  }
}

void TWaveGenForm::btnScanClick() {
  if (btnScan->text() == kScan) {
    S.SavedCntSel = SelectCounterSource(*P.Mx_UP);
    ScanTime->start();
    btnScan->setText(kStop);
    VodCorrection->setEnabled(false);
  } else if (Scanning()) {
    StopScan();
  }
}

void TWaveGenForm::StopScan() {
  ScanTime->stop();
  btnScan->setText(kScan);
  RestoreCounterSource(*P.Mx_UP, S.SavedCntSel);
  VodCorrection->setEnabled(trimAllowed_);
  btnScan->setEnabled(trimAllowed_);
}

void TWaveGenForm::ScanTimeTimer() {
  Devc& d = P.G.Channels[0].Devc;
  const bool open = d.Opened == 1;
  P.Trim.MeasureClock(d, CLK_ComboBox->currentIndex());
  // Without an answer from the board the count and the text stay as they were.
  if (open && d.Opened == 1) Label7->setText(ClockLabelText(P.Trim.ClockCount));
}
