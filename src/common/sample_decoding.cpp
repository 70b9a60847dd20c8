#include "common/sample_decoding.h"

uint32_t Word24(const uint8_t* b) { return (uint32_t{b[0]} << 16) | (uint32_t{b[1]} << 8) | b[2]; }

uint32_t RawSample(const uint8_t* reply, int group, uint8_t mode) {
  const uint8_t* g = reply + 1 + 3 * group;
  if (mode == 2) return (uint32_t{g[0]} << 8) | g[1];
  return Word24(g);
}

DecodedSample DecodeSample(uint32_t raw, bool adcFlag, bool tempFlag, int divisor) {
  if (divisor < 1) divisor = 1;
  raw &= 0xFFFFFF;
  int32_t s;
  if (raw < 0x800000) {
    s = adcFlag ? static_cast<int32_t>(raw >> 1) : static_cast<int32_t>(raw);
  } else {
    int32_t signedRaw = static_cast<int32_t>(raw) - 0x1000000;
    s = tempFlag ? signedRaw : (signedRaw >> 1);  // arithmetic shift: top bits stay set
  }
  // C++ division truncates toward zero on both signs, as -((-s) div D) does.
  return {s, s / divisor};
}

double DecodeIqWord(uint32_t raw) {
  double v = static_cast<double>(raw & 0xFFFFFF) / 2.0;
  if (v >= 4194304.0) v -= 8388608.0;
  return v;
}

int32_t DecodeLowFirst24(const uint8_t* b, int divisor) {
  const int32_t d = divisor < 1 ? 1 : divisor;
  const int32_t x = b[0] | (b[1] << 8) | (b[2] << 16);
  return x < 0x800000 ? x / d : -((0x1000000 - x) / d);
}
