#include "block_panels/bodyfat_panel.h"

#include <QLabel>
#include <algorithm>

#include "block_panels/bodyfat_spots.h"
#include "block_panels/diagram_canvas.h"
#include "common/handler_guard.h"
#include "kit/bench.h"

namespace {

// The glyph groups by switch number; 0 stands for the force-loop switches 1F4..1F7.
constexpr int GroupASwitches[] = {1};
constexpr int GroupBSwitches[] = {5, 4, 3, 2, 9};
constexpr int GroupCSwitches[] = {8, 7, 6, 15, 14};
constexpr int GroupDSwitches[] = {13, 12, 11, 10};
constexpr int ForceFirst = 4, ForceCount = 4;

// Where a field's switches lie in its group.
constexpr int Sw9Entry = 4;                   // group B
constexpr int Sw15Entry = 3, Sw14Entry = 4;   // group C
constexpr int RamBankSw9Bit = 6;              // RAMBANK bits 0, 1 on SW15, SW14; 2..5 on SW13..SW10
constexpr int RamBankGroupDFirstBit = 2;
constexpr int RamBankBits = 7;

struct NodeLabel {
  const char* name;
  const char* caption;
};
constexpr NodeLabel NodeLabels[] = {
    {"lblLpf_fbp", "LPF_fbp"}, {"lblAi8", "AI8"}, {"lblAi9", "AI9"},       {"lblDaco2", "DACO2"},
    {"lblOpo", "OPO"},         {"lblOpo2", "OPO2"}, {"lblLpf_In", "LPF_IN"}, {"lblLpf_O", "LPF_O"},
};

GlyphPair SwitchPair(const QObject* owner, int n) {
  return {qobject_cast<QAbstractButton*>(FindNoCase(owner, BodyfatSwitchName(n, true))),
          qobject_cast<QAbstractButton*>(FindNoCase(owner, BodyfatSwitchName(n, false)))};
}

template <size_t N>
std::vector<GlyphPair> SwitchPairs(const QObject* owner, const int (&numbers)[N]) {
  std::vector<GlyphPair> v;
  for (int n : numbers) v.push_back(SwitchPair(owner, n));
  return v;
}

// The entry of the group whose glyph was clicked, and whether it was the closed one.
int EntryOf(const SwitchBankView& group, const QObject* sender, bool& closedGlyph) {
  for (size_t e = 0; e < group.glyphs.size(); ++e) {
    if (!group.glyphs[e].Holds(sender)) continue;
    closedGlyph = sender == group.glyphs[e].closed;
    return static_cast<int>(e);
  }
  return -1;
}

}  // namespace

TbodyfatGUIForm::TbodyfatGUIForm(Bench& program, QWidget* parent)
    : TPanelForm(program, "bodyfatGUIForm", QString::fromUtf8("Body fat"), parent), F(program.G.Fields) {
  CreateControls();
  resize(sizeHint());
}

QSize TbodyfatGUIForm::sizeHint() const { return BodyfatDiagramSize(); }

TMx_UP* TbodyfatGUIForm::Up() const { return P.Mx_UP; }

// ---- The window's controls (what the window resource holds) ---------------------------

void TbodyfatGUIForm::CreateControls() {
  QWidget* canvas = CreateDiagramCanvas(this, BodyfatPictures::Diagram, BodyfatDiagramSize());
  for (int n = 1; n <= 15; ++n) {
    const QString closed = BodyfatSwitchName(n, true);
    MakeGlyphPair(canvas, closed, BodyfatSwitchName(n, false), BodyfatSpotOf(closed), GlyphAxis::Horizontal);
  }
  for (int n = ForceFirst; n < ForceFirst + ForceCount; ++n) {
    const QString closed = BodyfatForceName(n, true);
    MakeGlyphPair(canvas, closed, BodyfatForceName(n, false), BodyfatSpotOf(closed), GlyphAxis::Horizontal);
  }
  for (const NodeLabel& l : NodeLabels)
    PaintLit(SpotLabel(canvas, l.name, BodyfatSpotOf(l.name), QString::fromUtf8(l.caption)), false);
}

// ---- Creation ---------------------------------------------------------------------------

void TbodyfatGUIForm::FormCreate() {
  GroupA.glyphs = SwitchPairs(this, GroupASwitches);
  auto force = GlyphPairsByName(this, "btn1FOn", "btn1FOff", ForceFirst, ForceCount);
  GroupA.glyphs.insert(GroupA.glyphs.end(), force.begin(), force.end());
  GroupB.glyphs = SwitchPairs(this, GroupBSwitches);
  GroupC.glyphs = SwitchPairs(this, GroupCSwitches);
  GroupD.glyphs = SwitchPairs(this, GroupDSwitches);

  struct Wiring {
    const SwitchBankView* group;
    void (TbodyfatGUIForm::*handler)(QObject*);
  };
  for (const Wiring& w : {Wiring{&GroupA, &TbodyfatGUIForm::btn1FOnOffClick},
                          Wiring{&GroupB, &TbodyfatGUIForm::btnOpoOnOffClick},
                          Wiring{&GroupC, &TbodyfatGUIForm::btnOpo2OnOffClick},
                          Wiring{&GroupD, &TbodyfatGUIForm::btnOp3oOnOffClick}}) {
    for (const GlyphPair& g : w.group->glyphs) {
      g.Show(false);
      for (QAbstractButton* b : {g.closed, g.open})
        if (b) connect(b, &QAbstractButton::clicked, this, GuardedSlot(P, [this, b, h = w.handler] { (this->*h)(b); }));
    }
  }
  auto label = [this](const char* name) { return qobject_cast<QLabel*>(FindNoCase(this, name)); };
  lblLpf_fbp = label("lblLpf_fbp");
  lblAi8 = label("lblAi8");
  lblAi9 = label("lblAi9");
  lblDaco2 = label("lblDaco2");
  lblOpo = label("lblOpo");
  lblOpo2 = label("lblOpo2");
  lblLpf_In = label("lblLpf_In");
  lblLpf_O = label("lblLpf_O");

  for (FieldId id : {FieldId::SW1, FieldId::DAC2CN2, FieldId::DACCN3, FieldId::F_LOOP, FieldId::RAMBANK})
    F[id].Value = 0;
}

