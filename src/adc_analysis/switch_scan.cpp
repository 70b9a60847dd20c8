#include "adc_analysis/switch_scan.h"

#include <QSaveFile>
#include <algorithm>
#include <cstring>
#include <memory>

#include "common/errors.h"
#include "common/sample_decoding.h"
#include "common/waits.h"
#include "link/board_commands.h"
#include "platform/clock.h"

ScanSlot ScanSlotOf(int s, int stepLen, int channels) {
  const int perRound = stepLen * channels;
  if (stepLen <= 0 || perRound <= 0 || s < 0) return {0, 0};
  return {(s % perRound) / stepLen, (s / perRound) * stepLen + s % stepLen};
}

// ---- board exchanges ----

bool SwitchScanLink::Write(int address, const uint8_t* bytes, int count) {
  Globals& g = b_.G();
  if (address < 0 || count < 0 || address + count > XferBufSize) return false;
  std::memcpy(g.XferBuf + address, bytes, count);
  return b_.WriteBoardMem(address, count);
}

bool SwitchScanLink::Write(int address, std::initializer_list<uint8_t> bytes) {
  return Write(address, bytes.begin(), static_cast<int>(bytes.size()));
}

bool SwitchScanLink::Read(int address, int count) { return b_.ReadBoardMem(address, count); }

uint8_t SwitchScanLink::Value(int address) const {
  return address >= 0 && address < XferBufSize ? b_.G().XferBuf[address] : 0;
}

bool SwitchScanLink::Modify(int address, uint8_t clear, uint8_t set) {
  if (!Read(address, 1)) return false;
  const uint8_t v = static_cast<uint8_t>((Value(address) & ~clear) | set);
  return Write(address, &v, 1);
}

BitWait SwitchScanLink::WaitBitClear(int address, uint8_t bit) {
  Clock& clock = b_.ClockSource();
  const int64_t t0 = clock.SteadyUs();
  for (int polls = 1;; ++polls) {
    if (!Read(address, 1)) return BitWait::Failed;
    if (!(Value(address) & bit)) return BitWait::Cleared;
    if (polls >= MaxBitPolls || clock.SteadyUs() - t0 > BitWaitUs) return BitWait::TimedOut;
  }
}

bool SwitchScanLink::BoardStatus(uint8_t& s1) {
  uint8_t s2 = 0, s3 = 0;
  return b_.ReadBoardStatus(b_.G().Channels[0].Devc, s1, s2, s3);
}

bool SwitchScanLink::BoardName(QString& name) { return b_.ReadBoardName(b_.G().Channels[0].Devc, name); }

Clock& SwitchScanLink::ClockSource() { return b_.ClockSource(); }

bool SwitchScanLink::SendTable(const TSwitchChannel (&records)[8], int channels) {
  const uint8_t* addresses = records[0].RegAddr;
  if (!Write(scan_addr::RegAddr, addresses, 8) || !Read(scan_addr::RegAddr, 8)) return false;
  for (int i = 0; i < 8; ++i)
    if (Value(scan_addr::RegAddr + i) != addresses[i]) return false;
  uint8_t values[2][32];
  for (int r = 0; r < 8; ++r) std::copy_n(records[r].RegValue, 8, values[r / 4] + 8 * (r % 4));
  const uint16_t loops = records[0].LoopCount;
  Write(scan_addr::Values0, values[0], 32);
  Write(scan_addr::Values4, values[1], 32);
  Write(scan_addr::StepLen, {records[0].StepLen});
  Write(scan_addr::LoopCount, {static_cast<uint8_t>(loops & 0xFF), static_cast<uint8_t>(loops >> 8)});
  Write(scan_addr::Channels, {static_cast<uint8_t>(channels)});
  return true;
}

void SwitchScanLink::PT2OUTLOW() {
  if (Modify(scan_addr::Port1, 0, 0x08)) Modify(scan_addr::Port0, 0x08, 0);
}

// ---- the run ----

namespace {
template <typename F, typename... A>
void Call(const F& f, A&&... a) {
  if (f) f(std::forward<A>(a)...);
}

constexpr uint8_t kReadyBit = 0x80;
constexpr uint8_t kStartBit = 0x10;
constexpr uint8_t kFetchBit = 0x08;
constexpr uint8_t kModeBits = 0x60;
}  // namespace

