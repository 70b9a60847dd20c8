#include "block_panels/adc_panel.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "block_panels/adc_spots.h"
#include "common/handler_guard.h"
#include "kit/bench.h"
#include "kit/plain_controls.h"
#include "link/mx_up.h"

namespace {

constexpr int Channel = 0;
constexpr int FontPixels = 11;

// Hint texts of the controls.
const char HintIn1p[] = "ADC Positive Input Signal Selector";
const char HintIn1n[] = "ADC Negative Input Signal Selector";
const char HintVr1p[] = "ADC Positive Reference Voltage Input Selection";
const char HintVr1n[] = "ADC Negative Reference Voltage Input Selection";

// A control named and laid on its spot of the diagram; `origin` is the top-left corner
// of the container it lies in (the diagram itself, or the temperature-sensor panel).
template <typename W>
W* Place(W* w, const QString& name, const QString& hint = {}, QPoint origin = {}) {
  w->setObjectName(name);
  w->setGeometry(AdcSpotOf(name).translated(-origin));
  if (!hint.isEmpty()) w->setToolTip(hint);
  return w;
}

QComboBox* NewCombo(QWidget* parent, const QString& name, const QStringList& items, const QString& hint = {}) {
  auto* c = Place(new QComboBox(parent), name, hint);
  c->addItems(items);
  c->setFocusPolicy(Qt::StrongFocus);
  return c;
}

QComboBox* NewCodeCombo(QWidget* parent, const QString& name, int digits, const QString& hint = {}) {
  auto* c = NewCombo(parent, name, {}, hint);
  FillCodes(c, digits);
  return c;
}

QLabel* NewLabel(QWidget* parent, const QString& name, const QString& text = {}, QPoint origin = {}) {
  auto* l = Place(new QLabel(text, parent), name, {}, origin);
  l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  return l;
}

TTogglePanel* NewToggle(QWidget* parent, const QString& name, const QString& caption, const QString& hint = {},
                        QPoint origin = {}) {
  return Place(new TTogglePanel(caption, parent), name, hint, origin);
}

// A result display: framed, right-aligned digits.
QLabel* NewReadOut(QWidget* parent, const QString& name, const QString& hint, bool bold) {
  auto* l = NewLabel(parent, name);
  l->setToolTip(hint);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  l->setContentsMargins(0, 0, 4, 0);
  QFont f("DejaVu Sans Mono");
  f.setStyleHint(QFont::Monospace);
  f.setPixelSize(bold ? 13 : FontPixels);
  f.setBold(bold);
  l->setFont(f);
  ApplyLook(l, Look::ToggleOffWindow);
  return l;
}

QStringList Numbers(int from, int to) {
  QStringList items;
  for (int i = from; i <= to; ++i) items << QString::number(i);
  return items;
}

}  // namespace

TADCForm::TADCForm(Bench& program, QWidget* parent)
    : TPanelForm(program, "ADCForm", QString::fromUtf8("ADC"), parent),
      F(program.G.Fields),
      in1p_{F.IN1P, {}},
      in1n_{F.IN1N, {}},
      vr1p_{F.VR1P, {}},
      vr1n_{F.VR1N, {}} {
  CreateControls();
  ConnectHandlers();
  DisableUntilDefined();
  resize(sizeHint());
}

QSize TADCForm::sizeHint() const { return AdcDiagramSize(); }

// ---- The window's controls ---------------------------------------------------------------

