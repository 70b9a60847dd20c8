#include "impedance/iq_test_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "common/errors.h"
#include "common/handler_guard.h"
#include "common/settings_reader.h"
#include "common/figure_text.h"
#include "common/scope_exit.h"
#include "impedance/impedance_math.h"
#include "impedance/iq_calibration.h"
#include "impedance/iq_runs.h"
#include "impedance/iq_test_looks.h"
#include "impedance/iq_test_settings.h"
#include "impedance/job_refresh.h"
#include "kit/bench.h"
#include "kit/plain_controls.h"
#include "link/mx_up.h"
#include "platform/dialogs.h"

namespace {

const char* kMaxChars = "maxChars";       // typed-length limit of an edit
const char* kHexKeys = "hexKeys";         // the edit takes hexadecimal digits, else decimal

template <typename W>
W* Named(W* w, const QString& name) {
  w->setObjectName(name);
  return w;
}

// An edit as wide as `chars` digits of its font.
void FitChars(QLineEdit* e, int chars) {
  e->setFixedWidth(QFontMetrics(e->font()).horizontalAdvance(QString(chars, '0')) + 14);
}

// An input edit, or a read-only one that shows a result.
QLineEdit* Edit(QWidget* parent, const QString& name, const QString& text, bool readOnly, int chars) {
  auto* e = Named(new QLineEdit(text, parent), name);
  e->setReadOnly(readOnly);
  if (readOnly) e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  FitChars(e, chars);
  return e;
}

// A caption at (row, col) with its control beside it.
void AddCaptioned(QGridLayout* grid, int row, int col, const QString& caption, QWidget* control) {
  grid->addWidget(CaptionLabel(control->parentWidget(), caption), row, col);
  grid->addWidget(control, row, col + 1);
}

QLineEdit* Result(QWidget* parent, const QString& name, const QString& text = QStringLiteral("000000"),
                  int chars = 11) {
  return Edit(parent, name, text, true, chars);
}

QComboBox* List(QWidget* parent, const QString& name, const QStringList& items, int index) {
  auto* c = Named(new QComboBox(parent), name);
  c->addItems(items);
  c->setCurrentIndex(index);
  return c;
}

QRadioButton* Radio(QWidget* parent, const QString& name, const QString& caption) {
  return Named(new QRadioButton(caption, parent), name);
}

QStringList Seconds() {
  QStringList l;
  for (int s = 1; s <= 10; ++s) l << QString::number(s) + " s";
  return l;
}

QStringList Hundreds(bool withOne) {
  QStringList l;
  if (withOne) l << "1";
  for (int n = 100; n <= 1000; n += 100) l << QString::number(n);
  return l;
}

const QStringList kScanTimes = {"0 ms", "100 ms", "250 ms", "500 ms", "1 s", "2 s"};

void SetListIndex(QComboBox* c, int index) { c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1); }

}  // namespace

TIQForm::TIQForm(Bench& program, QWidget* parent)
    : TPanelForm(program, "IQForm", QString::fromUtf8("IQForm"), parent) {
  CreateChipDefinitionControls();
  CreateTopControls();
  CreateSetControls();
  CreateReadOut();
  CreateSimplePanel();
  CreateHiddenControls();
  LayOut();
  Connect();
  SetCapTestEnabled(false);
  resize(sizeHint());
}

IQTestState& TIQForm::S() const { return P.G.Impedance.IQTest; }
TMx_UP& TIQForm::Up() const { return *P.Mx_UP; }

// ---- controls --------------------------------------------------------------------

void TIQForm::CreateTopControls() {
  T_Rref = Edit(this, "T_Rref", "5100", false, 7);
  T_Freq = Edit(this, "T_Freq", "1000", false, 7);
  T_RsDATA = Result(this, "T_RsDATA");
  T_CsDATA = Result(this, "T_CsDATA");
  T_RpDATA = Result(this, "T_RpDATA");
  T_CpDATA = Result(this, "T_CpDATA");
  Pcalculate = Named(new QPushButton("Calculate", this), "Pcalculate");
  PCAPTEST = Named(new QPushButton("CAP TEST", this), "PCAPTEST");
  Label13 = Named(new QLabel("0 Save Data", this), "Label13");
}

