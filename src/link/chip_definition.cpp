#include "link/chip_definition.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstring>

#include "common/number_text.h"
#include "common/text_encoding.h"
#include "link/board_commands.h"
#include "link/field_table.h"

namespace K = ChipKeyword;

namespace {

QString WithSlash(QString dir) {
  dir = QDir::fromNativeSeparators(dir);
  if (!dir.isEmpty() && !dir.endsWith('/')) dir += '/';
  return dir;
}

struct Keyword {
  const char* word;
  uint16_t code;
  bool section;
};

constexpr Keyword kKeywords[] = {
    {"#PRODUCT", K::Product, true},       {"#REG0", K::Reg0, true},
    {"#REG1", K::Reg1, true},             {"#RAMBANK0", 7, true},
    {"#RAMBANK1", 8, true},               {"#RAMBANK2", 9, true},
    {"#RAMBANK3", 10, true},              {"#RAMBANK4", 11, true},
    {"#REGBIT", K::RegBit, true},         {"#REGBIT1", 13, true},
    {"#REGBIT2", 14, true},               {"#REGBIT3", 15, true},
    {"#REGBIT4", 16, true},               {"#REGBIT5", 17, true},
    {"#REGBYTE", K::RegByte, true},       {"#REGWORD", K::RegWord, true},
    {"#ADC0S", K::Adc0S, true},           {"#OP0S", K::Op0S, true},
    {"#DAC0S", K::Dac0S, true},           {"#ACTUALCLK", K::ActualClk, true},
    {"#ACCESS", K::Access, true},         {"#BODYFATPANEL", K::BodyfatPanel, true},
    {"#CALCULATE", K::Calculate, true},   {"#CAPTEST", K::CapTest, true},
    {"#FLUKE", K::Fluke, false},          {"#POWER", K::Power, false},
    {"#ENOB", K::Enob, false},            {"#CONTINUE", K::Continue, false},
    {"#CHAMBER", K::Chamber, false},      {"#REGISTERTEST", K::RegisterTest, false},
    {"#DCMODE", K::DcMode, false},        {"#AUTOLOAD", K::AutoLoad, false},
    {"#WAVEFORM", K::Waveform, false},    {"#IQTEST", K::IqTest, false},
    {"#BODYFAT", K::Bodyfat, false},      {"#LOADMX52K", K::LoadMx52k, false},
    {"#EKG", K::Ekg, false},              {"#SIMPLEACMODE", K::SimpleAcMode, false},
    {"#CATCHIQ", K::CatchIq, false},
};

bool IsSection(uint16_t code) {
  for (const Keyword& k : kKeywords)
    if (k.code == code) return k.section;
  return false;
}

// The result registers of "#ADC0S": read by address only, width and shift untouched.
bool IsResultRegister(FieldId id) {
  switch (id) {
    case FieldId::ADC1OH: case FieldId::ADC1OM: case FieldId::ADC1OL:
    case FieldId::ADCIOH: case FieldId::ADCIOM: case FieldId::ADCIOL:
    case FieldId::ADCQOH: case FieldId::ADCQOM: case FieldId::ADCQOL:
    case FieldId::DGCON1: case FieldId::SQRTH:  case FieldId::SQRTM:
    case FieldId::SQRTL:  case FieldId::ARCTANH: case FieldId::ARCTANL:
      return true;
    default:
      return false;
  }
}

// Register addresses the model's tables can hold.
bool InModel(int32_t address) { return address >= 0 && address < RegModelSize; }

// An entry of a folder whose name equals `name` without regard to case; empty when none.
QString FindEntry(const QString& folder, const QString& name, QDir::Filters kind) {
  if (name.isEmpty()) return {};
  const QStringList entries = QDir(folder).entryList(kind | QDir::Hidden | QDir::NoDotAndDotDot);
  for (const QString& e : entries)
    if (e.compare(name, Qt::CaseInsensitive) == 0) return e;
  return {};
}

}  // namespace

ChipDefinition::ChipDefinition(Globals& g, const QString& programDir)
    : g_(g), programDir_(WithSlash(programDir)) {}

uint16_t ChipDefinition::IsPseudo(const QString& word) {
  for (const Keyword& k : kKeywords)
    if (word == QLatin1String(k.word)) return k.code;
  return K::None;
}

