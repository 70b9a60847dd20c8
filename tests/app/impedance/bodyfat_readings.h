#pragma once
// Scripted demodulator readings for the body-fat window's jobs, whatever the chip is set
// to, in the order the program takes them: "Calculate" one reading, of the reference
// resistor; "Impedance Test" the samples of channel 1, then those of channel 2 and so
// on; "Auto Test", for each sample of each channel of each pair, one reading of the
// reference (the sample's calibration), then one of the channel.

#include <cstdint>
#include <functional>
#include <utility>

#include "impedance/impedance_fixture.h"
#include "sim/sim_board.h"

using IQ = std::pair<double, double>;
// The reading of a channel (0: the reference resistor) at a sample of that channel's
// run (0-based, counted from the channel's first sample).
using ChannelReadings = std::function<IQ(int channel, int sample)>;
// Reading n of a job (0-based, counted from its start).
using JobReadings = std::function<IQ(uint64_t n)>;

// The readings the tests take unless they choose others: the reference 300 + 400j,
// channel 1 600 + 800j, channel 2 -300 + 400j, channel 3 150 + 200j, any later one 1.
inline IQ UsualReading(int channel, int) {
  switch (channel) {
    case 0: return {300, 400};
    case 1: return {600, 800};
    case 2: return {-300, 400};
    case 3: return {150, 200};
    default: return {1, 0};
  }
}

// A calibration by "Calculate".
inline JobReadings CalculateReadings(ChannelReadings r = UsualReading) {
  return [r](uint64_t n) { return r(0, static_cast<int>(n)); };
}
// An impedance run of `samples` a channel.
inline JobReadings RunReadings(int samples, ChannelReadings r = UsualReading) {
  return [r, samples](uint64_t n) {
    const auto per = static_cast<uint64_t>(samples);
    return r(1 + static_cast<int>(n / per), static_cast<int>(n % per));
  };
}
// An automatic test of `channels` channels of `samples` each, pair after pair.
inline JobReadings AutoTestReadings(int samples, int channels, ChannelReadings r = UsualReading) {
  return [r, samples, channels](uint64_t n) {
    const auto sample = static_cast<int>(n / 2);
    return r(n % 2 ? 1 + sample / samples % channels : 0, sample % samples);
  };
}

// Every reading of the board from now from `job(n)`, n counted from now.
inline void ScriptReadings(SimBoard& board, JobReadings job) {
  const uint64_t from = board.iqConversions;
  board.iqSource = [job = std::move(job), from](uint64_t n) {
    const auto [i, q] = job(n - from);
    return std::pair<uint32_t, uint32_t>{IqWord(i), IqWord(q)};
  };
}