void TIQForm::CreateSetControls() {
  gbACSet = Named(new QGroupBox("AC Set", this), "gbACSet");
  rbACTime = Radio(gbACSet, "rbACTime", "Measuring Time");
  cbACTime = List(gbACSet, "cbACTime", Seconds(), 0);
  rbACAmount = Radio(gbACSet, "rbACAmount", "Measuring Amount");
  cbACAmount = List(gbACSet, "cbACAmount", Hundreds(false), 0);
  rbACManualStop = Radio(gbACSet, "rbACManualStop", "Continuous Read");
  scanCAPTimer = List(gbACSet, "scanCAPTimer", kScanTimes, 2);
  rbACAmount->setChecked(true);

  QWidget* dc = gbDCSet;
  rbDCTime = Radio(dc, "rbDCTime", "Measuring Time");
  cbDCTime = List(dc, "cbDCTime", Seconds(), 0);
  rbDCAmount = Radio(dc, "rbDCAmount", "Measuring Amount");
  cbDCAmount = List(dc, "cbDCAmount", Hundreds(true), 0);
  rbDCManualStop = Radio(dc, "rbDCManualStop", "Continuous Read");
  cbACAvg = List(dc, "cbACAvg", {"1", "2", "4", "8", "16"}, 0);
  rbDCAmount->setChecked(true);
  for (int step = 0; step < 3; ++step)
    for (int col = 0; col < 2; ++col) {
      QLineEdit* e = Edit(dc, QString("edtDABIT%1_%2").arg(step).arg(col + 1), "0800", false, 5);
      e->setProperty(kMaxChars, 4);
      e->setProperty(kHexKeys, true);
      edtDABIT[step][col] = e;
    }
  cbDABIT1 = Named(new QCheckBox("Reaction", dc), "cbDABIT1");
  cbDABIT2 = Named(new QCheckBox("Measuring", dc), "cbDABIT2");
  cbDABIT1->setChecked(true);
  cbDABIT2->setChecked(true);
  edtBiasTime = Edit(dc, "edtBiasTime", "0.1", false, 5);
  edtBiasTime->setProperty(kMaxChars, 3);
  edtReantionTime = Edit(dc, "edtReantionTime", "1", false, 9);
  cbADCThreshold = Named(new QCheckBox("ADC Threshold", dc), "cbADCThreshold");
  cbADCThreshold->setChecked(true);
  edtADCThres = Edit(dc, "edtADCThres", "0", false, 9);
  edtADCThres->setProperty(kMaxChars, 8);
  lbADCThres = Named(new QLabel(":ADC", dc), "lbADCThres");

  // The DC gain is Rref x the second average: up to 10 digits of an integer times 7
  // of a 23-bit average, with sign and two decimals. The box's read-outs share its width.
  constexpr int dcFigureChars = 20;
  QWidget* t = gbDCType;
  edtADC1 = Result(t, "edtADC1", "000000", dcFigureChars);
  edtADC2 = Result(t, "edtADC2", "000000", dcFigureChars);
  edtDCGain = Result(t, "edtDCGain", "000000", dcFigureChars);
  edtDCOhm = Result(t, "edtDCOhm", "000000", dcFigureChars);
  edtADC = Result(t, "edtADC", "000000", dcFigureChars);
  edtDCResd = Result(t, "edtDCResd", "5100", dcFigureChars);
}

