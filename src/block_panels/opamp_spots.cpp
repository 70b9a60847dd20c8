#include "block_panels/opamp_spots.h"

const OpampBank OpampOp1o{"btnOp1o", 0, 6, "lblOp1O", 0};
const OpampBank OpampOp1p{"btnOp1p", 0, 8, "lblOp1p", 0};
const OpampBank OpampOp1n{"btnOp1n", 0, 8, "lblOp1n", 0};
const OpampBank OpampOp2n89{"btnOp2n", 8, 2, "lblOp2n", 8};
const OpampBank OpampOp2net1{"btnOp2Net1", 4, 4, "", 0};
const OpampBank OpampOp2n{"btnOp2n", 0, 8, "lblOp2n", 0};
const OpampBank OpampOp2p{"btnOp2p", 0, 8, "lblOp2p", 0};
const OpampBank OpampSw{"btnSw", 1, 4, "", 0};
const OpampBank OpampOp3n{"btnOp3n", 0, 8, "lblOp3n", 0};
const OpampBank OpampOp3p{"btnOp3p", 0, 8, "lblOp3p", 0};
const OpampBank OpampOp1oSmall{"btnOp1os2", 0, 3, "lblOp1os2_", 0};
const OpampBank OpampOp1pSmall{"btnOp1ps2", 1, 7, "lblOp1ps2_", 0};

QString OpampGlyphName(const OpampBank& bank, int bit, bool closed) {
  return QString(bank.glyphPrefix) + (closed ? "On" : "Off") + QString::number(bank.firstNumber + bit);
}

QString OpampLabelName(const OpampBank& bank, int bit) {
  if (!*bank.labelPrefix) return {};
  return bank.labelPrefix + QString::number(bank.firstLabel + bit);
}

