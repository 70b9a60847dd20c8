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
  // Register 1Fh selects the reference resistor (01h) or the device (02h).
  sim.board.iqSource = [this](uint64_t) {
    const uint32_t i = sim.board.chip.Peek(0x1F) == 0x01 ? 2000 : 4000;  // 1000.0 and 2000.0
    return std::pair<uint32_t, uint32_t>{i, 0};
  };
  const uint8_t dg = prog->Mx_UP->GetReg(0x0D, 0);
  sim.board.ClearLog();

  IQTestState& s = g.Impedance.IQTest;
  RunACCalibration(*prog->Mx_UP, s);
  FinishACCalibration(s, 5100);

  std::vector<std::pair<int, int>> writes;
  for (const Bytes& p : Sent())
    if (p.size() >= 8 && p[0] == 0xC4 && p[1] == 0x00 && p[3] != 0x0F) writes.emplace_back(p[3], p[7]);
  const int on7 = dg | 0x80, both = dg | 0x81;
  EXPECT_EQ(writes, (std::vector<std::pair<int, int>>{
                        {0x0D, on7}, {0x0D, both}, {0x1F, 0x01}, {0x0D, both}, {0x0D, both}, {0x1F, 0x02}}));
  EXPECT_EQ(sim.board.iqConversions, 2u);
  EXPECT_EQ(s.Y0, 1000);
  EXPECT_EQ(s.Y1, 2000);
  EXPECT_DOUBLE_EQ(s.Z.Resd, 5100);
  EXPECT_DOUBLE_EQ(s.Z.Gain, 10'200'000);
  // The shadow follows the chip: the list values and the last conversion's results.
  EXPECT_EQ(prog->Mx_UP->GetReg(0x1F, 0), 0x02);
  EXPECT_EQ(prog->Mx_UP->GetReg(0x0D, 0), both);
  const int results[] = {0x00, 0x0F, 0xA0, 0x00, 0x00, 0x00};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(prog->Mx_UP->GetReg(0x06 + k, 0), results[k]) << k;
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
