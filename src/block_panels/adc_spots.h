#pragma once
// Where the ADC panel's controls sit on its block diagram (assets/adc_block_diagram.svg):
// component name -> rectangle in diagram pixels. The diagram is drawn at 1:1, so a
// control placed at its spot lines up with the wires, blocks and frames under it.
// The diagram leaves every switch spot free of lines (an open glyph would otherwise look
// closed) and draws a white field under the spots of single controls.
//
// All rectangles are in diagram coordinates, including those of the controls that lie
// inside the temperature-sensor panel PTemp (subtract its top-left corner to place them
// in it). Controls that stay hidden have no spot.

#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

struct AdcSpot {
  QString name;
  QRect rect;
};

// Size of the diagram picture in pixels.
QSize AdcDiagramSize();

// Every spot: the glyphs of the input and reference selectors (closed "on" and open
// "off" glyph of a position share one spot), their labels, the four input-converter
// pictures (one spot), and the single controls.
const std::vector<AdcSpot>& AdcSpots();

// The spot of a component; an empty rectangle for a name without one.
QRect AdcSpotOf(const QString& name);

// Component names of the selector arrays.
// Glyph of position i of IN1P/IN1N (4 binary digits) or VR1P/VR1N (2 digits):
// "IN1P0101on" is the closed glyph of IN1P position 5, "IN1P0101off" its open glyph.
QString AdcGlyphName(const QString& field, int position, bool closed);
// Label of position i: "LINP05", "LINN15", "LVR1P2", "LVR1N0".
QString AdcLabelName(const QString& field, int position);
// The input-converter pictures "INX00", "INX01", "INX10", "INX11".
QString AdcConverterName(int position);
