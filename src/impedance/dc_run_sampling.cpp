#include "impedance/dc_run_sampling.h"

namespace {
constexpr int SettlingSamples = 13;
}

bool DropsSettlingPacket(int& seen, int left) {
  if (seen >= SettlingSamples) return false;
  seen += left;
  return true;
}

DcTakeResult DcGrouping::Take(int32_t s, int left) {
  DcTakeResult r;
  if (DropsSettlingPacket(Seen, left)) {
    r.What = DcTake::DropPacket;
    return r;
  }
  if (K % N != N - 1) {
    Sum += s;
    ++K;
    ++Seen;
    return r;
  }
  if (!Reached) {
    r.RestartClock = true;
    if (UseThreshold && s < Threshold) {
      r.What = DcTake::BelowThreshold;
      return r;
    }
    Reached = true;
  }
  Sum += s;
  r.Average = Sum / N;
  Sum = 0;
  // The sample completes its group either way: an average of 0 gives no row, and the
  // next group starts empty with N fresh samples.
  ++K;
  ++Seen;
  r.What = r.Average == 0 ? DcTake::ZeroGroup : DcTake::Group;
  return r;
}
