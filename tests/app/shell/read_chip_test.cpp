// Read Chip, Read REG Only and the register files on the simulated board.
#include <algorithm>
#include <functional>

#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "shell/memory_view.h"
#include "shell/register_view.h"
#include "app/support/view_fixture.h"
#include "common/number_text.h"
#include "support/board_faults.h"

namespace {

struct ReadChip : ViewTest {
  void SetUp() override {
    ViewTest::SetUp();
    // Every chip byte its own value; 7Fh selects bank 1, 0Dh runs the generator.
    for (int a = 0; a < 0x100; ++a) sim.board.chip.Poke(a, static_cast<uint8_t>(a * 7 + 3));
    for (int a = 0x180; a < 0x200; ++a) sim.board.chip.Poke(a, static_cast<uint8_t>(a * 5 + 1));
    sim.board.chip.Poke(0x7F, 0x03);
    sim.board.chip.Poke(0x0D, 0x11);
    for (uint8_t& b : G().Channels[0].RegShadow) b = 0xEE;
    Connect();
  }
  static std::vector<std::string> RamReads() {
    std::vector<std::string> r;
    for (int p = 8; p < 16; ++p) r.push_back("R " + std::string(1, "0123456789ABCDEF"[p]) + "0 16");
    return r;
  }
  static std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  }
  const std::vector<std::string> registerReads{"R 00 6", "R 06 3", "R 09 3", "R 0C 32", "R 3D 1", "R 3E 1", "R 7F 1"};
};

TEST_F(ReadChip, ReadsRegistersAndBankZeroAndPutsBack7FhAnd0Dh) {
  Click("Menu_ReadChip");
  EXPECT_EQ(SentText(), Concat({{"R 7F 1", "W 7F 02"}, registerReads, {"R 0D 1", "W 0D 10"}, RamReads(),
                                {"W 0D 11", "W 7F 03"}}));
  EXPECT_TRUE(G().ReadDone);
  // 7Fh was read with its bank bit clear; the shadow ends with the value first read.
  EXPECT_EQ(Shadow(0x7F), 0x03);
  EXPECT_EQ(Shadow(0x0D), 0x11);
  EXPECT_EQ(sim.board.chip.Peek(0x7F), 0x03);
  EXPECT_EQ(sim.board.chip.Peek(0x0D), 0x11);
  for (int a : {0x00, 0x05, 0x06, 0x0B, 0x0C, 0x2B, 0x3D, 0x3E, 0x80, 0xC7, 0xFF})
    EXPECT_EQ(Shadow(a), static_cast<uint8_t>(a * 7 + 3)) << a;
  for (int a : {0x2C, 0x3C, 0x3F, 0x7E, 0x100, 0x17F, 0x180, 0x1FF, 0x200, 0x3FF}) EXPECT_EQ(Shadow(a), 0xEE) << a;
}

TEST_F(ReadChip, ReadsBankOneWhenItIsDefined) {
  Define("#RAMBANK1\n180H 1FFH\n");
  Connect();
  Click("Menu_ReadRAM");  // the hidden "Read RAM && REG" does the same
  EXPECT_EQ(SentText(), Concat({{"R 7F 1", "W 7F 02"}, registerReads, {"R 0D 1", "W 0D 10"}, RamReads(),
                                {"W 7F 03"}, RamReads(), {"W 0D 11", "W 7F 03"}}));
  for (int a : {0x180, 0x1A5, 0x1FF}) EXPECT_EQ(Shadow(a), static_cast<uint8_t>(a * 5 + 1)) << a;
  EXPECT_EQ(Shadow(0x80), static_cast<uint8_t>(0x80 * 7 + 3));
  EXPECT_EQ(Shadow(0x7F), 0x03);
}

