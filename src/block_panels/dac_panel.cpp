#include "block_panels/dac_panel.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "block_panels/dac_spots.h"
#include "block_panels/diagram_canvas.h"
#include "common/handler_guard.h"
#include "kit/bench.h"

namespace {

constexpr int CodeDigits = 12;
const char InitialCode[] = "000000000000";

QRect Spot(const QString& name) { return DacSpotOf(name); }

}  // namespace

TDACForm::TDACForm(Bench& program, QWidget* parent)
    : TPanelForm(program, "DACForm", QString::fromUtf8("DAC"), parent),
      F(program.G.Fields),
      dans_{F.DANS, {}, Dans},
      daps_{F.DAPS, {}, Daps},
      daoe_{F.DAOE, {}, Daoe},
      dans2_{F.DANS2, {}, Dans2},
      daps2_{F.DAPS2, {}, Daps2},
      daoe2_{F.DAOE2, {}, Daoe2} {
  CreateControls();
  resize(sizeHint());
}

QSize TDACForm::sizeHint() const { return DacDiagramSize(); }

TMx_UP* TDACForm::Up() const { return P.Mx_UP; }

// ---- The window's controls (what the window resource holds) ---------------------------

void TDACForm::CreateHalf(const QString& n) {
  for (const QString& part : {"Daps" + n, "Dans" + n, "Daoe" + n}) {
    for (int i = 0; i < DacPositions; ++i) {
      const QString closed = DacGlyphName(part, i, true);
      MakeGlyphPair(canvas_, closed, DacGlyphName(part, i, false), Spot(closed), GlyphAxis::Horizontal);
      const QString label = DacLabelName(part, i);
      PaintLit(SpotLabel(canvas_, label, Spot(label)), false);
    }
    SpotCodeCombo(canvas_, DacComboName(part), Spot(DacComboName(part)), 2);
  }
  SpotCodeDisplay(canvas_, "edtDabit" + n, Spot("edtDabit" + n), InitialCode);
  // Shown by the chip definition when it defines their fields.
  SpotToggle(canvas_, "pnlEnda" + n, Spot("pnlEnda" + n), "ENDA" + n)->hide();
  SpotToggle(canvas_, "pnlDadcs" + n, Spot("pnlDadcs" + n), "DADCS" + n)->hide();
  const QString closed = "btnDalh" + n + "On", open = "btnDalh" + n + (n.isEmpty() ? "off" : "Off");
  GlyphPair latch = MakeGlyphPair(canvas_, closed, open, Spot(closed), GlyphAxis::Horizontal);
  latch.open->hide();
}

void TDACForm::CreateControls() {
  canvas_ = CreateDiagramCanvas(this, DacPictures::Diagram, DacDiagramSize());
  CreateHalf("");
  CreateHalf("2");
  for (const char* n : {"pnlCoverDAOE1_1", "pnlCoverDAOE1_2", "pnlCoverDAOE1_3", "pnlCoverDAOE2_1",
                        "pnlCoverDAOE2_2", "pnlCoverDAOE2_3"})
    SpotCover(canvas_, n, Spot(n));
}

// ---- Creation ---------------------------------------------------------------------------

void TDACForm::BuildSelector(BoundDacSelector& s, const QString& part, void (TDACForm::*handler)(QObject*),
                             void (TDACForm::*change)()) {
  s.view.glyphs = GlyphPairsByName(this, "btn" + part + "On", "btn" + part + "Off", 0, DacPositions);
  s.view.combo = qobject_cast<QComboBox*>(FindNoCase(this, DacComboName(part)));
  s.names = {};
  s.names.labels = LabelsByName(this, "lbl" + part + "_", 0, DacPositions);
  s.names.combo = s.view.combo;
  for (const GlyphPair& g : s.view.glyphs) {
    g.Show(false);
    s.names.on.push_back(g.closed);
    s.names.off.push_back(g.open);
    for (QAbstractButton* b : {g.closed, g.open})
      if (b) connect(b, &QAbstractButton::clicked, this, GuardedSlot(P, [this, b, handler] { (this->*handler)(b); }));
  }
  if (s.view.combo) OnChoice(P, s.view.combo, this, [this, change](int) { (this->*change)(); });
}

