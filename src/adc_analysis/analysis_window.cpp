#include "adc_analysis/analysis_window.h"

#include "common/handler_guard.h"
#include "common/scope_exit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>
#include <vector>
#include <qcustomplot.h>

#include "adc_analysis/block_averaging.h"
#include "adc_analysis/capture_files.h"
#include "adc_analysis/capture_loop.h"
#include "adc_analysis/ekg_detector.h"
#include "adc_analysis/switch_channel_test.h"
#include "adc_analysis/value_grid_model.h"
#include "common/figure_text.h"
#include "kit/bench.h"
#include "kit/segment_display.h"
#include "link/mx_up.h"
#include "platform/clock.h"
#include "platform/dialogs.h"

namespace {

// How often the value grid shows a running capture's new values: about as often as
// the link timer redraws the live chart.
constexpr int64_t GridRefreshUs = 250'000;

template <typename W>
W* Named(W* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
  return Named(new QLabel(text, parent), name);
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& text) {
  return Named(new QLineEdit(text, parent), name);
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
  return Named(new QPushButton(caption, parent), name);
}

QCheckBox* MakeCheck(QWidget* parent, const char* name, const QString& caption, bool checked = false) {
  auto* c = Named(new QCheckBox(caption, parent), name);
  c->setChecked(checked);
  return c;
}

// A drop-down; `editable` ones also take typed text.
QComboBox* MakeCombo(QWidget* parent, const char* name, const QStringList& items, int index, bool editable) {
  auto* c = Named(new QComboBox(parent), name);
  c->setEditable(editable);
  if (editable) {
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setCompleter(nullptr);  // a typed text stays as typed
  }
  c->addItems(items);
  c->setCurrentIndex(index);
  return c;
}

// The item a selector stands on: -1 when its text (typed) is none of the items.
int ItemIndex(const QComboBox* c) {
  const QString text = c->currentText();
  const int i = c->currentIndex();
  if (i >= 0 && c->itemText(i) == text) return i;
  return c->findText(text, Qt::MatchExactly);
}

// A figure: copied, never typed into.
QLineEdit* MakeFigureEdit(QWidget* parent, const char* name) {
  QLineEdit* e = MakeEdit(parent, name, QString());
  e->setReadOnly(true);
  e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  e->setMinimumWidth(e->fontMetrics().horizontalAdvance("-00000000.00") + 14);
  return e;
}

// The figures the window shows, a column each in this order: the column's head and
// the edits of the ADC (ADI in I/Q mode) row and of the ADQ row.
struct ShownFigure {
  Figure figure;
  const char* headName;
  const char* head;
  const char* editName;
  const char* adqEditName;
  QLineEdit* TAnxADC::*edit;
  QLineEdit* TAnxADC::*adqEdit;
};
constexpr ShownFigure kShownFigures[] = {
    {Figure::Enob, "LabelENOB", "ENOB", "TXENOB", "TXENOB_ADQ", &TAnxADC::TXENOB, &TAnxADC::TXENOB_ADQ},
    {Figure::NoiseFree, "LabelNFree", "Noise Free", "TXNFREE", "TXNFREE_ADQ", &TAnxADC::TXNFREE,
     &TAnxADC::TXNFREE_ADQ},
    {Figure::Average, "LabelAverage", "Average", "TXOffset", "TXOffset_ADQ", &TAnxADC::TXOffset,
     &TAnxADC::TXOffset_ADQ},
    {Figure::VppNv, "LabelVpp", "Vp-p Noise", "TXVPP", "TXVPP_ADQ", &TAnxADC::TXVPP, &TAnxADC::TXVPP_ADQ},
    {Figure::RmsNv, "LabelNrms", "RMS Noise", "TXNrms", "TXNrms_ADQ", &TAnxADC::TXNrms, &TAnxADC::TXNrms_ADQ},
};

void SetBold(QWidget* w) {
  QFont f = w->font();
  f.setBold(true);
  w->setFont(f);
}

// A caption above its control.
QVBoxLayout* Captioned(QLabel* caption, QWidget* control, QWidget* unit = nullptr) {
  auto* box = new QVBoxLayout;
  box->setSpacing(2);
  box->addWidget(caption);
  if (unit) {
    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    row->addWidget(control);
    row->addWidget(unit);
    box->addLayout(row);
  } else {
    box->addWidget(control);
  }
  return box;
}

}  // namespace

