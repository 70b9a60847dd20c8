// The waveform generator's files: the settings file byte for byte, the wave table and
// register list readers, and what their loaders send and refresh.
#include <gtest/gtest.h>

#include <QDir>

#include "block_panels/wave_files.h"
#include "block_panels/wave_memory.h"
#include "link/register_files.h"
#include "shell/setup_dialog.h"
#include "support/board_faults.h"
#include "wave_fixture.h"

namespace {

using V = RefreshView;

WaveTable Table(uint16_t (*f)(int)) {
  WaveTable t{};
  for (int k = 0; k < WaveTableSize; ++k) t[k] = f(k);
  return t;
}

TEST(WaveFileFormats, RamArrayColumns) {
  const WaveTable t = Table([](int k) { return static_cast<uint16_t>(0x1234 + 0x0101 * k); });
  EXPECT_EQ(RamArrayWords(QString::fromLatin1(RamArrayText(t)).split("\r\n")), t);
  // A short line, a foreign digit and a missing file end read as 0.
  QStringList lines = QString::fromLatin1(RamArrayText(t)).split("\r\n");
  lines[1] = lines[1].left(24);       // columns 0, 1 and the high byte of column 2
  lines[2][2] = 'G';                  // high byte of word 8
  lines = lines.mid(0, 15);           // words 64..87 only
  const WaveTable r = RamArrayWords(lines);
  EXPECT_EQ(r[0], t[0]);
  EXPECT_EQ(r[1], t[1]);
  EXPECT_EQ(r[2], t[2] & 0xFF00);
  EXPECT_EQ(r[3], 0);
  EXPECT_EQ(r[8], t[8] & 0x00FF);
  EXPECT_EQ(r[87], t[87]);
  EXPECT_EQ(r[88], 0);
}

class WaveFiles : public WaveTest {
protected:
  // The command after `answered` more runs and its reply comes empty.
  void EmptyReplyAfter(int answered) { FaultReplyOf(sim.board, answered + 1, BoardFault::EmptyReply); }
};

TEST_F(WaveFiles, SettingsFileIsWrittenAtEveryClose) {
  StartWave();  // the start-up hides the panels: the close handler runs once
  EXPECT_EQ(ReadFile("WaveformSet.txt"), QByteArray("2048\r\n200\r\n"));
  Type(GenControl<QLineEdit>("edtDacOffset"), "1000");
  Type(GenControl<QLineEdit>("DAC_Vpp"), "500");
  prog->Close();
  EXPECT_EQ(ReadFile("WaveformSet.txt"), QByteArray("1000\r\n500\r\n"));
}

TEST_F(WaveFiles, SettingsAreReadIntoTheEditsOnly) {
  WriteFile("WaveformSet.txt", "1000\r\n500\r\n");
  StartWave();
  EXPECT_EQ(GenControl<QLineEdit>("edtDacOffset")->text(), "1000");
  EXPECT_EQ(GenControl<QLineEdit>("DAC_Vpp")->text(), "500");
  // The offset follows the edit only once it is confirmed; the amplitude at once.
  EXPECT_EQ(gen->S.DacOffset, 2048);
  EXPECT_DOUBLE_EQ(gen->chartWaveform->PointY(0), 2048);
  EXPECT_NEAR(gen->S.VppCode, 500 * 4095 / 3300.0, 1e-9);
  Leave(GenControl<QLineEdit>("edtDacOffset"), "1000");
  EXPECT_EQ(gen->S.DacOffset, 1000);
  EXPECT_DOUBLE_EQ(gen->chartWaveform->PointY(0), 1000);
}

TEST_F(WaveFiles, BadSettingsLineKeepsItsDefaultAndTheOtherLine) {
  WriteFile("WaveformSet.txt", "abc\r\n500\r\n");
  StartWave();  // no exception out of the start-up
  EXPECT_EQ(Messages(), QStringList{"Invalid numeric format in line 1 of WaveformSet.txt.\n"
                                    "That setting keeps its default; the other lines are read."});
  EXPECT_EQ(GenControl<QLineEdit>("edtDacOffset")->text(), "2048");
  EXPECT_EQ(GenControl<QLineEdit>("DAC_Vpp")->text(), "500");
  // The close writes the edits (now valid).
  EXPECT_EQ(ReadFile("WaveformSet.txt"), QByteArray("2048\r\n500\r\n"));
  // An edit left empty does not replace the file by a broken one.
  GenControl<QLineEdit>("DAC_Vpp")->setText("");
  prog->Close();
  EXPECT_EQ(ReadFile("WaveformSet.txt"), QByteArray("2048\r\n500\r\n"));
}

TEST_F(WaveFiles, RegisterListLoaderSendsEveryLineAndRefreshesItsSet) {
  StartWave();
  Connect();
  WriteFile("Config/Reg.reg", "07FH 001H\r\n\r\n; comment\r\n00EH 03FH\r\n03EH 041H\r\n600H 005H\r\n00DH 0CH\r\n");
  SetRegister(127, 0x81);
  SetRegister(62, 0x40);
  gen->LoadRegFile();
  const std::vector<std::pair<int, int>> expected = {{0x7F, 0x80}, {0x3E, 0x00}, {0x7F, 0x01},
                                                     {0x0E, 0x3F}, {0x3E, 0x41}, {0x0D, 0x0C}};
  EXPECT_EQ(Writes(), expected);
  EXPECT_EQ(Sent().size(), expected.size());  // no read-back
  EXPECT_EQ(Shadow(0x7F), 0x01);
  EXPECT_EQ(Shadow(0x3E), 0x41);
  EXPECT_EQ(Shadow(0x600 & 0x3FF), 0);  // beyond the transfer buffer: skipped
  EXPECT_EQ(refreshed, (std::vector<RefreshView>{V::MemoryView, V::RegisterView, V::AdcPanel, V::OpAmpPanel,
                                              V::DacPanel, V::WaveGenerator, V::WaveViewer}));
  // The generator followed the registers.
  EXPECT_EQ(gen->S.Dgrp, 63);
  EXPECT_EQ(gen->S.ClkdIndex, 6);
  EXPECT_EQ(viewer->LastPoint, 63);
}

TEST_F(WaveFiles, DacRamLoaderResamplesToTheCurrentDgrp) {
  StartWave();
  Connect();
  const WaveTable t = Table([](int k) { return static_cast<uint16_t>(1000 + 16 * k + (k % 2)); });
  WriteFile("Config/DAC.ram", RamArrayText(t));
  SetRegister(14, 63);
  SetRegister(13, 0x0D);
  SetRegister(62, 0x40);
  gen->DataUpdate();
  ASSERT_EQ(gen->S.Dgrp, 63);
  sim.board.ClearLog();
  refreshed.clear();
  gen->LoadDACRam();

  const WaveTable out = ResampleWaveTable(t, 63);
  EXPECT_EQ(out[1], 1008);   // (1000 + 1017) / 2 = 1008.5, halves to even
  EXPECT_EQ(out[2], t[1]);
  EXPECT_EQ(out[127], 2016);  // (T[63] + T[64]) / 2 = (2009 + 2024) / 2 = 2016.5
  const std::vector<Bytes> sent = Sent();
  ASSERT_EQ(sent.size(), 261u);
  EXPECT_TRUE(IsPut(sent[0], 0x0D, 0x0C));
  EXPECT_TRUE(IsPut(sent[5], 0x83, out[1] & 0xFF));
  EXPECT_TRUE(IsPut(sent[260], 0x0D, 0x0D));  // run bit only
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(sim.board.chip.Peek(0x80 + 2 * k) * 256 + sim.board.chip.Peek(0x81 + 2 * k), out[k]);
    EXPECT_EQ(sim.board.chip.Peek(0x180 + 2 * k) * 256 + sim.board.chip.Peek(0x181 + 2 * k), out[64 + k]);
  }
  EXPECT_EQ(refreshed,
            (std::vector<RefreshView>{V::MemoryView, V::RegisterView, V::AdcPanel, V::OpAmpPanel, V::DacPanel}));
  EXPECT_EQ(GenControl<QLabel>("ActualCLKRange")->text(), "Range=7600000~8400000");
}