QString ChipDefinition::FindIncludeFile(const QString& upperName) const {
  const QString folder = FindEntry(programDir_, QStringLiteral("Include"), QDir::Dirs);
  if (folder.isEmpty()) return {};
  const QString folderPath = programDir_ + folder + '/';
  // A folder, a FIFO or a device in the file's place is found too: it then fails to
  // read and is reported rather than passing for a missing file.
  const QString file = FindEntry(folderPath, upperName, QDir::Files | QDir::Dirs | QDir::System);
  return file.isEmpty() ? QString() : folderPath + file;
}

int32_t ChipDefinition::Number(const LineRec& line, int word) {
  ParseNumber(LineWord(line, word), number_);
  return number_;
}

bool ChipDefinition::GetSELUP() {
  std::fill(std::begin(g_.IQRegCounts), std::end(g_.IQRegCounts), 0);
  Tell([](ChipDefinitionListener& l) { l.ParseStarted(); });
  std::memset(g_.RegMask, 0, sizeof g_.RegMask);

  // The product's line of the product list names its include file.
  const QString listPath = WithSlash(g_.IncludeDir) + QStringLiteral("MxSel.INC");
  if (!QFile::exists(listPath)) return false;
  const QStringList products = ReadTextLines(listPath);
  const int index = g_.Channels[0].ProductIndex;
  LineRec productLine;
  SetLineText(productLine, UpperAscii(index < products.size() ? products[index] : QString()));
  const QString includePath = FindIncludeFile(LineWord(productLine, 1));
  if (includePath.isEmpty()) return false;

  uint16_t section = 0;
  number_ = 0;
  g_.Reg0Range = {};
  g_.Reg1Range = {};
  for (RegRange& r : g_.RamBankRanges) r = {};
  std::fill(std::begin(g_.BitPageCount), std::end(g_.BitPageCount), uint16_t{0});
  g_.ByteRegCount = 0;
  g_.WordRegCount = 0;
  Tell([](ChipDefinitionListener& l) { l.DefinitionOpened(); });
  seen_ = {};
  std::memset(g_.RegIsBit, 0, sizeof g_.RegIsBit);
  includePath_ = includePath;
  keywordLines_ = 0;
  celllessListLines_.clear();

  const QStringList lines = ReadTextLines(includePath);
  LineRec rec;
  lineNumber_ = 0;
  for (const QString& raw : lines) {
    ++lineNumber_;
    SetLineText(rec, UpperAscii(raw));
    const uint16_t code = IsPseudo(LineWord(rec, 1));
    if (code == K::None) {
      if (section != 0) DataLine(section, raw, rec);
      continue;
    }
    ++keywordLines_;
    if (IsSection(code)) {
      section = code;
      if (code == K::RegBit && g_.RegBitList) g_.RegBitList->Clear();
      if (code == K::RegByte && g_.RegByteList) g_.RegByteList->Clear();
      if (code == K::RegWord && g_.RegWordList) g_.RegWordList->Clear();
    }
    Tell([code](ChipDefinitionListener& l) { l.KeywordMet(code); });
  }

  // The views' bank and page fall back to 0 when they point at nothing.
  if (g_.RamBank >= RamBanks || g_.RamBankRanges[g_.RamBank].End == g_.RamBankRanges[g_.RamBank].Start)
    g_.RamBank = 0;
  if (g_.BitPage >= BitPages || (g_.BitPage >= 1 && g_.BitPageCount[g_.BitPage + 1] == 0)) g_.BitPage = 0;
  Tell([this](ChipDefinitionListener& l) { l.ParseEnded(seen_); });
  return true;
}

void ChipDefinition::DataLine(uint16_t section, const QString& raw, const LineRec& line) {
  if (section == K::Product) {
    // A line without words keeps the name; the register view's caption follows every line.
    if (LineTokenCount(line) > 0) g_.ProductName = LineWord(line, 1);
    Tell([this](ChipDefinitionListener& l) { l.ProductLine(g_.ProductName); });
    return;
  }
  if (LineTokenCount(line) == 0) return;
  switch (section) {
    case K::Reg0: RangeLine(g_.Reg0Range, line); break;
    case K::Reg1: RangeLine(g_.Reg1Range, line); break;
    case K::RegByte: ByteRegisterLine(line); break;
    case K::RegWord: WordRegisterLine(line); break;
    case K::ActualClk: ClockLine(line); break;
    case K::Access: Tell([&raw](ChipDefinitionListener& l) { l.AccessLine(raw); }); break;
    case K::Adc0S:
    case K::Op0S:
    case K::Dac0S:
    case K::BodyfatPanel: FieldLineOf(section, line); break;
    case K::Calculate:
    case K::CapTest: IqListLine(section, raw, line); break;
    default:
      if (section >= K::RamBank0 && section <= K::RamBank4) RamBankLine(section - K::RamBank0, line);
      else if (section >= K::RegBit && section <= K::RegBit5) BitRegisterLine(section - K::RegBit + 1, line);
      break;
  }
}