void TIQForm::CreateReadOut() {
  Panel3 = Named(new QFrame(this), "Panel3");
  Panel3->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  const QString rows[8][2] = {{"T_ADC1_", "ADC1="}, {"T_ADC2_", "ADC2="},   {"T_ADC3_", "ADC3="}, {"T_ADC4_", "ADC4="},
                              {"T_IDATA_", "I="},   {"T_QDATA_", "Q="},     {"T_YDATA_", "Y="},   {"T_Theta_", "Theta="}};
  for (int r = 0; r < 8; ++r)
    for (int c = 0; c < 3; ++c) readOut_[r][c] = Result(Panel3, rows[r][0] + QString::number(c));
  T_Resd = Result(Panel3, "T_Resd", "5100", 14);
  T_Gain = Result(Panel3, "T_Gain", "5100", 14);
  T_Theta_Dut = Result(Panel3, "T_Theta_Dut", "000000", 14);
  T_Zm = Result(Panel3, "T_Zm", "000000", 14);

  auto* grid = new QGridLayout(Panel3);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(3);
  for (int r = 0; r < 8; ++r) {
    grid->addWidget(CaptionLabel(Panel3, rows[r][1]), r, 0);
    for (int c = 0; c < 3; ++c) grid->addWidget(readOut_[r][c], r, 1 + c);
  }
  auto* results = new QGridLayout;
  results->setHorizontalSpacing(6);
  AddCaptioned(results, 0, 0, "Resd(OHM)=", T_Resd);
  AddCaptioned(results, 0, 2, "Gain=", T_Gain);
  AddCaptioned(results, 1, 0, QString::fromUtf8("DUTΘ="), T_Theta_Dut);
  AddCaptioned(results, 1, 2, "Zm=", T_Zm);
  grid->addLayout(results, 8, 0, 1, 4);
  grid->setRowMinimumHeight(8, 0);
  grid->setRowStretch(9, 1);
}

void TIQForm::CreateSimplePanel() {
  QFrame* p = pnlACMode;
  p->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  p->setAutoFillBackground(true);
  rbACTime2 = Radio(p, "rbACTime2", "Measuring Time");
  cbACTime2 = List(p, "cbACTime2", Seconds(), 0);
  rbACAmount2 = Radio(p, "rbACAmount2", "Measuring Amount");
  cbACAmount2 = List(p, "cbACAmount2", Hundreds(false), 0);
  scanCAPTimer2 = List(p, "scanCAPTimer2", kScanTimes, 2);
  T_Theta_Dut2 = Result(p, "T_Theta_Dut2");
  T_Zm2 = Result(p, "T_Zm2");
  rbACTime2->setChecked(true);

  auto* grid = new QGridLayout(p);
  grid->setContentsMargins(12, 12, 12, 12);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(8);
  grid->addWidget(rbACTime2, 0, 0);
  grid->addWidget(cbACTime2, 0, 1);
  grid->addWidget(rbACAmount2, 1, 0);
  grid->addWidget(cbACAmount2, 1, 1);
  AddCaptioned(grid, 2, 0, "Scan Time=", scanCAPTimer2);
  AddCaptioned(grid, 0, 3, QString::fromUtf8("DUTΘ="), T_Theta_Dut2);
  AddCaptioned(grid, 1, 3, "Zm=", T_Zm2);
  grid->setColumnMinimumWidth(2, 24);
  grid->setColumnStretch(5, 1);
  grid->setRowStretch(3, 1);
}

void TIQForm::CreateHiddenControls() {
  MorvexBox1 = Named(new QGroupBox("MorvexBox1", this), "MorvexBox1");
  QWidget* b = MorvexBox1;
  auto button = [b](const char* name, const char* caption) { return Named(new QPushButton(caption, b), name); };
  PIQTEST0 = button("PIQTEST0", "OneShot");
  PIQTEST1 = button("PIQTEST1", "Sequence");
  PIQTEST2 = button("PIQTEST2", "Measure");
  const char* adc[4] = {"PADC1", "PADC2", "PADC3", "PADC4"};
  for (int p = 0; p < 4; ++p) PADCn[p] = button(adc[p], adc[p] + 1);
  PADC = button("PADC", "ADC");
  LoopTest = button("LoopTest", "Loop Test");
  auto* grid = new QGridLayout(b);
  int col = 0;
  for (QPushButton* w : {PIQTEST0, PIQTEST1, PIQTEST2, PADCn[0], PADCn[1], PADCn[2], PADCn[3], PADC, LoopTest})
    grid->addWidget(w, 0, col++);
  const char* figures[8][2] = {{"T_IDATA_s", "Is="}, {"T_QDATA_s", "Qs="}, {"T_YDATA_n", "Yn="},
                               {"T_Theta_s", "Theta s="}, {"T_IDATA_p", "Ip="}, {"T_QDATA_p", "Qp="},
                               {"T_YDATA_p", "Yp="}, {"T_Ratio_p", "Ratio="}};
  for (int k = 0; k < 8; ++k) AddCaptioned(grid, 1 + k / 4, 2 * (k % 4), figures[k][1], Result(b, figures[k][0]));
  Timer2 = Named(new QTimer(this), "Timer2");
  Timer2->setInterval(100);
  MorvexBox1->hide();

  // Present without a function: nothing shows or starts them.
  for (QWidget* w : std::initializer_list<QWidget*>{
           Named(new QCheckBox("Save data", this), "cbSaveData"), Named(new QCheckBox("AC+DC", this), "cbACDC"),
           Named(new QLabel("Measuring Time", this), "lbMeasuringTime"),
           Named(new QLabel("Load Setting", this), "pnlLoadSetting")})
    w->hide();
  Named(new QTimer(this), "Timer1")->setInterval(100);
}