// A reply lost part-way (every way the board loses one, on either kind of board), or
// a command that never left, ends the read: the user is told, ReadDone stays clear,
// the views show the shadow, and every shadow byte the read touched (7Fh and 0Dh,
// which it rewrites, included) is what the chip holds.
TEST_F(ReadChip, ALostReplyEndsTheReadAndTellsTheUser) {
  Define("#RAMBANK0\n80H 0FFH\n");
  // Exchanges from 0: R 7F, W 7F, seven register reads (2..8), R 0D, W 0D, eight RAM
  // reads (11..18), W 0D, W 7F.
  struct Case {
    int exchange;  // the one whose reply is lost
    bool registersRead;
    bool ramRead;
  } cases[] = {{0, false, false}, {2, false, false}, {5, false, false}, {11, true, false}, {14, true, true},
               {20, true, true}};
  auto run = [&](const std::function<void()>& arm, const Case& c) {
    for (uint8_t& b : G().Channels[0].RegShadow) b = 0xEE;
    sim.board.chip.Poke(0x7F, 0x03);
    sim.board.chip.Poke(0x0D, 0x11);
    sim.board.chip.Poke(0x0F, 0x68);  // no I/Q conversion running to change 06h..0Bh
    G().ReadDone = false;
    sim.dialogs.messages.clear();
    prog->MainPanel->StatusBar1->SetText(0, "USB On Line");
    Connect();
    arm();
    Click("Menu_ReadChip");
    sim.board.ClearFaults();
    EXPECT_FALSE(G().ReadDone);
    EXPECT_EQ(G().Channels[0].Devc.Opened, 0);
    ASSERT_EQ(sim.dialogs.messages.size(), 1);
    EXPECT_TRUE(sim.dialogs.messages[0].text.startsWith("Read Chip Fail"));
    EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
    EXPECT_EQ(Shadow(0x0C) != 0xEE, c.registersRead);
    EXPECT_EQ(Shadow(0x80) != 0xEE, c.ramRead);
    for (int a = 0; a < 0x100; ++a)
      if (Shadow(a) != 0xEE) {
        EXPECT_EQ(Shadow(a), sim.board.chip.Peek(a)) << a;
      }
    if (c.exchange > 0) {
      EXPECT_EQ(Shadow(0x7F), sim.board.chip.Peek(0x7F));
      EXPECT_EQ(Shadow(0x0D) == 0xEE, c.exchange <= 9);
    }
    // The memory view shows the shadow, what came before the failure included.
    EXPECT_EQ(prog->Mx_RAM->SGD->Cell(1, 9), QString("%1").arg(Shadow(0x80), 2, 16, QChar('0')).toUpper());
  };
  for (SimBoard::Kind kind : BoardKinds) {
    UseBoard(kind);
    for (const Case& c : cases)
      for (BoardFault fault : AllReplyFaults) {
        SCOPED_TRACE(testing::Message() << KindName(kind) << ", exchange " << c.exchange << ", " << FaultName(fault));
        run([&] { FaultReplyOf(sim.board, c.exchange + 1, fault); }, c);
      }
    SCOPED_TRACE(KindName(kind));
    // A command that never left.
    run([&] { FailCommandOf(sim.board, 15); }, {14, true, true});
    // "R 00 6" answered with its status byte alone: nothing of it reaches 00h..05h.
    run([&] { sim.board.Arm(BoardFault::ShortReply, {.after = 2, .bytes = 1}); }, {2, false, false});
    for (int a = 0; a < 6; ++a) EXPECT_EQ(Shadow(a), 0xEE) << a;
  }
  UseBoard(SimBoard::Kind::Driver);
  // The hidden register-only read fails the same way.
  for (uint8_t& b : G().Channels[0].RegShadow) b = 0xEE;
  Shadow(0x7F) = 0x03;
  sim.dialogs.messages.clear();
  Connect();
  sim.board.Arm(BoardFault::EmptyReply, {.after = 3});
  Click("Menu_ReadREG");
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_TRUE(sim.dialogs.messages[0].text.startsWith("Read REG Fail"));
  EXPECT_EQ(Shadow(0x7F), 0x02);
  EXPECT_EQ(sim.board.chip.Peek(0x7F), 0x02);
  EXPECT_EQ(Shadow(0x06), sim.board.chip.Peek(0x06));
  EXPECT_EQ(Shadow(0x09), 0xEE);
}

// Read Chip refreshes the memory view before the register view: a listed register
// in the "#REG0" range shows its change in both; a single write shows it in neither.
TEST_F(ReadChip, RefreshOrderDecidesTheMarksOfRegisterRanges) {
  Define("#REG0\n00H 7FH\n#RAMBANK0\n80H 0FFH\n#REGBIT\n01H CTRL B7 B6 B5 B4 B3 B2 B1 B0\n");
  Connect();
  TMx_RAM* ram = prog->Mx_RAM;
  TMx_Reg2* reg = prog->Mx_Reg2;
  Click("Menu_ReadChip");
  EXPECT_EQ(reg->SREGStyle(0, 0), ChangedStyle());
  EXPECT_EQ(ram->SGDStyle(2, 1), ChangedStyle());
  EXPECT_EQ(ram->SGD->Cell(2, 1), "0A");
  EXPECT_EQ(ram->SGD->Cell(1, 9), "83");  // 80h: 80h x 7 + 3
  prog->Mx_UP->WriteReg(0x01, 0x5C, 0);
  EXPECT_EQ(reg->SREGStyle(0, 0), CellStyle({Qt::black, ViewColor::ButtonFace}));
  EXPECT_EQ(ram->SGDStyle(2, 1), CellStyle());
  EXPECT_EQ(ram->SGD->Cell(2, 1), "5C");
}

