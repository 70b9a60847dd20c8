// The program's start-up, main window, panel switching, "USB Scan" and shutdown.
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiSubWindow>

#include "common/text_encoding.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "shell/memory_view.h"
#include "shell/register_view.h"
#include "shell/setup_dialog.h"
#include "block_panels/wave_generator.h"
#include "app/support/program_fixture.h"

namespace {

using MainWindow = ProgramTest;

TEST_F(MainWindow, CaptionFromTheCaptionFile) {
  StartProgram();
  EXPECT_EQ(prog->MainPanel->windowTitle(), "MX-ENOB TEST V1.4 for MX7406");
  StopProgram();

  WriteFile("MxAppName.cfg", "Bench 7\r\nsecond line\r\n");
  StartProgram();
  EXPECT_EQ(prog->MainPanel->windowTitle(), "Bench 7");
  StopProgram();

  WriteFile("MxAppName.cfg", "\r\nsecond\r\n");
  StartProgram();
  EXPECT_EQ(prog->MainPanel->windowTitle(), "");
}

TEST_F(MainWindow, AStartWithoutTheBig5CodecSaysSoOnce) {
  // This build has the codec: a start says nothing of it.
  ASSERT_TRUE(Big5CodecPresent());
  StartProgram();
  EXPECT_TRUE(sim.dialogs.messages.isEmpty());
  StopProgram();

  sim.platform.hasBig5Codec = [] { return false; };
  StartProgram();
  Click("SMenu_REG");
  StopProgram();  // the close writes the configuration: no second message
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(sim.dialogs.messages[0].text,
            QString::fromUtf8("This build of Qt has no Big5 codec: files are read and written as Latin-1, and every "
                              "Chinese text and the signs ℃, ℉ and Ω are written as \"?\"."));
  EXPECT_EQ(sim.dialogs.messages[0].buttons, MB_OK);
}

TEST_F(MainWindow, MenuItemsStatusPanelsAndGauge) {
  StartProgram();
  struct Row {
    const char* name;
    const char* caption;
  };
  const Row rows[] = {
      {"Memu_File", "File"},         {"SaveFluke1", "Save Fluke"},       {"SaveReg1", "Save Reg"},
      {"SavePower1", "Save Power"},  {"DownLoadFluke1", "DownLoad Fluke"}, {"DownloadReg1", "Download Reg"},
      {"DownloadPower1", "Download Power"}, {"Menu_Option", "Option"},   {"SMenu_Option", "Setup"},
      {"SMenu_RAM", "RAM Panel"},    {"SMenu_REG", "REG Panel"},         {"SMenu_ADC", "ADC Panel"},
      {"SMenu_OP", "OP Panel"},      {"SMenu_CMP", "DAC Panel"},         {"SMenu_Bodyfat", "Body fat Panel"},
      {"SaveTable", "Save RAM"},     {"SaveREG", "Save REG"},            {"LoadRAM", "Load RAM"},
      {"LoadREG", "Load REG"},       {"WaveGen", "Waveform Generator"},  {"IQTest1", "I/Q Test"},
      {"Bodyfat", "Body fat GUI"},   {"LoadVI52R7718", "Load Data(VI52R7718)"},
      {"USBScan", "USB Scan"},       {"Menu_ReadChip", "Read Chip"},     {"Menu_ReadREG", "Read REG Only"},
      {"Menu_ReadRAM", "Read RAM && REG"}, {"Menu_ReadAdc", "ENOB Test"}, {"SLEEP1", "SLEEP"},
      {"MCALW", "Switch Test"},      {"RestoreADC", "Restore ADC"},      {"Regist", "連續讀取"},
      {"Fluke1", "Fluke"},           {"Power1", "Power"},                {"BryMenShow1", "BryMen Show"},
  };
  for (const Row& r : rows) {
    QAction* a = Item(r.name);
    ASSERT_NE(a, nullptr) << r.name;
    EXPECT_EQ(a->text(), QString::fromUtf8(r.caption)) << r.name;
  }
  for (const char* always : {"Menu_Option", "SMenu_Option", "SMenu_REG", "USBScan", "Menu_ReadChip"})
    EXPECT_TRUE(Item(always)->isVisible()) << always;
  for (const char* never : {"Menu_ReadREG", "Menu_ReadRAM", "SLEEP1", "MCALW", "RestoreADC"})
    EXPECT_FALSE(Item(never)->isVisible()) << never;

  EXPECT_FALSE(prog->MainPanel->Gauge1->isVisibleTo(prog->MainPanel));
  EXPECT_EQ(prog->MainPanel->Gauge1->height(), 12);
}

// The status bar as shown: panels 0 and 1 a third of the bar each, panel 2 its 50
// pixels after them, the rest of the bar empty; a message too long for panel 2 widens
// it to show the whole text.
TEST_F(MainWindow, StatusBarPanelsAsShown) {
  StartProgram();
  TMainPanel* main = prog->MainPanel;
  TStatusBar* bar = main->StatusBar1;
  QLabel* panel[3];
  for (int i = 0; i < 3; ++i) panel[i] = Find<QLabel>(bar, QString("StatusPanel%1").arg(i));
  main->show();
  for (int width : {900, 1203}) {
    SCOPED_TRACE(width);
    main->resize(width, 600);
    for (auto [text, wide] : {std::pair{"7", false}, {"Read Error !!!!!", true}, {"", false}}) {
      SCOPED_TRACE(text);
      bar->SetText(2, text);
      QCoreApplication::processEvents();
      const int third = bar->width() / 3;
      EXPECT_EQ(panel[0]->width(), third);
      EXPECT_EQ(panel[1]->width(), third);
      EXPECT_GT(panel[1]->x(), panel[0]->geometry().right());
      EXPECT_GT(panel[2]->x(), panel[1]->geometry().right());
      if (wide) {
        EXPECT_GT(panel[2]->width(), 50);
      } else {
        EXPECT_EQ(panel[2]->width(), 50);
      }
      // The text has room between the panel's frame, margin and indent.
      const int textRoom = panel[2]->contentsRect().width() - 2 * panel[2]->margin() - panel[2]->indent();
      EXPECT_GE(textRoom, panel[2]->fontMetrics().horizontalAdvance(text));
      EXPECT_EQ(bar->PanelWidth(2), panel[2]->width());
      EXPECT_LT(panel[2]->geometry().right(), bar->width() - third / 2);  // the bar's end stays empty
    }
  }
}

TEST_F(MainWindow, UsbScanConnectsAndRunsTheClient) {
  StartProgram();
  sim.board.ClearLog();
  prog->Option->CbSeluP->clear();
  prog->Option->CbSeluP->addItem("MX7406");
  Click("USBScan");
  auto sent = Sent();
  ASSERT_GE(sent.size(), 6u);
  EXPECT_EQ(Bytes(sent[0].begin(), sent[0].begin() + 2), (Bytes{0xF9, 0x02}));
  EXPECT_EQ(sent[1], (Bytes{0xF9, 0x01, 0x00, 0x00}));
  EXPECT_EQ(sent[2], (Bytes{0xF9, 0x04, 0x00, 0x00}));
  EXPECT_EQ(sent[3], (Bytes{0xC5, 0xFF, 0x01, 0x00}));
  EXPECT_EQ(sent[4], (Bytes{0xC5, 0xFF, 0x00, 0x01}));
  EXPECT_EQ(sent[5], (Bytes{0xF9, 0xAC}));
  EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB On Line");
  EXPECT_EQ(prog->MainPanel->windowTitle(), "MX-ENOB TEST V1.4 for MX7406 ---- Now Chip is  MX7406");
  EXPECT_EQ(prog->Mx_Reg2->windowTitle(), "REG - MX7406");
  EXPECT_EQ(prog->Mx_RAM->windowTitle(), QString::fromUtf8("記憶體 - MX7406"));
}

TEST_F(MainWindow, UsbScanWithoutBoard) {
  sim.board.devices.clear();
  StartProgram();
  Click("USBScan");
  EXPECT_EQ(sim.board.opensTried, 32 + 128);
  EXPECT_EQ(sim.board.openHandles(), 0);
  EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
  EXPECT_EQ(prog->MainPanel->windowTitle(), "MX-ENOB TEST V1.4 for MX7406");
}

TEST_F(MainWindow, PanelOpensAtOriginThenWhereItWasLeft) {
  StartProgram();
  TMx_Reg2* reg = prog->Mx_Reg2;
  EXPECT_FALSE(reg->Shown());
  Click("SMenu_REG");
  ASSERT_TRUE(reg->Shown());
  EXPECT_EQ(reg->Frame()->pos(), QPoint(0, 0));
  reg->Frame()->move(120, 45);
  int closes = reg->CloseRuns;
  reg->Frame()->close();
  EXPECT_FALSE(reg->Shown());
  EXPECT_EQ(reg->CloseRuns, closes + 1);
  EXPECT_EQ(reg->Frame()->parentWidget()->parentWidget(), prog->MainPanel->MdiArea);
  Click("SMenu_REG");
  EXPECT_TRUE(reg->Shown());
  EXPECT_EQ(reg->Frame()->pos(), QPoint(120, 45));
}

TEST_F(MainWindow, EveryCloseHandlerRunsAtStartUpAndShutdown) {
  StartProgram();
  auto panels = prog->HideOrder();
  ASSERT_EQ(panels.size(), 17u);
  for (const auto& p : panels) EXPECT_EQ(dynamic_cast<FormHandlers*>(p.form)->CloseRuns, 1);
  prog->Close();
  for (const auto& p : panels) EXPECT_EQ(dynamic_cast<FormHandlers*>(p.form)->CloseRuns, 2);
}

TEST_F(MainWindow, ShutdownReleasesTheBoard) {
  StartProgram();
  Click("USBScan");
  sim.board.ClearLog();
  StopProgram();
  EXPECT_EQ(Sent(), (std::vector<Bytes>{{0xF9, 0x01, 0xFF, 0xFF}}));
  EXPECT_EQ(sim.board.openHandles(), 0);
}

TEST_F(MainWindow, FirmwareNameDecidesTheTrimButtons) {
  StartProgram();
  Click("USBScan");
  Click("WaveGen");
  auto* vod = Find<QWidget>(prog->WaveGenForm, "VodCorrection");
  auto* scan = Find<QWidget>(prog->WaveGenForm, "btnScan");
  EXPECT_TRUE(vod->isEnabled());
  EXPECT_TRUE(scan->isEnabled());
  sim.board.boardName = "OTHER123";
  Click("WaveGen");
  EXPECT_TRUE(vod->isEnabled());
  sim.board.boardName = "E7403V01";
  Click("WaveGen");
  EXPECT_FALSE(vod->isEnabled());
  EXPECT_FALSE(scan->isEnabled());
  Bytes last = Sent().back();
  EXPECT_EQ(last, (Bytes{0xF9, 0x05}));
}

TEST_F(MainWindow, SleepSendsTheMarkedRegisterWrite) {
  StartProgram();
  Click("USBScan");
  sim.board.ClearLog();
  prog->G.XferBuf[0xFD] = 0x3C;
  Click("SLEEP1");
  Bytes b = Sent().at(0);
  EXPECT_EQ(b.size(), 8u);
  EXPECT_EQ(b[3], 0xFD);
  EXPECT_EQ(b[5], 0xA5);
  EXPECT_EQ(b[7], 0x3C);
}

}  // namespace