void TADCForm::CreateSelector(Selector& s, BoundSelector& bound, const QString& field, const QString& hint) {
  const int positions = field.startsWith("IN1") ? 16 : 4;
  PositionSelectorView& v = bound.view;
  for (int i = 0; i < positions; ++i) {
    QString closed = AdcGlyphName(field, i, true), open = AdcGlyphName(field, i, false);
    GlyphPair g = MakeGlyphPair(canvas_, closed, open, AdcSpotOf(closed), GlyphAxis::Horizontal);
    g.closed->setToolTip(hint);
    g.open->setToolTip(hint);
    v.glyphs.push_back(g);
    QLabel* label = NewLabel(canvas_, AdcLabelName(field, i));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setContentsMargins(0, 0, 3, 0);
    label->setToolTip(hint);
    PaintLit(label, false);
    v.labels.push_back(label);
    s.on.push_back(g.closed);
    s.off.push_back(g.open);
    s.labels.push_back(label);
  }
  v.combo = s.combo = NewCodeCombo(canvas_, "TX" + field, positions == 16 ? 4 : 2, hint);
  // The reference selectors' combos list only the codes the chip definition offers: they
  // are matched by code text, not by item index.
  if (positions == 4) v.codeDigits = 2;
}

void TADCForm::CreateTemperatureSensor() {
  auto* temp = Place(new QWidget(canvas_), "PTemp");
  const QPoint origin = AdcSpotOf("PTemp").topLeft();
  auto tps = [&](const char* name, const QString& text) {
    QLabel* l = NewLabel(temp, name, text, origin);
    l->setAlignment(Qt::AlignCenter);
    ApplyLook(l, Look::Inverted);
    l->hide();
    return l;
  };
  TPSHP = tps("TPSHP", "H → IN1P");
  TPSHN = tps("TPSHN", "H → IN1N");
  TPSLP = tps("TPSLP", "L → IN1P");
  TPSLN = tps("TPSLN", "L → IN1N");
  PENTPS = NewToggle(temp, "PENTPS", "ENTPS", "Internal TPS Enable Control", origin);
  PTPSCH = NewToggle(temp, "PTPSCH", "TPSCH", "TPS Output Voltage Reverse Control", origin);
}

