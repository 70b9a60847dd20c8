#pragma once
// The memory view's marks and hints per address and its own ".ram" file of banks
// 0 and 1 (addresses 0..511), 2,048 lines: 512 value lines (two hex digits, "-"
// where no bit is implemented), then per address a line of the mark and hint flags
// (" 1 0"), a line with the mark colour (decimal) and a line with the hint text.
// No widget here.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

struct Globals;
class SettingsReader;

constexpr int MemoryMarkCount = 1024;
constexpr int MemoryViewFileAddresses = 512;

struct MemoryMarks {
  std::array<bool, MemoryMarkCount> Mark{};
  std::array<uint32_t, MemoryMarkCount> MarkColor{};  // 32-bit colour value, 00BBGGRR
  std::array<bool, MemoryMarkCount> Hint{};
  std::array<QString, MemoryMarkCount> HintText;
};

QStringList MemoryViewFileLines(const Globals& g, const MemoryMarks& marks);

// Reads a MemoryViewFile: each value line is stored with `store(address, value)`
// (the line as hex; 0 for an address without implemented bits), then `valuesDone`
// runs, then marks and hints are read into `marks`. A flag or colour that is not a
// number raises EInOutError there, with what came before already taken; past the
// end of the file numbers read as 0 and texts as empty.
void ReadMemoryViewFile(SettingsReader& file, const Globals& g, MemoryMarks& marks,
                        const std::function<void(int address, uint8_t value)>& store,
                        const std::function<void()>& valuesDone);