TEST_F(ReadChip, ReadRegOnlyLeavesTheBankBitClear) {
  Shadow(0x7F) = 0x05;
  Click("Menu_ReadREG");
  EXPECT_EQ(SentText(), Concat({{"W 7F 04"}, registerReads, {"W 7F 04"}}));
  EXPECT_EQ(Shadow(0x7F), 0x04);
  EXPECT_EQ(Shadow(0x0C), static_cast<uint8_t>(0x0C * 7 + 3));
  EXPECT_EQ(Shadow(0x80), 0xEE);
}

// Every bulk job refreshes its windows once each: the memory view first, then the
// others in the refresh chain's order; UpdateRegADC the memory view and the ADC panel.
TEST_F(ReadChip, EachBulkJobRefreshesItsWindowsMemoryViewFirst) {
  using V = RefreshView;
  const std::vector<V> all{V::MemoryView, V::RegisterView, V::AdcPanel,   V::OpAmpPanel,
                           V::DacPanel,   V::WaveGenerator, V::WaveViewer, V::BodyfatPanel};
  std::vector<V> allButViewer = all;
  std::erase(allButViewer, V::WaveViewer);
  WriteFile("regs.reg", "001H 0A5H\r\n");
  sim.dialogs.openAnswers << Path("regs.reg");
  const struct {
    const char* item;
    std::vector<V> windows;
  } cases[] = {{"USBScan", allButViewer}, {"Menu_ReadChip", allButViewer}, {"Menu_ReadREG", all}, {"LoadREG", all}};
  std::vector<V> seen;
  WatchRefreshes([&seen](V v) { seen.push_back(v); });
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    seen.clear();
    Click(c.item);
    EXPECT_EQ(seen, c.windows);
  }
  seen.clear();
  prog->Mx_UP->UpdateRegADC(0x06, 0x44, 0);
  EXPECT_EQ(seen, (std::vector<V>{V::MemoryView, V::AdcPanel}));
  WatchRefreshes(nullptr);
}

struct RegisterFiles : ViewTest {};

TEST_F(RegisterFiles, SaveRegWritesOneLinePerBitRegister) {
  Define("#REGBIT\n7FH BANK - - - - - - - RB\n#REGBIT1\n01H CTRL\n");
  Shadow(0x01) = 0xA5;
  Shadow(0x7F) = 0x01;
  sim.dialogs.saveAnswers << Path("dump");
  Click("SaveREG");
  EXPECT_EQ(ReadFile("dump.reg"), "001H 0A5H\r\n07FH 001H\r\n");
  EXPECT_EQ(sim.dialogs.fileRequests.last().defaultExt, "reg");
  EXPECT_EQ(sim.dialogs.fileRequests.last().filter, "*.reg|*.reg");
  // Cancelled: nothing written.
  Click("SaveREG");
  EXPECT_EQ(ReadFile("dump.reg"), "001H 0A5H\r\n07FH 001H\r\n");
}

TEST_F(RegisterFiles, SaveRamWritesBothBanksAsCArrays) {
  sim.dialogs.saveAnswers << Path("empty.ram");
  Click("SaveTable");
  QStringList empty = QString::fromLatin1(ReadFile("empty.ram")).split("\r\n");
  ASSERT_EQ(empty.size(), 23);  // 22 lines, each ending in CR LF
  EXPECT_EQ(empty[1], QString("-,").repeated(16));
  EXPECT_EQ(empty[8], QString("-,").repeated(15) + "-");

  Define("#RAMBANK0\n80H 0FFH\n#RAMBANK1\n180H 1FEH\n#REGBYTE\n81H R81 0FH\n");
  Shadow(0x80) = 0x12;
  Shadow(0x81) = 0xAB;
  Shadow(0xFF) = 0x34;
  Shadow(0x180) = 0xC0;
  sim.dialogs.saveAnswers << Path("banks.ram");
  Click("SaveTable");
  EXPECT_EQ(sim.dialogs.fileRequests.last().defaultExt, "ram");
  QStringList lines = QString::fromLatin1(ReadFile("banks.ram")).split("\r\n");
  ASSERT_EQ(lines.size(), 23);
  EXPECT_EQ(lines[0], "unsigned char Bank0_Array[128]={");
  EXPECT_EQ(lines[1], "0x12,0x0B," + QString("0x00,").repeated(14));
  EXPECT_EQ(lines[8], QString("0x00,").repeated(15) + "0x34");
  EXPECT_EQ(lines[9], "};");
  EXPECT_EQ(lines[10], "");
  EXPECT_EQ(lines[11], "unsigned char Bank1_Array[128]={");
  EXPECT_EQ(lines[12], "0xC0," + QString("0x00,").repeated(15));
  EXPECT_EQ(lines[19], QString("0x00,").repeated(15) + "-");
  EXPECT_EQ(lines[20], "};");
  EXPECT_EQ(lines[21], "");
  EXPECT_EQ(lines[22], "");
  EXPECT_TRUE(Sent().empty());
}