namespace {

constexpr int Pitch = 19;  // rows of the banks on the diagram
constexpr int GlyphW = 30, GlyphH = 14, LabelW = 49;

// An input bank's rows: label, glyph, then the bus at x + 91. An output bank's rows: the
// bus at x, glyph, then the label.
struct BankLayout {
  const OpampBank* bank;
  bool input;
  int x;
  int y0;  // centre of row 0
  int pitch;
  int labelH;
};

const BankLayout Layouts[] = {
    {&OpampOp1p, true, 24, 96, Pitch, GlyphH},       {&OpampOp1n, true, 24, 292, Pitch, GlyphH},
    {&OpampOp1o, false, 268, 257, Pitch, GlyphH},    {&OpampOp2p, true, 392, 96, Pitch, GlyphH},
    {&OpampOp2n, true, 392, 292, Pitch, GlyphH},     {&OpampOp2n89, true, 392, 292 + 8 * Pitch, Pitch, GlyphH},
    {&OpampOp2net1, false, 624, 257, Pitch, GlyphH}, {&OpampOp3p, true, 712, 96, Pitch, GlyphH},
    {&OpampOp3n, true, 712, 292, Pitch, GlyphH},     {&OpampSw, false, 926, 257, Pitch, GlyphH},
    // The small banks in their cards (pnlOp1ps at 9,37 and pnlOp1os at 239,225): rows of
    // the 7-bit OP1P at card Top 33 + 19 x (i + 1), of the 3-bit OP1O at Top 25 + 20 x i.
    {&OpampOp1pSmall, true, 24, 37 + 33 + Pitch + GlyphH / 2, Pitch, 13},
    {&OpampOp1oSmall, false, 268, 225 + 25 + GlyphH / 2, 20, 13},
};

PanelSpots BuildSpots() {
  PanelSpots s;
  // The cards first: they lie over the banks they replace.
  s.push_back({"pnlOp1ps", {9, 37, 112, 212}});
  s.push_back({"pnlOp1os", {239, 225, 126, 136}});
  s.push_back({"pnlOp1os_2", {253, 323, 100, 22}});
  for (const BankLayout& l : Layouts) {
    for (int i = 0; i < l.bank->count; ++i) {
      const int top = l.y0 + l.pitch * i - GlyphH / 2;
      const int glyphX = l.input ? l.x + 55 : l.x + 6;
      const int labelX = l.input ? l.x : l.x + 42;
      const QRect glyph(glyphX, top, GlyphW, GlyphH);
      s.push_back({OpampGlyphName(*l.bank, i, true), glyph});
      s.push_back({OpampGlyphName(*l.bank, i, false), glyph});
      const QString label = OpampLabelName(*l.bank, i);
      if (!label.isEmpty()) s.push_back({label, {labelX, top, LabelW, l.labelH}});
    }
  }
  const PanelSpot single[] = {
      {"cmbRfb", {146, 456, 52, 22}, true},   {"lblRfb", {202, 459, 40, 16}, true},
      {"cmbRfb2", {514, 494, 52, 22}, true},  {"lblRfb2", {570, 497, 40, 16}, true},
      {"pnlEnop1", {158, 302, 64, 20}, true}, {"pnlEnop2", {526, 302, 64, 20}, true},
      {"pnlEnop3", {846, 302, 64, 20}, true},
      // Covers of what the chip definition may leave out: each hides all its field draws.
      // A feedback loop's junctions sit on wires that stay; their covers stop at the wire
      // and a small one over the dot draws the wire through. OP2's output lead belongs to
      // both NET1 and the RFB2 loop: its cover shows when neither is there; with the loop
      // alone, the cover over the dot where NET1's wire left it draws the lead's corner.
      {"pnlCoverRfb_1", {225, 258, 14, 168}},  {"pnlCoverRfb_2", {128, 426, 118, 56}},
      {"pnlCoverRfb_3", {129, 273, 14, 153}},  {"pnlCoverRfb_4", {228, 252, 9, 10}},
      {"pnlCoverRfb_5", {132, 267, 9, 10}},    {"pnlCoverRfb2_1", {593, 258, 14, 206}},
      {"pnlCoverRfb2_2", {496, 464, 118, 26}}, {"pnlCoverRfb2_3", {497, 273, 14, 191}},
      {"pnlCoverRfb2_4", {496, 490, 118, 32}}, {"pnlCoverRfb2_5", {596, 252, 9, 10}},
      {"pnlCoverRfb2_6", {500, 267, 9, 10}},   {"pnlCoverOp2net1", {603, 234, 81, 90}},
      {"pnlCoverOp2net1_2", {596, 252, 7, 10}},
      {"pnlCoverOp2Out", {591, 253, 12, 8}},   {"pnlCoverLpf_1", {16, 520, 200, 54}},
  };
  s.insert(s.end(), std::begin(single), std::end(single));
  return s;
}

}  // namespace

QSize OpampDiagramSize() { return {1000, 600}; }

const PanelSpots& OpampSpots() {
  static const PanelSpots spots = BuildSpots();
  return spots;
}

QRect OpampSpotOf(const QString& name) { return SpotIn(OpampSpots(), name); }

QPolygonF OpampCoverWire(const QString& name) {
  const QRect r = OpampSpotOf(name);
  // The output wires of OP1 and OP2 (row 257) and their inverting inputs (row 272) run
  // straight through their junctions' covers.
  static const std::pair<const char*, int> junctions[] = {
      {"pnlCoverRfb_4", 257}, {"pnlCoverRfb_5", 272}, {"pnlCoverRfb2_5", 257}, {"pnlCoverRfb2_6", 272}};
  for (const auto& [n, y] : junctions)
    if (name == n) return QPolygonF({QPointF(r.left() - 2, y), QPointF(r.right() + 3, y)});
  // Without NET1, OP2's output lead turns down into the RFB2 loop at x 600: a corner.
  if (name == "pnlCoverOp2net1_2")
    return QPolygonF({QPointF(r.left() - 2, 257), QPointF(600, 257), QPointF(600, r.bottom() + 3)});
  return {};
}