TAnxADC::TAnxADC(Bench& program, QWidget* parent)
    : TPanelForm(program, "AnxADC", QString::fromUtf8("Analyse ADC"), parent), st(program.G) {
  setMinimumSize(714, 277);
  CreateChipDefinitionControls();
  CreateControls();
  CreateHiddenTools();
  CreateChart();
  LayOut();
  resize(sizeHint());
}

TAnxADC::~TAnxADC() = default;

// Fits the main window's area; sixteen columns of six-digit values need no scrolling.
QSize TAnxADC::sizeHint() const { return QSize(1000, 580); }

void TAnxADC::CreateControls() {
  Panel1 = Named(new QFrame(this), "Panel1");
  QWidget* p = Panel1;

  NPointIndex = MakeCombo(p, "NPointIndex",
                          {"32", "64", "128", "256", "512", "1024", "2048", "4096", "8192", "16384", "32768",
                           "65536", "131072"},
                          1, true);
  QStringList bits;
  for (int b = 8; b <= 23; ++b) bits << QString::number(b);
  TXScale = MakeCombo(p, "TXScale", bits, 15, true);
  EREFV = MakeEdit(p, "EREFV", "2.4");
  EREFV->setMaximumWidth(70);
  NPointIndex->setMinimumWidth(NPointIndex->fontMetrics().horizontalAdvance("131072") + 40);
  CMAVR = MakeCombo(p, "CMAVR", {"1", "2", "4", "8", "16", "32"}, 0, true);

  CatchADC = MakeButton(p, "CatchADC", "Catch ADC");
  SetBold(CatchADC);
  SaveData = MakeButton(p, "SaveData", "Save to CSV");
  ShowChart = MakeButton(p, "ShowChart", "Chang to Chart");
  for (QPushButton* b : {CatchADC, SaveData, ShowChart})
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance("Chang to vaule") + 28);
  updateChart = MakeCheck(p, "updateChart", "Update Chart");

  GroupBox2 = Named(new QGroupBox("Chart display", p), "GroupBox2");
  rdADC = Named(new QRadioButton("ADC", GroupBox2), "rdADC");
  rbEKG = Named(new QRadioButton("EKG", GroupBox2), "rbEKG");
  rbADC_EKG = Named(new QRadioButton("ADC+EKG", GroupBox2), "rbADC_EKG");
  rdADC->setChecked(true);
  auto* radios = new QVBoxLayout(GroupBox2);
  for (QRadioButton* r : {rdADC, rbEKG, rbADC_EKG}) radios->addWidget(r);
  GroupBox2->hide();

  // The ECG group comes with the chip definition's controls; its edits go in here.
  edtFactor = MakeEdit(gbECG, "edtFactor", "480");
  edtAverCoef = MakeEdit(gbECG, "edtAverCoef", "96.875");
  edtTHR = MakeEdit(gbECG, "edtTHR", "90000");
  auto* ecg = new QFormLayout(gbECG);
  ecg->addRow(MakeLabel(gbECG, "labFactor", QString::fromUtf8("取樣速度(SPS) :")), edtFactor);
  ecg->addRow(MakeLabel(gbECG, "labAverCoef", QString::fromUtf8("平均係數(0-99) :")), edtAverCoef);
  ecg->addRow(MakeLabel(gbECG, "labTHR", QString::fromUtf8("心率閥值 :")), edtTHR);
  for (QLineEdit* e : {edtFactor, edtAverCoef, edtTHR}) e->setMaximumWidth(90);

  labHeartRate = MakeLabel(p, "labHeartRate", "Heart Rate:");
  labHR = MakeLabel(p, "labHR", "HR :");
  labSDDN = MakeLabel(p, "labSDDN", "SDDN :");
  labNN50 = MakeLabel(p, "labNN50", "NN50 :");
  labPNN50 = MakeLabel(p, "labPNN50", "PNN50 :");
  for (QLabel* l : {labHeartRate, labHR, labSDDN, labNN50, labPNN50}) l->hide();

  Label17 = MakeLabel(p, "Label17", "ADC");
  Label18 = MakeLabel(p, "Label18", "ADQ");
  for (QLabel* l : {labHeartRate, Label17, Label18}) SetBold(l);
  for (const ShownFigure& f : kShownFigures) this->*f.edit = MakeFigureEdit(p, f.editName);
  for (const ShownFigure& f : kShownFigures) this->*f.adqEdit = MakeFigureEdit(p, f.adqEditName);
  ShowAdqRow(false);

  MemoryF = Named(new QTableView(p), "MemoryF");
  gridModel_ = std::make_unique<ValueGridModel>(st.MemoryF);
  MemoryF->setModel(gridModel_.get());
  MemoryF->setEditTriggers(QAbstractItemView::NoEditTriggers);
  MemoryF->setSelectionMode(QAbstractItemView::ContiguousSelection);
  MemoryF->setWordWrap(false);
  MemoryF->setTextElideMode(Qt::ElideRight);
  MemoryF->setAlternatingRowColors(true);
  QHeaderView* rows = MemoryF->verticalHeader();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(MemoryF->fontMetrics().height() + 6);
  rows->setDefaultAlignment(Qt::AlignCenter);
  MemoryF->horizontalHeader()->setMinimumSectionSize(20);
  MemoryF->horizontalHeader()->setHighlightSections(false);
  rows->setHighlightSections(false);
  // Row 0 and column 0 hold the labels, which the headers show.
  auto hideLabelCells = [this] {
    MemoryF->setRowHidden(0, true);
    MemoryF->setColumnHidden(0, true);
  };
  hideLabelCells();
  connect(gridModel_.get(), &QAbstractItemModel::modelReset, this, GuardedSlot(P, hideLabelCells));
  MemoryF->viewport()->installEventFilter(this);

  // Handlers: the selectors answer the user's choice or typing; the boxes any change.
  auto onChoice = [this](QComboBox* c, void (TAnxADC::*handler)()) {
    connect(c, &QComboBox::activated, this, GuardedSlot(P, this, handler));
    connect(c->lineEdit(), &QLineEdit::textEdited, this, GuardedSlot(P, this, handler));
  };
  onChoice(NPointIndex, &TAnxADC::NPointIndexChange);
  onChoice(TXScale, &TAnxADC::TXScaleChange);
  onChoice(CMAVR, &TAnxADC::CMAVRChange);
  connect(ChangeADI, &QCheckBox::toggled, this, GuardedSlot(P, this, &TAnxADC::ChangeADIClick));
  connect(cbEKG, &QCheckBox::toggled, this, GuardedSlot(P, this, &TAnxADC::cbEKGClick));
  connect(CatchADC, &QPushButton::clicked, this, GuardedSlot(P, this, &TAnxADC::CatchADCClick));
  connect(SaveData, &QPushButton::clicked, this, GuardedSlot(P, this, &TAnxADC::SaveDataClick));
  connect(ShowChart, &QPushButton::clicked, this, GuardedSlot(P, this, &TAnxADC::ShowChartClick));
  for (QRadioButton* r : {rdADC, rbEKG, rbADC_EKG})
    connect(r, &QRadioButton::toggled, this, GuardedSlot(P, [this, r](bool checked) {
      if (checked) ChangeChartClick(r);
    }));
}