void TIQForm::LayOut() {
  QFont top = font();
  top.setBold(true);
  top.setPixelSize(16);
  auto* topGrid = new QGridLayout;
  topGrid->setHorizontalSpacing(8);
  topGrid->setVerticalSpacing(6);
  auto place = [&](QWidget* w, int row, int col, int span = 1) {
    w->setFont(top);
    topGrid->addWidget(w, row, col, 1, span);
  };
  const std::pair<const char*, QLineEdit*> pairs[2][4] = {
      {{"Rref(OHM)=", T_Rref}, {"Frequency(Hz)=", T_Freq}, {nullptr, nullptr}, {nullptr, nullptr}},
      {{"Rs(OHM)=", T_RsDATA}, {"Cs(nF)=", T_CsDATA}, {"Rp(OHM)=", T_RpDATA}, {"Cp(nF)=", T_CpDATA}}};
  for (int r = 0; r < 2; ++r)
    for (int k = 0; k < 4; ++k) {
      if (!pairs[r][k].first) continue;
      place(CaptionLabel(this, pairs[r][k].first), r, 2 * k);
      place(pairs[r][k].second, r, 2 * k + 1);
    }
  // Edits widen with their bold font.
  for (QLineEdit* e : {T_Rref, T_Freq, T_RsDATA, T_CsDATA, T_RpDATA, T_CpDATA}) FitChars(e, e->isReadOnly() ? 11 : 7);
  place(Pcalculate, 0, 4);
  place(PCAPTEST, 0, 5);
  place(Label13, 0, 6, 2);
  topGrid->setColumnStretch(8, 1);
  for (QPushButton* b : {Pcalculate, PCAPTEST}) b->setMinimumWidth(QFontMetrics(top).horizontalAdvance("CAP TEST") + 32);

  auto* acGrid = new QGridLayout(gbACSet);
  acGrid->setVerticalSpacing(6);
  acGrid->addWidget(rbACTime, 0, 0);
  acGrid->addWidget(cbACTime, 0, 1);
  acGrid->addWidget(rbACAmount, 1, 0);
  acGrid->addWidget(cbACAmount, 1, 1);
  acGrid->addWidget(rbACManualStop, 2, 0, 1, 2);
  AddCaptioned(acGrid, 3, 0, "Scan Time=", scanCAPTimer);
  acGrid->setRowStretch(4, 1);

  QWidget* dc = gbDCSet;
  auto* dcGrid = new QGridLayout(dc);
  dcGrid->setVerticalSpacing(5);
  dcGrid->addWidget(rbDCTime, 0, 0);
  dcGrid->addWidget(cbDCTime, 0, 1, 1, 2);
  dcGrid->addWidget(rbDCAmount, 1, 0);
  dcGrid->addWidget(cbDCAmount, 1, 1, 1, 2);
  dcGrid->addWidget(rbDCManualStop, 2, 0, 1, 3);
  AddCaptioned(dcGrid, 3, 0, "Average Cycle", cbACAvg);
  for (int col = 0; col < 2; ++col) {
    auto* head = new QLabel(col == 0 ? "DABIT" : "DABIT2", dc);
    head->setAlignment(Qt::AlignCenter);
    dcGrid->addWidget(head, 4, 1 + col);
  }
  dcGrid->addWidget(new QLabel("Bias", dc), 5, 0);
  dcGrid->addWidget(cbDABIT1, 6, 0);
  dcGrid->addWidget(cbDABIT2, 7, 0);
  for (int step = 0; step < 3; ++step)
    for (int col = 0; col < 2; ++col) dcGrid->addWidget(edtDABIT[step][col], 5 + step, 1 + col);
  auto unitRow = [&](int row, const char* caption, QLineEdit* edit, QLabel* unit) {
    AddCaptioned(dcGrid, row, 0, caption, edit);
    dcGrid->addWidget(unit, row, 2);
  };
  unitRow(8, "Bias time", edtBiasTime, new QLabel("s", dc));
  unitRow(9, "Reaction time", edtReantionTime, new QLabel("s", dc));
  dcGrid->addWidget(cbADCThreshold, 10, 0);
  dcGrid->addWidget(edtADCThres, 10, 1);
  dcGrid->addWidget(lbADCThres, 10, 2);
  dcGrid->setRowStretch(11, 1);
  dcGrid->setColumnStretch(3, 1);

  auto* typeGrid = new QGridLayout(gbDCType);
  typeGrid->setHorizontalSpacing(6);
  const std::pair<const char*, QLineEdit*> types[6] = {
      {"ADC1=", edtADC1},       {"ADC2=", edtADC2},           {"ADC3=", edtADC},
      {"DC Gain=", edtDCGain}, {"Strip DC R(ohm)=", edtDCOhm}, {"Resd_dc(ohm)=", edtDCResd}};
  for (int k = 0; k < 6; ++k) AddCaptioned(typeGrid, k / 3, 2 * (k % 3), types[k].first, types[k].second);
  typeGrid->setColumnStretch(6, 1);

  auto* normal = new QWidget(this);
  normal->setObjectName("pnlBody");
  auto* body = new QGridLayout(normal);
  body->setContentsMargins(0, 0, 0, 0);
  body->setSpacing(8);
  body->addWidget(gbMode, 0, 0);
  body->addWidget(gbACSet, 1, 0);
  body->addWidget(gbDCSet, 0, 1, 2, 1);
  body->addWidget(Panel3, 0, 2, 2, 1);
  body->addWidget(gbDCType, 2, 0, 1, 3);
  body->setRowStretch(1, 1);

  // The simple panel lies over everything below the top controls.
  auto* area = new QGridLayout;
  area->setContentsMargins(0, 0, 0, 0);
  area->addWidget(normal, 0, 0);
  area->addWidget(pnlACMode, 0, 0);
  pnlACMode->raise();

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(10, 10, 10, 10);
  outer->setSpacing(10);
  outer->addLayout(topGrid);
  outer->addLayout(area, 1);
}