void ChipDefinition::RangeLine(RegRange& range, const LineRec& line) {
  range.Start = static_cast<uint16_t>(Number(line, 1));
  range.End = static_cast<uint16_t>(Number(line, 2));
}

void ChipDefinition::RamBankLine(int bank, const LineRec& line) {
  RegRange& r = g_.RamBankRanges[bank];
  RangeLine(r, line);
  if (r.End <= r.Start) return;
  // The mask table ends at 3FFh; a range reaching beyond it marks what lies inside.
  for (int a = r.Start; a <= r.End && a < RegModelSize; ++a) g_.RegMask[a] = 0xFF;
  Tell([bank](ChipDefinitionListener& l) { l.RamBankShown(bank); });
}

// Register lines whose address lies outside the model's 1024 entries are left out whole.
void ChipDefinition::BitRegisterLine(int page, const LineRec& line) {
  const int32_t a = Number(line, 1);
  if (!InModel(a)) return;
  g_.RegIsBit[a] = 1;
  g_.RegMask[a] = 0xFF;
  RegBitItem item;
  item.Name = LineWord(line, 2).left(RegNameMax);
  item.Address = static_cast<uint16_t>(a);
  for (int k = 0; k < 8; ++k) {
    const QString bit = LineWord(line, 3 + k);
    item.BitNames[k] = bit.left(RegNameMax);
    if (bit == QLatin1String("-")) g_.RegMask[a] &= static_cast<uint8_t>(~(1u << (7 - k)));
  }
  g_.RegShown[a] = 0;
  if (g_.RegBitList) g_.RegBitList->Add(item);
  g_.BitPageCount[page] += 1;
}

void ChipDefinition::ByteRegisterLine(const LineRec& line) {
  const int32_t a = Number(line, 1);
  if (!InModel(a)) return;
  const int c = g_.ByteRegCount;
  g_.RegMask[a] = static_cast<uint8_t>(Number(line, 3));
  const QString name = LineWord(line, 2);
  Tell([c, &name](ChipDefinitionListener& l) { l.ByteRegisterDeclared(c, name); });
  g_.RegShown[a] = 0;
  if (g_.RegByteList) g_.RegByteList->Add(RegByteItem{static_cast<uint16_t>(a), 0});
  g_.ByteRegCount += 1;
}

void ChipDefinition::WordRegisterLine(const LineRec& line) {
  const int32_t high = Number(line, 1);
  const int32_t highMask = Number(line, 5);
  const int32_t low = Number(line, 3);
  const int32_t lowMask = Number(line, 6);
  if (!InModel(high) || !InModel(low)) return;
  const int c = g_.WordRegCount;
  g_.RegMask[high] = static_cast<uint8_t>(highMask);
  const QString name = LineWord(line, 2);
  Tell([c, &name](ChipDefinitionListener& l) { l.WordRegisterDeclared(c, name); });
  g_.RegMask[low] = static_cast<uint8_t>(lowMask);
  g_.RegShown[high] = 0;
  g_.RegShown[low] = 0;
  if (g_.RegWordList)
    g_.RegWordList->Add(RegWordItem{static_cast<uint16_t>(high), static_cast<uint16_t>(low), 0});
  g_.WordRegCount += 1;
}

void ChipDefinition::ClockLine(const LineRec& line) {
  if (LineWord(line, 1) != QLatin1String("MHZ")) return;
  for (int k = 0; k < ClockTextCount; ++k)
    g_.ClockTexts[k] = QString::number(Number(line, k + 2)).left(ClockTextMaxChars);
}