// "Generator", the DAC.ram loader and the register list loader each stop at the
// first packet the board does not confirm, tell the user, and leave the shadow as the
// chip holds it: a packet that went out is in the chip, whatever became of its reply.
TEST_F(WaveFiles, EachWriterStopsAtTheFirstFailedPacketAndSaysSo) {
  StartWave();
  WriteFile("Config/DAC.ram", RamArrayText(Table([](int k) { return static_cast<uint16_t>(0x0100 * k + 7); })));
  WriteFile("Config/Reg.reg", "00EH 03FH\r\n03EH 041H\r\n00DH 0CH\r\n");
  const QString regFail = "Load REG Fail in Config/Reg.reg at line %1 \"%2\": its write was not confirmed by the "
                          "board, and the lines after it were not sent";
  struct Case {
    const char* what;
    std::function<void()> run;
    int packet;  // the one whose reply is lost (1-based)
    QString message;
  };
  const std::vector<Case> cases = {
      {"Generator", [this] { GenControl<QPushButton>("Button1")->click(); }, 1, kWaveRamWriteFail},
      {"Generator", [this] { GenControl<QPushButton>("Button1")->click(); }, 78, kWaveRamWriteFail},
      {"Generator", [this] { GenControl<QPushButton>("Button1")->click(); }, 200, kWaveRamWriteFail},
      {"DAC.ram", [this] { gen->LoadDACRam(); }, 2, kWaveRamWriteFail},
      {"DAC.ram", [this] { gen->LoadDACRam(); }, 201, kWaveRamWriteFail},
      {"DAC.ram", [this] { gen->LoadDACRam(); }, 261, kWaveRamWriteFail},
      {"Reg.reg", [this] { gen->LoadRegFile(); }, 3, regFail.arg(1).arg("00EH 03FH")},
      {"Reg.reg", [this] { gen->LoadRegFile(); }, 4, regFail.arg(2).arg("03EH 041H")},
      {"Reg.reg", [this] { gen->LoadRegFile(); }, 5, regFail.arg(3).arg("00DH 0CH")}};
  for (const Case& c : cases)
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << c.what << ", packet " << c.packet << ", " << FaultName(fault));
      SetRegister(13, 0x0D);
      SetRegister(127, 0x00);
      sim.board.ClearFaults();
      Connect();
      ChipFromShadow(sim.board.chip, prog->G.Channels[0].RegShadow);
      sim.dialogs.messages.clear();
      FaultReplyOf(sim.board, c.packet, fault);
      c.run();
      EXPECT_EQ(Messages(), QStringList{c.message});
      EXPECT_EQ(Sent().size(), c.packet + 0u);
      EXPECT_EQ(prog->G.Channels[0].Devc.Opened, 0);
      EXPECT_EQ(ShadowAgainstChip(prog->G.Channels[0].RegShadow, sim.board.chip), std::vector<std::string>{});
    }
}