TEST_F(RegisterFiles, LoadRegWritesEachLineWithoutReadBack) {
  Define("#REGBYTE\n2AH OSC 0FFH\n");
  Connect();
  Shadow(0x7F) = 0x03;
  Shadow(0x3E) = 0x44;
  WriteFile("in.reg",
            "07FH 001H\r\n7fh 1\r\n; comment\r\n\r\n3EH 5\r\n0x12 5\r\n201H 9\r\n-1 4\r\n02AH 1FFH \"note\r\n");
  sim.dialogs.openAnswers << Path("in.reg");
  Click("LoadREG");
  EXPECT_EQ(SentText(), (std::vector<std::string>{"W 7F 02", "W 3E 00", "W 7F 01", "W 7F 01", "W 3E 05", "W 2A FF"}));
  EXPECT_EQ(Shadow(0x7F), 0x01);
  EXPECT_EQ(Shadow(0x3E), 0x05);
  EXPECT_EQ(Shadow(0x201), 0x09);  // beyond the transfer buffer: the shadow only
  EXPECT_EQ(sim.board.chip.Peek(0x2A), 0xFF);
  EXPECT_EQ(prog->Mx_Reg2->SByteReg->Cell(0, 1), "FF");
  EXPECT_EQ(sim.dialogs.fileRequests.last().filter, "*.reg|*.reg");

  // Cancelled, or a file that does not exist: nothing is sent.
  sim.board.ClearLog();
  Click("LoadREG");
  sim.dialogs.openAnswers << Path("missing.reg");
  Click("LoadREG");
  EXPECT_TRUE(Sent().empty());
}

// Load REG stops at the first write the board did not confirm and names its line. A
// write whose packet went out is in the chip, so the shadow takes it: whatever became
// of its reply (failed, empty, the board pulled out after it), shadow and chip agree.
TEST_F(RegisterFiles, LoadRegStopsAtTheFirstLineTheBoardDidNotConfirm) {
  Define("#REGBYTE\n20H R20 0FFH\n");
  for (int a : {0x20, 0x3E, 0x7F}) Shadow(a) = 0xEE;
  WriteFile("in.reg", "020H 011H\r\n021H 022H\r\n; comment\r\n023H 033H\r\n024H 044H\r\n");
  // Never connected: nothing is sent, nothing stored.
  sim.dialogs.openAnswers << Path("in.reg");
  Click("LoadREG");
  EXPECT_TRUE(Sent().empty());
  for (int a : {0x20, 0x3E, 0x7F}) EXPECT_EQ(Shadow(a), 0xEE) << a;
  // The message names the file the user chose.
  const QString fail = "Load REG Fail in " + Path("in.reg");
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_EQ(sim.dialogs.messages[0].text, fail + ": the board did not answer; no line of the file was sent");

  // Exchanges: 7Fh, 3Eh, then lines 1, 2, 4, 5.
  const QString unconfirmed = ": its write was not confirmed by the board, and the lines after it were not sent";
  const struct {
    int exchange;
    QString message;
  } cases[] = {{1, fail + ": the board did not answer; no line of the file was sent"},
               {3, fail + " at line 1 \"020H 011H\"" + unconfirmed},
               {5, fail + " at line 4 \"023H 033H\"" + unconfirmed},
               {6, fail + " at line 5 \"024H 044H\"" + unconfirmed}};
  for (SimBoard::Kind kind : BoardKinds)
    for (const auto& c : cases)
      for (BoardFault fault : AllReplyFaults) {
        SCOPED_TRACE(testing::Message() << KindName(kind) << ", exchange " << c.exchange << ", " << FaultName(fault));
        UseBoard(kind);
        Connect();
        for (int a : {0x20, 0x21, 0x23, 0x24}) Shadow(a) = 0x5C;
        ChipFromShadow(sim.board.chip, G().Channels[0].RegShadow);
        sim.dialogs.messages.clear();
        sim.dialogs.openAnswers << Path("in.reg");
        FaultReplyOf(sim.board, c.exchange, fault);
        Click("LoadREG");
        EXPECT_EQ(Sent().size(), static_cast<size_t>(c.exchange));
        ASSERT_EQ(sim.dialogs.messages.size(), 1);
        EXPECT_EQ(sim.dialogs.messages[0].text, c.message);
        EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
        EXPECT_EQ(ShadowAgainstChip(G().Channels[0].RegShadow, sim.board.chip), std::vector<std::string>{});
        // The views show the shadow: the line whose reply was lost is in, the next is not.
        EXPECT_EQ(Shadow(0x20), c.exchange >= 3 ? 0x11 : 0x5C);
        EXPECT_EQ(Shadow(0x24), c.exchange >= 6 ? 0x44 : 0x5C);
        EXPECT_EQ(prog->Mx_Reg2->SByteReg->Cell(0, 1), IntToHexW(Shadow(0x20), 2));
      }
}

