#include "kit/segment_patterns.h"

#include <algorithm>

namespace segments {

namespace {
constexpr uint8_t kMasks[39] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F, 0x80, 0x00, 0x77,
                                0x7C, 0x39, 0x5E, 0x79, 0x71, 0x6F, 0x76, 0x04, 0x0E, 0x70, 0x38, 0x57, 0x54,
                                0x5C, 0x73, 0x67, 0x50, 0x6D, 0x78, 0x1C, 0x3E, 0x3E, 0x76, 0x6E, 0x5B, 0x40};

int LcdCode(QChar c) {
  if (c >= '0' && c <= '9') return c.unicode() - '0';
  if (c == ':' || c == '.') return CodePoint;
  if (c >= 'A' && c <= 'Z') return 12 + c.unicode() - 'A';
  if (c >= 'a' && c <= 'z') return 12 + c.unicode() - 'a';
  if (c == '-') return CodeMinus;
  return CodeBlank;
}

int Clamp(int digit) { return digit < 0 ? 0 : digit > MaxDigits ? MaxDigits : digit; }
}  // namespace

uint8_t Mask(int code) { return code >= 0 && code < 39 ? kMasks[code] : 0; }

void ParseLcdCaption(const QString& caption, int digit, Codes& codes) {
  digit = Clamp(digit);
  const int len = static_cast<int>(caption.size());
  if (len < digit) {
    int blanks = digit - len;
    for (int i = 0; i < blanks; ++i) codes[i] = CodeBlank;
    for (int i = 0; i < len; ++i) codes[blanks + i] = static_cast<uint8_t>(LcdCode(caption[i]));
  } else {
    for (int i = 0; i < digit; ++i) codes[i] = static_cast<uint8_t>(LcdCode(caption[i]));
  }
}

void ParseLedCaption(const QString& caption, int digit, int dotCount, bool leftZero, Codes& codes) {
  digit = Clamp(digit);
  int dot = static_cast<int>(caption.indexOf('.'));
  int intLen = dot < 0 ? static_cast<int>(caption.size()) : dot;
  int n = dotCount != 0 ? dotCount : static_cast<int>(caption.size());
  if (n < intLen) {
    for (int i = 0; i < digit; ++i) codes[i] = CodeBlank;
    return;
  }
  QString work;
  if (leftZero) work.fill('0', n - intLen);
  work += caption.left(intLen);
  if (dot >= 0) work += caption.mid(dot + 1);
  while (work.size() < digit) work += '0';
  // A text that is not a number (an overload "OL") leaves the whole row dark rather
  // than showing the zeros around it as a reading.
  const bool number = std::all_of(work.begin(), work.end(), [](QChar c) { return c >= '0' && c <= '9'; });
  for (int k = 0; k < digit; ++k)
    codes[k] = number ? static_cast<uint8_t>(work[k].unicode() - '0') : CodeBlank;
}

Geometry CalcGeometry(int width, int height, int margin, int segWidth, int digit) {
  Geometry g;
  if (digit < 1) digit = 1;
  g.width = width;
  g.height = height;
  g.margin = margin;
  g.seg = segWidth;
  g.gap = (margin + segWidth) / 10;
  g.placeWidth = (width - (digit - 1) * g.gap) / digit;
  g.halfSeg = segWidth / 2;
  g.upperHeight = height / 2 - margin - g.halfSeg - 1;
  return g;
}

std::array<QPolygon, 7> Geometry::Segments(int place) const {
  const int M = margin, S = seg, h = halfSeg, v = upperHeight;
  const int X = place * (placeWidth + gap);
  const int L = X + M, R = X + placeWidth - M - S - gap, B = height - M - 2;
  const QPoint P0(L + h, M + h), P1(L + h, M + v + h), P2(L + h, B - h), P3(R - h, M + h), P4(R - h, M + v + h),
      P5(R - h, B - h);
  return {
      QPolygon({P0, {L + S, M}, {R - S, M}, P3, {R - S, M + S}, {L + S, M + S}}),
      QPolygon({P3, {R - S, M + S}, {R - S, M + v}, P4, {R, M + v}, {R, M + S}}),
      QPolygon({P4, {R, M + v + S}, {R, B - S}, P5, {R - S, B - S}, {R - S, M + v + S}}),
      QPolygon({P2, {L + S, B - S}, {R - S, B - S}, P5, {R - S, B}, {L + S, B}}),
      QPolygon({P1, {L, M + v + S}, {L, B - S}, P2, {L + S, B - S}, {L + S, M + v + S}}),
      QPolygon({P0, {L, M + S}, {L, M + v}, P1, {L + S, M + v}, {L + S, M + S}}),
      QPolygon({P1, {L + S, M + v}, {R - S, M + v}, P4, {R - S, M + v + S}, {L + S, M + v + S}}),
  };
}

QPolygon Geometry::Point(int place) const {
  const int X = place * (placeWidth + gap);
  const int M = margin, S = seg, w = placeWidth;
  return QPolygon({{X + w - M - S, height - M - S}, {X + w - M - S, height - M}, {X + w - M, height - M},
                   {X + w - M, height - M - S}});
}

}  // namespace segments
