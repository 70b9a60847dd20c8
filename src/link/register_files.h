#pragma once
// The register dump (".reg") and the C-array export of RAM banks 0 and 1 (".ram"),
// built from the register shadow and the register model, and the loading of a
// register dump into the chip. No widget here.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "link/board_commands.h"

struct Globals;
class TMx_UP;

// The shadow of channel 0 as GetReg answers it: 0 outside 0..1023.
uint8_t ShadowAt(const Globals& g, int address);

// RegisterFile: one line per address 0..5FFh declared as a bit register, ascending,
// "07FH 001H" (three upper-case hex digits and "H" each).
QStringList RegisterFileLines(const Globals& g);

// RamArrayFile: for bank 0 then bank 1 a header, eight lines of 16 items "0xHH,"
// (the masked value; "-," where the mask is 0; the bank's last item without comma),
// "};" and an empty line: 22 lines.
QStringList RamArrayFileLines(const Globals& g);
// Reads a RamArrayFile by its fixed columns (characters 3-4 and 8-9 of each 10-character
// column): bytes 0..127 are bank 0 (80h..FFh), 128..255 bank 1 (180h..1FFh). Missing
// lines, short lines and foreign characters read as 0.
std::array<uint8_t, 256> RamArrayFileBytes(const QStringList& lines);

// One register line of a RegisterFile: the first word is the address, the second
// the value, each in the number syntax of ParseNumber ("07FH", "7FH" and "127" are
// the same register).
struct RegisterFileEntry {
  uint16_t Address = 0;  // low 16 bits of the number
  uint8_t Value = 0;     // low byte of the number
};
// A line upper-cased and tokenized; nothing for a line whose address or value word
// is missing or not a number (blank and comment lines).
std::optional<RegisterFileEntry> ParseRegisterFileLine(const QString& line);

// One byte into the cell its address names, alone (no read-back, no refresh), by the
// register API's rule (TMx_UP::PutCell): a RAM byte with its own bank selected and 7Fh
// put back, an address that names no chip cell in the shadow only; once its packet
// went out the shadow takes it. False when an exchange failed, without a link, or for
// an address outside the shadow.
bool PutRegister(TMx_UP& up, int address, uint8_t value);

// Where and how a Load REG ended before its end.
struct RegisterLoadFailure {
  int Line = 0;  // 1-based; 0 when 7Fh or 3Eh, written before the lines, failed
  BoardCommands::CellWrite How = BoardCommands::CellWrite::NotSent;
  int BankLeft = -1;  // the RAM bank the chip may be left on (7Fh switched for the line), else -1
};

// Load REG into the chip: 7Fh bit 0 cleared, 3Eh := 0, then per register line the
// value written into the cell its address names (PutRegister), one packet each,
// without read-back: a RAM byte of the bank 7Fh does not select goes with its own bank
// selected and 7Fh put back, an address that names no chip cell (100h..17Fh, 200h and
// above) is kept in the shadow only, and one beyond the shadow is skipped. The shadow
// takes a value once its packet went out. The first write that did not come through
// ends the load and is told back; nothing when every line was written. The caller
// refreshes the windows.
std::optional<RegisterLoadFailure> LoadRegisterLines(TMx_UP& up, const QStringList& lines);
// What the user is told about a load that ended at `failure`; `file`, when given, is
// named as the file that failed.
QString RegisterLoadFailText(const RegisterLoadFailure& failure, const QStringList& lines,
                             const QString& file = QString());