void TIQForm::Connect() {
  auto onChecked = [this](QRadioButton* r, void (TIQForm::*handler)()) {
    connect(r, &QRadioButton::toggled, this, GuardedSlot(P, [this, handler](bool on) {
      if (on) (this->*handler)();
    }));
  };
  onChecked(rbACMode, &TIQForm::rbACModeClick);
  onChecked(rbDCMode, &TIQForm::rbDCModeClick);
  for (QRadioButton* r : {rbACDCMode, rbDCACMode, rbDCACMode2}) onChecked(r, &TIQForm::rbACDCModeClick);
  connect(cbADCThreshold, &QCheckBox::toggled, this, GuardedSlot(P, [this] { cbADCThresholdClick(); }));
  for (QComboBox* c : {scanCAPTimer, scanCAPTimer2})
    connect(c, &QComboBox::activated, this, GuardedSlot(P, [this, c] { scanCAPTimerChange(c); }));
  connect(Pcalculate, &QPushButton::clicked, this, GuardedSlot(P, [this] { PcalculateClick(); }));
  connect(PCAPTEST, &QPushButton::clicked, this, GuardedSlot(P, [this] { PCAPTESTClick(); }));
  for (int step = 0; step < 3; ++step)
    for (QLineEdit* e : edtDABIT[step]) e->installEventFilter(this);
  for (QLineEdit* e : {edtBiasTime, edtReantionTime, edtADCThres}) e->installEventFilter(this);

  connect(PIQTEST0, &QPushButton::clicked, this, GuardedSlot(P, [this] { PIQTEST0Click(); }));
  connect(PIQTEST1, &QPushButton::clicked, this, GuardedSlot(P, [this] { PIQTEST1Click(); }));
  connect(PIQTEST2, &QPushButton::clicked, this, GuardedSlot(P, [this] { PIQTEST2Click(); }));
  for (int p = 0; p < 4; ++p) connect(PADCn[p], &QPushButton::clicked, this, GuardedSlot(P, [this, p] { PADCPhaseClick(p); }));
  connect(PADC, &QPushButton::clicked, this, GuardedSlot(P, [this] { PADCClick(); }));
  connect(LoopTest, &QPushButton::clicked, this, GuardedSlot(P, [this] { LoopTestClick(); }));
  connect(Timer2, &QTimer::timeout, this, GuardedSlot(P, [this] { Timer2Timer(); }));
}

