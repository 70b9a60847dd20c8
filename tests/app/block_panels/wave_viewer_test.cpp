// The DAC wave viewer: "Load RAM" writes the file's words unchanged and the plot
// shows one period, following DGRP and the DAC source voltage.
#include <gtest/gtest.h>

#include "block_panels/wave_memory.h"
#include "common/errors.h"
#include "shell/main_panel.h"
#include "wave_fixture.h"

namespace {

class WaveViewer : public WaveTest {
protected:
  void SetUp() override {
    WaveTest::SetUp();
    StartWave();
    SetRegister(14, 0x7F);
    SetRegister(13, 0x0D);
    SetVddax(3);
    Connect();
  }
  // A wave file with a few words of interest, the others 4000h.
  QString WaveFile() {
    WaveTable w;
    w.fill(0x4000);
    w[0] = 0x8000;
    w[1] = 0xFFFF;  // beyond 4095 x 16
    w[2] = 0x000F;  // below 16
    w[127] = 0x1230;
    WriteFile("wave.ram", RamArrayText(w));
    return Path("wave.ram");
  }
  TWaveChart* Chart() { return viewer->chartWaveform; }
};

TEST_F(WaveViewer, LoadWritesTheWordsUnchangedAndPlotsOnePeriod) {
  sim.dialogs.openAnswers << WaveFile();
  Click("LoadRAM");
  ASSERT_FALSE(sim.dialogs.fileRequests.isEmpty());
  EXPECT_EQ(sim.dialogs.fileRequests[0].defaultExt, "ram");
  EXPECT_EQ(sim.dialogs.fileRequests[0].filter, "*.ram|*.ram");
  EXPECT_TRUE(viewer->Shown());
  EXPECT_EQ(viewer->windowTitle(), "ShowWaveForm--From Load Ram Button ");

  const std::vector<Bytes> sent = Sent();
  ASSERT_EQ(sent.size(), 261u);
  EXPECT_TRUE(IsPut(sent[2], 0x80, 0x80));
  EXPECT_TRUE(IsPut(sent[4], 0x82, 0xFF));  // written as the file has it
  EXPECT_TRUE(IsPut(sent[5], 0x83, 0xFF));
  EXPECT_TRUE(IsPut(sent[7], 0x85, 0x0F));
  EXPECT_TRUE(IsPut(sent[257], 0xFE, 0x12));
  EXPECT_TRUE(IsPut(sent[260], 0x0D, 0x1D));
  EXPECT_EQ(refreshed, (std::vector<RefreshView>{RefreshView::MemoryView, RefreshView::RegisterView}));

  ASSERT_EQ(Chart()->PointCount(), 128);
  EXPECT_DOUBLE_EQ(Chart()->PointY(0), 2048);
  EXPECT_DOUBLE_EQ(Chart()->PointY(1), 4095);
  EXPECT_DOUBLE_EQ(Chart()->PointY(2), 1);
  EXPECT_DOUBLE_EQ(Chart()->PointY(127), 0x123);
  // The plotted words keep their clamped values.
  EXPECT_EQ(viewer->WaveWords[1], 0xFFF0);
  EXPECT_EQ(viewer->WaveWords[2], 0x0010);
  EXPECT_EQ(sim.board.chip.Peek(0x82), 0xFF);
  EXPECT_EQ(sim.board.chip.Peek(0x83), 0xFF);
}

TEST_F(WaveViewer, CancelledOrMissingFileLoadsNothing) {
  Click("LoadRAM");  // cancelled
  sim.dialogs.openAnswers << Path("missing.ram");
  Click("LoadRAM");
  EXPECT_FALSE(viewer->Shown());
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(viewer->WaveWords[0], 0);
}

// A load whose packets stop part-way says so and does not open the viewer as loaded;
// the memory view shows what reached the chip.
TEST_F(WaveViewer, LoadThatFailsPartWayIsNotShownAsLoaded) {
  sim.dialogs.openAnswers << WaveFile();
  sim.board.Arm(BoardFault::EmptyReply, {.after = 100});
  Click("LoadRAM");
  EXPECT_EQ(Messages(), QStringList{kWaveRamWriteFail});
  EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
  EXPECT_FALSE(viewer->Shown());
  EXPECT_EQ(viewer->WaveWords[0], 0);
  EXPECT_EQ(Sent().size(), 101u);
  EXPECT_EQ(refreshed, (std::vector<RefreshView>{RefreshView::MemoryView, RefreshView::RegisterView}));
  EXPECT_EQ(Shadow(0x0D), 0x0C);  // the generator was stopped and stays so
  EXPECT_EQ(sim.board.chip.Peek(0x0D), 0x0C);
  EXPECT_EQ(Shadow(0x80), 0x80);
  for (int a = 0x80; a < 0x100; ++a) EXPECT_EQ(Shadow(a), sim.board.chip.Peek(a)) << a;
}

TEST_F(WaveViewer, PlotFollowsDgrpAndTheSourceVoltage) {
  sim.dialogs.openAnswers << WaveFile();
  ASSERT_TRUE(viewer->LoadAsDac());
  struct Case {
    uint8_t r14;
    int points;
  };
  for (Case c : {Case{0x09, 10}, Case{0x80, 2}, Case{0x00, 2}, Case{0xFF, 128}}) {
    Up().WriteReg(14, c.r14, 0);  // through the refresh chain
    EXPECT_EQ(Chart()->PointCount(), c.points) << int(c.r14);
  }
  SetVddax(7);
  viewer->DataUpdate();
  EXPECT_EQ(Find<QLineEdit>(viewer, "edtDacSource")->text(), "5000");
  EXPECT_EQ(viewer->SourceMv, 5000);
  QPushButton* units = Find<QPushButton>(viewer, "btnChangeUint");
  units->click();
  EXPECT_EQ(units->text(), "Show Core");
  EXPECT_EQ(Chart()->Format(), AxisFormat::Millivolts);
  EXPECT_NEAR(Chart()->PointY(0), 0x8000 * 5000.0 / 4095 / 16, 1e-9);
  SetVddax(3);
  viewer->DataUpdate();
  EXPECT_NEAR(Chart()->PointY(0), 2048 * 3300.0 / 4095, 1e-9);  // a little above 1650
  units->click();
  EXPECT_EQ(units->text(), "Show Voltage");
  EXPECT_EQ(Chart()->Format(), AxisFormat::CodesBlank);
}

TEST_F(WaveViewer, SourceVoltageEdit) {
  QLineEdit* e = Find<QLineEdit>(viewer, "edtDacSource");
  Leave(e, "0");
  EXPECT_EQ(Messages(), QStringList{"DAC source voltage Out Range"});
  EXPECT_EQ(e->text(), "3300");
  // Leaving takes the value without a redraw; Enter redraws.
  viewer->WaveWords[0] = 0x8000;
  viewer->btnChangeUintClick();
  const double before = Chart()->PointY(0);
  Leave(e, "4000");
  EXPECT_EQ(viewer->SourceMv, 4000);
  EXPECT_DOUBLE_EQ(Chart()->PointY(0), before);
  Type(e, "5000");
  EXPECT_NEAR(Chart()->PointY(0), 0x8000 * 5000.0 / 4095 / 16, 1e-9);
  e->setText("");
  EXPECT_THROW(viewer->edtDacSourceExit(), EConvertError);
}

}  // namespace
