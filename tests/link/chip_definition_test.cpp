// The chip-definition parser against small definitions written by the test.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "common/errors.h"
#include "link/chip_definition.h"
#include "link/field_table.h"

namespace {

// Records what the parser tells its listeners.
class Recorder : public ChipDefinitionListener {
public:
  QStringList events;
  ChipDefinitionSeen seen;
  void ParseStarted() override { events << "started"; }
  void DefinitionOpened() override { events << "opened"; }
  void KeywordMet(uint16_t code) override { events << QString("kw %1").arg(code); }
  void ProductLine(const QString& name) override { events << "product " + name; }
  void RamBankShown(int bank) override { events << QString("bank %1").arg(bank); }
  void ByteRegisterDeclared(int i, const QString& name) override { events << QString("byte %1 %2").arg(i).arg(name); }
  void WordRegisterDeclared(int i, const QString& name) override { events << QString("word %1 %2").arg(i).arg(name); }
  void AccessLine(const QString& raw) override { events << "access [" + raw + "]"; }
  void FieldLineRead(const FieldLine& fl) override { events << "field " + FieldName(fl.Id); }
  void ParseEnded(const ChipDefinitionSeen& s) override {
    events << "ended";
    seen = s;
  }
  QStringList Only(const QString& prefix) const { return events.filter(QRegularExpression("^" + prefix)); }
};

class ChipDefinitionParse : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    g = std::make_unique<Globals>();
    g->IncludeDir = dir.path();
    g->RegBitList = std::make_unique<TCRREGBitPtr>();
    g->RegByteList = std::make_unique<TCRREGBytePtr>();
    g->RegWordList = std::make_unique<TCRREGWordPtr>();
    parser = std::make_unique<ChipDefinition>(*g, dir.path());
    parser->Listeners.push_back(&rec);
    QDir(dir.path()).mkpath("Include");
  }

  void Write(const QString& rel, const QByteArray& text) {
    QFile f(dir.filePath(rel));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  // One product "T.INC" with the given definition.
  bool Parse(const QByteArray& definition) {
    Write("MxSel.INC", "T.INC MX7406 16K\r\n");
    Write("Include/T.INC", definition);
    rec.events.clear();
    return parser->GetSELUP();
  }
  const TRegField& F(FieldId id) const { return g->Fields[id]; }

  QTemporaryDir dir;
  std::unique_ptr<Globals> g;
  std::unique_ptr<ChipDefinition> parser;
  Recorder rec;
};

TEST_F(ChipDefinitionParse, KeywordCodes) {
  struct Case {
    const char* word;
    uint16_t code;
  };
  const Case cases[] = {
      {"#PRODUCT", 1},   {"#REG0", 5},       {"#REG1", 6},          {"#RAMBANK0", 7},  {"#RAMBANK4", 11},
      {"#REGBIT", 12},   {"#REGBIT1", 13},   {"#REGBIT5", 17},      {"#REGBYTE", 18},  {"#REGWORD", 19},
      {"#ADC0S", 30},    {"#OP0S", 31},      {"#FLUKE", 33},        {"#POWER", 36},    {"#ENOB", 37},
      {"#CONTINUE", 38}, {"#CHAMBER", 39},   {"#REGISTERTEST", 40}, {"#DAC0S", 41},    {"#ACTUALCLK", 42},
      {"#DCMODE", 44},   {"#AUTOLOAD", 45},  {"#ACCESS", 46},       {"#WAVEFORM", 47}, {"#IQTEST", 48},
      {"#BODYFAT", 49},  {"#BODYFATPANEL", 50}, {"#CALCULATE", 51}, {"#CAPTEST", 52},  {"#LOADMX52K", 53},
      {"#EKG", 54},      {"#SIMPLEACMODE", 55}, {"#CATCHIQ", 56},
      {"#regbit", 255},  {"#REGBIT6", 255},  {"REGBIT", 255},       {"", 255},         {"#PRODUCT;", 255},
  };
  for (const Case& c : cases) EXPECT_EQ(ChipDefinition::IsPseudo(c.word), c.code) << c.word;
}

