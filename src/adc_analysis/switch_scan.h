#pragma once
// The board side of the switched ADC channel test, without widgets: the channel
// records, the scan table the program writes into the board, the board registers of
// the run, the completion wait and the fetch of the 24-bit results.
//
// Every exchange is a transfer to the board's own memory (WriteBoardMem and
// ReadBoardMem of the board commands): register transfers addressed to the board's
// bus, which no other command uses, so the chip never sees them and no register
// write of another window reaches the board. The bytes written go from XferBuf at
// packet byte 7 on, the bytes read come from reply byte 1 on; packet byte 5 carries
// the high byte of the board address (01h for the scan table at 100h..175h, 00h for
// the board registers A4h, D2h, 74h and 75h).

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class BoardCommands;
class Clock;

// The chip registers of one channel set-up, always in this order.
inline constexpr std::array<uint8_t, 11> SwitchRegList = {49, 50, 55, 60, 61, 62, 63, 64, 48, 73, 52};

// Results of one channel: index round x StepLen + sample.
constexpr int SwitchResultSize = 64 * 256;

struct TSwitchChannel {
  uint8_t RegAddr[11] = {};
  uint8_t RegValue[11] = {};
  uint8_t StepLen = 0;
  uint16_t LoopCount = 0;
  std::vector<int32_t> Results = std::vector<int32_t>(SwitchResultSize, 0);
};

// Board addresses of the scan table and the registers the run drives.
namespace scan_addr {
constexpr int Results = 0x100;      // up to 48 fetched bytes
constexpr int StepLen = 0x120;
constexpr int LoopCount = 0x122;    // two bytes, low first
constexpr int Channels = 0x124;
constexpr int RegAddr = 0x128;      // eight addresses, read back
constexpr int Values0 = 0x130;      // records 0..3, eight values each
constexpr int Values4 = 0x150;      // records 4..7
constexpr int FetchOffset = 0x170;  // 24 bits, low first
constexpr int FetchLength = 0x173;  // length, 0, 0
constexpr int Scan = 0xA4;          // bit 4 starts the scan, bit 3 requests a fetch
constexpr int Ready = 0xD2;         // bit 7 set, then waited for until clear
constexpr int Port0 = 0x74;
constexpr int Port1 = 0x75;
}  // namespace scan_addr

// Samples a fetch moves at most.
constexpr int FetchChunk = 16;

// Where sample s of a run lands: block j of every round belongs to record j.
struct ScanSlot {
  int record;
  int index;
};
ScanSlot ScanSlotOf(int s, int stepLen, int channels);

// A poll of a bit the board clears: how it ended.
enum class BitWait { Cleared, Failed, TimedOut };

// The run's board exchanges on channel 0.
class SwitchScanLink {
public:
  explicit SwitchScanLink(BoardCommands& board) : b_(board) {}

  // Writes count bytes to a board address; false when the transfer failed.
  bool Write(int address, const uint8_t* bytes, int count);
  bool Write(int address, std::initializer_list<uint8_t> bytes);
  // Reads count bytes; they are then at Value(address) ...
  bool Read(int address, int count);
  uint8_t Value(int address) const;
  // Reads one register and writes it back with bits cleared and set.
  bool Modify(int address, uint8_t clear, uint8_t set);
  // Reads a register until the bit is clear: a failed read, or a bit still set after
  // MaxBitPolls reads or BitWaitUs, ends the wait.
  BitWait WaitBitClear(int address, uint8_t bit);

  // The board status request (B5 07): its first status byte.
  bool BoardStatus(uint8_t& s1);
  // The board's firmware name (eight characters, zero bytes included).
  bool BoardName(QString& name);
  Clock& ClockSource();

  // The scan table of the eight records: the addresses of record 0 written and read
  // back, then the values, the step length, the round count and the channel count.
  // False when the address write or its read-back failed or differed.
  bool SendTable(const TSwitchChannel (&records)[8], int channels);
  // 75h bit 3 set, 74h bit 3 cleared; stops at the first failed exchange.
  void PT2OUTLOW();

  static constexpr int MaxBitPolls = 10'000;
  static constexpr int64_t BitWaitUs = 10'000'000;

private:
  BoardCommands& b_;
};

// What the window does for the run while it waits and fetches.
struct ScanRunHooks {
  std::function<void()> ProcessMessages;
  std::function<void(int panel, const QString& text)> Status;  // status-bar panels 1 and 2
  std::function<void()> ShowGauge;
  std::function<void(int percent)> SetGauge;
  std::function<void()> HideGauge;
  std::function<bool()> StopRequested;
};

struct ScanRunSettings {
  int StepLen = 4;
  int LoopCount = 1;
  int Channels = 0;          // checked channels, 0..8
  uint8_t CompletionBit = 0x20;
  int Divisor = 1;
};

enum class ScanEnd {
  Failed,      // "Test Fail" before anything was fetched
  Fetched,     // "Test OK": the results that came are stored (a stop keeps what was fetched)
  FetchFailed  // "Test Fail" during the fetch: the results fetched before are stored
};

inline const QString kTestBegin = QStringLiteral("Test Begining .......");
inline const QString kTestOk = QStringLiteral("Test OK");
inline const QString kTestFail = QStringLiteral("Test Fail");

// The run from the board's ready handshake on: the table, the scan start, the
// completion wait once a second (until the board reports the scan complete, a stop
// is requested or a status request fails: a slow board is waited for as long as the
// user lets it run) and the fetch into the records' Results.
ScanEnd RunSwitchScan(SwitchScanLink& link, TSwitchChannel (&records)[8], const ScanRunSettings& settings,
                      const ScanRunHooks& hooks);

// The header and the lines of the result file of one record.
QStringList SwitchResultLines(const TSwitchChannel& record, int stepLen, int loopCount);
// The name of record k's result file.
QString SwitchResultName(int k);
// Writes "MxADCSW0.CSV" .. "MxADCSW7.CSV" into the folder as one set: all eight are
// written to temporary files first and replace the old ones only when every one is
// written. When file k cannot be created, no file changes and k is returned; else
// -1. A failed write raises EInOutError naming the file, and no file changes. The
// renames come last: one that failed there would leave the files before it new.
int WriteSwitchResultFiles(const QString& folder, const TSwitchChannel (&records)[8], int stepLen, int loopCount);