void TADCForm::CreateControls() {
  scroll_ = new QScrollArea(this);
  scroll_->setObjectName("ScrollBox1");
  scroll_->setFrameShape(QFrame::NoFrame);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll_);
  canvas_ = new QWidget;
  canvas_->setObjectName("PanelDiagram");
  canvas_->setFixedSize(AdcDiagramSize());
  scroll_->setWidget(canvas_);
  QFont font = canvas_->font();
  font.setPixelSize(FontPixels);
  canvas_->setFont(font);
  auto* picture = new TDiagramView(PanelPictures::AdcDiagram, canvas_);
  picture->setObjectName("Image1");
  picture->setGeometry(QRect(QPoint(0, 0), AdcDiagramSize()));

  // Input and reference multiplexers, input converter, input short.
  CreateSelector(In1p, in1p_, "IN1P", HintIn1p);
  CreateSelector(In1n, in1n_, "IN1N", HintIn1n);
  CreateSelector(Vr1p, vr1p_, "VR1P", HintVr1p);
  CreateSelector(Vr1n, vr1n_, "VR1N", HintVr1n);
  for (int i = 0; i < 4; ++i) {
    auto* g = Place(new TPictureButton(ConverterPicture(i), canvas_), AdcConverterName(i), "ADC input signal converter");
    Inx.push_back(g);
  }
  TXINX = NewCodeCombo(canvas_, "TXINX", 2, "ADC input signal converter");
  GlyphPair shortSwitch = MakeGlyphPair(canvas_, "IN1STon", "IN1SToff", AdcSpotOf("IN1STon"), GlyphAxis::Vertical);
  IN1STon = shortSwitch.closed;
  IN1SToff = shortSwitch.open;
  for (QWidget* w : {IN1STon, IN1SToff}) w->setToolTip("ADC Signal Input Short Control");
  PINIS = NewToggle(canvas_, "PINIS", "INIS", "ADC Signal Input Short Control");

  // Gain, offset, references, modulator, filter.
  gain_ = {NewCodeCombo(canvas_, "TXAD1GN", 3, "ADC Input Gain Setting"), NewLabel(canvas_, "TXAD1GNS")};
  offset_ = {NewCodeCombo(canvas_, "TXDC1S", 4), NewLabel(canvas_, "TXDC1SS")};
  PVR1GN = NewToggle(canvas_, "PVR1GN", "VR1GN", "ADC Reference Gain Setting");
  TXVR1GN = NewLabel(canvas_, "TXVR1GN");
  TXVR1GN->setToolTip("ADC Reference Gain Setting");
  PENAD1 = NewToggle(canvas_, "PENAD1", "ENADC", "ADC Enable Control");
  osr_ = {NewCodeCombo(canvas_, "TXOSR1", 4, "ADC Over-sampling rate frequency eliminator"),
          NewLabel(canvas_, "TXOSR1S")};
  PAD1RST = NewToggle(canvas_, "PAD1RST", "CMFR", "ADC and Comb Filter Reset Controller");

  // Read-out.
  TXADC1 = NewReadOut(canvas_, "TXADC1", "ADC Data Register", true);
  TXADI1 = NewReadOut(canvas_, "TXADI1", "ADC I/Q Demodulator Mode, I Data", false);
  TXADQ1 = NewReadOut(canvas_, "TXADQ1", "ADC I/Q Demodulator Mode, Q Data", false);
  TXADCOMD = NewCombo(canvas_, "TXADCOMD", {"HEX", "DEC"});
  TXADCObit = NewCombo(canvas_, "TXADCObit", Numbers(8, 23));
  Place(new QPushButton("Read ADC", canvas_), "BRDADC1");

  // Interrupt, supply and LDO, clock, temperature sensor.
  irq_ = {NewCodeCombo(canvas_, "TXIRQM", 2, "IRQ Output Mode Select "), NewLabel(canvas_, "LIRQM")};
  PIRQSEL = NewToggle(canvas_, "PIRQSEL", "IRQSEL", "IRQ Pin Select ");
  ldo_ = {NewCodeCombo(canvas_, "LDOM1_ComboBox", 2), NewLabel(canvas_, "TXLDOM1")};
  supply_ = {NewCodeCombo(canvas_, "TXVDDAX", 3), NewLabel(canvas_, "TXVDDAS1")};
  clock_ = {NewCodeCombo(canvas_, "TXDADC1", 2, "ADC Clock Pre-Scale"), NewLabel(canvas_, "TXDADCS1")};
  CreateTemperatureSensor();

  // Present and never shown.
  auto hiddenToggle = [&](const char* name, const char* caption) {
    QWidget* t = NewToggle(canvas_, name, caption);
    t->hide();
    return t;
  };
  PENLDO = hiddenToggle("PENLDO", "ENLDO");
  PENREFO = hiddenToggle("PENREFO", "ENREFO");
  hiddenToggle("PENACM", "ENACM");
  PENOP = hiddenToggle("PENOP", "ENOP");
  PTS = hiddenToggle("PTS", "TS");
  POSM = hiddenToggle("POSM", "OSM");
  PIRQEN = hiddenToggle("PIRQEN", "IRQEN");
  PHS = hiddenToggle("PHS", "HS");
  hiddenToggle("OP3NET1_S1", "ENADC");
  hiddenToggle("OP3NET1_S3", "ENADC");
  hiddenToggle("PVRIS1", "VRIS");
  PINIS->hide();
  LADIF1 = NewLabel(canvas_, "LADIF1", "ADCIF");
  TXPGA1GN = NewCodeCombo(canvas_, "TXPGA1GN", 3);
  QComboBox* oscillator = NewCombo(canvas_, "COMOSCS", {});
  for (const char* name : {"TXPGA1GNS", "Label4", "Label5", "Label6", "TXTEMP", "OP2O", "OP2O_1", "OP3O", "OP3O_1"})
    NewLabel(canvas_, name)->hide();
  for (QWidget* w : {static_cast<QWidget*>(LADIF1), static_cast<QWidget*>(TXPGA1GN), static_cast<QWidget*>(oscillator)})
    w->hide();
  GlyphPair vrShort = MakeGlyphPair(canvas_, "VR1STon", "VR1SToff", {}, GlyphAxis::Vertical);
  vrShort.open->hide();
  Place(new QPushButton("TempRead", canvas_), "BTempRead")->hide();
  BRDADC = Place(new QPushButton("STOP", canvas_), "BRDADC");
  BRDADC->hide();
}