TEST_F(ChipDefinitionParse, MissingFilesStopEarly) {
  // No product list: False after the first resets; ranges and RegIsBit stay.
  g->RegMask[3] = 0xFF;
  g->RegIsBit[3] = 1;
  g->Reg0Range = {1, 2};
  g->IQRegCounts[IQ_DC] = 5;
  EXPECT_FALSE(parser->GetSELUP());
  EXPECT_EQ(rec.events, QStringList{"started"});
  EXPECT_EQ(g->RegMask[3], 0);
  EXPECT_EQ(g->RegIsBit[3], 1);
  EXPECT_EQ(g->Reg0Range.End, 2);
  EXPECT_EQ(g->IQRegCounts[IQ_DC], 0);

  // A product line without words, a product beyond the list, an absent include file.
  Write("MxSel.INC", "   \r\nNONE.INC A B\r\n");
  Write("Include/T.INC", "#REG0\n1 2\n");
  for (uint16_t product : {0, 1, 7}) {
    g->Channels[0].ProductIndex = product;
    rec.events.clear();
    EXPECT_FALSE(parser->GetSELUP()) << product;
    EXPECT_EQ(rec.events, QStringList{"started"}) << product;
  }
}

TEST_F(ChipDefinitionParse, IncludeFileMatchedWithoutRegardToCase) {
  QDir(dir.path()).rmdir("Include");
  QDir(dir.path()).mkpath("include");
  Write("MxSel.INC", "first.inc A B\r\nmx7406.inc MX7406 16K\r\n");
  Write("include/Mx7406.Inc", "#PRODUCT\nmx7406\n");
  g->Channels[0].ProductIndex = 1;
  EXPECT_TRUE(parser->GetSELUP());
  EXPECT_EQ(g->ProductName, "MX7406");
  EXPECT_EQ(rec.events, (QStringList{"started", "opened", "kw 1", "product MX7406", "ended"}));
}

TEST_F(ChipDefinitionParse, BitRegistersPagesAndMasks) {
  ASSERT_TRUE(Parse("#REGBIT\n"
                    "0CH ADCONTROLREGISTER0 - - B5 B4 B3 B2 B1 B0 ; comment\n"
                    "#FLUKE\n"
                    "0DH R13 A B C D E F G H\n"
                    "#REGBIT2\n"
                    "20H PAGE3REG - - - - - - - X\n"
                    "0EH SHORT A\n"));
  EXPECT_EQ(g->RegMask[0x0C], 0x3F);
  EXPECT_EQ(g->RegMask[0x0D], 0xFF);  // #FLUKE left the section as it was
  EXPECT_EQ(g->RegMask[0x20], 0x01);
  EXPECT_EQ(g->RegMask[0x0E], 0xFF);  // missing bit names are empty, not "-"
  for (int a : {0x0C, 0x0D, 0x20, 0x0E}) EXPECT_EQ(g->RegIsBit[a], 1) << a;
  EXPECT_EQ(g->BitPageCount[1], 2);
  EXPECT_EQ(g->BitPageCount[2], 0);
  EXPECT_EQ(g->BitPageCount[3], 2);
  ASSERT_EQ(g->RegBitList->Count(), 4);
  const RegBitItem* b = g->RegBitList->Items(0);
  EXPECT_EQ(b->Name, "ADCONTROLREGIST");  // 15 characters kept
  EXPECT_EQ(b->Address, 0x0C);
  EXPECT_EQ(b->BitNames[0], "-");
  EXPECT_EQ(b->BitNames[7], "B0");
  EXPECT_EQ(g->RegBitList->Items(3)->BitNames[1], "");
  EXPECT_EQ(rec.events, (QStringList{"started", "opened", "kw 12", "kw 33", "kw 14", "ended"}));
}