void TAnxADC::CreateHiddenTools() {
  QWidget* p = Panel1;
  FastRead = MakeCheck(p, "FastRead", QString::fromUtf8("中斷讀取"), true);
  ChTemper = MakeCheck(p, "ChTemper", "Temperature");
  BFlashRD = MakeButton(p, "BFlashRD", "Ca. Temp");
  FTChange = MakeButton(p, "FTChange", "Change Average ");
  ENumD = MakeEdit(p, "ENumD", "16");
  TXVRMS = MakeLabel(p, "TXVRMS", QString());
  TXVRMS->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Label8 = MakeLabel(p, "Label8", "Vrms");

  GroupBox3 = Named(new QGroupBox("ECG", p), "GroupBox3");
  auto* filter = new QFormLayout(GroupBox3);
  const char* names[6] = {"edtF0", "edtF1", "edtF2", "edtF3", "edtF4", "edtF5"};
  const char* labels[6] = {"LabelF0", "LabelF1", "LabelF2", "LabelF3", "LabelF4", "LabelF5"};
  const char* texts[6] = {"0.05", "0.03798", "0.00779", "-0.02588", "-0.04677", "-0.04502"};
  for (int i = 0; i < 6; ++i) {
    edtF[i] = MakeEdit(GroupBox3, names[i], texts[i]);
    filter->addRow(MakeLabel(GroupBox3, labels[i], QStringLiteral("F[%1]").arg(i)), edtF[i]);
  }
  edtFGain = MakeEdit(GroupBox3, "edtFGain", "3.3");
  filter->addRow(MakeLabel(GroupBox3, "LabelFGain", "F_gain"), edtFGain);

  ADCPanel = Named(new QFrame(p), "ADCPanel");
  ADCPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  LCDADCP = Named(new TLcdArray(ADCPanel), "LCDADCP");
  const QColor face = palette().color(QPalette::Button);
  LCDADCP->SetOnColor(Qt::blue);
  LCDADCP->SetOffColor(face);
  LCDADCP->SetBackColor(face);
  LCDADCP->SetSegWidth(10);
  LCDADCP->SetMargin(6);
  LCDADCP->SetDigit(8);
  LCDADCP->SetDotCount(0);
  LCDADCP->SetLeftZero(true);
  LCDADCP->SetCaption("0");

  PreViewADC = MakeButton(p, "PreViewADC", "Int.  ADC");
  ExtADC = MakeButton(p, "ExtADC", "Ext. ADC");
  Label11 = MakeLabel(p, "Label11", QString());
  PreADCAddr = MakeEdit(p, "PreADCAddr", "D4");
  CFunADC = MakeCombo(p, "CFunADC", {"Free", "Cancel Pos Zero", "Cancel Neg Zero", "Chopper "}, 0, false);
  ComFun = MakeCombo(p, "ComFun", {"Scale", "DMM"}, 0, false);
  Label4 = MakeLabel(p, "Label4", QString());
  CalVal = MakeEdit(p, "CalVal", "500");
  BCALVal = MakeButton(p, "BCALVal", "Cal. Valtage");
  BADC = MakeButton(p, "BADC", "ADC-Temp");
  Button1 = MakeButton(p, "Button1", "Button1");
  Edit1 = MakeEdit(p, "Edit1", QString());
  ECompare = MakeEdit(p, "ECompare", "5");
  ChFilter = MakeCheck(p, "ChFilter", "Filter");
  EGv = MakeEdit(p, "EGv", QString());
  Timer1 = Named(new QTimer(this), "Timer1");
  Timer1->setInterval(20);

  for (QWidget* w : std::initializer_list<QWidget*>{
           FastRead, ChTemper, BFlashRD, FTChange, ENumD, TXVRMS, Label8, GroupBox3, ADCPanel, PreViewADC, ExtADC,
           Label11, PreADCAddr, CFunADC, ComFun, Label4, CalVal, BCALVal, BADC, Button1, Edit1, ECompare, ChFilter,
           EGv})
    w->hide();

  connect(BFlashRD, &QPushButton::clicked, this, GuardedSlot(P, this, &TAnxADC::BFlashRDClick));
  connect(FTChange, &QPushButton::clicked, this, GuardedSlot(P, this, &TAnxADC::FTChangeClick));
  connect(ComFun, &QComboBox::activated, this, GuardedSlot(P, this, &TAnxADC::ComFunChange));
  connect(BADC, &QPushButton::clicked, this, GuardedSlot(P, this, &TAnxADC::BADCClick));
  connect(PreViewADC, &QPushButton::clicked, this, GuardedSlot(P, this, &TAnxADC::PreViewADCClick));
  connect(ExtADC, &QPushButton::clicked, this, GuardedSlot(P, this, &TAnxADC::ExtADCClick));
  connect(BCALVal, &QPushButton::clicked, this, GuardedSlot(P, this, &TAnxADC::BCALValClick));
  connect(Button1, &QPushButton::clicked, this, GuardedSlot(P, this, &TAnxADC::Button1Click));
  connect(Timer1, &QTimer::timeout, this, GuardedSlot(P, this, &TAnxADC::Timer1Timer));
}

