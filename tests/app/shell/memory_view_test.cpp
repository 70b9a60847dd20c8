// The memory view on a running program: the grid and bank tabs, change and colour
// marks, hints, keypad and keyboard edits, its ".ram" file and the spreadsheet export.
#include <QFile>
#include <QMap>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include "common/errors.h"
#include "common/text_encoding.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "shell/memory_view.h"
#include "app/support/keypad_driver.h"
#include "app/support/view_fixture.h"
#include "common/number_text.h"
#include "support/board_faults.h"

namespace {

QAction* Action(TMx_RAM* ram, const char* name) { return ram->RamPopup->findChild<QAction*>(name); }

struct MemoryView : ViewTest {
  TMx_RAM* ram = nullptr;
  void SetUp() override {
    ViewTest::SetUp();
    // Bank 0 is all RAM but register 05h; bank 1 is 180h-1FFh (100h-17Fh absent).
    Define("#REG0\n00H 7FH\n#RAMBANK0\n00H 0FFH\n#RAMBANK1\n180H 1FFH\n#REGBYTE\n05H R05 00H\n");
    ram = prog->Mx_RAM;
    prog->MainPanel->OpenPanel(ram, 1);
  }
  // The grid cell of an address in the bank shown.
  static int Col(int a) { return a % 16 + 1; }
  static int Row(int a) { return (a % 256) / 16 + 1; }
  CellStyle StyleOf(int a) const { return ram->SGDStyle(Col(a), Row(a)); }
  QString Text(int a) const { return ram->SGD->Cell(Col(a), Row(a)); }
  // Right button on the cell of an address, then a menu item.
  void Menu(int a, const char* item) {
    GridPress(ram->SGD, Col(a), Row(a), Qt::RightButton);
    Action(ram, item)->trigger();
  }
};

TEST_F(MemoryView, GridAndBankTabs) {
  TStringGrid* sgd = ram->SGD;
  ASSERT_EQ(sgd->ColCount(), 17);
  ASSERT_EQ(sgd->RowCount(), 17);
  EXPECT_EQ(sgd->columnWidth(0), 28);
  EXPECT_EQ(sgd->columnWidth(5), 22);
  EXPECT_EQ(sgd->rowHeight(3), 18);
  EXPECT_EQ(sgd->Cell(1, 0), "0");
  EXPECT_EQ(sgd->Cell(16, 0), "F");
  EXPECT_EQ(sgd->Cell(0, 1), "000");
  EXPECT_EQ(sgd->Cell(0, 16), "0F0");
  for (int n = 0; n < 5; ++n) {
    EXPECT_EQ(!ram->PBank[n]->isHidden(), n < 2) << n;
    EXPECT_EQ(ram->RAMBANK[n]->isVisible(), n < 2) << n;
  }
  EXPECT_TRUE(ram->PBank[0]->Raised());
  EXPECT_EQ(ram->PBank[0]->Color(), ViewColor::Yellow);
  EXPECT_FALSE(ram->PnlHint->isVisibleTo(ram));

  Shadow(0x85) = 0x3C;
  Shadow(0x05) = 0x77;
  Shadow(0x185) = 0x5A;
  ram->DataUpdate(true);
  EXPECT_EQ(Text(0x85), "3C");
  EXPECT_EQ(Text(0x05), "-");

  ram->PBank[1]->click();
  EXPECT_EQ(G().RamBank, 1);
  EXPECT_EQ(sgd->Cell(0, 1), "100");
  EXPECT_EQ(sgd->Cell(0, 16), "1F0");
  EXPECT_EQ(Text(0x100), "-");
  EXPECT_EQ(Text(0x185), "5A");
  EXPECT_TRUE(ram->PBank[1]->Raised());
  EXPECT_FALSE(ram->PBank[0]->Raised());
  EXPECT_EQ(ram->PBank[0]->Color(), ViewColor::ButtonFace);
  ram->RAMBANK[0]->trigger();
  EXPECT_EQ(G().RamBank, 0);
  EXPECT_EQ(Text(0x85), "3C");
}

TEST_F(MemoryView, ChangeMarksOutrankColourMarksAndHintsUnderline) {
  Connect();
  sim.board.chip.Poke(0x85, 0x11);
  Menu(0x85, "SetMark");
  const CellStyle grey{Qt::white, QColor(0x80, 0x80, 0x80)};
  EXPECT_EQ(StyleOf(0x85), grey);
  prog->Mx_UP->WriteReg(0x85, 0x11, 0);
  EXPECT_EQ(StyleOf(0x85), ChangedStyle());  // changed, although marked
  ram->DataUpdate(false);
  EXPECT_EQ(StyleOf(0x85), grey);

  sim.dialogs.colorAnswers << QColor(255, 0, 0);
  Menu(0x86, "newcolor1");
  EXPECT_EQ(ram->ColorDlgColor, 0x0000FFu);
  EXPECT_EQ(StyleOf(0x86), CellStyle({Qt::white, QColor(255, 0, 0)}));
  Menu(0x85, "RstMark");
  EXPECT_EQ(StyleOf(0x85), CellStyle());
  Menu(0x05, "SetMark");  // no implemented bit: no mark
  EXPECT_FALSE(ram->Marks.Mark[0x05]);

  ram->Marks.Hint[0x86] = true;
  ram->Marks.HintText[0x86] = "h";
  EXPECT_TRUE(StyleOf(0x86).Underline);
  Menu(0x86, "SetHint1");  // does nothing
  EXPECT_TRUE(ram->Marks.Hint[0x86]);
  Menu(0x86, "ResetHint1");
  EXPECT_FALSE(ram->Marks.Hint[0x86]);
  EXPECT_TRUE(ram->Marks.HintText[0x86].isEmpty());

  sim.dialogs.answers << IDNO;
  Action(ram, "RstAllMark")->trigger();
  EXPECT_TRUE(ram->Marks.Mark[0x86]);
  Action(ram, "RstAllMark")->trigger();
  EXPECT_FALSE(ram->Marks.Mark[0x86]);
  ASSERT_EQ(sim.dialogs.messages.size(), 2);
  EXPECT_EQ(sim.dialogs.messages[0].text, "Are you sure to reset all mark?");
  EXPECT_EQ(sim.dialogs.messages[0].buttons, MB_YESNO);
  ram->Marks.Hint[0x90] = true;
  Action(ram, "ResetAllHint1")->trigger();
  EXPECT_EQ(sim.dialogs.messages.last().text, "Are you sure to reset all Hint?");
  EXPECT_FALSE(ram->Marks.Hint[0x90]);
}

// A listed register in the bank shown is drawn unmarked in both views after one
// write: this view refreshes second and compares with what the register view stored.
TEST_F(MemoryView, AfterAWriteTheRegisterViewsRegistersShowNoMark) {
  Define("#RAMBANK0\n00H 0FFH\n#REGBYTE\n20H OSC 0FFH\n");
  Connect();
  prog->Mx_UP->WriteReg(0x20, 0x42, 0);
  EXPECT_EQ(StyleOf(0x20), CellStyle());
  EXPECT_FALSE(G().RegChanged[0x20]);
  EXPECT_EQ(Text(0x20), "42");
}

TEST_F(MemoryView, KeypadAndKeyboardEdits) {
  Connect();
  Shadow(0x85) = 0x3C;
  ram->DataUpdate(true);
  EXPECT_EQ(TypeIntoKeypad(*prog->MxPopSelHex, [&] { GridDoubleClick(ram->SGD, Col(0x85), Row(0x85)); }, "7e"),
            "Ram0085=3C");
  WithoutKeypad(*prog->MxPopSelHex, [&] { GridDoubleClick(ram->SGD, Col(0x05), Row(0x05)); });
  EXPECT_EQ(SentText(), (std::vector<std::string>{"W 85 7E", "R 85 1"}));

  // Enter writes the text shown. In bank 1 only the address's low byte travels, so
  // bank 1 is selected for the write and its read-back, and 7Fh is put back.
  sim.board.ClearLog();
  ram->PBankClick(1);
  Shadow(0x185) = 0x5A;
  Shadow(0x7F) = 0x20;
  ram->DataUpdate(true);
  ram->SGD->setCurrentCell(Row(0x185), Col(0x185));
  GridType(ram->SGD, "\r");
  EXPECT_EQ(SentText(), (std::vector<std::string>{"W 7F 21", "W 85 5A", "R 85 1", "W 7F 20"}));
  EXPECT_EQ(sim.board.chip.Peek(0x185), 0x5A);
  EXPECT_EQ(sim.board.chip.Peek(0x85), 0x7E);
  EXPECT_EQ(Shadow(0x185), 0x5A);
  sim.board.ClearLog();
  // Typing changes no text; leaving the cell writes what it shows.
  ram->PBankClick(0);
  ram->SGD->setCurrentCell(Row(0x86), Col(0x86));
  GridType(ram->SGD, "12");
  EXPECT_EQ(Text(0x86), "00");
  ram->SGD->setCurrentCell(Row(0x96), Col(0x96));
  EXPECT_EQ(SentText(), (std::vector<std::string>{"W 86 00", "R 86 1"}));

  sim.board.ClearLog();
  ram->SGD->setCurrentCell(Row(0x05), Col(0x05));
  GridType(ram->SGD, "3\r");
  EXPECT_EQ(Text(0x05), "-");
  EXPECT_TRUE(Sent().empty());
}

// With 7Fh bit 0 set however it came (a Read Chip of such a chip, a dump holding
// 7Fh = 001H, a register write), a bank-0 edit selects bank 0 for its write and
// read-back and puts 7Fh back: bank 1 keeps its byte and the shadow tells the truth.
TEST_F(MemoryView, BankZeroEditsWithBankOneSelectedReachBankZero) {
  WriteFile("bank1.reg", "07FH 001H\r\n");
  struct Case {
    const char* how;
    std::function<void()> selectBankOne;
  };
  const std::vector<Case> cases = {
      {"Read Chip", [this] {
         sim.board.chip.Poke(0x7F, 0x01);
         Click("Menu_ReadChip");
       }},
      {"Load REG", [this] {
         sim.dialogs.openAnswers << Path("bank1.reg");
         Click("LoadREG");
       }},
      {"register write", [this] { prog->Mx_UP->WriteReg(0x7F, 0x01, 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    sim.board.chip.Poke(0x7F, 0x00);
    sim.board.chip.Poke(0x85, 0x11);
    sim.board.chip.Poke(0x185, 0x22);
    Connect();
    c.selectBankOne();
    ASSERT_EQ(Shadow(0x7F), 0x01);
    ASSERT_EQ(sim.board.chip.Peek(0x7F), 0x01);
    sim.board.ClearLog();
    ram->PBankClick(0);
    TypeIntoKeypad(*prog->MxPopSelHex, [&] { GridDoubleClick(ram->SGD, Col(0x85), Row(0x85)); }, "a5");
    EXPECT_EQ(SentText(), (std::vector<std::string>{"W 7F 00", "W 85 A5", "R 85 1", "W 7F 01"}));
    EXPECT_EQ(sim.board.chip.Peek(0x85), 0xA5);
    EXPECT_EQ(sim.board.chip.Peek(0x185), 0x22);
    EXPECT_EQ(Shadow(0x85), 0xA5);
    EXPECT_EQ(Text(0x85), "A5");
    EXPECT_EQ(Shadow(0x7F), 0x01);
    EXPECT_EQ(sim.board.chip.Peek(0x7F), 0x01);
  }

  // The link lost part-way, at each of the edit's four exchanges (7Fh to bank 0, the
  // byte, its read-back, 7Fh put back) and in each way: the shadow holds what the chip
  // was left with, 7Fh's bank included, and the user sees the link gone.
  for (int exchange = 1; exchange <= 4; ++exchange)
    for (BoardFault fault : AllReplyFaults) {
      SCOPED_TRACE(testing::Message() << "exchange " << exchange << ", " << FaultName(fault));
      sim.board.ClearFaults();
      Connect();
      prog->Mx_UP->WriteReg(0x7F, 0x01, 0);
      ChipFromShadow(sim.board.chip, prog->G.Channels[0].RegShadow);
      FaultReplyOf(sim.board, exchange, fault);
      ram->SGD->setCurrentCell(Row(0x86), Col(0x86));
      TypeIntoKeypad(*prog->MxPopSelHex, [&] { GridDoubleClick(ram->SGD, Col(0x86), Row(0x86)); },
                     exchange % 2 ? "3c" : "c3");
      EXPECT_EQ(ShadowAgainstChip(prog->G.Channels[0].RegShadow, sim.board.chip), std::vector<std::string>{});
      EXPECT_EQ(sim.board.chip.Peek(0x86), exchange == 1 ? Shadow(0x86) : (exchange % 2 ? 0x3C : 0xC3));
      EXPECT_EQ(Text(0x86), IntToHexW(Shadow(0x86), 2));
      EXPECT_EQ(prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
    }
}

TEST_F(MemoryView, MemoryViewFileRoundTrip) {
  Shadow(0x00) = 0xA1;
  Shadow(0x05) = 0x77;
  Shadow(0x185) = 0x5A;
  ram->Marks.Mark[0x03] = true;
  ram->Marks.MarkColor[0x03] = 0x0000FF;
  ram->Marks.Hint[0x1FF] = true;
  ram->Marks.HintText[0x1FF] = QString::fromUtf8("注意 hint");
  sim.dialogs.saveAnswers << Path("view");
  Action(ram, "SaveRam")->trigger();
  EXPECT_EQ(sim.dialogs.fileRequests.last().defaultExt, "ram");
  EXPECT_EQ(sim.dialogs.fileRequests.last().filter, "*.ram|*.ram");
  const QByteArray bytes = ReadFile("view.ram");
  EXPECT_TRUE(bytes.contains(EncodeBig5(QString::fromUtf8("注意 hint")) + "\r\n"));
  QStringList lines = DecodeBig5(bytes).split("\r\n");
  ASSERT_EQ(lines.size(), 2049);
  EXPECT_EQ(lines[0x00], "A1");
  EXPECT_EQ(lines[0x05], "-");
  EXPECT_EQ(lines[0x100], "-");
  EXPECT_EQ(lines[0x185], "5A");
  EXPECT_EQ(lines[512 + 3 * 0x03], " 1 0");
  EXPECT_EQ(lines[512 + 3 * 0x03 + 1], "255");
  EXPECT_EQ(lines[512 + 3 * 0x04], " 0 0");
  EXPECT_EQ(lines[512 + 3 * 0x1FF], " 0 1");
  EXPECT_EQ(lines[512 + 3 * 0x1FF + 2], QString::fromUtf8("注意 hint"));

  // Loading stores into the shadow only and brings the marks back.
  Connect();
  for (uint8_t& b : G().Channels[0].RegShadow) b = 0;
  ram->Marks = MemoryMarks();
  // The windows refresh once, with every value in.
  std::vector<int> refreshedWith;
  WatchRefreshes([&](RefreshView v) {
    if (v == RefreshView::BodyfatPanel) refreshedWith.push_back(Shadow(0x185));
  });
  sim.dialogs.openAnswers << Path("view.ram");
  Action(ram, "LoadRam")->trigger();
  WatchRefreshes(nullptr);
  EXPECT_EQ(refreshedWith, std::vector<int>{0x5A});
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(Shadow(0x00), 0xA1);
  EXPECT_EQ(Shadow(0x05), 0x00);
  EXPECT_EQ(Shadow(0x185), 0x5A);
  EXPECT_TRUE(ram->Marks.Mark[0x03]);
  EXPECT_EQ(ram->Marks.MarkColor[0x03], 0x0000FFu);
  EXPECT_TRUE(ram->Marks.Hint[0x1FF]);
  EXPECT_EQ(ram->Marks.HintText[0x1FF], QString::fromUtf8("注意 hint"));
  EXPECT_EQ(Text(0x00), "A1");
  EXPECT_EQ(StyleOf(0x00), CellStyle());  // refreshed as initial: no change mark

  // An existing file is overwritten only when the user agrees.
  Shadow(0x00) = 0xB2;
  sim.dialogs.saveAnswers << Path("view.ram");
  sim.dialogs.answers << IDNO;
  Action(ram, "SaveRam")->trigger();
  EXPECT_EQ(sim.dialogs.messages.last().text, "File " + Path("view.ram") + " exist! Overwrite?");
  EXPECT_EQ(ReadFile("view.ram"), bytes);
}

TEST_F(MemoryView, MalformedOrShortMemoryViewFiles) {
  QByteArray text;
  for (int a = 0; a < 512; ++a) text += a == 0 ? "C3\r\n" : "zz\r\n";
  text += " 1 0\r\n123\r\nfirst\r\n x 1\r\n";
  WriteFile("bad.ram", text);
  sim.dialogs.openAnswers << Path("bad.ram");
  int refreshes = 0;
  WatchRefreshes([&](RefreshView v) { refreshes += v == RefreshView::BodyfatPanel; });
  EXPECT_THROW(ram->LoadRamClick(), EInOutError);
  EXPECT_EQ(refreshes, 1);
  EXPECT_EQ(Shadow(0x00), 0xC3);
  EXPECT_EQ(Text(0x00), "C3");
  EXPECT_EQ(Shadow(0x01), 0x00);  // not hex: 0
  EXPECT_TRUE(ram->Marks.Mark[0]);
  EXPECT_EQ(ram->Marks.HintText[0], "first");

  WriteFile("short.ram", "11\r\n22\r\n");
  sim.dialogs.openAnswers << Path("short.ram");
  refreshes = 0;
  ram->LoadRamClick();
  EXPECT_EQ(refreshes, 1);
  WatchRefreshes(nullptr);
  EXPECT_EQ(Text(0x01), "22");
  EXPECT_EQ(Shadow(0x01), 0x22);
  EXPECT_EQ(Shadow(0x02), 0x00);
  EXPECT_FALSE(ram->Marks.Mark[0]);
}

// ---- the spreadsheet export ----

QByteArray Unzip(const QString& zip, const QString& member) {
  QProcess p;
  p.start("unzip", {"-p", zip, member});
  p.waitForFinished(10000);
  return p.readAllStandardOutput();
}

// Cell reference ("C3") -> text, with shared strings resolved.
QMap<QString, QString> SheetCells(const QString& xlsx) {
  QStringList shared;
  QXmlStreamReader ss(Unzip(xlsx, "xl/sharedStrings.xml"));
  while (!ss.atEnd())
    if (ss.readNext() == QXmlStreamReader::StartElement && ss.name() == u"t") shared << ss.readElementText();
  QMap<QString, QString> cells;
  QXmlStreamReader sheet(Unzip(xlsx, "xl/worksheets/sheet1.xml"));
  QString ref, type;
  while (!sheet.atEnd()) {
    if (sheet.readNext() != QXmlStreamReader::StartElement) continue;
    if (sheet.name() == u"c") {
      ref = sheet.attributes().value("r").toString();
      type = sheet.attributes().value("t").toString();
    } else if (sheet.name() == u"v") {
      QString v = sheet.readElementText();
      cells[ref] = type == "s" ? shared.value(v.toInt()) : v;
    }
  }
  return cells;
}

TEST_F(MemoryView, SpreadsheetExportOfBanksZeroAndOne) {
  // scripts/install-deps installs unzip; without it this check would read nothing.
  ASSERT_FALSE(QStandardPaths::findExecutable("unzip").isEmpty()) << "unzip is needed to read the workbook";
  Shadow(0x00) = 0xAB;
  Shadow(0x1FF) = 0x0C;
  ram->ExportDir = dir.path();
  Action(ram, "Excel1")->trigger();
  const QString path = ram->LastExportPath;
  ASSERT_TRUE(QFile::exists(path));
  EXPECT_EQ(sim.dialogs.opened, QStringList{path});
  EXPECT_TRUE(sim.dialogs.messages.isEmpty());
  EXPECT_TRUE(Unzip(path, "xl/workbook.xml").contains("<sheet name=\"USER Data\""));
  const QMap<QString, QString> cells = SheetCells(path);
  EXPECT_EQ(cells.size(), 2 * 512);
  EXPECT_EQ(cells.value("C3"), "171");
  EXPECT_EQ(cells.value("T3"), "ABh");
  EXPECT_EQ(cells.value("D3"), "0");
  EXPECT_EQ(cells.value("U3"), "00h");
  EXPECT_EQ(cells.value("H3"), "-");   // 05h: no implemented bit
  EXPECT_EQ(cells.value("Y3"), "-");
  EXPECT_EQ(cells.value("C19"), "-");  // 100h
  EXPECT_EQ(cells.value("R34"), "12");  // 1FFh
  EXPECT_EQ(cells.value("AI34"), "0Ch");

  // Without a program for the file the user is told where it is.
  sim.dialogs.desktopAvailable = false;
  Action(ram, "Excel1")->trigger();
  ASSERT_EQ(sim.dialogs.messages.size(), 1);
  EXPECT_TRUE(sim.dialogs.messages[0].text.contains(ram->LastExportPath));
  EXPECT_NE(ram->LastExportPath, path);
}

}  // namespace
