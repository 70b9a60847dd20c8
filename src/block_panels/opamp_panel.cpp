#include "block_panels/opamp_panel.h"

#include <QComboBox>
#include <QLabel>

#include "block_panels/diagram_canvas.h"
#include "block_panels/opamp_spots.h"
#include "common/handler_guard.h"
#include "kit/bench.h"

namespace {

// Captions of the feedback resistor codes.
const char* const RfbCaptions[] = {"10K", "50K", "100K", "500K"};
constexpr int RfbCodes = 4;
constexpr int EnableCount = 3;

QRect Spot(const QString& name, QPoint origin = {}) { return OpampSpotOf(name).translated(-origin); }

}  // namespace

TOPForm::TOPForm(Bench& program, QWidget* parent)
    : TPanelForm(program, "OPForm", QString::fromUtf8("OP"), parent),
      F(program.G.Fields),
      op1o_{F.OP1O, {}},
      op1oSmall_{F.OP1O, {}},
      op1p_{F.OP1P, {}},
      op1pSmall_{F.OP1P, {}},
      op1n_{F.OP1N, {}},
      op2n89_{F.OP2N89, {}},
      op2net1_{F.OP2NET1, {}},
      op2n_{F.OP2N, {}},
      op2p_{F.OP2P, {}},
      sw_{F.SW, {}},
      op3n_{F.ZeroP3N, {}},
      op3p_{F.OP3P, {}} {
  CreateControls();
  resize(sizeHint());
}

QSize TOPForm::sizeHint() const { return OpampDiagramSize(); }

TMx_UP* TOPForm::Up() const { return P.Mx_UP; }

// ---- The window's controls (what the window resource holds) ---------------------------

void TOPForm::CreateBank(QWidget* parent, const OpampBank& bank, QPoint origin) {
  for (int i = 0; i < bank.count; ++i) {
    const QString closed = OpampGlyphName(bank, i, true);
    MakeGlyphPair(parent, closed, OpampGlyphName(bank, i, false), Spot(closed, origin), GlyphAxis::Horizontal);
    const QString label = OpampLabelName(bank, i);
    if (!label.isEmpty()) PaintLit(SpotLabel(parent, label, Spot(label, origin)), false);
  }
}

void TOPForm::CreateControls() {
  canvas_ = CreateDiagramCanvas(this, OpampPictures::Diagram, OpampDiagramSize());
  for (const OpampBank* b : {&OpampOp1p, &OpampOp1n, &OpampOp1o, &OpampOp2p, &OpampOp2n, &OpampOp2n89,
                             &OpampOp2net1, &OpampOp3p, &OpampOp3n, &OpampSw})
    CreateBank(canvas_, *b, {});
  cmbRfb = SpotCodeCombo(canvas_, "cmbRfb", Spot("cmbRfb"), 2);
  cmbRfb2 = SpotCodeCombo(canvas_, "cmbRfb2", Spot("cmbRfb2"), 2);
  lblRfb = SpotLabel(canvas_, "lblRfb", Spot("lblRfb"), RfbCaptions[0]);
  lblRfb2 = SpotLabel(canvas_, "lblRfb2", Spot("lblRfb2"), RfbCaptions[0]);
  for (int i = 1; i <= EnableCount; ++i) {
    const QString name = QString("pnlEnop%1").arg(i);
    SpotToggle(canvas_, name, Spot(name), QString("ENOP%1").arg(i));
  }
  CreateSmallBankCards();
  for (const PanelSpot& s : OpampSpots())
    if (s.name.startsWith("pnlCover")) SpotCover(canvas_, s.name, s.rect, OpampCoverWire(s.name));
}

// The cards of the small banks lie over the 6-switch OP1O and 8-switch OP1P banks; the
// glyphs are in them from the start, their labels are created at creation.
void TOPForm::CreateSmallBankCards() {
  pnlOp1ps = SpotCard(canvas_, "pnlOp1ps", Spot("pnlOp1ps"), OpampPictures::SmallInputBank);
  CreateBank(pnlOp1ps, {OpampOp1pSmall.glyphPrefix, OpampOp1pSmall.firstNumber, OpampOp1pSmall.count, "", 0},
             Spot("pnlOp1ps").topLeft());
  pnlOp1os = SpotCard(canvas_, "pnlOp1os", Spot("pnlOp1os"), OpampPictures::SmallOutputBank);
  CreateBank(pnlOp1os, {OpampOp1oSmall.glyphPrefix, OpampOp1oSmall.firstNumber, OpampOp1oSmall.count, "", 0},
             Spot("pnlOp1os").topLeft());
  auto* caption = SpotLabel(pnlOp1os, "pnlOp1os_2", Spot("pnlOp1os_2", Spot("pnlOp1os").topLeft()), "OP1OS[5:3]");
  caption->setFrameStyle(QFrame::Panel | QFrame::Raised);
  ApplyLook(caption, Look::Normal);
  caption->hide();
}

