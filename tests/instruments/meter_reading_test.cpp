// The meter frame decode, the unit texts, the panel's display of a reading, the scan
// intervals and the reading matrices.
#include <gtest/gtest.h>

#include <cmath>

#include "instruments/meter_reading.h"
#include "sim/sim_instruments.h"

namespace {

MeterReading Reading(char sign, const char* field, char expSign, char exp, uint8_t flags1 = 0x06,
                     uint8_t flags2 = 0) {
  MeterReading r;
  r.sign = sign;
  r.text = QByteArray(field);
  r.exponentSign = expSign;
  r.exponent = exp;
  r.flags1 = flags1;
  r.flags2 = flags2;
  return r;
}

double Decode(const QByteArray& frame, BryMenReading& r) {
  return DecodeBryMenFrame(reinterpret_cast<const uint8_t*>(frame.constData()), static_cast<int>(frame.size()), r);
}

}  // namespace

TEST(MeterReading, DecodesSignDigitsPointAndExponent) {
  struct Case {
    MeterReading in;
    bool negative, invalid;
    const char* digits;
    int point;
    double value, result;
  };
  const Case cases[] = {
      {Reading('-', "1.23   ", '-', '2'), true, false, "123", 1, -1.23, -0.0123},
      {Reading(' ', "1.23   ", '+', '4'), false, false, "123", 1, 1.23, 12300},
      {Reading(' ', "0.5000 ", '+', '0'), false, false, "05000", 1, 0.5, 0.5},
      // A right-aligned reading is read like any other.
      {Reading(' ', " 12.34 ", '+', '0'), false, false, "1234", 3, 12.34, 12.34},
      // The last point counts for the position; such a text is no number.
      {Reading(' ', "1.2.3  ", '+', '0'), false, true, "123", 3, 0, 0},
      // A blank field (no digit at all) reads 0 and is not flagged.
      {Reading(' ', "       ", '+', '0'), false, false, "", 0, 0, 0},
      {Reading(' ', "  .OL  ", '+', '0'), false, true, "OL", 2, 0, 0},
      // A garbled exponent makes the reading invalid.
      {Reading(' ', "1.23   ", '+', 'x'), false, true, "123", 1, 1.23, 0},
      {Reading(' ', "12345  ", '-', '9'), false, false, "12345", 0, 12345, 12345e-9},
  };
  for (const Case& c : cases) {
    BryMenReading r;
    const double result = Decode(SimMeter::Frame(c.in), r);
    SCOPED_TRACE(c.in.text.toStdString() + " e" + c.in.exponentSign + c.in.exponent);
    EXPECT_TRUE(r.Decoded);
    EXPECT_EQ(r.Negative, c.negative);
    EXPECT_EQ(r.Invalid, c.invalid);
    EXPECT_EQ(r.Digits, QString(c.digits));
    EXPECT_EQ(r.PointPosition, c.point);
    EXPECT_DOUBLE_EQ(r.Value, c.value);
    EXPECT_DOUBLE_EQ(result, c.result);
    EXPECT_EQ(r.Flags1, c.in.flags1);
  }
}

TEST(MeterReading, ShortFrameIsInvalid) {
  const QByteArray frame = SimMeter::Frame(Reading(' ', "1.23   ", '+', '0'));
  BryMenReading r;
  EXPECT_EQ(Decode(frame.left(21), r), 0);
  EXPECT_TRUE(r.Invalid);
  EXPECT_FALSE(r.Decoded);
  EXPECT_EQ(Decode(frame, r), 1.23);
  EXPECT_FALSE(r.Invalid);
}