void TDACForm::FormCreate() {
  BuildSelector(dans_, "Dans", &TDACForm::btnDansOnOffClick, &TDACForm::cmbDansChange);
  BuildSelector(daps_, "Daps", &TDACForm::btnDapsOnOffClick, &TDACForm::cmbDapsChange);
  BuildSelector(daoe_, "Daoe", &TDACForm::btnDaoeOnOffClick, &TDACForm::cmbDaoeChange);
  BuildSelector(dans2_, "Dans2", &TDACForm::btnDans2OnOffClick, &TDACForm::cmbDans2Change);
  BuildSelector(daps2_, "Daps2", &TDACForm::btnDaps2OnOffClick, &TDACForm::cmbDaps2Change);
  BuildSelector(daoe2_, "Daoe2", &TDACForm::btnDaoe2OnOffClick, &TDACForm::cmbDaoe2Change);
  edtDabit = qobject_cast<QLineEdit*>(FindNoCase(this, "edtDabit"));
  edtDabit2 = qobject_cast<QLineEdit*>(FindNoCase(this, "edtDabit2"));

  auto button = [this](const char* name) { return qobject_cast<QAbstractButton*>(FindNoCase(this, name)); };
  pnlEnda = button("pnlEnda");
  pnlEnda2 = button("pnlEnda2");
  pnlDadcs = button("pnlDadcs");
  pnlDadcs2 = button("pnlDadcs2");
  connect(pnlEnda, &QAbstractButton::clicked, this, GuardedSlot(P, this, &TDACForm::pnlEndaClick));
  connect(pnlEnda2, &QAbstractButton::clicked, this, GuardedSlot(P, this, &TDACForm::pnlEnda2Click));
  connect(pnlDadcs, &QAbstractButton::clicked, this, GuardedSlot(P, this, &TDACForm::pnlDadcsClick));
  connect(pnlDadcs2, &QAbstractButton::clicked, this, GuardedSlot(P, this, &TDACForm::pnlDadcs2Click));

  dalh_ = {button("btnDalhOn"), button("btnDalhoff")};
  dalh2_ = {button("btnDalh2On"), button("btnDalh2Off")};
  for (QAbstractButton* b : {dalh_.closed, dalh_.open})
    connect(b, &QAbstractButton::clicked, this, GuardedSlot(P, [this, b] { btnDalhOnOffClick(b); }));
  for (QAbstractButton* b : {dalh2_.closed, dalh2_.open})
    connect(b, &QAbstractButton::clicked, this, GuardedSlot(P, [this, b] { btnDalh2OnOffClick(b); }));
  move(0, 0);
}

void TDACForm::FormClose() {}

// ---- Refresh ------------------------------------------------------------------------------

// Position v closed, every other open (none closed when v is no position); the combo
// selects the item whose text is the code of v, or none. The labels keep the texts the
// chip definition gave them.
void TDACForm::DACSwitch(const BoundDacSelector& s) {
  s.view.PaintGlyphs(s.field.Value);
  SelectorCode(s);
}

void TDACForm::SelectorCode(const BoundDacSelector& s) { SelectCode(s.view.combo, s.field.Value, s.field.Width); }

void TDACForm::DACSwitch2(const GlyphPair& latch, int value) { latch.Show(value != 0); }

void TDACForm::DabitSwitch(QLineEdit* edit, const TRegField& high, const TRegField& low) {
  if (edit) edit->setText(BinaryCode(high.Value * 256 + low.Value, CodeDigits));
}