void TADCForm::ConnectHandlers() {
  auto onGlyphs = [this](const BoundSelector& s, void (TADCForm::*handler)(QObject*)) {
    for (const GlyphPair& g : s.view.glyphs)
      for (QAbstractButton* b : {g.closed, g.open})
        connect(b, &QAbstractButton::clicked, this, GuardedSlot(P, [this, b, handler] { (this->*handler)(b); }));
  };
  onGlyphs(in1p_, &TADCForm::IN1PonoffClick);
  onGlyphs(in1n_, &TADCForm::IN1NonoffClick);
  onGlyphs(vr1p_, &TADCForm::VR1PClick);
  onGlyphs(vr1n_, &TADCForm::VR1NClick);

  // Controls by name and their handlers: combos react to the user's pick, buttons and
  // panels to a click.
  struct Handler {
    const char* control;
    void (TADCForm::*handler)();
  };
  const Handler choices[] = {
      {"TXIN1P", &TADCForm::TXIN1PChange},   {"TXIN1N", &TADCForm::TXIN1NChange},
      {"TXVR1P", &TADCForm::TXVR1PChange},   {"TXVR1N", &TADCForm::TXVR1NChange},
      {"TXOSR1", &TADCForm::TXOSR1Change},   {"TXVDDAX", &TADCForm::TXVDDAXChange},
      {"TXAD1GN", &TADCForm::TXAD1GNChange}, {"TXDC1S", &TADCForm::TXDC1SChange},
      {"TXINX", &TADCForm::TXINXChange},     {"LDOM1_ComboBox", &TADCForm::LDOM1_ComboBoxChange},
      {"TXIRQM", &TADCForm::TXIRQMChange},   {"TXDADC1", &TADCForm::TXDADC1Change},
      {"TXADCOMD", &TADCForm::TXADCOMDChange}, {"TXADCObit", &TADCForm::TXADCObitChange},
  };
  for (const Handler& c : choices)
    OnChoice(P, findChild<QComboBox*>(c.control), this, [this, h = c.handler](int) { (this->*h)(); });

  const Handler clicks[] = {
      {"PENAD1", &TADCForm::PENAD1Click},     {"OP3NET1_S1", &TADCForm::PENAD1Click},
      {"OP3NET1_S3", &TADCForm::PENAD1Click}, {"PVR1GN", &TADCForm::PVR1GNClick},
      {"PAD1RST", &TADCForm::PAD1RSTClick},   {"PENTPS", &TADCForm::PENTPSClick},
      {"PTPSCH", &TADCForm::PTPSCHClick},     {"PIRQSEL", &TADCForm::PIRQSELClick},
      {"PENLDO", &TADCForm::PENLDOClick},     {"PENREFO", &TADCForm::PENREFOClick},
      {"PENACM", &TADCForm::PENACMClick},     {"PENOP", &TADCForm::PENOPClick},
      {"PTS", &TADCForm::PTSClick},           {"POSM", &TADCForm::POSMClick},
      {"PIRQEN", &TADCForm::PIRQENClick},     {"PHS", &TADCForm::PHSClick},
      {"IN1STon", &TADCForm::INISClick},      {"IN1SToff", &TADCForm::INISClick},
      {"PINIS", &TADCForm::INISClick},        {"BRDADC1", &TADCForm::BRDADC1Click},
      {"BTempRead", &TADCForm::BTempReadClick}, {"BRDADC", &TADCForm::BRDADCClick},
  };
  for (const Handler& c : clicks)
    connect(findChild<QAbstractButton*>(c.control), &QAbstractButton::clicked, this,
            GuardedSlot(P, [this, h = c.handler] { (this->*h)(); }));
}