TEST_F(ChipDefinitionParse, ByteAndWordRegisters) {
  QByteArray def = "#REGBYTE\n";
  for (int i = 0; i < 10; ++i) def += QByteArray::number(0x40 + i, 16) + "H B" + QByteArray::number(i) + " 0FH\n";
  def += "#REGWORD\n21H FSR 20H X 3FH 0FFH\n"
         "31H CNT 30H X 07H\n";  // the low mask repeats the running number: 30H
  g->RegShown[0x41] = 0x55;
  ASSERT_TRUE(Parse(def));
  EXPECT_EQ(g->ByteRegCount, 10);
  EXPECT_EQ(g->RegByteList->Count(), 10);
  EXPECT_EQ(g->RegByteList->Items(9)->Address, 0x49);
  EXPECT_EQ(g->RegMask[0x45], 0x0F);
  EXPECT_EQ(g->RegShown[0x41], 0);
  EXPECT_EQ(rec.Only("byte").size(), 10);
  EXPECT_EQ(rec.Only("byte").at(9), "byte 9 B9");
  EXPECT_EQ(g->WordRegCount, 2);
  EXPECT_EQ(g->RegWordList->AddrKey(0), 0x2120);
  EXPECT_EQ(g->RegMask[0x21], 0x3F);
  EXPECT_EQ(g->RegMask[0x20], 0xFF);
  EXPECT_EQ(g->RegMask[0x31], 0x07);
  EXPECT_EQ(g->RegMask[0x30], 0x30);
  EXPECT_EQ(rec.Only("word"), (QStringList{"word 0 FSR", "word 1 CNT"}));

  // A product without "#REGWORD" keeps the old word list while the count restarts.
  ASSERT_TRUE(Parse("#REGBYTE\n40H B0 0FFH\n"));
  EXPECT_EQ(g->WordRegCount, 0);
  EXPECT_EQ(g->RegWordList->Count(), 2);
  EXPECT_EQ(g->RegByteList->Count(), 1);
  EXPECT_EQ(g->RegMask[0x21], 0);  // masks are reset by every parse
}

TEST_F(ChipDefinitionParse, RangesBanksAndTheRunningNumber) {
  ASSERT_TRUE(Parse("#REG0\n10H\n"          // end missing: the start again
                    "#REG1\n20H 2FH\n"
                    "#RAMBANK1\n80H 80H\n"  // empty: hidden, no mask
                    "#RAMBANK0\n80H 0FFH\n"
                    "#RAMBANK3\n300H 4FFH\n"  // beyond the tables: marked as far as they go
                    "#RAMBANK2\nXYZ 2FFH\n"));  // start repeats the running number 4FFH
  EXPECT_EQ(g->Reg0Range.Start, 0x10);
  EXPECT_EQ(g->Reg0Range.End, 0x10);
  EXPECT_EQ(g->Reg1Range.End, 0x2F);
  EXPECT_EQ(g->RamBankRanges[1].Start, 0x80);
  EXPECT_EQ(g->RamBankRanges[1].End, 0x80);
  EXPECT_EQ(g->RegMask[0x7F], 0);
  EXPECT_EQ(g->RegMask[0x80], 0xFF);
  EXPECT_EQ(g->RegMask[0xFF], 0xFF);
  EXPECT_EQ(g->RegMask[0x2FF], 0);
  EXPECT_EQ(g->RegMask[0x3FF], 0xFF);
  EXPECT_EQ(g->RamBankRanges[2].Start, 0x4FF);
  EXPECT_EQ(rec.Only("bank"), (QStringList{"bank 0", "bank 3"}));

  // The running number starts at 0 in every parse.
  ASSERT_TRUE(Parse("#REG0\nX Y\n"));
  EXPECT_EQ(g->Reg0Range.Start, 0);
  EXPECT_EQ(g->Reg0Range.End, 0);
}

TEST_F(ChipDefinitionParse, AccessLinesAreTheRawLines) {
  ASSERT_TRUE(Parse("#ACCESS\r\nLOADRAM\r\nloadram\r\nSAVEREG ; c\r\n\r\n"));
  EXPECT_EQ(rec.Only("access"), (QStringList{"access [LOADRAM]", "access [loadram]", "access [SAVEREG ; c]"}));
}