void TAnxADC::LayOut() {
  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->addWidget(Panel1);

  auto* main = new QVBoxLayout(Panel1);
  main->setContentsMargins(8, 6, 8, 8);
  main->setSpacing(6);

  // Settings and the run buttons.
  auto* settings = new QHBoxLayout;
  settings->setSpacing(14);
  settings->addLayout(Captioned(MakeLabel(Panel1, "LabelNPoint", "Sample Point"), NPointIndex));
  settings->addLayout(Captioned(MakeLabel(Panel1, "LabelScale", "Scale"), TXScale));
  settings->addLayout(
      Captioned(MakeLabel(Panel1, "LabelRefVolt", "Ref Volt"), EREFV, MakeLabel(Panel1, "LabelVolt", "V")));
  settings->addLayout(Captioned(MakeLabel(Panel1, "LabelAvr", "Avr. Times"), CMAVR));
  settings->addStretch(1);
  for (QPushButton* b : {CatchADC, SaveData, ShowChart}) settings->addWidget(b, 0, Qt::AlignBottom);
  main->addLayout(settings);

  // The figures, a row a channel, and the switches.
  auto* results = new QHBoxLayout;
  auto* figures = new QGridLayout;
  figures->setHorizontalSpacing(6);
  figures->setVerticalSpacing(3);
  int column = 1;
  for (const ShownFigure& f : kShownFigures) {
    figures->addWidget(MakeLabel(Panel1, f.headName, f.head), 0, column, Qt::AlignHCenter | Qt::AlignBottom);
    figures->addWidget(this->*f.edit, 1, column);
    figures->addWidget(this->*f.adqEdit, 2, column);
    ++column;
  }
  figures->addWidget(Label17, 1, 0);
  figures->addWidget(Label18, 2, 0);
  results->addLayout(figures);
  results->addStretch(1);
  auto* switches = new QVBoxLayout;
  switches->setSpacing(2);
  for (QCheckBox* c : {updateChart, ChangeADI, cbEKG}) switches->addWidget(c);
  switches->addStretch(1);
  results->addLayout(switches);
  main->addLayout(results);

  // The grid or the chart, and the EKG column beside them.
  auto* views = new QHBoxLayout;
  auto* place = new QGridLayout;
  place->setContentsMargins(0, 0, 0, 0);
  place->addWidget(MemoryF, 0, 0);
  place->addWidget(Chart1, 0, 0);
  views->addLayout(place, 1);
  auto* ekg = new QVBoxLayout;
  ekg->setSpacing(4);
  ekg->addWidget(GroupBox2);
  ekg->addWidget(gbECG);
  for (QLabel* l : {labHeartRate, labHR, labSDDN, labNN50, labPNN50}) ekg->addWidget(l);
  ekg->addStretch(1);
  views->addLayout(ekg);
  main->addLayout(views, 1);
}

