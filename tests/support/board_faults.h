#pragma once
// What real boards do to a job part-way: the reply of one command fails, comes empty,
// comes cut short, does not come, comes too late, or the board is pulled out once the
// command ran. In each case the command reached the board and ran; only its answer is
// lost. Each is tried on a driver board and on a HID board.

#include <cstdio>
#include <string>
#include <vector>

#include "sim/sim_board.h"

inline const char* FaultName(BoardFault f) {
  switch (f) {
    case BoardFault::FailedTransfer: return "reply failed";
    case BoardFault::EmptyReply: return "reply empty";
    case BoardFault::ShortReply: return "reply short";
    case BoardFault::Unplugged: return "unplugged after it";
    case BoardFault::Silent: return "no reply";
    case BoardFault::LateReply: return "reply late";
  }
  return "";
}

// The ways a command's reply is lost that every job is tried with.
inline constexpr BoardFault AllReplyFaults[] = {BoardFault::FailedTransfer, BoardFault::EmptyReply,
                                                BoardFault::ShortReply,     BoardFault::Unplugged,
                                                BoardFault::Silent,         BoardFault::LateReply};

// Arms `board` so that the k-th command from now (1-based) runs and its answer is
// lost as `fault` says; a short reply lacks the last byte its command answers with.
// Every command is one transfer out and one read in.
inline void FaultReplyOf(SimBoard& board, int k, BoardFault fault) {
  board.Arm(fault, {.after = fault == BoardFault::FailedTransfer ? 2 * k - 1 : k - 1,
                    .bytes = fault == BoardFault::ShortReply ? FaultSpan::AllButLastByte : 0});
}

// Whether `fault` loses the answer of `command`: a stream poll's reply short of its
// last byte still brings the samples before it, which the poll takes (the job goes on).
inline bool LosesTheAnswer(BoardFault fault, const std::vector<uint8_t>& command) {
  const bool poll = command.size() >= 2 && command[0] == 0xC4 && command[1] == 0x04;
  return !(poll && fault == BoardFault::ShortReply);
}

// The two kinds of board, each tried with every fault.
inline constexpr SimBoard::Kind BoardKinds[] = {SimBoard::Kind::Driver, SimBoard::Kind::Hid};

inline const char* KindName(SimBoard::Kind kind) { return kind == SimBoard::Kind::Driver ? "driver board" : "HID board"; }

// Makes `board` one board of `kind`: driver "Mxusb-0" or HID index 0.
inline void UseBoardKind(SimBoard& board, SimBoard::Kind kind) {
  board.RemoveAll();
  if (kind == SimBoard::Kind::Driver)
    board.AddDriverBoard(0);
  else
    board.AddHidBoard(0);
}

// Arms `board` so that the k-th command from now (1-based) never leaves: its outgoing
// transfer fails.
inline void FailCommandOf(SimBoard& board, int k) {
  board.Arm(BoardFault::FailedTransfer, {.after = 2 * (k - 1)});
}

// "R 7F 1": a chip register read of one register from 7Fh; "W 7F 02": a write of
// one register; anything else as hex bytes.
inline std::string PacketText(const std::vector<uint8_t>& p) {
  char text[32];
  if (p.size() >= 5 && p[0] == 0xC4 && p[1] == 0x01 && p[2] == 0xA0 && p.size() == p[4] + 5u) {
    std::snprintf(text, sizeof text, "R %02X %d", p[3], p[4]);
    return text;
  }
  if (p.size() == 8 && p[0] == 0xC4 && p[1] == 0x00 && p[2] == 0xA0 && p[4] == 1) {
    std::snprintf(text, sizeof text, "W %02X %02X", p[3], p[7]);
    return text;
  }
  std::string s;
  for (uint8_t b : p) {
    std::snprintf(text, sizeof text, "%s%02X", s.empty() ? "" : " ", b);
    s += text;
  }
  return s;
}

// Gives the simulated chip the shadow's values, so that a job's effect on the two can
// be compared from there.
inline void ChipFromShadow(SimChip& chip, const uint8_t* shadow) {
  for (int a = 0; a < 0x100; ++a) chip.Poke(a, shadow[a]);
  for (int a = 0x180; a < 0x200; ++a) chip.Poke(a, shadow[a]);
}

// The chip's addresses (registers 0..7Fh, RAM banks 80h..FFh and 180h..1FFh) where the
// shadow differs from the simulated chip, as "address: shadow/chip" texts.
inline std::vector<std::string> ShadowAgainstChip(const uint8_t* shadow, const SimChip& chip) {
  std::vector<std::string> out;
  auto check = [&](int a) {
    if (shadow[a] != chip.Peek(a)) {
      char text[32];
      std::snprintf(text, sizeof text, "%03Xh: %02X/%02X", a, shadow[a], chip.Peek(a));
      out.emplace_back(text);
    }
  };
  for (int a = 0; a < 0x100; ++a) check(a);
  for (int a = 0x180; a < 0x200; ++a) check(a);
  return out;
}
