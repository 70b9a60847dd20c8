#pragma once
// Where the op-amp panel's controls sit on its block diagram (assets/opamp_block_diagram.svg):
// component name -> rectangle in diagram pixels, the diagram drawn at 1:1. Switch spots
// are left free of lines (the glyphs complete the wires); single controls have a white
// field "spot_" + name under them.
//
// Two cards with pictures of their own hold the small banks of the 3-bit OP1O and 7-bit
// OP1P layouts; they lie over the 6- and 8-switch banks. The spots of what lies in a card
// are in diagram coordinates too (subtract the card's top-left corner to place them).

#include <QString>

#include "block_panels/diagram_canvas.h"

namespace OpampPictures {
inline const char Diagram[] = ":/opamp_block_diagram.svg";
inline const char SmallOutputBank[] = ":/opamp_op1o_small.svg";  // in pnlOp1os
inline const char SmallInputBank[] = ":/opamp_op1p_small.svg";   // in pnlOp1ps
}  // namespace OpampPictures

// A switch bank of the panel: glyphs prefix + "On"/"Off" + number, bit i on the pair
// numbered firstNumber + i; labels labelPrefix + (firstLabel + i), or none.
struct OpampBank {
  const char* glyphPrefix;
  int firstNumber;
  int count;
  const char* labelPrefix;  // empty: the bank has no label widgets
  int firstLabel;
};

// The banks on the diagram, in the order of the fields (OP1O 6-bit layout, OP1P 8-bit,
// OP1N, OP2N89, OP2NET1, OP2N, OP2P, SW, 0P3N, OP3P), and the two small banks.
extern const OpampBank OpampOp1o, OpampOp1p, OpampOp1n, OpampOp2n89, OpampOp2net1, OpampOp2n, OpampOp2p,
    OpampSw, OpampOp3n, OpampOp3p, OpampOp1oSmall, OpampOp1pSmall;

QString OpampGlyphName(const OpampBank& bank, int bit, bool closed);
// Empty for a bank without labels.
QString OpampLabelName(const OpampBank& bank, int bit);

QSize OpampDiagramSize();
const PanelSpots& OpampSpots();
QRect OpampSpotOf(const QString& name);
// The wire a cover draws through itself (a junction's cover), in diagram coordinates;
// empty for a plain cover.
QPolygonF OpampCoverWire(const QString& name);