// The hidden tools stand at the right edge, bottom up, each above the one before.
void TAnxADC::PlaceHiddenTools() {
  const QRect r = Panel1->contentsRect();
  ADCPanel->setGeometry(r.left(), r.top() + 50, std::max(0, r.width() - 106), std::max(0, r.height() - 50));
  const QRect inner = ADCPanel->contentsRect();
  LCDADCP->setGeometry(inner.left(), 50, std::max(0, inner.width() - 4),
                       r.height() > 150 ? std::max(0, ADCPanel->height() - 100) : LCDADCP->height());
  int bottom = r.bottom();
  auto stack = [&](QWidget* w, int height) {
    w->setGeometry(r.right() - 100, bottom - height, 100, height);
    bottom -= height;
  };
  stack(ExtADC, 25);
  stack(PreViewADC, 25);
  stack(Label11, 20);
  PreADCAddr->setGeometry(Label11->geometry().right() - 40, Label11->y() + 10, 40, 20);
  stack(ComFun, 24);
  stack(CFunADC, 24);
  stack(Label4, 20);
  CalVal->setGeometry(Label4->x() - 50, Label4->y(), 48, 20);
  stack(BCALVal, 25);
}

void TAnxADC::FitGridColumns() {
  // The sixteen value columns share the grid's width, and never hide a value.
  const QFontMetrics m = MemoryF->fontMetrics();
  const int fit = std::max(m.horizontalAdvance(widestGridText_), m.horizontalAdvance("00000")) + 12;
  const int share = (MemoryF->viewport()->width()) / ValueGrid::Columns;
  MemoryF->horizontalHeader()->setDefaultSectionSize(std::max(share, fit));
}

void TAnxADC::MeasureGridTexts() {
  widestGridText_ = st.MemoryF.LongestText((st.MemoryF.RowCount() - 1) * ValueGrid::Columns);
  FitGridColumns();
}