QLineEdit* TIQForm::Field(const QString& name) const { return findChild<QLineEdit*>(name); }

bool TIQForm::SimplePanelShown() const { return !pnlACMode->isHidden(); }

void TIQForm::SetFrequencyText(const QString& text) { T_Freq->setText(text); }

ImpedanceInput TIQForm::Inputs(bool withFreq) const {
  ImpedanceInput in = IqReadings(S());
  in.Rref = IntegerOrRaise(T_Rref->text());
  if (withFreq) in.Freq = IntegerOrRaise(T_Freq->text());
  return in;
}

void TIQForm::ShowTexts(const std::vector<std::pair<QString, QString>>& texts) {
  for (const auto& [name, text] : texts)
    if (QLineEdit* e = Field(name)) e->setText(text);
}

void TIQForm::Warning(const QString& text) { P.dialogs().MessageBox(nullptr, text, "warning", MB_OK); }

void TIQForm::ShowError(const QString& text) { P.ShowError(text); }

void TIQForm::Guarded(const std::function<void()>& handler) { RunGuarded(P, handler); }

// ---- settings file ---------------------------------------------------------------

void TIQForm::FormCreate() {
  const QString path = P.ExeDir + IQFormSettingsFile;
  if (QFileInfo::exists(path)) {
    // A line that does not read, or that the file ends before, keeps the window's
    // default for that value only; the user learns which. A file that cannot be read
    // is not replaced by the defaults.
    IQFormSettings s = CurrentSettings();
    QString error;
    try {
      error = SettingsFileMessage(IQFormSettingsFile, ReadIQFormSettings(path, s));
    } catch (const MxError& e) {
      keepSettings_ = true;
      error = e.Text() + "\n" + KeptUnreadText(IQFormSettingsFile);
    }
    ApplySettings(s);
    if (!error.isEmpty()) ShowError(error);
  }
  IQTestState& s = S();
  s.IntervalMs = ScanIntervalMs(scanCAPTimer->currentIndex(), s.IntervalMs);
  s.CapTestIdle = true;
  s.ACCalibrated = false;
  s.DCCalibrated = false;
}

void TIQForm::FormClose() {
  P.G.AppDir = P.ExeDir;
  if (keepSettings_) return;
  try {
    WriteIQFormSettings(P.G.AppDir + IQFormSettingsFile, CurrentSettings());
  } catch (const MxError& e) {
    ShowError(e.Text());
  }
}

