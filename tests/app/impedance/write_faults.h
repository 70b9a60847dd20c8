#pragma once
// A job of the impedance windows run as the user runs it, with the reply of one of its
// commands lost as real boards lose them (failed, empty, the board pulled out after
// it). Where the fault goes is told by the packet a clean run of the same job sent
// there. After each, the shadow holds what the chip holds, the register and memory
// views show the shadow, the user was told, and the job ended.

#include <gtest/gtest.h>

#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "app/support/program_fixture.h"
#include "app/support/views_show_shadow.h"
#include "shell/main_panel.h"
#include "support/board_faults.h"

// The occurrence-th command (1-based; -1 the last, -2 the one before) whose packet
// begins with `prefix`, and what the user is to be shown then: the message boxes as
// "caption: text", none when the job was whole and only the status panel tells.
struct FaultPoint {
  const char* what;
  Bytes prefix;
  int occurrence;
  QStringList messages;
};

// How packets begin: a write or read of chip registers at a wire address.
inline Bytes RegisterWrite(int wireAddress) { return {0xC4, 0x00, 0xA0, static_cast<uint8_t>(wireAddress)}; }
inline Bytes RegisterRead(int wireAddress) { return {0xC4, 0x01, 0xA0, static_cast<uint8_t>(wireAddress)}; }

// The 1-based number of that command among `sent`; 0 when there is none.
inline int CommandNumber(const std::vector<Bytes>& sent, const Bytes& prefix, int occurrence) {
  std::vector<int> at;
  for (size_t i = 0; i < sent.size(); ++i)
    if (sent[i].size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), sent[i].begin()))
      at.push_back(static_cast<int>(i) + 1);
  const int n = static_cast<int>(at.size());
  const int index = occurrence > 0 ? occurrence - 1 : n + occurrence;
  return index >= 0 && index < n ? at[index] : 0;
}

// The shadow against the chip over every chip address, leaving out what the chip does
// by itself: the demodulator's results (06h..0Bh), which the shadow holds as last
// read, and the start bit of 0Fh, which the chip clears when its conversion ends.
inline std::vector<std::string> ShadowAgainstChipWrites(const uint8_t* shadow, SimChip chip) {
  for (int a = 0x06; a <= 0x0B; ++a) chip.Poke(a, shadow[a]);
  chip.Poke(0x0F, static_cast<uint8_t>((chip.Peek(0x0F) & ~0x04) | (shadow[0x0F] & 0x04)));
  return ShadowAgainstChip(shadow, chip);
}

// Base: a ProgramTest fixture with Messages(), the boxes shown since the last look.
template <class Base>
class WriteFaultTest : public Base {
protected:
  // `prepare` starts a new program, connected, in the state before the job; `job`
  // runs it as the user does; `ended` checks that it ended and gave the window back.
  // A clean run first gives the packets; then, for each point and each fault, the
  // job from the chip made equal to the shadow.
  void ExpectEachFaultTold(const std::function<void()>& prepare, const std::function<void()>& job,
                           const std::function<void()>& ended, const std::vector<FaultPoint>& points) {
    prepare();
    this->sim.board.ClearLog();
    job();
    const std::vector<Bytes> clean = this->Sent();
    ASSERT_TRUE(this->Messages().isEmpty());
    EXPECT_EQ(ViewsAgainstShadow(*this->prog), std::vector<std::string>{}) << "after the clean run";
    for (const FaultPoint& p : points) {
      const int k = CommandNumber(clean, p.prefix, p.occurrence);
      ASSERT_GT(k, 0) << p.what;
      for (BoardFault f : AllReplyFaults) {
        if (!LosesTheAnswer(f, clean[k - 1])) continue;
        SCOPED_TRACE(std::string(p.what) + ", " + FaultName(f) + ", command " + std::to_string(k));
        prepare();
        this->sim.board.ClearLog();
        ChipFromShadow(this->sim.board.chip, Shadow());
        FaultReplyOf(this->sim.board, k, f);
        job();
        this->sim.board.ClearFaults();

        // The job went as the clean one up to the lost reply, and sent nothing after it.
        const std::vector<Bytes> sent = this->Sent();
        ASSERT_EQ(sent.size(), static_cast<size_t>(k));
        EXPECT_EQ(sent.back(), clean[k - 1]);
        EXPECT_EQ(ShadowAgainstChipWrites(Shadow(), this->sim.board.chip), std::vector<std::string>{});
        EXPECT_EQ(ViewsAgainstShadow(*this->prog), std::vector<std::string>{});
        EXPECT_EQ(this->Messages().join(" | ").toStdString(), p.messages.join(" | ").toStdString());
        EXPECT_EQ(this->prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
        ended();
      }
    }
  }

  const uint8_t* Shadow() const { return this->prog->G.Channels[0].RegShadow; }
};