void TAnxADC::MeasureNewValues() {
  const QString before = widestGridText_;
  auto measure = [this](int position) {
    QString t = st.MemoryF.Text(position);
    if (t.size() > widestGridText_.size()) widestGridText_ = t;
  };
  for (; measuredSamples_ < std::min(P.G.SampleCount, SampleStoreSize); ++measuredSamples_) measure(measuredSamples_);
  for (; measuredPairs_ < std::min(P.G.IQSampleCount, SampleStoreSize); ++measuredPairs_) {
    measure(measuredPairs_);
    measure(IqQPosition(st.TargetCount, measuredPairs_));
  }
  if (widestGridText_.size() != before.size()) FitGridColumns();
}

void TAnxADC::resizeEvent(QResizeEvent* e) {
  TPanelForm::resizeEvent(e);
  GuardedEvent(P, [this] { PlaceHiddenTools(); });
}

bool TAnxADC::eventFilter(QObject* watched, QEvent* event) {
  return GuardedEvent(P, [&] {
    if (event->type() == QEvent::Resize) {
      if (watched == MemoryF->viewport()) FitGridColumns();
      if (watched == Chart1) FitValueTicks();
    }
    return TPanelForm::eventFilter(watched, event);
  });
}

void TAnxADC::FormCreate() {
  st.CaptureIdle = true;
  ADCPanel->lower();
  ADCPanel->hide();
  Timer1->stop();
  CFunADC->setCurrentIndex(0);
  ComFun->setCurrentIndex(0);
  P.G.LiveChartFlag = 0;
  std::fill(st.EkgValues.begin(), st.EkgValues.end(), 0.0);
  st.ScaleBits = 23;
  P.G.ScaleDivisor = 1;
  P.G.NPoints = 64;
  st.ShapeGridForAdc();
  RefreshGrid();
  // The link timer redraws the chart while a capture with live update runs.
  P.Mx_UP->LiveChart = [this] { LiveChartRedraw(); };
}

void TAnxADC::FormClose() {
  Timer1->stop();
  ADCPanel->hide();
  for (QWidget* w : {static_cast<QWidget*>(BADC), static_cast<QWidget*>(ShowChart), static_cast<QWidget*>(CatchADC)})
    w->setEnabled(true);
  P.G.LiveChartFlag = 0;
}

bool TAnxADC::IqMode() const { return ChangeADI->isChecked() && !ChangeADI->isHidden(); }

bool TAnxADC::EkgMode() const { return cbEKG->isChecked(); }

double TAnxADC::GetGain() const { return ::GetGain(P.G.Fields.AD1GN.Value, P.G.Fields.VR1GN.Value); }

void TAnxADC::RefreshGrid() { gridModel_->Refresh(); }

void TAnxADC::Warn(const QString& text) { P.dialogs().MessageBox(this, text, "warning"); }

// ---- selectors and switches ----

void TAnxADC::NPointIndexChange() {
  P.G.NPoints = NPointsForIndex(ItemIndex(NPointIndex));
  if (IqMode())
    st.ShapeGridForIq();
  else
    st.ShapeGridForAdc();
  ReCalADC();
}

void TAnxADC::TXScaleChange() {
  const int index = ItemIndex(TXScale);
  // The switched channel test takes the same scale (it exists once start-up is done).
  if (SwitchTest && SwitchTest->TXScale) SwitchTest->TXScale->setCurrentIndex(index);
  st.ScaleBits = ScaleBitsForIndex(index);
  P.G.ScaleDivisor = DivisorForBits(st.ScaleBits);
}

void TAnxADC::CMAVRChange() { ReCalADC(); }

void TAnxADC::ReCalADC() {
  const int m = AveragingBlock(ItemIndex(CMAVR));
  const bool iq = IqMode();
  FigureSet f =
      ::ReCalADC(st, MakeScale(st.ScaleBits, P.G.ScaleDivisor, GetGain(), EREFV->text(), false), iq, m);
  MeasureGridTexts();
  RefreshGrid();
  if (f.Count > 0)
    ShowFigures(f);
  else if ((iq ? P.G.IQSampleCount : P.G.SampleCount) > 0)
    ClearFigureEdits(iq);  // a block longer than the capture: no figure stands beside the empty grid
}

void TAnxADC::ApplyModeLayout(bool iq) {
  layoutIq_ = iq;
  if (iq)
    st.ShapeGridForIq();
  else
    st.ShapeGridForAdc();
  Series1->setName(iq ? "ADI" : "ADC");
  Series2->setName(iq ? "ADQ" : "EKG");
  CatchADC->setText(iq ? "Catch ADIQ" : "Catch ADC");
  ShowAdqRow(iq);
  Label17->setText(iq ? "ADI" : "ADC");
}

