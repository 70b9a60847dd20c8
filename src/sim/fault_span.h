#pragma once
// Where an armed fault starts and how long it lasts, and the count that decides which
// of the events a fault names (transfers, commands, reads, answers) it hits. The
// board's transport faults, its firmware's misbehaviours and the instruments' are each
// armed by name with one.

#include <cstddef>
#include <cstdint>
#include <map>

// `after` more events go as normal, then the next `count` are hit (all of them until
// cleared when UntilCleared). The other members say how a hit goes, for the faults
// that name them.
struct FaultSpan {
  static constexpr int UntilCleared = -1;
  // ShortReply: each reply keeps all but the last of the bytes its command answers with.
  static constexpr size_t AllButLastByte = static_cast<size_t>(-1);
  int after = 0;
  int count = 1;
  size_t bytes = 0;    // the bytes a reply or an answer keeps, or its first piece holds
  int reads = 0;       // the reads a busy bit stays set, or the status polls a scan takes (UntilCleared: for ever)
  uint8_t status = 0;  // the status byte of the replies hit
  int gapMs = 0;       // the time between an answer's two pieces

  // Every event from now on until cleared, each hit as `how` says.
  static constexpr FaultSpan FromNowOn(FaultSpan how) {
    how.after = 0;
    how.count = UntilCleared;
    return how;
  }
  static constexpr FaultSpan FromNowOn() { return FromNowOn(FaultSpan{}); }
  // Every event from now on until cleared, a busy bit set for ever in each, a scan
  // never completing.
  static constexpr FaultSpan StuckFromNow() { return FromNowOn({.reads = UntilCleared}); }
};

// The faults of one enum armed on a device. Arming a fault again replaces its span.
template <typename Fault>
class ArmedFaults {
public:
  void Arm(Fault fault, const FaultSpan& span) {
    armed_[fault] = {span, span.after, span.count < 0 ? FaultSpan::UntilCleared : span.count};
  }
  // Counts one event of `fault`: the span it was armed with when the fault hits the
  // event, else null.
  const FaultSpan* Hit(Fault fault) {
    auto it = armed_.find(fault);
    if (it == armed_.end()) return nullptr;
    Armed& a = it->second;
    if (a.left == 0) return nullptr;
    if (a.after > 0) {
      --a.after;
      return nullptr;
    }
    if (a.left > 0) --a.left;
    return &a.span;
  }
  void Clear() { armed_.clear(); }

private:
  struct Armed {
    FaultSpan span;
    int after = 0;
    int left = 0;
  };
  std::map<Fault, Armed> armed_;
};
