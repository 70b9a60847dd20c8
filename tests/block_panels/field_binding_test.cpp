// Field read and read-modify-write of the block panels, on bytes.
#include <gtest/gtest.h>

#include "block_panels/field_binding.h"
#include "block_panels/field_fixture.h"

namespace {

struct ComposeCase {
  const char* what;
  uint8_t width, shift, reg;
  int value;
  uint8_t written;  // register byte after the field write
  uint8_t readBack; // field value read from that byte
};

const ComposeCase ComposeCases[] = {
    {"16-way field at bits 7:4 keeps the low nibble", 4, 4, 0x5A, 0xC, 0xCA, 0xC},
    {"16-way field at bits 3:0 keeps the high nibble", 4, 0, 0xF0, 5, 0xF5, 5},
    {"16-way field in the middle keeps both sides", 4, 2, 0xC3, 0xF, 0xFF, 0xF},
    {"16-way field cleared to position 0", 4, 2, 0xFF, 0, 0xC3, 0},
    {"one bit set at bit 7", 1, 7, 0x00, 1, 0x80, 1},
    {"one bit cleared at bit 3", 1, 3, 0xFF, 0, 0xF7, 0},
    {"above the range of a 2-bit field: cut to its bits", 2, 2, 0x00, 7, 0x0C, 3},
    {"above the range of a 3-bit field: neighbours untouched", 3, 5, 0x1F, 9, 0x3F, 1},
    {"a value far above any field", 1, 0, 0xF0, 0x102, 0xF0, 0},
    {"a full-byte field", 8, 0, 0x12, 0xA5, 0xA5, 0xA5},
    {"a field that lies outside the byte is never written", 2, 8, 0x3C, 3, 0x3C, 0},
};

TEST(FieldArithmetic, ComposeKeepsOtherBitsAndReadsBack) {
  for (const ComposeCase& c : ComposeCases) {
    TRegField f = Field(0x20, c.width, c.shift);
    uint8_t w = ComposeField(f, c.reg, c.value);
    EXPECT_EQ(w, c.written) << c.what;
    EXPECT_EQ(FieldValue(f, w), c.readBack) << c.what;
  }
}

TEST(FieldArithmetic, UndefinedFieldReadsZeroAndIsNotWritable) {
  TRegField undefined;  // what a name the chip definition never gave looks like
  EXPECT_EQ(undefined.Address, 0);
  EXPECT_EQ(undefined.Width, 0);
  for (int reg : {0x00, 0x5A, 0xFF}) EXPECT_EQ(FieldValue(undefined, static_cast<uint8_t>(reg)), 0);
  EXPECT_FALSE(FieldWritable(undefined));
  EXPECT_FALSE(FieldWritable(Field(0x10, 0, 3)));      // defined without bits
  EXPECT_FALSE(FieldWritable(Field(0x10, 2, 8)));      // beyond the byte
  EXPECT_FALSE(FieldWritable(Field(0x10, 2, 0, 0)));   // never defined
  EXPECT_TRUE(FieldWritable(Field(0x00, 1, 0)));       // register 0 itself is fine
}

TEST(FieldArithmetic, BitOperationsCountFromTheFieldsLowestBit) {
  struct Case {
    uint8_t shift, reg;
    int bit;
    BitOp op;
    uint8_t expected;
  } cases[] = {
      {0, 0x05, 3, BitOp::Set, 0x0D},    {0, 0x0D, 0, BitOp::Clear, 0x0C},
      {4, 0x00, 1, BitOp::Set, 0x20},    {4, 0xFF, 3, BitOp::Clear, 0x7F},
      {2, 0x04, 0, BitOp::Invert, 0x00}, {2, 0x00, 0, BitOp::Invert, 0x04},
      {6, 0x00, 2, BitOp::Set, 0x00},    {0, 0x11, -1, BitOp::Set, 0x11},  // outside the byte
  };
  for (const Case& c : cases) {
    TRegField f = Field(0x30, 8, c.shift);
    EXPECT_EQ(ComposeBit(f, c.reg, c.bit, c.op), c.expected)
        << "shift " << int(c.shift) << " bit " << c.bit << " reg " << int(c.reg);
  }
}

TEST(FieldArithmetic, ToggleInvertsTheCachedValue) {
  EXPECT_EQ(ToggledValue(0), 1);
  EXPECT_EQ(ToggledValue(1), 0);
  EXPECT_EQ(ToggledValue(5), 0);
}

TEST(SelectorDecisions, PaintedPositionAndComboChecks) {
  EXPECT_EQ(PaintedPosition(15, 16), 15);
  EXPECT_EQ(PaintedPosition(16, 16), 0);
  EXPECT_EQ(PaintedPosition(-1, 4), 0);
  EXPECT_EQ(PaintedPosition(3, 4), 3);

  TRegField osr = Field(0x12, 3, 0);
  osr.Value = 5;
  EXPECT_EQ(CheckedChoice(osr, 10), 5);  // "1010" on a 3-bit field: back to the cached value
  EXPECT_EQ(CheckedChoice(osr, 7), 7);
  EXPECT_EQ(CheckedChoice(osr, 0), 0);

  EXPECT_EQ(FieldPositions(Field(0, 0, 0)), 1);
  EXPECT_EQ(FieldPositions(Field(0, 4, 0)), 16);
  EXPECT_EQ(FieldPositions(Field(0, 8, 0)), 256);
}

TEST(SelectorDecisions, BinaryCodes) {
  EXPECT_EQ(BinaryCode(5, 4), "0101");
  EXPECT_EQ(BinaryCode(9, 3), "001");
  EXPECT_EQ(BinaryCode(1, 0), "");
  EXPECT_EQ(BinaryCode(-1, 4), "1111");
  EXPECT_EQ(BinaryCode(0xA5C, 12), "101001011100");
  EXPECT_EQ(BinaryCode(1, 40).size(), 32);

  EXPECT_EQ(PositionOfCode("10", 2), 2);
  EXPECT_EQ(PositionOfCode("1111", 4), 15);
  EXPECT_EQ(PositionOfCode("111", 2), 0);  // no such code
  EXPECT_EQ(PositionOfCode("", 2), 0);
}

}  // namespace
