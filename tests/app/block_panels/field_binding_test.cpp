// Field read-modify-write of the block panels through the program's register API with
// the simulated board.
#include <gtest/gtest.h>

#include "app/support/program_fixture.h"
#include "block_panels/field_binding.h"
#include "block_panels/field_fixture.h"
#include "link/mx_up.h"

namespace {

// Through the register API: the other bits come from the shadow, the shadow takes the
// value read back, and nothing goes to the board for a field that is not writable.
class FieldWriteTest : public ProgramTest {
protected:
  void SetUp() override {
    ProgramTest::SetUp();
    // Fields anywhere, 41h among them: a chip that keeps every bit and converts nothing.
    sim.board.chip.ImplementEveryBit();
    sim.board.analog.reset();
    StartProgram();
    Click("USBScan");
    sim.board.ClearLog();
  }
  TMx_UP& Up() { return *prog->Mx_UP; }
  uint8_t Shadow(int a) { return Up().GetReg(a, 0); }
};

TEST_F(FieldWriteTest, ReadModifyWriteTakesOtherBitsFromTheShadow) {
  TRegField in1p = Field(0x21, 4, 4);
  Up().SetRegShadow(0x21, 0x5A, 0);
  sim.board.chip.Poke(0x21, 0x00);  // the chip holds something else: the shadow wins
  ASSERT_TRUE(WriteField(Up(), in1p, 0xC));

  auto sent = Sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(Bytes(sent[0].begin(), sent[0].begin() + 5), (Bytes{0xC4, 0x00, 0xA0, 0x21, 0x01}));
  EXPECT_EQ(sent[0][7], 0xCA);
  EXPECT_EQ(Bytes(sent[1].begin(), sent[1].begin() + 5), (Bytes{0xC4, 0x01, 0xA0, 0x21, 0x01}));
  EXPECT_EQ(sim.board.chip.Peek(0x21), 0xCA);
  EXPECT_EQ(Shadow(0x21), 0xCA);
  EXPECT_EQ(ReadField(Up(), in1p), 0xC);
}

TEST_F(FieldWriteTest, ShadowTakesTheValueReadBack) {
  TRegField f = Field(0x22, 4, 0);
  sim.board.chip.SetMask(0x22, 0x07);  // bit 3 not implemented
  ASSERT_TRUE(WriteField(Up(), f, 0xF));
  EXPECT_EQ(Shadow(0x22), 0x07);
  EXPECT_EQ(ReadField(Up(), f), 7);
}

TEST_F(FieldWriteTest, BitWriteSetsClearsAndInvertsOneBit) {
  TRegField op1n = Field(0x40, 8, 0);
  Up().SetRegShadow(0x40, 0x05, 0);
  ASSERT_TRUE(WriteFieldBit(Up(), op1n, 3, BitOp::Set));
  EXPECT_EQ(Shadow(0x40), 0x0D);
  ASSERT_TRUE(WriteFieldBit(Up(), op1n, 0, BitOp::Clear));
  EXPECT_EQ(Shadow(0x40), 0x0C);
  TRegField enda = Field(0x41, 1, 6);
  Up().SetRegShadow(0x41, 0x40, 0);
  ASSERT_TRUE(WriteFieldBit(Up(), enda, 0, BitOp::Invert));
  EXPECT_EQ(Shadow(0x41), 0x00);
}

TEST_F(FieldWriteTest, UndefinedFieldSendsNothing) {
  TRegField undefined;
  Up().SetRegShadow(0, 0x33, 0);
  EXPECT_FALSE(WriteField(Up(), undefined, 1));
  EXPECT_FALSE(WriteFieldBit(Up(), undefined, 0, BitOp::Set));
  EXPECT_FALSE(WriteFieldBit(Up(), Field(0x10, 1, 7), 1, BitOp::Set));  // bit 8
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Shadow(0), 0x33);
}

TEST_F(FieldWriteTest, FailedWriteLeavesTheShadow) {
  TRegField f = Field(0x23, 2, 0);
  Up().SetRegShadow(0x23, 0x01, 0);
  sim.board.Arm(BoardFault::FailedTransfer);
  WriteField(Up(), f, 2);
  EXPECT_EQ(Shadow(0x23), 0x01);
}

TEST_F(FieldWriteTest, RefreshStoresTheCachedValueAndReportsWhatToRepaint) {
  TRegField f = Field(0x24, 2, 2);
  Up().SetRegShadow(0x24, 0x08, 0);  // field value 2
  EXPECT_TRUE(RefreshField(Up(), f, Repaint::OnChange));
  EXPECT_EQ(f.Value, 2);
  EXPECT_FALSE(RefreshField(Up(), f, Repaint::OnChange));
  EXPECT_TRUE(RefreshField(Up(), f, Repaint::Always));
  f.Value = 9;  // a painted or clicked value the shadow does not hold
  EXPECT_TRUE(RefreshField(Up(), f, Repaint::OnChange));
  EXPECT_EQ(f.Value, 2);

  TRegField dadc = Field(0x25, 2, 0), haosel = Field(0x25, 1, 2), haom = Field(0x25, 2, 4);
  Up().SetRegShadow(0x25, 0x00, 0);
  EXPECT_FALSE(RefreshFields(Up(), {&dadc, &haosel, &haom}));
  Up().SetRegShadow(0x25, 0x21, 0);  // HAOM 2, DADC 1
  EXPECT_TRUE(RefreshFields(Up(), {&dadc, &haosel, &haom}));
  EXPECT_EQ(dadc.Value, 1);
  EXPECT_EQ(haosel.Value, 0);
  EXPECT_EQ(haom.Value, 2);
}

}  // namespace