void TDACForm::DataUpdate() {
  TMx_UP* up = Up();
  if (!up) return;
  for (const BoundDacSelector* s : {&dans_, &daps_, &dans2_, &daps2_, &daoe_, &daoe2_}) {
    RefreshField(*up, s->field, Repaint::Always);
    DACSwitch(*s);
  }
  for (auto [field, panel] : {std::pair{&F.ENDA, pnlEnda}, {&F.ENDA2, pnlEnda2}, {&F.DADCS, pnlDadcs},
                              {&F.DADCS2, pnlDadcs2}}) {
    RefreshField(*up, *field, Repaint::Always);
    PaintToggle(panel, field->Value, Look::ToggleOffFace);
  }
  RefreshField(*up, F.DALH, Repaint::Always);
  DACSwitch2(dalh_, F.DALH.Value);
  RefreshField(*up, F.DALH2, Repaint::Always);
  DACSwitch2(dalh2_, F.DALH2.Value);
  for (TRegField* f : {&F.DABITH, &F.DABITL, &F.DABIT2H, &F.DABIT2L}) RefreshField(*up, *f, Repaint::Always);
  DabitSwitch(edtDabit, F.DABITH, F.DABITL);
  DabitSwitch(edtDabit2, F.DABIT2H, F.DABIT2L);
}

// ---- Clicks and choices -------------------------------------------------------------------

// Position i of the clicked glyph written into the field; the refresh chain repaints.
void TDACForm::btnOnOffClick(QObject* sender, const BoundDacSelector& s) {
  const int i = s.view.PositionOf(sender);
  if (i < 0 || i >= FieldPositions(s.field) || !Up()) return;
  WriteField(*Up(), s.field, i);
}

void TDACForm::btnDansOnOffClick(QObject* sender) { btnOnOffClick(sender, dans_); }
void TDACForm::btnDapsOnOffClick(QObject* sender) { btnOnOffClick(sender, daps_); }
void TDACForm::btnDaoeOnOffClick(QObject* sender) { btnOnOffClick(sender, daoe_); }
void TDACForm::btnDans2OnOffClick(QObject* sender) { btnOnOffClick(sender, dans2_); }
void TDACForm::btnDaps2OnOffClick(QObject* sender) { btnOnOffClick(sender, daps2_); }
void TDACForm::btnDaoe2OnOffClick(QObject* sender) { btnOnOffClick(sender, daoe2_); }

// The chosen text names the position: the combo holds only the codes the chip offers.
void TDACForm::cmbChange(const BoundDacSelector& s) {
  if (!Up()) return;
  WriteField(*Up(), s.field, PositionOfCode(s.view.combo->currentText(), s.field.Width));
}

void TDACForm::cmbDansChange() { cmbChange(dans_); }
void TDACForm::cmbDapsChange() { cmbChange(daps_); }
void TDACForm::cmbDaoeChange() { cmbChange(daoe_); }
void TDACForm::cmbDans2Change() { cmbChange(dans2_); }
void TDACForm::cmbDaps2Change() { cmbChange(daps2_); }
void TDACForm::cmbDaoe2Change() { cmbChange(daoe2_); }

// The field's bit of the shadow byte inverted, whatever the panel last painted.
void TDACForm::pnlClick(TRegField& field) {
  if (Up()) WriteFieldBit(*Up(), field, 0, BitOp::Invert);
}

void TDACForm::pnlEndaClick() { pnlClick(F.ENDA); }
void TDACForm::pnlEnda2Click() { pnlClick(F.ENDA2); }
void TDACForm::pnlDadcsClick() { pnlClick(F.DADCS); }
void TDACForm::pnlDadcs2Click() { pnlClick(F.DADCS2); }

// The open glyph sets the latch bit, the closed glyph clears it.
void TDACForm::btnSwOnOffClick(QObject* sender, const GlyphPair& latch, TRegField& field) {
  if (Up() && latch.Holds(sender)) WriteField(*Up(), field, sender == latch.open ? 1 : 0);
}

void TDACForm::btnDalhOnOffClick(QObject* sender) { btnSwOnOffClick(sender, dalh_, F.DALH); }
void TDACForm::btnDalh2OnOffClick(QObject* sender) { btnSwOnOffClick(sender, dalh2_, F.DALH2); }
