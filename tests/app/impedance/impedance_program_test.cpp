// The impedance logic inside the program, on the shipped chip definition and the
// simulated board.
#include <gtest/gtest.h>

#include "impedance/iq_calibration.h"
#include "impedance/run_logs.h"
#include "link/mx_up.h"
#include "app/support/program_fixture.h"

namespace {

using ImpedanceProgram = ProgramTest;

TEST_F(ImpedanceProgram, AcCalibrationRunsTheShippedListsAgainstTheReference) {
  StartProgram();
  Click("USBScan");
  Globals& g = prog->G;
  ASSERT_EQ(g.IQRegCounts[IQ_AC0], 3);
  ASSERT_EQ(g.IQRegCounts[IQ_AC1], 3);
  const uint8_t dg = prog->Mx_UP->GetReg(0x0D, 0);
  sim.board.ClearLog();

  IQTestState& s = g.Impedance.IQTest;
  RunACCalibration(*prog->Mx_UP, s);
  FinishACCalibration(s, 5100);

  std::vector<std::pair<int, int>> writes;
  for (const Bytes& p : Sent())
    if (p.size() >= 8 && p[0] == 0xC4 && p[1] == 0x00 && p[3] != 0x0F) writes.emplace_back(p[3], p[7]);
  const int on7 = dg | 0x80, both = dg | 0x81;
  // The bench's reference through the leads (AI6, 1Fh 04h), then directly (AI4, 01h).
  EXPECT_EQ(writes, (std::vector<std::pair<int, int>>{
                        {0x0D, on7}, {0x0D, both}, {0x1F, 0x04}, {0x0D, both}, {0x0D, both}, {0x1F, 0x01}}));
  EXPECT_EQ(sim.board.iqConversions, 2u);
  EXPECT_GT(s.Y0, 0);
  EXPECT_GT(s.Y1, s.Y0);  // more current without the leads
  EXPECT_NEAR(s.Z.Resd, 22, 0.05);
  EXPECT_DOUBLE_EQ(s.Z.Gain, 5100 * s.Y1);
  // The shadow follows the chip: the list values and the last conversion's results.
  EXPECT_EQ(prog->Mx_UP->GetReg(0x1F, 0), 0x01);
  EXPECT_EQ(prog->Mx_UP->GetReg(0x0D, 0), both);
  for (int a = 0x06; a <= 0x0B; ++a) EXPECT_EQ(prog->Mx_UP->GetReg(a, 0), sim.board.chip.Peek(a)) << a;
}

TEST_F(ImpedanceProgram, RunLogsLieInTheProgramFolder) {
  StartProgram();
  IQRunLogTable& t = prog->G.Impedance.IQTest.Log;
  StartRunLog(t, IQLogKind::DC, prog->G.AppDir, sim.clock);
  AppendLogRow(t, "x", sim.clock);
  WriteLogFile(t, t.LogCount);
  EXPECT_EQ(t.LogFileName, Path("log/DC" + FileStamp(sim.clock.LocalNow()) + ".CSV"));
  EXPECT_EQ(ReadFile("log/DC" + FileStamp(sim.clock.LocalNow()) + ".CSV").right(3), "x\r\n");
}

}  // namespace
