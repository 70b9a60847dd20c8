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
  if (address < 0 || address >= XferBufSize) return false;
  up.G().XferBuf[address] = value;
  return up.WriteRegs(address, 1, 0);
}

namespace {
// The chip's cells: registers 0..7Fh, RAM bank 0 at 80h..FFh and bank 1 at 180h..1FFh.
bool IsChipCell(int address) { return address < 0x100 || (address >= 0x180 && address < 0x200); }
}  // namespace

std::optional<int> LoadRegisterLines(TMx_UP& up, const QStringList& lines) {
  if (!PutRegister(up, 0x7F, up.GetReg(0x7F, 0) & 0xFE) || !PutRegister(up, 0x3E, 0)) return 0;
  for (int i = 0; i < lines.size(); ++i) {
    std::optional<RegisterFileEntry> e = ParseRegisterFileLine(lines[i]);
    if (!e) continue;
    // An address that names no chip cell is kept in the shadow only.
    if (!IsChipCell(e->Address)) {
      up.SetRegShadow(e->Address, e->Value, 0);
      continue;
    }
    if (!up.WriteInOwnBank(e->Address, e->Value, false)) return i + 1;
  }
  return std::nullopt;
}

QString RegisterLoadFailText(int failedLine, const QStringList& lines) {
  if (failedLine < 1 || failedLine > lines.size())
    return QStringLiteral("Load REG Fail: the board did not answer; no line of the file was sent");
  return QStringLiteral("Load REG Fail at line %1 \"%2\": its write was not confirmed by the board, "
                        "and the lines after it were not sent")
      .arg(failedLine)
      .arg(lines[failedLine - 1].trimmed());
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
