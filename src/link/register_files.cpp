#include "link/register_files.h"

#include "common/globals.h"
#include "common/line_tokens.h"
#include "common/number_text.h"
#include "link/mx_up.h"

uint8_t ShadowAt(const Globals& g, int address) {
  return address >= 0 && address < RegShadowSize ? g.Channels[0].RegShadow[address] : 0;
}

QStringList RegisterFileLines(const Globals& g) {
  QStringList lines;
  for (int a = 0; a < RegIsBitSize; ++a)
    if (g.RegIsBit[a])
      lines << IntToHexW(static_cast<uint16_t>(a), 3) + "H " + IntToHexW(ShadowAt(g, a), 3) + "H";
  return lines;
}

QStringList RamArrayFileLines(const Globals& g) {
  QStringList lines;
  for (int b = 0; b < 2; ++b) {
    lines << QStringLiteral("unsigned char Bank%1_Array[128]={").arg(b);
    for (int line = 0; line < 8; ++line) {
      QString text;
      for (int i = 0; i < 16; ++i) {
        const int a = b * 256 + 0x80 + 16 * line + i;
        const bool last = line == 7 && i == 15;
        const uint8_t mask = g.RegMask[a];
        text += mask ? "0x" + IntToHexW(ShadowAt(g, a) & mask, 2) : QStringLiteral("-");
        if (!last) text += ',';
      }
      lines << text;
    }
    lines << "};" << QString();
  }
  return lines;
}

std::optional<RegisterFileEntry> ParseRegisterFileLine(const QString& line) {
  LineRec rec;
  SetLineText(rec, UpperAscii(line));
  int32_t address = 0;
  int32_t value = 0;
  if (!ParseNumber(LineWord(rec, 1), address) || !ParseNumber(LineWord(rec, 2), value)) return std::nullopt;
  return RegisterFileEntry{static_cast<uint16_t>(address), static_cast<uint8_t>(value)};
}

bool PutRegister(TMx_UP& up, int address, uint8_t value) {
  return up.PutCell(address, value, 0, false) == BoardCommands::CellWrite::Done;
}

std::optional<RegisterLoadFailure> LoadRegisterLines(TMx_UP& up, const QStringList& lines) {
  using Cell = BoardCommands::Cell;
  using CellWrite = BoardCommands::CellWrite;
  if (!PutRegister(up, BankRegister, up.GetReg(BankRegister, 0) & 0xFE) || !PutRegister(up, 0x3E, 0))
    return RegisterLoadFailure{};
  for (int i = 0; i < lines.size(); ++i) {
    std::optional<RegisterFileEntry> e = ParseRegisterFileLine(lines[i]);
    if (!e || e->Address >= RegShadowSize) continue;
    const uint8_t bank = up.GetReg(BankRegister, 0) & 0x01;
    const CellWrite w = up.PutCell(e->Address, e->Value, 0, false);
    if (w == CellWrite::Done) continue;
    RegisterLoadFailure f{i + 1, w, -1};
    // A RAM line of the other bank had 7Fh switched for it: the chip stays there when
    // the switch went out and 7Fh was not put back.
    const Cell cell = BoardCommands::CellAt(e->Address);
    const int lineBank = cell == Cell::Bank1 ? 1 : 0;
    const bool switched = (cell == Cell::Bank0 || cell == Cell::Bank1) && lineBank != bank;
    if (switched && (w == CellWrite::NotPutBack || (up.GetReg(BankRegister, 0) & 0x01) != bank)) f.BankLeft = lineBank;
    return f;
  }
  return std::nullopt;
}

QString RegisterLoadFailText(const RegisterLoadFailure& failure, const QStringList& lines, const QString& file) {
  using CellWrite = BoardCommands::CellWrite;
  const QString where = file.isEmpty() ? QString() : " in " + file;
  const int line = failure.Line;
  if (line < 1 || line > lines.size())
    return "Load REG Fail" + where + ": the board did not answer; no line of the file was sent";
  QString what;
  switch (failure.How) {
    case CellWrite::Unconfirmed: what = QStringLiteral("its write was not confirmed by the board"); break;
    case CellWrite::NotPutBack: what = QStringLiteral("the line was written, but register 7Fh was not put back"); break;
    default: what = QStringLiteral("the line did not reach the chip"); break;
  }
  if (failure.BankLeft >= 0) what += QStringLiteral(" (the chip may be left on bank %1)").arg(failure.BankLeft);
  // One pass over the placeholders: a file name or line holding "%1" stays as it is.
  return QStringLiteral("Load REG Fail%1 at line %2 \"%3\": %4, and the lines after it were not sent")
      .arg(where, QString::number(line), lines[line - 1].trimmed(), what);
}

std::array<uint8_t, 256> RamArrayFileBytes(const QStringList& lines) {
  std::array<uint8_t, 256> bytes{};
  auto hexPair = [](const QString& line, int at) -> uint8_t {
    if (at + 2 > line.size()) return 0;
    return static_cast<uint8_t>(HexStrToInt(line.mid(at, 2)));
  };
  // Line 1 is bank 0's header; three lines (closing, empty, bank 1's header) lie between.
  for (int bank = 0; bank < 2; ++bank)
    for (int r = 0; r < 8; ++r) {
      const int index = (bank == 0 ? 1 : 12) + r;
      const QString line = index < lines.size() ? lines[index] : QString();
      for (int j = 0; j < 8; ++j) {
        bytes[128 * bank + 16 * r + 2 * j] = hexPair(line, 10 * j + 2);
        bytes[128 * bank + 16 * r + 2 * j + 1] = hexPair(line, 10 * j + 7);
      }
    }
  return bytes;
}