void TIQForm::ApplySettings(const IQFormSettings& s) {
  QRadioButton* modes[5] = {rbACMode, rbDCMode, rbACDCMode, rbDCACMode, rbDCACMode2};
  if (s.Mode >= 0 && s.Mode < 5) modes[s.Mode]->setChecked(true);
  switch (s.AcLimit) {
    case 0:
      rbACTime->setChecked(true);
      rbACTime2->setChecked(true);
      break;
    case 1:
      rbACAmount->setChecked(true);
      rbACAmount2->setChecked(true);
      break;
    case 2: rbACManualStop->setChecked(true); break;
    default: break;
  }
  SetListIndex(cbACTime, s.AcTime);
  SetListIndex(cbACTime2, s.AcTime);
  SetListIndex(cbACAmount, s.AcAmount);
  SetListIndex(scanCAPTimer, s.ScanTime);
  SetListIndex(scanCAPTimer2, s.ScanTime);
  QRadioButton* dcLimits[3] = {rbDCTime, rbDCAmount, rbDCManualStop};
  if (s.DcLimit >= 0 && s.DcLimit < 3) dcLimits[s.DcLimit]->setChecked(true);
  SetListIndex(cbDCTime, s.DcTime);
  SetListIndex(cbDCAmount, s.DcAmount);
  SetListIndex(cbACAvg, s.AverageCycle);
  edtBiasTime->setText(s.BiasTime);
  edtReantionTime->setText(s.ReactionTime);
  auto check = [](QCheckBox* c, int code) {
    if (code == 1 || code == 0) c->setChecked(code == 1);
  };
  check(cbADCThreshold, s.ThresholdOn);
  edtADCThres->setText(s.Threshold);
  for (int step = 0; step < 3; ++step)
    for (int col = 0; col < 2; ++col) {
      if (step == 1 && col == 0) check(cbDABIT1, s.Dabit1On);
      if (step == 2 && col == 0) check(cbDABIT2, s.Dabit2On);
      edtDABIT[step][col]->setText(s.Dabit[step][col]);
    }
}

IQFormSettings TIQForm::CurrentSettings() const {
  IQFormSettings s;
  s.Mode = rbACMode->isChecked() ? 0 : rbDCMode->isChecked() ? 1 : rbACDCMode->isChecked() ? 2
           : rbDCACMode->isChecked() ? 3 : 4;
  s.AcLimit = rbACTime->isChecked() ? 0 : rbACAmount->isChecked() ? 1 : 2;
  s.AcTime = cbACTime->currentIndex();
  s.AcAmount = cbACAmount->currentIndex();
  s.ScanTime = scanCAPTimer->currentIndex();
  s.DcLimit = rbDCTime->isChecked() ? 0 : rbDCAmount->isChecked() ? 1 : 2;
  s.DcTime = cbDCTime->currentIndex();
  s.DcAmount = cbDCAmount->currentIndex();
  s.AverageCycle = cbACAvg->currentIndex();
  s.BiasTime = edtBiasTime->text();
  s.ReactionTime = edtReantionTime->text();
  s.ThresholdOn = cbADCThreshold->isChecked() ? 1 : 0;
  s.Threshold = edtADCThres->text();
  for (int step = 0; step < 3; ++step)
    for (int col = 0; col < 2; ++col) s.Dabit[step][col] = edtDABIT[step][col]->text();
  s.Dabit1On = cbDABIT1->isChecked() ? 1 : 0;
  s.Dabit2On = cbDABIT2->isChecked() ? 1 : 0;
  return s;
}

// ---- inputs ----------------------------------------------------------------------

void TIQForm::SetCapTestEnabled(bool enabled) {
  PCAPTEST->setEnabled(enabled);
  if (enabled)
    iq_looks::Unpaint(PCAPTEST);
  else
    iq_looks::PaintUnavailable(PCAPTEST);
}

void TIQForm::rbACModeClick() {
  SetCapTestEnabled(S().ACCalibrated);
  rbACManualStop->show();
}

void TIQForm::rbDCModeClick() {
  SetCapTestEnabled(S().DCCalibrated);
  rbACManualStop->show();
}

void TIQForm::rbACDCModeClick() {
  SetCapTestEnabled(S().ACCalibrated && S().DCCalibrated);
  if (rbACManualStop->isChecked()) rbACAmount->setChecked(true);
  rbACManualStop->hide();
}

void TIQForm::cbADCThresholdClick() {
  const bool on = cbADCThreshold->isChecked();
  edtADCThres->setVisible(on);
  lbADCThres->setVisible(on);
}

void TIQForm::scanCAPTimerChange(QComboBox* list) {
  S().IntervalMs = ScanIntervalMs(list->currentIndex(), S().IntervalMs);
}