TEST_F(ChipDefinitionParse, AdcFieldLines) {
  g->Fields.ADC1OH.Width = 5;
  ASSERT_TRUE(Parse("#ADC0S\n"
                    "06H TS 1 0\n"
                    "30H ADC1OH 8 0\n"
                    "44H UNKNOWN 9 9\n"
                    "0CH AD1GN 3 1 X1/4 X1/2 X1 X2 X4 X8 X16 X16LONGER\n"
                    "0BH VDDAX 2 5 2.4 2.7 3.0\n"
                    "ZZ ENADC Q 2\n"));  // address and width repeat the running number
  const TRegField& ts = F(FieldId::TS);
  EXPECT_EQ(ts.Address, 6);
  EXPECT_EQ(ts.Width, 1);
  EXPECT_EQ(ts.Shift, 0);
  EXPECT_EQ(ts.Defined, 1);
  EXPECT_EQ(F(FieldId::ADC1OH).Address, 0x30);
  EXPECT_EQ(F(FieldId::ADC1OH).Width, 5);
  EXPECT_EQ(F(FieldId::ADC1OH).Defined, 1);
  EXPECT_EQ(g->AD1GNCaptions[0], "X1/4");
  EXPECT_EQ(g->AD1GNCaptions[7], "X16LONGE");
  EXPECT_EQ(g->VDDAXCaptions[2], "3.0");
  EXPECT_EQ(g->VDDAXCaptions[3], "");
  EXPECT_EQ(F(FieldId::ENADC).Address, 5);  // the VDDAX line's shift
  EXPECT_EQ(F(FieldId::ENADC).Width, 5);
  EXPECT_EQ(F(FieldId::ENADC).Shift, 2);
  EXPECT_EQ(F(FieldId::ENOP_OP).Defined, 0);
  EXPECT_EQ(rec.Only("field"), (QStringList{"field TS", "field ADC1OH", "field AD1GN", "field VDDAX", "field ENADC"}));
}

TEST_F(ChipDefinitionParse, PanelFieldLinesAndSeenFlags) {
  g->Fields.OP1O = TRegField{0x11, 6, 0, 0, 1};
  ASSERT_TRUE(Parse("#OP0S\n"
                    "50H OP1O 5 0 A B C D E\n"  // ignored width
                    "51H OP1P 8 0\n"
                    "52H RFB 2 BAD\n"           // own number: a bad shift gives 0
                    "53H ENOP 3 4 EN1 - EN3\n"
                    "54H 0P3N 8 0\n"
                    "#ADC0S\n"
                    "60H ENOP 1 7\n"
                    "#DAC0S\n"
                    "58H DAOE2 2 0 A B C D\n"
                    "#BODYFATPANEL\n"
                    "59H DAOE 2 6\n"
                    "5AH IN1P 4 0\n"
                    "5BH NOSUCH 4 0\n"));
  EXPECT_EQ(F(FieldId::OP1O).Address, 0x11);
  EXPECT_EQ(F(FieldId::OP1P).Width, 8);
  EXPECT_EQ(F(FieldId::RFB).Address, 0x52);
  EXPECT_EQ(F(FieldId::RFB).Shift, 0);
  EXPECT_EQ(F(FieldId::ENOP_OP).Address, 0x53);
  EXPECT_EQ(F(FieldId::ENOP_OP).Shift, 4);
  EXPECT_EQ(F(FieldId::ZeroP3N).Address, 0x54);
  EXPECT_EQ(F(FieldId::ENOP_ADC).Address, 0x60);
  EXPECT_EQ(F(FieldId::ENOP_ADC).Shift, 7);
  EXPECT_EQ(F(FieldId::DAOE).Address, 0x59);
  EXPECT_EQ(F(FieldId::IN1P).Address, 0x5A);
  EXPECT_EQ(rec.seen.OP1P8, true);
  EXPECT_EQ(rec.seen.RFB, true);
  EXPECT_EQ(rec.seen.RFB2, false);
  EXPECT_EQ(rec.seen.OP2NET1, false);
  EXPECT_EQ(rec.seen.DAOE, false);  // the body-fat section's DAOE line does not count
  EXPECT_EQ(rec.seen.DAOE2, true);
  EXPECT_EQ(rec.Only("field").size(), 8);

  // Seen flags start again with every parse; descriptors are never reset.
  ASSERT_TRUE(Parse("#OP0S\n51H OP1P 7 0\n"));
  EXPECT_FALSE(rec.seen.OP1P8);
  EXPECT_FALSE(rec.seen.RFB);
  EXPECT_EQ(F(FieldId::RFB).Address, 0x52);
  EXPECT_EQ(F(FieldId::OP1P).Width, 7);
}