void TAnxADC::ChangeADIClick() {
  if (IqMode() && cbEKG->isChecked()) {
    ChangeADI->setChecked(false);  // runs this handler again with the ADC layout
    Warn(kIqEkgExclusive);
    return;
  }
  ApplyModeLayout(IqMode());
  NPointIndexChange();  // block averaging included
  ChartFun(st.LastCount);
}

void TAnxADC::cbEKGClick() {
  if (cbEKG->isChecked()) {
    if (IqMode()) {
      cbEKG->setChecked(false);  // runs this handler again, which hides the groups
      Warn(kIqEkgExclusive);
      return;
    }
    GroupBox2->show();
    gbECG->show();
  } else {
    GroupBox2->hide();
    gbECG->hide();
  }
}

// ---- capture ----

void TAnxADC::SetLocked(bool locked, bool fullList) {
  for (const char* name : {"Memu_File", "Menu_Option", "Menu_ReadRAM", "Menu_ReadAdc"})
    P.EnableMenuItem(name, !locked);
  SaveData->setEnabled(!locked);
  ShowChart->setEnabled(!locked);
  if (!fullList) return;
  for (QWidget* w : std::initializer_list<QWidget*>{ChangeADI, cbEKG, updateChart, CMAVR, NPointIndex, TXScale})
    w->setEnabled(!locked);
}

void TAnxADC::CatchADCClick() {
  P.Status(2, QString());
  if (!st.CaptureIdle) {
    // A stop request: the running capture sees it after its next poll. It sets no
    // capture flag, so the running capture and the next one decode as they should.
    st.CaptureIdle = true;
    return;
  }
  st.AdcCaptureFlag = true;
  {
    SetLocked(true, true);
    // Unlocked on every way out, an error included.
    ScopeExit unlock([this] {
      SetLocked(false, true);
      st.AdcCaptureFlag = false;
      updateChart->setEnabled(true);
    });
    CatchACDCOM(EREFV->text(), FastRead->isChecked() ? 3 : 1);
  }
  ChartFun(IqMode() ? P.G.IQSampleCount : P.G.SampleCount);
}

void TAnxADC::BFlashRDClick() {
  if (!st.CaptureIdle) {
    st.CaptureIdle = true;
    return;
  }
  st.TempCaptureFlag = true;
  SetLocked(true, false);
  ScopeExit unlock([this] {
    SetLocked(false, false);
    st.TempCaptureFlag = false;
  });
  CatchACDCOM(EREFV->text(), 2);
}

CaptureHooks TAnxADC::Hooks() {
  CaptureHooks h;
  // Between polls the grid takes the new values only every GridRefreshUs: a repaint
  // after every poll would hold up the next one. The capture's end shows them all.
  h.ProcessMessages = [this] {
    const int64_t now = P.clock().SteadyUs();
    if (now - gridShownUs_ >= GridRefreshUs) {
      gridShownUs_ = now;
      MeasureNewValues();
      RefreshGrid();
    }
    QCoreApplication::processEvents();
  };
  h.ShowGauge = P.ShowGauge;
  h.HideGauge = P.HideGauge;
  h.Status = [this](const QString& text) { P.Status(2, text); };
  h.Warning = [this](const QString& text) { Warn(text); };
  return h;
}

void TAnxADC::ClearFigureEdits(bool adqRow) {
  TXVRMS->clear();
  for (const ShownFigure& f : kShownFigures) {
    (this->*f.edit)->clear();
    if (adqRow) (this->*f.adqEdit)->clear();
  }
}

void TAnxADC::ShowAdqRow(bool visible) {
  Label18->setVisible(visible);
  for (const ShownFigure& f : kShownFigures) (this->*f.adqEdit)->setVisible(visible);
}

std::function<void()> TAnxADC::HoldSelectors() {
  // Whoever started the capture, the selectors whose handlers recompute from the
  // shared stores stay disabled while it runs: the chart display choice too, which
  // rewrites the grid texts the figures and the temperature test read back.
  QWidget* const guarded[] = {CMAVR, NPointIndex, TXScale, ChangeADI, cbEKG, rdADC, rbEKG, rbADC_EKG};
  std::vector<std::pair<QWidget*, bool>> was;
  for (QWidget* w : guarded) {
    was.emplace_back(w, w->isEnabled());
    w->setEnabled(false);
  }
  return [was] {
    for (const auto& [w, enabled] : was) w->setEnabled(enabled);
  };
}

