#pragma once
// Where the DAC panel's controls sit on its block diagram (assets/dac_block_diagram.svg):
// component name -> rectangle in diagram pixels, the diagram drawn at 1:1. DAC 1 is the
// left half, DAC 2 the right half, laid out alike. Switch spots are left free of lines;
// single controls have a white field "spot_" + name under them.

#include <QString>

#include "block_panels/diagram_canvas.h"

namespace DacPictures {
inline const char Diagram[] = ":/dac_block_diagram.svg";
}  // namespace DacPictures

// The six selectors by their name part: "Dans", "Daps", "Daoe", "Dans2", "Daps2", "Daoe2".
// Closed glyph "btn" + part + "On" + position, open "btn" + part + "Off" + position, label
// "lbl" + part + "_" + position, combo "cmb" + part.
QString DacGlyphName(const QString& part, int position, bool closed);
QString DacLabelName(const QString& part, int position);
QString DacComboName(const QString& part);
constexpr int DacPositions = 4;

QSize DacDiagramSize();
const PanelSpots& DacSpots();
QRect DacSpotOf(const QString& name);