// ---- Creation, close -----------------------------------------------------------------------

void TADCForm::FormCreate() {
  ADCIInit();
  move(0, 0);
}

void TADCForm::ADCIInit() {
  // The input-converter pictures show only when painted.
  for (QWidget* g : Inx) g->hide();
  for (FieldId id : {FieldId::IN1P, FieldId::IN1N, FieldId::VR1P, FieldId::VR1N, FieldId::PGA, FieldId::DC1S,
                     FieldId::OSR1, FieldId::DADC, FieldId::ENADC, FieldId::VR1GN, FieldId::INX0, FieldId::IRQMODE})
    F[id].Value = 0;
  OutMode = OutHex;
  OutBits = InitialOutBits;

  PaintIn1p();
  PaintIn1n();
  vr1p_.Paint();
  vr1n_.Paint();
  PaintGain();
  PaintLdo();
  PaintConverter();
  PaintIrqMode();
  PaintOffset();
  PaintOversampling();
  PaintClock();
  PaintShort();
  PaintReferenceGain();
  // ENADC's creation paint: the read-out tells that the ADC is off.
  PaintToggle(PENAD1, F.ENADC.Value, Look::ToggleOffFace);
  if (F.ENADC.Value == 0) TXADC1->setText("ADC OFF");

  TXPGA1GN->setCurrentIndex(F.PGA.Value);
  TXADCOMD->setCurrentIndex(OutMode);
  TXADCObit->setCurrentIndex(OutBits);
  supply_.caption->setText(InitialSupplyCaption);
  for (QComboBox* c : {supply_.combo, irq_.combo, ldo_.combo}) c->setCurrentIndex(0);
}

void TADCForm::FormClose() { BRDADC->setText("STOP"); }

// ---- Refresh -------------------------------------------------------------------------------

TMx_UP* TADCForm::Up() const { return P.Mx_UP; }

void TADCForm::PanelSwitch(TRegField& field, QWidget* panel) {
  RefreshField(*Up(), field, Repaint::Always);
  PaintToggle(panel, field.Value, Look::ToggleOffWindow);
}

void TADCForm::DataUpdate() {
  TMx_UP* up = Up();
  if (!up) return;
  if (RefreshField(*up, F.IN1P, Repaint::OnChange)) PaintIn1p();
  if (RefreshField(*up, F.IN1N, Repaint::OnChange)) PaintIn1n();
  if (RefreshField(*up, F.INX0, Repaint::OnChange)) PaintConverter();
  vr1p_.Refresh(*up, Repaint::OnChange);
  vr1n_.Refresh(*up, Repaint::OnChange);
  if (RefreshField(*up, F.INIS, Repaint::OnChange)) PaintShort();
  RefreshField(*up, F.AD1GN, Repaint::Always);
  PaintGain();
  RefreshField(*up, F.VR1GN, Repaint::Always);
  PaintReferenceGain();
  if (RefreshField(*up, F.DC1S, Repaint::OnChange)) PaintOffset();
  if (RefreshField(*up, F.OSR1, Repaint::OnChange)) PaintOversampling();
  if (RefreshFields(*up, {&F.DADC, &F.HAOSEL, &F.HAOM})) PaintClock();
  PanelSwitch(F.ENADC, PENAD1);
  PanelSwitch(F.AD1RST, PAD1RST);
  if (RefreshField(*up, F.LDOM, Repaint::OnChange)) PaintLdo();
  if (RefreshField(*up, F.VDDAX, Repaint::OnChange)) PaintSupply();
  PanelSwitch(F.ENLDO, PENLDO);
  PanelSwitch(F.ENTPS, PENTPS);
  PanelSwitch(F.TPSCH, PTPSCH);
  RefreshField(*up, F.IRQMODE, Repaint::Always);
  PaintIrqMode();
  PanelSwitch(F.IRQSEL, PIRQSEL);

  PaintReadOut();

  PanelSwitch(F.TS, PTS);
  PanelSwitch(F.ENREFO, PENREFO);
  PanelSwitch(F.ENOP_ADC, PENOP);
  PanelSwitch(F.HS, PHS);
  PanelSwitch(F.OSM, POSM);
  PanelSwitch(F.IRQEN, PIRQEN);
  RefreshField(*up, F.ADCIF, Repaint::Always);
  ApplyLook(LADIF1, F.ADCIF.Value == 1 ? Look::Indicator : Look::Normal);
}