TEST_F(ChipDefinitionParse, ImpedanceListsAndClockTexts) {
  QByteArray def = "#CALCULATE\n"
                   "10H DC 1 0 1\n"
                   "11H DC 2 1 3\n"
                   "12H DC 3 2 1FFH\n"
                   "13H AC0 1 0 1\n"
                   "14H AC 1 0 1\n"  // not a list of this section
                   "#CAPTEST\n"
                   "15H DC1 1 7 1\n";
  for (int i = 0; i < 25; ++i) def += "16H AC 1 0 1\n";
  def += "#ACTUALCLK\nMHZ 1900000 2100000 3800000 X 7600000 123456789\nKHZ 1 2 3 4 5 6\n";
  ASSERT_TRUE(Parse(def));
  EXPECT_EQ(g->IQRegCounts[IQ_DC], 3);
  EXPECT_EQ(g->IQRegLists[IQ_DC][0].Address, 0x10);
  EXPECT_EQ(g->IQRegLists[IQ_DC][1].Shift, 1);
  EXPECT_EQ(g->IQRegLists[IQ_DC][2].Value, 0xFF);
  EXPECT_EQ(g->IQRegLists[IQ_DC][2].Defined, 1);
  EXPECT_EQ(g->IQRegCounts[IQ_AC0], 1);
  EXPECT_EQ(g->IQRegCounts[IQ_AC1], 0);
  EXPECT_EQ(g->IQRegCounts[IQ_CapAC], 20);
  EXPECT_EQ(g->IQRegCounts[IQ_CapDC1], 1);
  EXPECT_EQ(g->IQRegLists[IQ_CapDC1][0].Shift, 7);
  const char* clocks[] = {"1900000", "2100000", "3800000", "3800000", "7600000", "1234567"};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(g->ClockTexts[k], clocks[k]) << k;
}