// A line for a RAM byte goes to the bank it names, as the memory view writes it: with
// its bank selected in 7Fh and 7Fh put back. Addresses that name no chip cell are kept
// in the shadow only.
TEST_F(RegisterFiles, LoadRegWritesRamLinesToTheirOwnBank) {
  Define("#REG0\n00H 7FH\n#RAMBANK0\n80H 0FFH\n#RAMBANK1\n180H 1FFH\n");
  Connect();
  Shadow(0x7F) = 0x00;
  sim.board.chip.Poke(0x7F, 0x00);
  WriteFile("in.reg", "085H 0A1H\r\n185H 0B2H\r\n07FH 001H\r\n086H 0C3H\r\n186H 0D4H\r\n105H 0E5H\r\n"
                      "200H 0F6H\r\n3FFH 007H\r\n");
  sim.dialogs.openAnswers << Path("in.reg");
  Click("LoadREG");
  // With bank 1 selected by the line 07FH 001H, 186h goes as it is.
  EXPECT_EQ(SentText(), (std::vector<std::string>{"W 7F 00", "W 3E 00", "W 85 A1", "W 7F 01", "W 85 B2", "W 7F 00",
                                                  "W 7F 01", "W 7F 00", "W 86 C3", "W 7F 01", "W 86 D4"}));
  EXPECT_TRUE(sim.dialogs.messages.isEmpty());
  for (auto [a, v] : {std::pair{0x85, 0xA1}, {0x185, 0xB2}, {0x86, 0xC3}, {0x186, 0xD4}, {0x7F, 0x01}}) {
    EXPECT_EQ(sim.board.chip.Peek(a), v) << a;
    EXPECT_EQ(Shadow(a), v) << a;
  }
  EXPECT_EQ(sim.board.chip.Peek(0x05), 0x00);  // 105h and 205h did not land on 05h
  EXPECT_EQ(sim.board.chip.Peek(0x00), 0x00);  // nor 200h on 00h
  EXPECT_EQ(Shadow(0x105), 0xE5);
  EXPECT_EQ(Shadow(0x200), 0xF6);
  EXPECT_EQ(Shadow(0x3FF), 0x07);
}

}  // namespace

namespace {

// With the shipped definition (both RAM banks declared) on a connected board.
using ShippedDefinition = ProgramTest;

TEST_F(ShippedDefinition, ReadChipAndSaveRam) {
  StartProgram();
  Click("USBScan");
  sim.board.ClearLog();
  Click("Menu_ReadChip");
  std::vector<std::string> sent;
  for (const Bytes& p : Sent()) sent.push_back(PacketText(p));
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "R 80 16"), 2);
  EXPECT_EQ(sent.size(), 2u + 7 + 2 + 8 + 1 + 8 + 2);
  EXPECT_TRUE(prog->G.ReadDone);
  sim.dialogs.saveAnswers << Path("chip.ram");
  Click("SaveTable");
  const QByteArray file = ReadFile("chip.ram");
  EXPECT_EQ(file.count("\r\n"), 22);
  EXPECT_FALSE(file.contains('-'));  // every item fits the fixed-column readers
}

}  // namespace