// ---- Creation ---------------------------------------------------------------------------

std::vector<QLabel*> TOPForm::CreateSmallBankLabels(QWidget* card, const OpampBank& bank, int left, int top,
                                                    int step) {
  std::vector<QLabel*> labels;
  for (int i = 0; i < bank.count; ++i) {
    QLabel* l = SpotLabel(card, OpampLabelName(bank, i), {left, top + step * i, 49, 13}, QString::number(i));
    PaintLit(l, false);
    l->show();
    labels.push_back(l);
  }
  return labels;
}

void TOPForm::BuildBank(BoundBank& bound, Bank& names, const OpampBank& bank, std::vector<QLabel*> labels) {
  const QString prefix = bank.glyphPrefix;
  bound.view.glyphs = GlyphPairsByName(this, prefix + "On", prefix + "Off", bank.firstNumber, bank.count);
  bound.view.labels =
      *bank.labelPrefix && labels.empty() ? LabelsByName(this, bank.labelPrefix, bank.firstLabel, bank.count) : labels;
  names = {};
  for (const GlyphPair& g : bound.view.glyphs) {
    g.Show(false);
    names.on.push_back(g.closed);
    names.off.push_back(g.open);
  }
  names.labels = bound.view.labels;
}

void TOPForm::ConnectBank(const BoundBank& bound, void (TOPForm::*handler)(QObject*)) {
  for (const GlyphPair& g : bound.view.glyphs)
    for (QAbstractButton* b : {g.closed, g.open})
      if (b) connect(b, &QAbstractButton::clicked, this, GuardedSlot(P, [this, b, handler] { (this->*handler)(b); }));
}

void TOPForm::FormCreate() {
  BuildBank(op1o_, Op1o, OpampOp1o);
  // The small banks' labels: Left 71, Top 25 + 20 i in pnlOp1os; Left 15, Top 33 + 19 (i + 1)
  // in pnlOp1ps.
  BuildBank(op1oSmall_, Op1oSmall, OpampOp1oSmall, CreateSmallBankLabels(pnlOp1os, OpampOp1oSmall, 71, 25, 20));
  BuildBank(op1p_, Op1p, OpampOp1p);
  BuildBank(op1pSmall_, Op1pSmall, OpampOp1pSmall, CreateSmallBankLabels(pnlOp1ps, OpampOp1pSmall, 15, 52, 19));
  BuildBank(op1n_, Op1n, OpampOp1n);
  BuildBank(op2n89_, Op2n89, OpampOp2n89);
  BuildBank(op2net1_, Op2net1, OpampOp2net1);
  BuildBank(op2n_, Op2n, OpampOp2n);
  BuildBank(op2p_, Op2p, OpampOp2p);
  BuildBank(sw_, Sw, OpampSw);
  BuildBank(op3n_, Op3n, OpampOp3n);
  BuildBank(op3p_, Op3p, OpampOp3p);
  Enop.clear();
  for (int i = 1; i <= EnableCount; ++i)
    Enop.push_back(qobject_cast<QAbstractButton*>(FindNoCase(this, QString("pnlEnop%1").arg(i))));

  ConnectBank(op1o_, &TOPForm::btnOP1oOnOffClick);
  ConnectBank(op1oSmall_, &TOPForm::btnOP1oOnOff2Click);
  ConnectBank(op1p_, &TOPForm::btnOP1pOnOffClick);
  ConnectBank(op1pSmall_, &TOPForm::btnOP1pOnOff2Click);
  ConnectBank(op1n_, &TOPForm::btnOP1nOnOffClick);
  ConnectBank(op2n89_, &TOPForm::btnOP2n89OnOffClick);
  ConnectBank(op2net1_, &TOPForm::btnOP2net1OnOffClick);
  ConnectBank(op2n_, &TOPForm::btnOP2nOnOffClick);
  ConnectBank(op2p_, &TOPForm::btnOP2pOnOffClick);
  ConnectBank(sw_, &TOPForm::btnSWOnOffClick);
  ConnectBank(op3n_, &TOPForm::btnOP3nOnOffClick);
  ConnectBank(op3p_, &TOPForm::btnOP3pOnOffClick);
  OnChoice(P, cmbRfb, this, [this](int) { cmbRfbChange(); });
  OnChoice(P, cmbRfb2, this, [this](int) { cmbRfb2Change(); });
  for (QAbstractButton* p : Enop)
    if (p) connect(p, &QAbstractButton::clicked, this, GuardedSlot(P, [this, p] { pnlEnopClick(p); }));

  for (FieldId id : {FieldId::OP1O, FieldId::OP1P, FieldId::OP1N, FieldId::OP2N89, FieldId::RFB, FieldId::OP2NET1,
                     FieldId::OP2N, FieldId::OP2P, FieldId::RFB2, FieldId::SW, FieldId::ZeroP3N, FieldId::OP3P})
    F[id].Value = 0;
}