void TbodyfatGUIForm::FormClose() {}

// ---- Refresh ------------------------------------------------------------------------------

void TbodyfatGUIForm::RamBankSwitch() {
  auto show = [](const SwitchBankView& group, int entry, bool closed) {
    if (entry < static_cast<int>(group.glyphs.size())) group.glyphs[entry].Show(closed);
  };
  const int bits = std::min<int>(F.RAMBANK.Width, RamBankBits);
  for (int b = 0; b < bits; ++b) {
    const bool set = ((F.RAMBANK.Value >> b) & 1) != 0;
    if (b == 0) show(GroupC, Sw15Entry, set);
    else if (b == 1) show(GroupC, Sw14Entry, set);
    else if (b == RamBankSw9Bit) show(GroupB, Sw9Entry, set);
    else show(GroupD, b - RamBankGroupDFirstBit, set);
  }
}

void TbodyfatGUIForm::LblSwitch(QLabel* label, bool lit) { PaintLit(label, lit); }

// A field wider than the switches the network gives it paints only those switches.
void TbodyfatGUIForm::DataUpdate() {
  TMx_UP* up = Up();
  if (!up) return;
  auto read = [up](TRegField& f) {
    RefreshField(*up, f, Repaint::Always);
    return static_cast<int>(f.Value);
  };
  GroupA.Paint(read(F.SW1), std::min<int>(F.SW1.Width, 1), 0);
  GroupC.Paint(read(F.DAC2CN2), F.DAC2CN2.Width);
  GroupB.Paint(read(F.DACCN3), F.DACCN3.Width);
  GroupA.Paint(read(F.F_LOOP), std::min<int>(F.F_LOOP.Width, ForceCount), 1);
  read(F.RAMBANK);
  RamBankSwitch();
  LblSwitch(lblLpf_fbp, read(F.LPF_FBP) == 1);
  LblSwitch(lblAi8, read(F.AI8) == 1);
  LblSwitch(lblAi9, read(F.AI9) == 1);
  LblSwitch(lblDaco2, read(F.DACO2) == 1);
  LblSwitch(lblOpo, read(F.IN1N) == 8);
  LblSwitch(lblOpo2, read(F.IN1P) == 15);
  LblSwitch(lblLpf_In, read(F.DAOE) == 1);
  LblSwitch(lblLpf_O, read(F.LPF_O) == 1);
}

// ---- Clicks -------------------------------------------------------------------------------

void TbodyfatGUIForm::SwitchBit(TRegField& field, int bit, bool closedGlyph) {
  if (Up() && bit < field.Width) WriteFieldBit(*Up(), field, bit, closedGlyph ? BitOp::Clear : BitOp::Set);
}

// SW1: SW1 bit 0; 1F4..1F7: F_LOOP bits 0..3.
void TbodyfatGUIForm::btn1FOnOffClick(QObject* sender) {
  bool closed = false;
  const int e = EntryOf(GroupA, sender, closed);
  if (e == 0) SwitchBit(F.SW1, 0, closed);
  else if (e > 0) SwitchBit(F.F_LOOP, e - 1, closed);
}

// SW9: RAMBANK bit 6; SW5, SW4, SW3, SW2: DACCN3 bits 0..3.
void TbodyfatGUIForm::btnOpoOnOffClick(QObject* sender) {
  bool closed = false;
  const int e = EntryOf(GroupB, sender, closed);
  if (e == Sw9Entry) SwitchBit(F.RAMBANK, RamBankSw9Bit, closed);
  else if (e >= 0) SwitchBit(F.DACCN3, e, closed);
}

// SW15, SW14: RAMBANK bits 0, 1; SW8, SW7, SW6: DAC2CN2 bits 0..2.
void TbodyfatGUIForm::btnOpo2OnOffClick(QObject* sender) {
  bool closed = false;
  const int e = EntryOf(GroupC, sender, closed);
  if (e == Sw15Entry) SwitchBit(F.RAMBANK, 0, closed);
  else if (e == Sw14Entry) SwitchBit(F.RAMBANK, 1, closed);
  else if (e >= 0) SwitchBit(F.DAC2CN2, e, closed);
}

// SW13, SW12, SW11, SW10: RAMBANK bits 2..5.
void TbodyfatGUIForm::btnOp3oOnOffClick(QObject* sender) {
  bool closed = false;
  const int e = EntryOf(GroupD, sender, closed);
  if (e >= 0) SwitchBit(F.RAMBANK, RamBankGroupDFirstBit + e, closed);
}
