#include "block_panels/dac_spots.h"

QString DacGlyphName(const QString& part, int position, bool closed) {
  return "btn" + part + (closed ? "On" : "Off") + QString::number(position);
}

QString DacLabelName(const QString& part, int position) { return "lbl" + part + "_" + QString::number(position); }

QString DacComboName(const QString& part) { return "cmb" + part; }

namespace {

constexpr int Pitch = 19;
constexpr int GlyphW = 30, GlyphH = 14, LabelW = 49;
constexpr int Top = 30;  // both halves start here

// One DAC's half: its origin and the suffix of its component names ("" or "2").
struct Half {
  int x;
  const char* suffix;
  const char* coverPrefix;
};
constexpr Half Halves[] = {{8, "", "pnlCoverDAOE1_"}, {504, "2", "pnlCoverDAOE2_"}};

void AddSelector(PanelSpots& s, const QString& part, bool labelFirst, int x, int y0, int comboX, int comboY,
                 QPoint o) {
  for (int i = 0; i < DacPositions; ++i) {
    const int top = y0 + Pitch * i - GlyphH / 2;
    const int glyphX = labelFirst ? x + 55 : x + 6;
    const int labelX = labelFirst ? x : x + 42;
    const QRect glyph = QRect(glyphX, top, GlyphW, GlyphH).translated(o);
    s.push_back({DacGlyphName(part, i, true), glyph});
    s.push_back({DacGlyphName(part, i, false), glyph});
    s.push_back({DacLabelName(part, i), QRect(labelX, top, LabelW, GlyphH).translated(o)});
  }
  s.push_back({DacComboName(part), QRect(comboX, comboY, 58, 22).translated(o), true});
}

PanelSpots BuildSpots() {
  PanelSpots s;
  for (const Half& h : Halves) {
    const QPoint o(h.x, Top);
    const QString n = h.suffix;
    // Reference selectors: label, glyph, then the bus; the output selector: bus, glyph, label.
    AddSelector(s, "Daps" + n, true, 8, 58, 8, 126, o);
    AddSelector(s, "Dans" + n, true, 8, 184, 8, 252, o);
    AddSelector(s, "Daoe" + n, false, 360, 108, 402, 186, o);
    const PanelSpot single[] = {
        {"edtDabit" + n, QRect(160, 124, 120, 22).translated(o), true},
        {"pnlEnda" + n, QRect(160, 162, 57, 22).translated(o), true},
        {"pnlDadcs" + n, QRect(223, 162, 57, 22).translated(o), true},
        {"btnDalh" + n + "On", QRect(310, 101, GlyphW, GlyphH).translated(o)},
        {"btnDalh" + n + (n.isEmpty() ? "off" : "Off"), QRect(310, 101, GlyphW, GlyphH).translated(o)},
    };
    s.insert(s.end(), std::begin(single), std::end(single));
    // The covers hide the whole output selector: the first its heading, positions 0 and 1
    // and the latch's lead from the latch glyph to the bus; the second position 2; the
    // third position 3 and the code combo with its field below.
    constexpr int HeadingTop = 80, LatchRight = 340, SelectorLeft = 357, Right = 468, ComboBottom = 209;
    for (int k = 1; k < DacPositions; ++k) {
      const int left = k == 1 ? LatchRight : SelectorLeft;
      const int top = k == 1 ? HeadingTop : 108 + Pitch * k - 9;
      const int bottom = k == DacPositions - 1 ? ComboBottom : 108 + Pitch * k + 10;
      s.push_back({h.coverPrefix + QString::number(k), QRect(left, top, Right - left, bottom - top).translated(o)});
    }
  }
  return s;
}

}  // namespace

QSize DacDiagramSize() { return {1000, 320}; }

const PanelSpots& DacSpots() {
  static const PanelSpots spots = BuildSpots();
  return spots;
}

QRect DacSpotOf(const QString& name) { return SpotIn(DacSpots(), name); }