void TADCForm::PaintReadOut() {
  const TMx_UP& up = *Up();
  // Result registers are whole bytes at their descriptors' addresses.
  auto byte = [&up](const TRegField& f) { return up.GetReg(f.Address, Channel); };
  int32_t a = AdcResult(byte(F.ADC1OH), byte(F.ADC1OM), byte(F.ADC1OL));
  if (F.ADC1OH.Defined) {
    TXADI1->setText(IqText(IqResult(byte(F.ADCIOH), byte(F.ADCIOM), byte(F.ADCIOL))));
    TXADQ1->setText(IqText(IqResult(byte(F.ADCQOH), byte(F.ADCQOM), byte(F.ADCQOL))));
  }
  if (std::optional<QString> text = AdcText(a, OutMode, OutBits)) TXADC1->setText(*text);
}

// ---- Paints from the cached values ---------------------------------------------------------

namespace {
// The temperature-sensor output reaches an input while that input selects position 2 or 3.
bool SelectsSensor(int value) { return value == 2 || value == 3; }
}  // namespace

void TADCForm::PaintIn1p() {
  in1p_.Paint();
  TPSHP->setVisible(SelectsSensor(F.IN1P.Value));
  TPSHN->hide();
  TPSLP->hide();
}

void TADCForm::PaintIn1n() {
  in1n_.Paint();
  TPSLN->setVisible(SelectsSensor(F.IN1N.Value));
  TPSHN->hide();
  TPSLP->hide();
}

void TADCForm::PaintConverter() {
  ShowOnly(Inx, F.INX0.Value);
  TXINX->setCurrentIndex(PaintedPosition(F.INX0.Value, static_cast<int>(Inx.size())));
}

void TADCForm::PaintShort() {
  const bool shorted = F.INIS.Value == 1;
  IN1STon->setVisible(shorted);
  IN1SToff->setVisible(!shorted);
  PaintToggle(PINIS, shorted, Look::ToggleOffFace);
}

void TADCForm::PaintGain() {
  gain_.Paint(PaintedPosition(F.AD1GN.Value, CaptionCount), GainCaption(P.G.AD1GNCaptions, F.AD1GN.Value));
}

void TADCForm::PaintReferenceGain() {
  TXVR1GN->setText(ReferenceGainCaption(F.VR1GN.Value));
  PaintToggle(PVR1GN, F.VR1GN.Value == 1, Look::ToggleOffFace);
}

void TADCForm::PaintOffset() { offset_.Paint(F.DC1S.Value, OffsetCaption(F.DC1S.Value)); }

void TADCForm::PaintOversampling() { osr_.Paint(F.OSR1.Value, OversamplingCaption(F.OSR1.Value)); }

void TADCForm::PaintClock() {
  clock_.Paint(PaintedPosition(F.DADC.Value, 4), ClockCaption(F.DADC.Value, F.HAOSEL.Value, F.HAOM.Value));
}

void TADCForm::PaintLdo() { ldo_.Paint(PaintedPosition(F.LDOM.Value, 4), LdoCaption(F.LDOM.Value)); }

void TADCForm::PaintSupply() {
  supply_.Paint(PaintedPosition(F.VDDAX.Value, CaptionCount), SupplyCaption(P.G.VDDAXCaptions, F.VDDAX.Value));
}