bool TAnxADC::CatchACDCOM(const QString& refText, uint8_t mode) {
  const bool iq = IqMode();
  CaptureRequest req;
  req.RefText = refText;
  req.Mode = mode;
  req.IqMode = iq;
  req.LiveChart = updateChart->isChecked();
  req.Temperature = ChTemper->isChecked();
  req.Gain = GetGain();
  // Texts that are no numbers are refused before anything starts.
  req.DiffLength = IntegerOrRaise(ENumD->text());
  const bool ekg = !iq && EkgMode();
  if (ekg) {
    QString f[6];
    for (int i = 0; i < 6; ++i) f[i] = edtF[i]->text();
    req.Ekg = ReadEkgParameters(f, edtFGain->text(), edtAverCoef->text(), edtFactor->text(), edtTHR->text());
    req.EkgStatistics = !cbEKG->isHidden();
  }
  if (!iq) {
    if (ResetAdcReadTool) ResetAdcReadTool();
    ClearFigureEdits();
    for (QLabel* l : {labHR, labSDDN, labNN50, labPNN50}) l->setVisible(ekg);
    if (ekg) labHeartRate->show();
  }
  // The columns widen with the values as they come.
  widestGridText_.clear();
  measuredSamples_ = iq ? INT_MAX : 0;
  measuredPairs_ = iq ? 0 : INT_MAX;

  if (ekg) gbECG->setEnabled(false);
  std::function<void()> release = HoldSelectors();
  ScopeExit after([&, this] {
    release();
    gbECG->setEnabled(true);
    measuredSamples_ = measuredPairs_ = INT_MAX;
    MeasureGridTexts();
    RefreshGrid();
  });
  CaptureOutcome out = ::CatchACDCOM(*P.Mx_UP, st, req, Hooks());
  ShowFigures(out.Figures);
  if (out.Ekg) ShowEkgSummary(*out.Ekg);
  return out.Completed;
}

void TAnxADC::ShowFigures(const FigureSet& f) {
  for (int c = 0; c < f.Count && c < 2; ++c)
    for (const ShownFigure& s : kShownFigures)
      (this->*(c == 0 ? s.edit : s.adqEdit))->setText(FigureText(f.Channel[c][s.figure]));
  if (f.Vrms) TXVRMS->setText(FigureText(*f.Vrms));
}

void TAnxADC::ShowEkgSummary(const EkgSummary& s) {
  labHR->setText(s.HR);
  labSDDN->setText(s.SDDN);
  labNN50->setText(s.NN50);
  labPNN50->setText(s.PNN50);
}

bool TAnxADC::RequestedCapture(const QString& refText, uint8_t mode, bool temperature) {
  (temperature ? st.TempCaptureFlag : st.AdcCaptureFlag) = true;
  ScopeExit clear([this] { st.AdcCaptureFlag = st.TempCaptureFlag = false; });
  return CatchACDCOM(refText, mode);
}

QStringList TAnxADC::GridTexts(int count) const {
  QStringList texts;
  const int n = std::clamp(count, 0, ValueGrid::MaxPositions);
  texts.reserve(n);
  for (int i = 0; i < n; ++i) texts.append(st.MemoryF.Text(i));
  return texts;
}

void TAnxADC::ClrTMP() {
  st.ClrTMP();
  RefreshGrid();
}

void TAnxADC::WaitTRIGER(int seconds) {
  CaptureHooks h = Hooks();
  ::WaitTRIGER(P.clock(), seconds, h.ProcessMessages, h.Status);
}

// ---- result files ----

void TAnxADC::SaveDataClick() { SaveOut(); }

void TAnxADC::SaveOut() {
  FileDialogRequest r;
  r.fileName = CaptureCsvName(IqMode());
  r.filter = kCsvFilter;
  r.promptOverwrite = true;
  const QString path = P.dialogs().SaveFileName(this, r);
  if (!path.isEmpty()) SAVECOM(path);
}

void TAnxADC::SAVECOM(const QString& fileName) { ::SAVECOM(fileName, st, IqMode()); }