TEST(MeterReading, UnitTexts) {
  struct Case {
    uint8_t f1, f2;
    const char* prefix;
    const char* text;
  };
  const Case cases[] = {
      {0x06, 0x00, "", "DC V"},       {0x06, 0x00, "m", "DC mV"},  {0x82, 0x00, "k", "kΩ"},
      {0x05, 0x00, "", "AC V"},       {0x03, 0x02, "m", "AC DC mA"}, {0x20, 0x00, "", "℃"},
      {0x40, 0x00, "", "℉"},          {0x00, 0x04, "k", "kHz"},    {0x00, 0x28, "", "%dB"},
      {0x18, 0x00, "n", "nFD"},       {0x00, 0x11, "", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MeterUnitText(c.f1, c.f2, QString::fromUtf8(c.prefix)), QString::fromUtf8(c.text))
        << int(c.f1) << " " << int(c.f2);
}

TEST(MeterReading, PanelShowsPrefixAndShiftedPoint) {
  struct Case {
    MeterReading in;
    const char* unit;
    const char* caption;
    int dots;
    bool minus;
  };
  const Case cases[] = {
      {Reading('-', "1.23   ", '-', '2'), "DC mV", "12.3", 2, true},
      {Reading('-', "1.23   ", '-', '3'), "DC uV", "1230.", 4, true},
      {Reading(' ', "1.23   ", '-', '8'), "DC nV", "12.3", 2, false},
      {Reading(' ', "1.234  ", '+', '4', 0x80), "kΩ", "12.34", 2, false},
      {Reading(' ', "1.234  ", '+', '4', 0x06), "DC V", "12340.", 5, false},
      {Reading(' ', "1.234  ", '+', '7', 0x80), "MΩ", "12.34", 2, false},
      // The point right of the first digit's integer part, never a padded zero left of it.
      {Reading(' ', " 12.34 ", '+', '0'), "DC V", "12.34", 2, false},
      {Reading(' ', "0012.3 ", '+', '0'), "DC V", "12.3", 2, false},
      {Reading(' ', ".5     ", '+', '0'), "DC V", "0.5", 1, false},
      // An integer reading keeps its place: 123, not 12300.
      {Reading(' ', "  123  ", '+', '0'), "DC V", "123.", 3, false},
      {Reading('-', "  .OL  ", '+', '0'), "DC V", "OL", 0, true},
      // Wider than five places: the next larger unit, or a dark display.
      {Reading(' ', "1234.5 ", '-', '0'), "DC V", "1234.5", 4, false},
      {Reading(' ', "123456 ", '+', '0', 0x80), "kΩ", "123.456", 3, false},
      {Reading(' ', "1.23456", '+', '5', 0x80), "kΩ", "123.456", 3, false},
      {Reading(' ', "12345.6", '+', '4', 0x80), "MΩ", "123.456", 3, false},
      {Reading(' ', "123456 ", '+', '6'), "DC MV", "OL", 0, false},
  };
  for (const Case& c : cases) {
    BryMenReading r;
    Decode(SimMeter::Frame(c.in), r);
    const MeterDisplay d = MeterPanelDisplay(r, true);
    SCOPED_TRACE(c.in.text.toStdString() + " e" + c.in.exponentSign + c.in.exponent);
    EXPECT_EQ(d.Unit, QString::fromUtf8(c.unit));
    EXPECT_EQ(d.Caption, QString(c.caption));
    EXPECT_EQ(d.DotCount, c.dots);
    EXPECT_EQ(d.Minus, c.minus);
  }
  // No answer from the meter: a dark display without unit or sign.
  BryMenReading none;
  const MeterDisplay d = MeterPanelDisplay(none, false);
  EXPECT_EQ(d.Caption, "OL");
  EXPECT_TRUE(d.Unit.isEmpty());
  EXPECT_FALSE(d.Minus);
}

TEST(MeterReading, ScanIntervalsCountTicks) {
  auto due = [](int index) {
    std::vector<uint32_t> ticks;
    for (uint32_t t = 1; t <= 100; ++t)
      if (MeterScanDue(t, index)) ticks.push_back(t);
    return ticks;
  };
  EXPECT_EQ(due(0).size(), 100u);
  EXPECT_EQ(due(2), (std::vector<uint32_t>{5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100}));
  EXPECT_EQ(due(5), (std::vector<uint32_t>{50, 100}));
  EXPECT_EQ(MeterScanItems.size(), 6);
}

TEST(MeterReading, MatrixIsBoundedAndReadsEmptyUntilWritten) {
  MeterMatrix m;
  EXPECT_EQ(m.Reading(30, 20001), 0);
  EXPECT_EQ(m.UnitText(1, 1), "");
  // Room for the modes written so far.
  EXPECT_TRUE(m.SetReading(4, 2, -1.5));
  EXPECT_EQ(m.HeldModes(), 3);
  EXPECT_TRUE(m.SetUnitText(0, 5, "mV"));
  EXPECT_EQ(m.HeldModes(), 6);
  EXPECT_EQ(m.Reading(4, 2), -1.5);
  EXPECT_EQ(m.Reading(0, 5), 0);
  EXPECT_EQ(m.UnitText(4, 2), "");
  EXPECT_EQ(m.UnitText(0, 5), "mV");
  EXPECT_TRUE(m.SetReading(30, 20001, 2.5));
  EXPECT_TRUE(m.SetUnitText(30, 20001, "DC V"));
  EXPECT_TRUE(m.SetUnitText(1, 2, "DC V"));
  EXPECT_TRUE(m.SetUnitText(1, 3, QString::fromUtf8("kΩ")));
  EXPECT_EQ(m.Reading(30, 20001), 2.5);
  EXPECT_EQ(m.UnitText(30, 20001), "DC V");
  EXPECT_EQ(m.UnitText(1, 2), "DC V");
  EXPECT_EQ(m.UnitText(1, 3), QString::fromUtf8("kΩ"));
  EXPECT_EQ(m.Reading(1, 2), 0);
  for (auto [s, mode] : {std::pair{31, 0}, {-1, 0}, {0, 20002}, {0, -1}}) {
    EXPECT_FALSE(m.SetReading(s, mode, 1.0));
    EXPECT_FALSE(m.SetUnitText(s, mode, "V"));
    EXPECT_EQ(m.Reading(s, mode), 0);
    EXPECT_EQ(m.UnitText(s, mode), "");
  }
}