ScanEnd RunSwitchScan(SwitchScanLink& link, TSwitchChannel (&records)[8], const ScanRunSettings& s,
                      const ScanRunHooks& hooks) {
  auto stopRequested = [&] { return hooks.StopRequested && hooks.StopRequested(); };
  auto fail = [&] {
    Call(hooks.Status, 2, kTestFail);
    Call(hooks.HideGauge);
    return ScanEnd::Failed;
  };
  // The board is ready for the table once it has cleared D2h bit 7.
  if (!link.Modify(scan_addr::Ready, 0, kReadyBit) || link.WaitBitClear(scan_addr::Ready, kReadyBit) != BitWait::Cleared)
    return fail();
  if (!link.SendTable(records, s.Channels)) return fail();

  const int stepLen = std::clamp(s.StepLen, 0, 64);
  const int channels = std::clamp(s.Channels, 0, 8);
  const int perRound = stepLen * channels;
  const int total = perRound * std::clamp(s.LoopCount, 0, 256);
  Call(hooks.Status, 2, kTestBegin);
  Call(hooks.ProcessMessages);

  link.Write(scan_addr::FetchOffset, {0, 0, 0});
  link.Modify(scan_addr::Ready, kModeBits, 0);
  link.Modify(scan_addr::Scan, kModeBits, kStartBit);

  // Once a second until the board reports the scan complete, a stop or a failed
  // request. The Stop panel stays live, so a slow board is not given up on.
  Clock& clock = link.ClockSource();
  const int64_t t0 = clock.SteadyUs();
  bool done = false;
  for (;;) {
    DelayMs(clock, 1000);
    Call(hooks.ProcessMessages);
    const int64_t elapsed = clock.SteadyUs() - t0;
    Call(hooks.Status, 1, QString::number(elapsed / 1'000'000));
    uint8_t s1 = 0;
    if (!link.BoardStatus(s1)) break;
    if (s1 & s.CompletionBit) {
      done = true;
      break;
    }
    if (stopRequested()) break;
  }
  if (!done) return fail();

  Call(hooks.Status, 2, kTestOk);
  Call(hooks.ShowGauge);
  int got = 0;
  bool fetchFailed = false;
  while (got < total) {
    const int m = std::min(total - got, FetchChunk);
    const int offset = 3 * got;
    // A failed exchange ends the fetch: stale buffer bytes are never taken as results.
    const bool fetched =
        link.Write(scan_addr::FetchOffset, {static_cast<uint8_t>(offset), static_cast<uint8_t>(offset >> 8),
                                            static_cast<uint8_t>(offset >> 16)}) &&
        link.Write(scan_addr::FetchLength, {static_cast<uint8_t>(3 * m), 0, 0}) &&
        link.Modify(scan_addr::Scan, 0, kFetchBit) &&
        link.WaitBitClear(scan_addr::Scan, kFetchBit) == BitWait::Cleared && link.Read(scan_addr::Results, 3 * m);
    if (!fetched) {
      fetchFailed = true;
      break;
    }
    uint8_t bytes[3 * FetchChunk];
    for (int i = 0; i < 3 * m; ++i) bytes[i] = link.Value(scan_addr::Results + i);
    for (int i = 0; i < m; ++i, ++got) {
      const ScanSlot slot = ScanSlotOf(got, stepLen, channels);
      std::vector<int32_t>& results = records[slot.record].Results;
      if (slot.index < static_cast<int>(results.size())) results[slot.index] = DecodeLowFirst24(bytes + 3 * i, s.Divisor);
    }
    Call(hooks.SetGauge, got * 100 / total);
    Call(hooks.ProcessMessages);
    if (stopRequested()) break;
  }
  if (fetchFailed) {
    Call(hooks.Status, 2, kTestFail);
    return ScanEnd::FetchFailed;
  }
  return ScanEnd::Fetched;
}

// ---- result files ----

QString SwitchResultName(int k) { return QStringLiteral("MxADCSW%1.CSV").arg(k); }

QStringList SwitchResultLines(const TSwitchChannel& record, int stepLen, int loopCount) {
  QStringList header;
  for (int i = 0; i < stepLen; ++i) header << QStringLiteral("Data %1").arg(i);
  QStringList lines{"  , " + header.join(", ")};
  const int size = static_cast<int>(record.Results.size());
  for (int r = 1; r <= loopCount; ++r) {
    QStringList fields{QString::number(r)};
    for (int i = 0; i < stepLen; ++i) {
      const int index = (r - 1) * stepLen + i;
      fields << QString::number(index < size ? record.Results[index] : 0);
    }
    lines << fields.join(", ");
  }
  return lines;
}

int WriteSwitchResultFiles(const QString& folder, const TSwitchChannel (&records)[8], int stepLen, int loopCount) {
  // Each file goes to a temporary beside it; only when all eight are written are they
  // renamed over the old ones, so a failure leaves the previous set whole.
  std::unique_ptr<QSaveFile> files[8];
  for (int k = 0; k < 8; ++k) {
    files[k] = std::make_unique<QSaveFile>(folder + SwitchResultName(k));
    if (!files[k]->open(QIODevice::WriteOnly)) return k;
  }
  for (int k = 0; k < 8; ++k) {
    QByteArray data;
    for (const QString& line : SwitchResultLines(records[k], stepLen, loopCount)) data += line.toLatin1() + "\r\n";
    QSaveFile& f = *files[k];
    if (f.write(data) != data.size() || !f.flush())
      throw EInOutError("Cannot write file \"" + f.fileName() + "\". " + f.errorString());
  }
  for (int k = 0; k < 8; ++k)
    if (!files[k]->commit())
      throw EInOutError("Cannot write file \"" + files[k]->fileName() + "\". " + files[k]->errorString());
  return -1;
}