void TADCForm::PaintIrqMode() { irq_.Paint(PaintedPosition(F.IRQMODE.Value, 4), IrqModeCaption(F.IRQMODE.Value)); }

// ---- Selector clicks and combo choices -------------------------------------------------------

void TADCForm::IN1PonoffClick(QObject* sender) {
  int i = in1p_.view.PositionOf(sender);
  if (i < 0 || !Up()) return;
  F.IN1P.Value = static_cast<uint8_t>(i);
  PaintIn1p();
  WriteField(*Up(), F.IN1P, i);
}

void TADCForm::IN1NonoffClick(QObject* sender) {
  int i = in1n_.view.PositionOf(sender);
  if (i < 0 || !Up()) return;
  F.IN1N.Value = static_cast<uint8_t>(i);
  PaintIn1n();
  WriteField(*Up(), F.IN1N, i);
}

void TADCForm::VR1PClick(QObject* sender) {
  int i = vr1p_.view.PositionOf(sender);
  if (i >= 0 && Up()) vr1p_.Pick(*Up(), i, true);
}

void TADCForm::VR1NClick(QObject* sender) {
  int i = vr1n_.view.PositionOf(sender);
  if (i >= 0 && Up()) vr1n_.Pick(*Up(), i, true);
}

void TADCForm::SelectorChange(BoundSelector& s, void (TADCForm::*paint)()) {
  if (!Up()) return;
  s.Choose(*Up(), s.view.combo->currentIndex());
  (this->*paint)();
  DataUpdate();
}

// The reference combos hold the offered codes only: the chosen text names the position.
void TADCForm::ReferenceChange(BoundSelector& s) {
  if (!Up()) return;
  int position = PositionOfCode(s.view.combo->currentText(), s.field.Width);
  int v = CheckedChoice(s.field, position);
  s.field.Value = static_cast<uint8_t>(v);
  WriteField(*Up(), s.field, v);
  s.Paint();
  DataUpdate();
}

void TADCForm::TXIN1PChange() { SelectorChange(in1p_, &TADCForm::PaintIn1p); }
void TADCForm::TXIN1NChange() { SelectorChange(in1n_, &TADCForm::PaintIn1n); }
void TADCForm::TXVR1PChange() { ReferenceChange(vr1p_); }
void TADCForm::TXVR1NChange() { ReferenceChange(vr1n_); }

void TADCForm::CodeChange(QComboBox* combo, TRegField& field, void (TADCForm::*paint)(), bool paintFirst,
                          bool refresh) {
  if (!Up()) return;
  int v = TakeChoice(combo, field, combo->currentIndex());
  if (paintFirst) (this->*paint)();
  WriteField(*Up(), field, v);
  if (!paintFirst) (this->*paint)();
  if (refresh) DataUpdate();
}

void TADCForm::TXOSR1Change() { CodeChange(osr_.combo, F.OSR1, &TADCForm::PaintOversampling, false, true); }
void TADCForm::TXVDDAXChange() { CodeChange(supply_.combo, F.VDDAX, &TADCForm::PaintSupply, false, true); }
void TADCForm::TXAD1GNChange() { CodeChange(gain_.combo, F.AD1GN, &TADCForm::PaintGain, false, true); }
void TADCForm::TXDC1SChange() { CodeChange(offset_.combo, F.DC1S, &TADCForm::PaintOffset, false, true); }
void TADCForm::TXINXChange() { CodeChange(TXINX, F.INX0, &TADCForm::PaintConverter, true, false); }
void TADCForm::LDOM1_ComboBoxChange() { CodeChange(ldo_.combo, F.LDOM, &TADCForm::PaintLdo, true, false); }
void TADCForm::TXIRQMChange() { CodeChange(irq_.combo, F.IRQMODE, &TADCForm::PaintIrqMode, true, false); }
void TADCForm::TXDADC1Change() { CodeChange(clock_.combo, F.DADC, &TADCForm::PaintClock, true, false); }