TEST_F(WaveFiles, DacRamLoaderRoundsExactHalvesToEven) {
  StartWave();
  Connect();
  // At DGRP 48 output 64 falls on x = 24.5 exactly, at DGRP 92 on x = 46.5: the means
  // 1392.5 and 1745.5 go to the even 1392 and 1746.
  WaveTable t = Table([](int k) { return static_cast<uint16_t>(1000 + 16 * k + (k % 2)); });
  t[46] += 2;
  ASSERT_EQ(t[24] + t[25], 2 * 1392 + 1);
  ASSERT_EQ(t[46] + t[47], 2 * 1745 + 1);
  WriteFile("Config/DAC.ram", RamArrayText(t));
  for (auto [dgrp, want] : {std::pair{48, 1392}, std::pair{92, 1746}}) {
    SCOPED_TRACE(dgrp);
    SetRegister(14, static_cast<uint8_t>(dgrp));
    gen->DataUpdate();
    ASSERT_EQ(gen->S.Dgrp, dgrp);
    gen->LoadDACRam();
    EXPECT_EQ(sim.board.chip.Peek(0x180) * 256 + sim.board.chip.Peek(0x181), want);  // word 64
  }
}

TEST_F(WaveFiles, MissingFilesCreateTheFolderOnly) {
  StartWave();
  Connect();
  ASSERT_FALSE(QDir(Path("Config")).exists());
  gen->LoadRegFile();
  gen->LoadDACRam();
  EXPECT_TRUE(QDir(Path("Config")).exists());
  EXPECT_TRUE(Sent().empty());
  EXPECT_TRUE(refreshed.empty());
}

TEST_F(WaveFiles, AutoLoadAfterUsbScanLoadsTheRegistersFirst) {
  WriteFile("Include/MX7406.INC", ReadFile("Include/MX7406.INC") + "\r\n#AUTOLOAD\r\n");
  StartWave();
  WriteFile("Config/Reg.reg", "00EH 03FH\r\n");
  const WaveTable t = Table([](int k) { return static_cast<uint16_t>(0x100 * k); });
  WriteFile("Config/DAC.ram", RamArrayText(t));
  Click("USBScan");
  ASSERT_TRUE(prog->Option->AutoLoad);
  // The wave table was stretched to the DGRP the register list had just set.
  const WaveTable out = ResampleWaveTable(t, 63);
  for (int k = 0; k < 64; ++k) EXPECT_EQ(sim.board.chip.Peek(0x80 + 2 * k), out[k] >> 8) << k;
  EXPECT_EQ(sim.board.chip.Peek(0x0E), 0x3F);
}