TEST_F(ChipDefinitionParse, ListLinesThatNameNoChipCellAreNotedAndKept) {
  // Registers 0..7Fh, RAM bank 0 at 80h..FFh and bank 1 at 180h..1FFh are chip cells;
  // 100h..17Fh and 200h up are the shadow's alone.
  struct Case {
    const char* address;
    int value;
    bool cell;
  };
  const Case cases[] = {{"7FH", 0x7F, true},   {"80H", 0x80, true},    {"0FFH", 0xFF, true},
                        {"100H", 0x100, false}, {"17FH", 0x17F, false}, {"180H", 0x180, true},
                        {"1FFH", 0x1FF, true},  {"200H", 0x200, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    const QByteArray line = QByteArray(c.address) + " AC0 1 0 1 ; the entry";
    ASSERT_TRUE(Parse("#REGBYTE\n10H R 0FFH\n#CALCULATE\n" + line + "\n"));
    // The entry stays in its list either way.
    ASSERT_EQ(g->IQRegCounts[IQ_AC0], 1);
    EXPECT_EQ(g->IQRegLists[IQ_AC0][0].Address, c.value);
    const auto& noted = parser->CelllessListLines();
    if (c.cell) {
      EXPECT_TRUE(noted.isEmpty());
    } else {
      ASSERT_EQ(noted.size(), 1);
      EXPECT_EQ(noted[0].Number, 4);
      EXPECT_EQ(noted[0].Text, QString(line));
    }
  }
}

TEST_F(ChipDefinitionParse, OnlyListEntriesAreNotedAndEachParseStartsAfresh) {
  QByteArray def = "#CAPTEST\n"
                   "  300h dc1 1 0 1\t\n"  // noted by its line as written, trimmed
                   "200H XX 1 0 1\n"       // no list of this section: no entry
                   "#REGBYTE\n"
                   "120H R 0FFH\n"         // a register of the view, not of a list
                   "#CALCULATE\n";
  for (int i = 0; i < 20; ++i) def += "10H DC 1 0 1\n";
  def += "200H DC 1 0 1\n";  // the full list takes no entry
  ASSERT_TRUE(Parse(def));
  const auto& noted = parser->CelllessListLines();
  ASSERT_EQ(noted.size(), 1);
  EXPECT_EQ(noted[0].Number, 2);
  EXPECT_EQ(noted[0].Text, "300h dc1 1 0 1");
  EXPECT_EQ(g->IQRegCounts[IQ_CapDC1], 1);
  ASSERT_TRUE(Parse("#CAPTEST\n10H AC 1 0 1\n"));
  EXPECT_TRUE(parser->CelllessListLines().isEmpty());
}

TEST_F(ChipDefinitionParse, BankAndPageFallBackWhenTheyPointAtNothing) {
  struct Case {
    uint8_t bank, page;
    uint8_t bankAfter, pageAfter;
  };
  const Case cases[] = {{1, 1, 1, 1}, {2, 2, 0, 0}, {7, 6, 0, 0}, {0, 0, 0, 0}};
  for (const Case& c : cases) {
    g->RamBank = c.bank;
    g->BitPage = c.page;
    ASSERT_TRUE(Parse("#RAMBANK1\n180H 1FFH\n#REGBIT1\n01H R1 A B C D E F G H\n"));
    EXPECT_EQ(g->RamBank, c.bankAfter) << int(c.bank);
    EXPECT_EQ(g->BitPage, c.pageAfter) << int(c.page);
  }
}

TEST_F(ChipDefinitionParse, MalformedDefinitionsDoNotHurt) {
  QByteArray def = "garbage before any section 12H\n"
                   "#REGBIT\n"
                   "800H TOOHIGH A B C D E F G H\n"  // beyond the tables: left out
                   "-5 NEGATIVE\n"
                   "\t\t\n"
                   "#REGBYTE\n7FFFFFFFH HUGE 0FFH\n"
                   "#REGWORD\n10H ONLYNAME\n"
                   "#OP0S\n55H ENOP 200 0 A B C D\n"
                   "#ADC0S\n56H VDDAX 99 0\n57H IN1P 31\n"
                   "#REGBIT\n";
  def += QByteArray(5000, 'X') + "\n";
  const char binary[] = "\x01\x02\xff\xfe binary\n";
  def += QByteArray(binary, sizeof binary - 1);
  for (int i = 0; i < 600; ++i) def += "01H R1 A B C D E F G H\n";
  ASSERT_TRUE(Parse(def));
  EXPECT_EQ(g->RegBitList->Count(), 512);
  // The long and the binary line repeat the last good number (31), so they count too.
  EXPECT_EQ(g->BitPageCount[1], 602);
  EXPECT_EQ(g->RegIsBit[0x1FF], 0);
  EXPECT_EQ(g->ByteRegCount, 0);
  EXPECT_EQ(g->WordRegCount, 1);  // 10H with masks and low address from the running number
  EXPECT_EQ(F(FieldId::ENOP_OP).Width, 200);
  EXPECT_EQ(F(FieldId::VDDAX).Width, 99);
}

TEST_F(ChipDefinitionParse, AFolderInTheIncludeFilesPlaceCannotBeRead) {
  // Not a missing file, which would pass in silence: a file that cannot be read.
  Write("MxSel.INC", "T.INC A B\r\n");
  QDir(dir.path()).mkpath("Include/T.INC");
  EXPECT_THROW(parser->GetSELUP(), EInOutError);
  EXPECT_EQ(rec.events, (QStringList{"started", "opened"}));
  EXPECT_EQ(parser->KeywordLines(), 0);
}

TEST(ProductList, ItemsFromTheProductList) {
  QTemporaryDir dir;
  EXPECT_EQ(ProductListItems(dir.path()).size(), 64);
  EXPECT_EQ(ProductListItems(dir.path()).at(1), "40Q27  (8k)");
  QFile f(dir.filePath("MxSel.INC"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("mx7406.inc mx7406 16k extra\r\nb.inc B\r\nAB second stop\r\nlater.inc X Y\r\n");
  f.close();
  EXPECT_EQ(ProductListItems(dir.path()), (QStringList{"MX7406  16K", "B  "}));
}

}  // namespace
