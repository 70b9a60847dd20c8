#pragma once
// Decoding of the board's sample groups (three bytes each, after the count byte of a
// stream poll reply) and of the I/Q demodulator's result words.

#include <cstdint>

// Raw value of group i of a poll reply: 16 bits in stream mode 2 (third byte
// ignored), 24 bits otherwise, high byte first.
uint32_t RawSample(const uint8_t* reply, int group, uint8_t mode);

struct DecodedSample {
  int32_t s;  // the value before the divisor
  int32_t v;  // s divided by the divisor, truncated toward zero
};

// ADC captures (adcFlag) halve positive 24-bit values; negative ones are sign
// extended and halved unless it is a temperature capture (tempFlag). 16-bit values
// of mode 2 lie below 800000h and so are never negative.
DecodedSample DecodeSample(uint32_t raw, bool adcFlag, bool tempFlag, int divisor);

// An I/Q result: the 24-bit two's-complement word halved (odd words give .5).
double DecodeIqWord(uint32_t raw);
// The 24-bit word at three bytes, high byte first.
uint32_t Word24(const uint8_t* bytes);

// A 24-bit two's-complement value the board sends low byte first (single-value
// replies, switched-test results), divided with truncation toward zero.
int32_t DecodeLowFirst24(const uint8_t* bytes, int divisor);
