#pragma once
// Seven-segment places: pattern codes, how a caption becomes codes, and the
// geometry of the segments. No widget here; the display controls paint from it.

#include <QPoint>
#include <QPolygon>
#include <QString>
#include <array>
#include <cstdint>

namespace segments {

constexpr int MaxDigits = 10;
constexpr int CodePoint = 10;
constexpr int CodeBlank = 11;
constexpr int CodeMinus = 38;

// Segment bits: 0 a (top), 1 b, 2 c, 3 d (bottom), 4 e, 5 f, 6 g (middle); 7 point.
uint8_t Mask(int code);

using Codes = std::array<uint8_t, MaxDigits>;

// Text display: right-aligned text of digits, letters, minus and blanks.
void ParseLcdCaption(const QString& caption, int digit, Codes& codes);
// Number display: digits around the point, the integer part ending at place DotCount - 1.
void ParseLedCaption(const QString& caption, int digit, int dotCount, bool leftZero, Codes& codes);

struct Geometry {
  int gap = 0, placeWidth = 0, halfSeg = 0, upperHeight = 0;
  int width = 0, height = 0, margin = 0, seg = 0;
  // The seven segment polygons of a place (a..g).
  std::array<QPolygon, 7> Segments(int place) const;
  // The point square of a place.
  QPolygon Point(int place) const;
};

Geometry CalcGeometry(int width, int height, int margin, int segWidth, int digit);

}  // namespace segments