void TOPForm::FormClose() {}

// ---- Refresh ------------------------------------------------------------------------------

void TOPForm::PaintOp1o() { (pnlOp1os->isHidden() ? op1o_ : op1oSmall_).Refresh(*Up()); }

void TOPForm::PaintOp1p() { (pnlOp1ps->isHidden() ? op1p_ : op1pSmall_).Refresh(*Up()); }

void TOPForm::RfbSwitch(TRegField& field, QComboBox* combo, QLabel* caption) {
  if (field.Value >= RfbCodes) field.Value = 0;
  caption->setText(RfbCaptions[field.Value]);
  combo->setCurrentIndex(field.Value);
}

void TOPForm::ENOPSwitch() {
  for (int i = 0; i < F.ENOP_OP.Width && i < EnableCount; ++i)
    PaintToggle(Enop[i], (F.ENOP_OP.Value >> i) & 1, Look::ToggleOffFace);
}

void TOPForm::DataUpdate() {
  TMx_UP* up = Up();
  if (!up) return;
  PaintOp1o();
  PaintOp1p();
  op1n_.Refresh(*up);
  op2n89_.Refresh(*up);
  RefreshField(*up, F.RFB, Repaint::Always);
  RfbSwitch(F.RFB, cmbRfb, lblRfb);
  op2net1_.Refresh(*up);
  op2n_.Refresh(*up);
  op2p_.Refresh(*up);
  RefreshField(*up, F.RFB2, Repaint::Always);
  RfbSwitch(F.RFB2, cmbRfb2, lblRfb2);
  sw_.Refresh(*up);
  op3n_.Refresh(*up);
  op3p_.Refresh(*up);
  RefreshField(*up, F.ENOP_OP, Repaint::Always);
  ENOPSwitch();
}

// ---- Clicks and choices -------------------------------------------------------------------

void TOPForm::btnOnOffClick(QObject* sender, const BoundBank& bank) {
  TMx_UP* up = Up();
  if (!up) return;
  for (size_t e = 0; e < bank.view.glyphs.size(); ++e) {
    const GlyphPair& g = bank.view.glyphs[e];
    if (g.Holds(sender)) bank.Click(*up, static_cast<int>(e), sender == g.closed);
  }
}

void TOPForm::btnOP1oOnOffClick(QObject* sender) { btnOnOffClick(sender, op1o_); }
void TOPForm::btnOP1oOnOff2Click(QObject* sender) { btnOnOffClick(sender, op1oSmall_); }
void TOPForm::btnOP1pOnOffClick(QObject* sender) { btnOnOffClick(sender, op1p_); }
void TOPForm::btnOP1pOnOff2Click(QObject* sender) { btnOnOffClick(sender, op1pSmall_); }
void TOPForm::btnOP1nOnOffClick(QObject* sender) { btnOnOffClick(sender, op1n_); }
void TOPForm::btnOP2n89OnOffClick(QObject* sender) { btnOnOffClick(sender, op2n89_); }
void TOPForm::btnOP2net1OnOffClick(QObject* sender) { btnOnOffClick(sender, op2net1_); }
void TOPForm::btnOP2nOnOffClick(QObject* sender) { btnOnOffClick(sender, op2n_); }
void TOPForm::btnOP2pOnOffClick(QObject* sender) { btnOnOffClick(sender, op2p_); }
void TOPForm::btnSWOnOffClick(QObject* sender) { btnOnOffClick(sender, sw_); }
void TOPForm::btnOP3nOnOffClick(QObject* sender) { btnOnOffClick(sender, op3n_); }
void TOPForm::btnOP3pOnOffClick(QObject* sender) { btnOnOffClick(sender, op3p_); }

// The item index is written as it is: the combo lists the four codes of a two-bit field.
void TOPForm::RfbChange(TRegField& field, QComboBox* combo) {
  const int k = combo->currentIndex();
  if (k < 0 || !Up()) return;
  field.Value = static_cast<uint8_t>(k);
  WriteField(*Up(), field, k);
}

void TOPForm::cmbRfbChange() { RfbChange(F.RFB, cmbRfb); }
void TOPForm::cmbRfb2Change() { RfbChange(F.RFB2, cmbRfb2); }

// Inverts the panel's bit in the shadow byte. A panel whose bit lies at or beyond the
// field's width writes nothing: its bit would belong to another field.
void TOPForm::pnlEnopClick(QObject* sender) {
  if (!Up()) return;
  for (int i = 0; i < static_cast<int>(Enop.size()); ++i)
    if (Enop[i] == sender && i < F.ENOP_OP.Width) WriteFieldBit(*Up(), F.ENOP_OP, i, BitOp::Invert);
}