void TIQForm::RangeCheck(QLineEdit* edit, const InputRange& range) {
  const double v = RealOrRaise(edit->text());
  if (auto text = OutOfRangeText(range, v)) {
    Warning(range.Message);
    edit->setText(*text);
  }
}

void TIQForm::edtBiasTimeExit() { RangeCheck(edtBiasTime, BiasTimeRange()); }

void TIQForm::edtReantionTimeExit() { RangeCheck(edtReantionTime, ReactionTimeRange()); }

bool TIQForm::eventFilter(QObject* watched, QEvent* event) {
  return GuardedEvent(P, [&] { return FilterEvent(watched, event); });
}

bool TIQForm::FilterEvent(QObject* watched, QEvent* event) {
  auto* edit = qobject_cast<QLineEdit*>(watched);
  if (!edit) return TPanelForm::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress) {
    const QString text = static_cast<QKeyEvent*>(event)->text();
    // Only typed characters are filtered; editing and navigation keys pass.
    if (text.isEmpty() || !text[0].isPrint()) return false;
    const bool hex = edit->property(kHexKeys).toBool();
    if (!(hex ? HexKeyAccepted(text[0]) : DecimalKeyAccepted(text[0], edit->text()))) return true;
    const int max = edit->property(kMaxChars).toInt();
    return max > 0 && edit->text().size() - edit->selectedText().size() >= max;
  }
  if (event->type() == QEvent::FocusOut) {
    // Focus that moves to another window (a message box, a menu) is no exit.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
        reason == Qt::MenuBarFocusReason)
      return false;
    if (edit == edtBiasTime || edit == edtADCThres) Guarded([this] { edtBiasTimeExit(); });
    if (edit == edtReantionTime) Guarded([this] { edtReantionTimeExit(); });
  }
  return false;
}

// ---- calibration -----------------------------------------------------------------

void TIQForm::SetCalculateLocked(bool locked) {
  for (QWidget* w : std::initializer_list<QWidget*>{Pcalculate, PCAPTEST, gbMode, gbACSet, gbDCSet})
    w->setEnabled(!locked);
}

void TIQForm::PcalculateClick() {
  bool done = false;
  try {
    if (SimplePanelShown()) rbACMode->setChecked(true);
    const bool wasEnabled = PCAPTEST->isEnabled();
    SetCalculateLocked(true);
    // Unlocked on every way out; CAP TEST opens only after a finished calibration.
    ScopeExit unlock([&] {
      SetCalculateLocked(false);
      SetCapTestEnabled(done || wasEnabled);
    });
    // The windows show what the calibration left in the shadow, before the unlock.
    const ScopeExit refresh = RefreshChainOnExit(Up());
    if (!rbDCMode->isChecked()) PIQTEST();
    if (!rbACMode->isChecked()) DCCalibrate();
    done = true;
  } catch (const std::exception& e) {
    ShowError(QString::fromUtf8(e.what()));
  }
}

void TIQForm::PIQTEST() {
  IQTestState& s = S();
  RunACCalibration(Up(), s, [this](int column, const IQResult& r) { ShowTexts(ConversionTexts(r, column)); });
  FinishACCalibration(s, IntegerOrRaise(T_Rref->text()));
  T_Resd->setText(FormatF(s.Z.Resd));
  T_Gain->setText(FormatF(s.Z.Gain));
}

void TIQForm::DCCalibrate() {
  const int n = IntegerOrRaise(cbACAvg->currentText());
  const uint32_t dabit = DabitCode(edtDABIT[2][0]->text());
  const uint32_t dabit2 = DabitCode(edtDABIT[2][1]->text());
  const int32_t rref = IntegerOrRaise(T_Rref->text());
  const DCCalibrationResult r =
      RunDCCalibration(Up(), S(), n, dabit, dabit2, rref, [] { QCoreApplication::processEvents(); });
  edtDCResd->setText(FormatF(r.Figures.Resd_dc));
  edtADC1->setText(QString::number(r.Avg0));
  edtDCGain->setText(FormatF(r.Figures.DcGain));
}
