#include "block_panels/adc_spots.h"

#include "block_panels/field_binding.h"

namespace {

constexpr int RowPitch = 16;  // selector rows, one switch and label each

// A selector column: rows of label + switch glyph from top y0.
struct SelectorLayout {
  const char* field;
  int positions;
  int labelX, labelWidth, glyphX, y0;
};

constexpr SelectorLayout Selectors[] = {
    {"IN1P", 16, 12, 60, 80, 52},
    {"IN1N", 16, 12, 60, 80, 352},
    {"VR1P", 4, 470, 58, 536, 52},
    {"VR1N", 4, 610, 58, 676, 52},
};

constexpr int GlyphWidth = 30, GlyphHeight = 14;

int CodeDigits(const QString& field) { return field.startsWith("IN1") ? 4 : 2; }

std::vector<AdcSpot> BuildSpots() {
  std::vector<AdcSpot> s;
  for (const SelectorLayout& l : Selectors) {
    for (int i = 0; i < l.positions; ++i) {
      int top = l.y0 + RowPitch * i + 1;
      QRect glyph(l.glyphX, top, GlyphWidth, GlyphHeight);
      s.push_back({AdcGlyphName(l.field, i, true), glyph});
      s.push_back({AdcGlyphName(l.field, i, false), glyph});
      s.push_back({AdcLabelName(l.field, i), QRect(l.labelX, top, l.labelWidth, GlyphHeight)});
    }
  }
  for (int i = 0; i < 4; ++i) s.push_back({AdcConverterName(i), QRect(200, 280, 60, 100)});

  const AdcSpot single[] = {
      // Input selectors and converter, input short.
      {"TXIN1P", {126, 262, 64, 22}},
      {"TXIN1N", {126, 380, 64, 22}},
      {"TXINX", {200, 386, 60, 22}},
      {"IN1STon", {280, 315, 14, 30}},
      {"IN1SToff", {280, 315, 14, 30}},
      // Gain and offset.
      {"TXAD1GN", {318, 230, 56, 22}},
      {"TXAD1GNS", {318, 254, 124, 16}},
      {"TXDC1S", {414, 396, 72, 22}},
      {"TXDC1SS", {406, 420, 96, 16}},
      // Modulator, references and reference gain.
      {"PENAD1", {525, 348, 80, 22}},
      {"TXVR1P", {470, 122, 58, 22}},
      {"TXVR1N", {610, 122, 58, 22}},
      {"PVR1GN", {528, 202, 60, 22}},
      {"TXVR1GN", {594, 205, 118, 16}},
      // Filter and oversampling.
      {"TXOSR1", {684, 386, 64, 22}},
      {"PAD1RST", {752, 386, 48, 22}},
      {"TXOSR1S", {684, 410, 116, 16}},
      // Read-out.
      {"TXADC1", {862, 284, 124, 22}},
      {"TXADI1", {862, 310, 124, 20}},
      {"TXADQ1", {862, 334, 124, 20}},
      {"TXADCOMD", {862, 362, 58, 22}},
      {"TXADCObit", {926, 362, 60, 22}},
      {"BRDADC1", {862, 394, 124, 26}},
      // Interrupt.
      {"TXIRQM", {764, 52, 56, 22}},
      {"LIRQM", {826, 55, 160, 16}},
      {"PIRQSEL", {764, 88, 72, 22}},
      // Supply and LDO.
      {"LDOM1_ComboBox", {764, 168, 56, 22}},
      {"TXLDOM1", {826, 171, 160, 16}},
      {"TXVDDAX", {764, 204, 56, 22}},
      {"TXVDDAS1", {826, 207, 160, 16}},
      // Temperature sensor: the panel and what lies in it.
      {"PTemp", {214, 470, 256, 130}},
      {"TPSHP", {300, 494, 76, 16}},
      {"TPSHN", {384, 494, 76, 16}},
      {"TPSLP", {300, 518, 76, 16}},
      {"TPSLN", {384, 518, 76, 16}},
      {"PENTPS", {226, 560, 74, 22}},
      {"PTPSCH", {308, 560, 74, 22}},
      // Clock pre-scale.
      {"TXDADC1", {500, 546, 56, 22}},
      {"TXDADCS1", {562, 549, 120, 16}},
  };
  s.insert(s.end(), std::begin(single), std::end(single));
  return s;
}

}  // namespace

QSize AdcDiagramSize() { return {1000, 624}; }

const std::vector<AdcSpot>& AdcSpots() {
  static const std::vector<AdcSpot> spots = BuildSpots();
  return spots;
}

QRect AdcSpotOf(const QString& name) {
  for (const AdcSpot& s : AdcSpots())
    if (s.name == name) return s.rect;
  return {};
}

QString AdcGlyphName(const QString& field, int position, bool closed) {
  return field + BinaryCode(position, CodeDigits(field)) + (closed ? "on" : "off");
}

QString AdcLabelName(const QString& field, int position) {
  if (field == "IN1P") return QString("LINP%1").arg(position, 2, 10, QChar('0'));
  if (field == "IN1N") return QString("LINN%1").arg(position, 2, 10, QChar('0'));
  return "L" + field + QString::number(position);
}

QString AdcConverterName(int position) { return "INX" + BinaryCode(position, 2); }
