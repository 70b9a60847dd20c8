#include "adc_analysis/single_value.h"

#include <cmath>

#include "common/sample_decoding.h"
#include "link/board_commands.h"
#include "platform/clock.h"

void BuildSingleValueCommand(uint8_t* p, const SingleValueRequest& r) {
  p[0] = r.Photo ? 0xBE : 0xBA;
  p[1] = r.LinkKind == 2 ? 1 : 0;
  p[2] = r.Combination >= 0 && r.Combination <= 3 ? static_cast<uint8_t>(r.Combination) : 0;
  p[3] = static_cast<uint8_t>(r.Address & 0xFF);
  p[4] = static_cast<uint8_t>((r.Address >> 8) & 0xFF);
  p[5] = 0xF0;
  p[6] = 0x00;
  p[7] = 0x08;
  p[8] = 0x64;
}

int32_t CombineReading(int combination, int32_t a, int32_t b) {
  switch (combination) {
    case 1:
    case 2:
      return a - b;
    case 3:
      return (a - b) / 2;  // truncated toward zero
    default:
      return a;
  }
}

bool RetADCValue(BoardCommands& board, const SingleValueRequest& r, int& value) {
  Globals& g = board.G();
  Devc& d = g.Channels[0].Devc;
  BuildSingleValueCommand(g.PacketBuf, r);
  if (!board.Transport().SendPacket(d, SingleValueCommandLength) ||
      !board.Transport().ReceivePacket(d, SingleValueReplyLength, SingleValueReplyLength))
    return false;
  const int32_t a = DecodeLowFirst24(g.PacketBuf + 1, r.Divisor);
  const int32_t b = DecodeLowFirst24(g.PacketBuf + 4, r.Divisor);
  value = CombineReading(r.Combination, a, b);
  return g.PacketBuf[0] == 0xFA;
}

std::optional<QString> PreviewCaption(int mode, int32_t reading, int calValue, int calReading) {
  if (mode != 1) return QString::number(reading);
  if (calReading == 0) return std::nullopt;
  const long double v = std::floor(static_cast<long double>(reading) * calValue * 100 / calReading);
  return QString::number(static_cast<double>(v), 'f', 0);
}

void CalibrationReadings(BoardCommands& board, const SingleValueRequest& request, int& reading) {
  Clock& clock = board.ClockSource();
  for (int n = 0; n < 3; ++n) {
    const int64_t t0 = clock.SteadyUs();
    while (!RetADCValue(board, request, reading) && clock.SteadyUs() - t0 <= 2'000'000) clock.SleepUs(10'000);
  }
}