void ChipDefinition::FieldLineOf(uint16_t section, const LineRec& line) {
  // Every "#ADC0S" line parses its address first, known name or not.
  if (section == K::Adc0S) Number(line, 1);
  FieldId id;
  if (!FindField(section, LineWord(line, 2), id)) return;
  TRegField& field = g_.Fields[id];
  if (section == K::Adc0S) {
    AdcFieldLine(id, line);
  } else {
    if (id == FieldId::OP1O || id == FieldId::OP1P) {
      // Only the two layouts the panel has: any other width leaves the descriptor as it was.
      const int32_t w = WordNumber(line, 3);
      if (id == FieldId::OP1O && w != 6 && w != 3) return;
      if (id == FieldId::OP1P && w != 8 && w != 7) return;
      if (id == FieldId::OP1P && w == 8) seen_.OP1P8 = true;
    }
    GetPanelChart(field, line);
    if (section == K::Op0S) {
      if (id == FieldId::RFB) seen_.RFB = true;
      if (id == FieldId::RFB2) seen_.RFB2 = true;
      if (id == FieldId::OP2NET1) seen_.OP2NET1 = true;
    } else if (section == K::Dac0S) {
      if (id == FieldId::DAOE) seen_.DAOE = true;
      if (id == FieldId::DAOE2) seen_.DAOE2 = true;
    }
  }
  const FieldLine fl{section, id, field, line};
  Tell([&fl](ChipDefinitionListener& l) { l.FieldLineRead(fl); });
}

void ChipDefinition::AdcFieldLine(FieldId id, const LineRec& line) {
  TRegField& field = g_.Fields[id];
  field.Address = static_cast<uint16_t>(number_);
  field.Defined = 1;
  if (IsResultRegister(id)) return;
  field.Width = static_cast<uint8_t>(Number(line, 3));
  field.Shift = static_cast<uint8_t>(Number(line, 4));
  const FieldLine fl{K::Adc0S, id, field, line};
  if (id == FieldId::AD1GN) {
    for (int k = 0; k < CaptionCount; ++k) g_.AD1GNCaptions[k] = fl.Caption(k).left(CaptionMaxChars);
  } else if (id == FieldId::VDDAX) {
    const int n = field.Width >= 3 ? CaptionCount : (1 << field.Width);
    for (int k = 0; k < n; ++k) g_.VDDAXCaptions[k] = fl.Caption(k).left(CaptionMaxChars);
  }
}

void ChipDefinition::IqListLine(uint16_t section, const QString& raw, const LineRec& line) {
  struct Name {
    uint16_t section;
    const char* word;
    int list;
  };
  static constexpr Name kLists[] = {
      {K::Calculate, "AC0", IQ_AC0}, {K::Calculate, "AC1", IQ_AC1}, {K::Calculate, "DC", IQ_DC},
      {K::Calculate, "DC1", IQ_DC1}, {K::CapTest, "AC", IQ_CapAC},  {K::CapTest, "DC", IQ_CapDC},
      {K::CapTest, "DC1", IQ_CapDC1},
  };
  const QString word = LineWord(line, 2);
  for (const Name& n : kLists) {
    if (n.section != section || word != QLatin1String(n.word)) continue;
    int& count = g_.IQRegCounts[n.list];
    // A full list (20 entries) leaves further lines out.
    if (count >= IQRegListSize) return;
    TRegField& entry = g_.IQRegLists[n.list][count];
    SetIQTest(entry, line);
    count += 1;
    // The entry stays; the line is noted, since applying it reaches the shadow alone.
    if (BoardCommands::CellAt(entry.Address) == BoardCommands::Cell::None)
      celllessListLines_.append({lineNumber_, raw.trimmed().left(LineRecMaxText)});
    return;
  }
}

QStringList BuiltInProductItems() {
  QStringList items;
  for (int i = 0; i < 16; ++i)
    items << QStringLiteral("40R27 (16k)") << QStringLiteral("40Q27  (8k)") << QStringLiteral("40Q26  (4k)")
          << QStringLiteral("40Q25  (2k)");
  return items;
}

QStringList ProductListItems(const QString& includeDir) {
  const QString path = WithSlash(includeDir) + QStringLiteral("MxSel.INC");
  if (!QFile::exists(path)) return BuiltInProductItems();
  QStringList items;
  LineRec rec;
  for (const QString& line : ReadTextLines(path)) {
    SetLineText(rec, UpperAscii(line));
    if (LineWord(rec, 1).size() < 3) break;
    items << LineWord(rec, 2) + QStringLiteral("  ") + LineWord(rec, 3);
  }
  return items;
}