void TADCForm::TXADCOMDChange() {
  OutMode = static_cast<uint8_t>(std::max(0, TXADCOMD->currentIndex()));
  DataUpdate();
}

void TADCForm::TXADCObitChange() { OutBits = static_cast<uint8_t>(std::max(0, TXADCObit->currentIndex())); }

// ---- Toggle panels and the input short ---------------------------------------------------------

void TADCForm::ENPanel(TRegField& field) {
  if (!Up()) return;
  field.Value = ToggledValue(field.Value);
  WriteField(*Up(), field, field.Value);
  DataUpdate();
}

void TADCForm::PENAD1Click() { ENPanel(F.ENADC); }
void TADCForm::PVR1GNClick() { ENPanel(F.VR1GN); }
void TADCForm::PAD1RSTClick() { ENPanel(F.AD1RST); }
void TADCForm::PENTPSClick() { ENPanel(F.ENTPS); }
void TADCForm::PTPSCHClick() { ENPanel(F.TPSCH); }
void TADCForm::PIRQSELClick() { ENPanel(F.IRQSEL); }
void TADCForm::PENLDOClick() { ENPanel(F.ENLDO); }
void TADCForm::PENREFOClick() { ENPanel(F.ENREFO); }
void TADCForm::PENACMClick() { ENPanel(F.ENACM); }
void TADCForm::PENOPClick() { ENPanel(F.ENOP_ADC); }
void TADCForm::PTSClick() { ENPanel(F.TS); }
void TADCForm::POSMClick() { ENPanel(F.OSM); }
void TADCForm::PIRQENClick() { ENPanel(F.IRQEN); }
void TADCForm::PHSClick() { ENPanel(F.HS); }

void TADCForm::INISClick() {
  if (!Up()) return;
  F.INIS.Value = ToggledValue(F.INIS.Value);
  WriteField(*Up(), F.INIS, F.INIS.Value);
  PaintShort();
}

// ---- Reading the chip ---------------------------------------------------------------------------

void TADCForm::BRDADC1Click() {
  if (!Up()) return;
  TMx_UP& up = *Up();
  up.ReadResultFields({&F.ADC1OH, &F.ADC1OM, &F.ADC1OL}, Channel);
  up.ReadResultFields({&F.ADCIOH, &F.ADCIOM, &F.ADCIOL}, Channel);
  up.ReadResultFields({&F.ADCQOH, &F.ADCQOM, &F.ADCQOL}, Channel);
  up.ReadResultFields({&F.SQRTH, &F.SQRTM, &F.SQRTL, &F.ARCTANH, &F.ARCTANL}, Channel);
  DataUpdate();
}

void TADCForm::BTempReadClick() {
  if (!Up()) return;
  if (Up()->TriggerTS()) Up()->ReadTS();
  DataUpdate();
}

void TADCForm::RestoreOutFormat(uint8_t mode, uint8_t bits) {
  OutMode = mode;
  OutBits = bits;
  SelectItem(TXADCOMD, mode);
  SelectItem(TXADCObit, bits);
  TXADCObitChange();
}

void TADCForm::ResetReadTool() { BRDADC->setText("STOP"); }

void TADCForm::BRDADCClick() { BRDADC->setText(BRDADC->text() == "Reading" ? "STOP" : "Reading"); }

// ---- After a parse ------------------------------------------------------------------------------

// The parse refills the selectors' combos and selects their first item; the selectors
// show their cached values again, so combo, glyphs and labels agree with what the next
// refresh compares against.
void TADCForm::ParseEnded(const ChipDefinitionSeen&) {
  for (BoundSelector* s : {&vr1p_, &vr1n_}) s->view.codeDigits = s->field.Width > 0 ? s->field.Width : 2;
  PaintIn1p();
  PaintIn1n();
  vr1p_.Paint();
  vr1n_.Paint();
  PaintConverter();
}
