// The scan firmware of the switched ADC channel test: the scan table, the two board
// registers A4h and D2h, the scan and the fetch of its results.
#include <algorithm>

#include "sim/sim_board.h"

namespace {
constexpr uint8_t kScanPage = 0x01;
constexpr uint8_t kRegScan = 0xA4;
constexpr uint8_t kRegReady = 0xD2;
constexpr uint8_t kStartBit = 0x10;
constexpr uint8_t kFetchBit = 0x08;
constexpr uint8_t kReadyBit = 0x80;
// Table offsets within page 1.
constexpr int kStepLen = 0x20, kLoops = 0x22, kChannels = 0x24, kFetchOffset = 0x70, kFetchLength = 0x73;
constexpr int kMaxFetch = 48;
// The board's result memory holds eight blocks of 64 samples for 256 rounds.
constexpr size_t kMaxSamples = 8 * 64 * 256;

// One read of a busy bit: it stays set while reads are left (for ever when negative).
void BusyRead(uint8_t& reg, uint8_t bit, int& left) {
  if (!(reg & bit) || left < 0) return;
  if (left > 0) --left;
  if (left == 0) reg &= ~bit;
}
}  // namespace

void SimBoard::BoardWrite(int page, uint8_t wire, uint8_t value) {
  if (page == kScanPage) {
    scanTable[wire] = value;
  } else if (wire == kRegReady) {
    boardRegD2 = value;
    d2_busy_ = BusyReads(FirmwareFault::D2Busy);
    if (d2_busy_ == 0) boardRegD2 &= ~kReadyBit;
  } else if (wire == kRegScan) {
    boardRegA4 = value;
    if (value & kStartBit) StartScan();
    if (value & kFetchBit) FetchResults();
  } else {
    boardRegs[wire] = value;
  }
}

uint8_t SimBoard::BoardRead(int page, uint8_t wire) {
  if (page == kScanPage) return scanTable[wire];
  if (wire == kRegReady) {
    const uint8_t value = boardRegD2;
    BusyRead(boardRegD2, kReadyBit, d2_busy_);
    return value;
  }
  if (wire == kRegScan) {
    const uint8_t value = boardRegA4;
    BusyRead(boardRegA4, kFetchBit, fetch_busy_);
    return value;
  }
  return boardRegs[wire];
}

void SimBoard::StartScan() {
  ++scansStarted;
  const int blocks = std::min<int>(scanTable[kChannels], 8);
  const int stepLen = scanTable[kStepLen];
  int rounds = scanTable[kLoops] | (scanTable[kLoops + 1] << 8);
  if (blocks * stepLen > 0) rounds = std::min<int>(rounds, static_cast<int>(kMaxSamples / (blocks * stepLen)));
  scanResults.clear();
  for (int r = 0; r < rounds; ++r)
    for (int b = 0; b < blocks; ++b)
      for (int i = 0; i < stepLen; ++i) {
        const uint32_t v = static_cast<uint32_t>(scanSource ? scanSource(b, r, i) : (b + 1) * 0x10000 + r * 0x100 + i);
        for (int k = 0; k < 3; ++k) scanResults.push_back(static_cast<uint8_t>(v >> (8 * k)));
      }
  boardStatus[0] &= ~scanDoneBits;
  scan_running_ = true;
  scan_polls_left_ = BusyReads(FirmwareFault::SlowScan);
}

// Each board-status request looks at the running scan first.
void SimBoard::ScanStatusPoll() {
  if (!scan_running_ || scan_polls_left_ < 0) return;
  if (scan_polls_left_ > 0) {
    --scan_polls_left_;
    return;
  }
  scan_running_ = false;
  boardRegA4 &= ~kStartBit;
  boardStatus[0] |= scanDoneBits;
}

void SimBoard::FetchResults() {
  const size_t offset = scanTable[kFetchOffset] | (scanTable[kFetchOffset + 1] << 8) | (scanTable[kFetchOffset + 2] << 16);
  const int length = std::min<int>(scanTable[kFetchLength], kMaxFetch);
  for (int i = 0; i < length; ++i) scanTable[i] = offset + i < scanResults.size() ? scanResults[offset + i] : 0;
  fetch_busy_ = BusyReads(FirmwareFault::FetchBusy);
  if (fetch_busy_ == 0) boardRegA4 &= ~kFetchBit;
}
