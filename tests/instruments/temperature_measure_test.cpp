// Readings of the step grids' texts and the meters' statistics of a temperature step.
#include <gtest/gtest.h>

#include "instruments/meter_reading.h"
#include "instruments/temperature_measure.h"

namespace {

TEST(TemperatureMeasure, MedianOfTheReadingsThatCame) {
  EXPECT_EQ(MedianOf({1.0, 5.0, 2.0, 3.0}), 2.5);  // the mean of the middle two
  EXPECT_EQ(MedianOf({0, 0, 0, 7}), 0);
  EXPECT_EQ(MedianOf({-1, -3, 4, 4}), 1.5);
  EXPECT_EQ(MedianOf({9.0, 1.0, 4.0}), 4);         // a reading missing: the middle one
  EXPECT_EQ(MedianOf({5.0, 5.0}), 5);
  EXPECT_EQ(MedianOf({-2.5}), -2.5);
  EXPECT_FALSE(IsReading(MedianOf({})));           // none came
}

TEST(TemperatureMeasure, CommandPrefixesInAnyLetterCase) {
  for (const char* c : {"OUTP OFF", "outp off", "Outp Off;VOLT 0", "OUTP OFFX"}) EXPECT_TRUE(TurnsOutputOff(c)) << c;
  for (const char* c : {"OUTP ON", "OUTP  OFF", "OUTPOFF", "VOLT 3.3", ""}) EXPECT_FALSE(TurnsOutputOff(c)) << c;
  for (const char* c : {"STBY", "stby", "StBy now"}) EXPECT_TRUE(IsStandbyCommand(c)) << c;
  for (const char* c : {"OUT 1 V", "STB", " STBY", ""}) EXPECT_FALSE(IsStandbyCommand(c)) << c;
}

TEST(TemperatureMeasure, PowerSupplyDelayText) {
  EXPECT_EQ(PowerDelayMs("2000"), 2000);
  EXPECT_EQ(PowerDelayMs(" 150 "), 150);
  EXPECT_EQ(PowerDelayMs("2s"), 500);   // letters: 500 ms
  EXPECT_EQ(PowerDelayMs(""), 500);
  EXPECT_EQ(PowerDelayMs("-20"), 0);
  EXPECT_EQ(PowerDelayMs("90000"), 90000);  // a slow supply's wait as typed, not cut short
}

TEST(TemperatureMeasure, WhatEachChoiceMeasures) {
  EXPECT_TRUE(CapturesAdc(MeasureAdcAndMeters) && ReadsMeters(MeasureAdcAndMeters));
  EXPECT_TRUE(CapturesAdc(MeasureAdc) && !ReadsMeters(MeasureAdc));
  EXPECT_TRUE(!CapturesAdc(MeasureMeters) && ReadsMeters(MeasureMeters));
}

}  // namespace