// With #AUTOLOAD "USB Scan" runs both loaders. Once the link is down nothing more is
// tried and the user gets one message: the failure, then the files that did not reach
// the chip. A file that fails as the last one tried keeps its own message alone.
TEST_F(WaveFiles, AutoLoadTellsOneFailureOnce) {
  WriteFile("Include/MX7406.INC", ReadFile("Include/MX7406.INC") + "\r\n#AUTOLOAD\r\n");
  StartWave();
  ASSERT_TRUE(prog->Option->AutoLoad);
  const QByteArray regList = "00EH 03FH\r\n00DH 0CH\r\n";
  const WaveTable t = Table([](int k) { return static_cast<uint16_t>(0x0100 * k + 7); });
  const QString unsentBoth =
      "Auto-load: Config/Reg.reg and Config/DAC.ram did not reach the chip: the board is not connected";
  const QString unsentDac = "Auto-load: Config/DAC.ram did not reach the chip: the board is not connected";
  // The register list's own text is Load REG's, naming the file.
  const QString regFail = "Load REG Fail in Config/Reg.reg at line 1 \"00EH 03FH\": its write was not confirmed by "
                          "the board, and the lines after it were not sent";
  struct Case {
    const char* what;
    bool connected;                // a healthy scan first, before the files exist
    bool reg;                      // Config/Reg.reg present (Config/DAC.ram always is)
    std::function<void()> fault;
    QString message;
    bool tableTried;               // some of the wave table went out
  };
  const std::vector<Case> cases = {
      {"no board", false, true, [this] { sim.board.RemoveAll(); }, unsentBoth, false},
      {"unplugged", true, true, [this] { sim.board.UnplugAll(); }, unsentBoth, false},
      {"unplugged, no Reg.reg", true, false, [this] { sim.board.UnplugAll(); }, unsentDac, false},
      // An empty reply after the scan's two identification checks and the writes of
      // 7Fh and 3Eh: line 1 fails.
      {"lost during Reg.reg", true, true, [this] { EmptyReplyAfter(2 + 2); }, regFail + "\n" + unsentDac, false},
      // ... after the register list's four writes and 100 packets of the wave table.
      {"lost during DAC.ram", true, true, [this] { EmptyReplyAfter(2 + 4 + 100); }, kWaveRamWriteFail, true},
      {"no Reg.reg, lost during DAC.ram", true, false, [this] { EmptyReplyAfter(2 + 100); }, kWaveRamWriteFail,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    QDir(Path("Config")).removeRecursively();
    sim.board.devices.clear();
    sim.board.AddDriverBoard(0);
    for (int a = 0x80; a < 0x100; ++a) SetRegister(a, 0);
    ChipFromShadow(sim.board.chip, prog->G.Channels[0].RegShadow);  // the chip as the program last saw it
    if (c.connected) {
      Click("USBScan");
      ASSERT_EQ(prog->G.Channels[0].Devc.Opened, 1);
    }
    if (c.reg) WriteFile("Config/Reg.reg", regList);
    WriteFile("Config/DAC.ram", RamArrayText(t));
    sim.dialogs.messages.clear();
    c.fault();
    Click("USBScan");
    EXPECT_EQ(Messages(), QStringList{c.message});
    EXPECT_EQ(prog->G.Channels[0].Devc.Opened, 0);
    // Word 0's low byte (7) is in bank 0 only when the table went out.
    EXPECT_EQ(sim.board.chip.Peek(0x81) == 0x07, c.tableTried);
    for (int a = 0; a < 0x100; ++a) EXPECT_EQ(Shadow(a), sim.board.chip.Peek(a)) << a;
  }
}

// With the link up, a register list that cannot be read is told, and the wave table
// is still loaded.
TEST_F(WaveFiles, AutoLoadGoesOnPastAnUnreadableRegisterList) {
  WriteFile("Include/MX7406.INC", ReadFile("Include/MX7406.INC") + "\r\n#AUTOLOAD\r\n");
  StartWave();
  ASSERT_TRUE(QDir(Path("Config")).mkpath("Reg.reg"));  // a folder in the file's place
  const WaveTable t = Table([](int k) { return static_cast<uint16_t>(0x0100 * k + 7); });
  WriteFile("Config/DAC.ram", RamArrayText(t));
  Click("USBScan");
  const QStringList shown = Messages();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0].startsWith("Cannot open file")) << shown[0].toStdString();
  EXPECT_EQ(sim.board.chip.Peek(0x81), 0x07);  // word 0's low byte
  EXPECT_EQ(sim.board.chip.Peek(0x0D) & 0x01, 0x01);  // the generator runs
}

}  // namespace
