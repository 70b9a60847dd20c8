// The seven-segment display controls.
#include <gtest/gtest.h>

#include <QImage>

#include "kit/segment_display.h"

namespace {

constexpr int B = segments::CodeBlank, P = segments::CodePoint, Minus = segments::CodeMinus;

std::vector<int> Places(const TSegmentArray& d) {
  std::vector<int> v;
  for (int i = 0; i < d.Digit(); ++i) v.push_back(d.Code(i));
  return v;
}

TEST(SegmentDisplay, TextDisplayRightAlignsItsCaption) {
  struct Case {
    const char* caption;
    std::vector<int> places;
  };
  const Case cases[] = {
      {"-1234", {B, B, B, Minus, 1, 2, 3, 4}},
      {"", {B, B, B, B, B, B, B, B}},
      {"123456789", {1, 2, 3, 4, 5, 6, 7, 8}},
      {"ab.c", {B, B, B, B, 12, 13, P, 14}},
      {"#?", {B, B, B, B, B, B, B, B}},
  };
  TLcdArray lcd;
  lcd.SetDigit(8);
  for (const Case& c : cases) {
    lcd.SetCaption(c.caption);
    EXPECT_EQ(Places(lcd), c.places) << c.caption;
  }
  EXPECT_EQ(segments::Mask(P), 0x80);
}

TEST(SegmentDisplay, NumberDisplayPlacesItsPoint) {
  struct Case {
    const char* caption;
    int dots;
    std::vector<int> places;
    int point;
  };
  const Case cases[] = {
      {"12.34", 2, {1, 2, 3, 4, 0}, 1},   {"12.34", 4, {0, 0, 1, 2, 3}, 3}, {"12.34", 1, {B, B, B, B, B}, 0},
      {"1234", 2, {B, B, B, B, B}, 1},    {"1234", 4, {1, 2, 3, 4, 0}, 3},  {"1234", 5, {0, 1, 2, 3, 4}, 4},
      {"7", 0, {7, 0, 0, 0, 0}, -1},      {"", 0, {0, 0, 0, 0, 0}, -1},     {"OL", 0, {B, B, B, B, B}, -1},
  };
  for (const Case& c : cases) {
    TLedArray led;
    led.SetDigit(5);
    led.SetDotCount(c.dots);
    led.SetCaption("");
    led.SetCaption(c.caption);
    EXPECT_EQ(Places(led), c.places) << c.caption << " dots " << c.dots;
    EXPECT_EQ(led.PointPlace(), c.point) << c.caption << " dots " << c.dots;
  }
}

TEST(SegmentDisplay, SameCaptionKeepsLayoutAndNewPlacesKeepTheirCodes) {
  TLedArray led;
  led.SetDigit(5);
  led.SetDotCount(2);
  led.SetCaption("12.34");
  led.SetDotCount(4);
  led.SetCaption("12.34");
  EXPECT_EQ(Places(led), (std::vector<int>{1, 2, 3, 4, 0}));
  EXPECT_EQ(led.PointPlace(), 3);

  TLcdArray lcd;
  lcd.SetCaption("5");
  lcd.SetDigit(8);
  EXPECT_EQ(Places(lcd), (std::vector<int>{5, 0, 0, 0, 0, 0, 0, 0}));
  lcd.SetDigit(11);  // above ten places: ignored
  EXPECT_EQ(lcd.Digit(), 8);
}

TEST(SegmentDisplay, PaintsLitSegmentsInTheOnColour) {
  TLcdArray lcd;
  lcd.resize(233, 60);
  lcd.SetSegWidth(10);
  lcd.SetMargin(6);
  lcd.SetDigit(8);
  lcd.SetOffColor(QColor(0xF0, 0xF0, 0xF0));
  lcd.SetBackColor(QColor(0xF0, 0xF0, 0xF0));
  lcd.SetCaption("8");
  QImage img = lcd.grab().toImage();
  segments::Geometry g = segments::CalcGeometry(233, 60, 6, 10, 8);
  // The middle of segment a of the last place is lit; that of the first place is not.
  QPoint lit = g.Segments(7)[0].boundingRect().center() + QPoint(1, 1);
  QPoint dark = g.Segments(0)[0].boundingRect().center() + QPoint(1, 1);
  EXPECT_EQ(img.pixelColor(lit), QColor(Qt::blue));
  EXPECT_EQ(img.pixelColor(dark), QColor(0xF0, 0xF0, 0xF0));
}

}  // namespace
