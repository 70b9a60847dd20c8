#pragma once
// A writer of the program, as the user drives it, putting the byte 5Ah at addresses
// 85h (with register 7Fh selecting bank 0, then bank 1), 185h (both ways) and 120h.
// Only an address's low byte travels and 7Fh bit 0 picks the RAM bank the chip's
// 80h..FFh reach, so each write must land in the cell its shadow address names: a RAM
// byte of the other bank with its bank selected and 7Fh put back, 120h (no chip cell)
// in the shadow alone. A writer that names a RAM byte by one byte (85h) sends it as
// the chip reads it, without a bank switch: it lands in the bank 7Fh selects, and the
// shadow takes it there. Then the shadow equals the chip, also when the reply of the
// bank switch, the byte, its read-back or the put-back is lost.

#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "app/support/program_fixture.h"
#include "app/support/view_fixture.h"
#include "link/mx_up.h"
#include "shell/main_panel.h"
#include "support/board_faults.h"

struct CellWriter {
  // A connected program in the state before the write of 5Ah into `address`.
  std::function<void(int address)> prepare;
  // The write as the user makes it; `r7f` is the value 7Fh holds before it (a writer
  // that sets 7Fh itself, as Load REG does, takes it from there).
  std::function<void(int address, uint8_t r7f)> write;
  bool readBack = true;  // each byte is read back (WriteReg)
  bool alone = true;     // the write is all the job sends; else it is found among the job's packets
  bool byteAddresses = false;  // the writer takes addresses of one byte: ChipByteCases
  // The shadow against the chip ("address: shadow/chip" texts of what differs).
  std::function<std::vector<std::string>(const uint8_t*, const SimChip&)> compare = ShadowAgainstChip;
};

// Each case with the cell the byte reaches and the packets of its write (as PacketText
// gives them; "R .." only for writers that read back). 7Fh holds 40h or 41h, so that
// putting it back keeps bit 6.
struct CellCase {
  const char* what;
  int address;
  uint8_t r7f;
  int cell;
  std::vector<std::string> wire;
};
// Writers that name the full address.
inline const std::vector<CellCase>& CellCases() {
  static const std::vector<CellCase> cases = {
      {"85h, bank 0 selected", 0x85, 0x40, 0x85, {"W 85 5A", "R 85 1"}},
      {"85h, bank 1 selected", 0x85, 0x41, 0x85, {"W 7F 40", "W 85 5A", "R 85 1", "W 7F 41"}},
      {"185h, bank 0 selected", 0x185, 0x40, 0x185, {"W 7F 41", "W 85 5A", "R 85 1", "W 7F 40"}},
      {"185h, bank 1 selected", 0x185, 0x41, 0x185, {"W 85 5A", "R 85 1"}},
      {"120h, no chip cell", 0x120, 0x41, 0x120, {}},
  };
  return cases;
}
// Writers of one-byte addresses: 85h reaches the bank 7Fh selects.
inline const std::vector<CellCase>& ChipByteCases() {
  static const std::vector<CellCase> cases = {
      {"85h, bank 0 selected", 0x85, 0x40, 0x85, {"W 85 5A", "R 85 1"}},
      {"85h, bank 1 selected", 0x85, 0x41, 0x185, {"W 85 5A", "R 85 1"}},
  };
  return cases;
}

// A register dump (".reg") whose first line selects 7Fh := r7f and whose second puts
// 5Ah at `address`, for the writers that clear 7Fh bit 0 before the lines.
inline QByteArray DumpWriting(int address, uint8_t r7f) {
  return QStringLiteral("07FH %1H\r\n%2H 05AH\r\n")
      .arg(int{r7f}, 3, 16, QChar('0'))
      .arg(address, 3, 16, QChar('0'))
      .toUpper()
      .toLatin1();
}

template <class Base>
class CellWriteTest : public Base {
protected:
  uint8_t* Cells() const { return this->prog->G.Channels[0].RegShadow; }
  std::vector<std::string> SentTexts() const {
    std::vector<std::string> out;
    for (const Bytes& p : this->Sent()) out.push_back(PacketText(p));
    return out;
  }
  // How many packets wrote 7Fh, the RAM bank register.
  static long BankWrites(const std::vector<std::string>& sent) {
    return std::ranges::count_if(sent, [](const std::string& p) { return p.starts_with("W 7F"); });
  }

  void ExpectEachWriteInItsCell(const CellWriter& w) {
    const std::vector<CellCase>& cases = w.byteAddresses ? ChipByteCases() : CellCases();
    for (const CellCase& c : cases) {
      SCOPED_TRACE(c.what);
      const std::vector<std::string> wire = Wire(c.wire, w.readBack);
      Arm(w, c);
      w.write(c.address, c.r7f);
      const std::vector<std::string> sent = SentTexts();
      if (w.alone) {
        EXPECT_EQ(sent, wire);
      } else if (!wire.empty()) {
        EXPECT_NE(std::search(sent.begin(), sent.end(), wire.begin(), wire.end()), sent.end())
            << "the write's packets among the job's";
      }
      EXPECT_EQ(std::count(sent.begin(), sent.end(), "W 20 5A"), 0) << "120h reached register 20h";
      EXPECT_EQ(this->sim.board.chip.Peek(0x20), 0x33);
      if (c.cell == 0x120) {
        EXPECT_EQ(Cells()[0x120], 0x5A);
      } else {
        EXPECT_EQ(this->sim.board.chip.Peek(c.cell), 0x5A);
        EXPECT_EQ(this->sim.board.chip.Peek(c.cell ^ 0x100), 0x50) << "the other bank's cell was written";
      }
      if (w.byteAddresses) {
        EXPECT_EQ(BankWrites(sent), 0) << "the bank was switched";
      }
      EXPECT_EQ(w.compare(Cells(), this->sim.board.chip), std::vector<std::string>{});
    }

    // 185h with bank 0 selected (85h with bank 1 for a writer of byte addresses), the
    // reply of each of its packets lost: nothing follows it, and the shadow holds what
    // the chip was left with, 7Fh's bank included.
    const CellCase& c = w.byteAddresses ? ChipByteCases()[1] : CellCases()[2];
    const std::vector<std::string> wire = Wire(c.wire, w.readBack);
    Arm(w, c);
    w.write(c.address, c.r7f);
    const std::vector<std::string> clean = SentTexts();
    const auto at = std::search(clean.begin(), clean.end(), wire.begin(), wire.end());
    ASSERT_NE(at, clean.end());
    const int first = static_cast<int>(at - clean.begin());
    for (size_t i = 0; i < wire.size(); ++i)
      for (BoardFault fault : AllReplyFaults) {
        SCOPED_TRACE(testing::Message() << c.what << ", " << FaultName(fault) << " at " << wire[i]);
        Arm(w, c);
        const int k = first + static_cast<int>(i) + 1;
        FaultReplyOf(this->sim.board, k, fault);
        w.write(c.address, c.r7f);
        this->sim.board.ClearFaults();
        EXPECT_EQ(SentTexts().size(), static_cast<size_t>(k));
        EXPECT_EQ(w.compare(Cells(), this->sim.board.chip), std::vector<std::string>{});
        const int other = c.cell ^ 0x100;  // the same low byte in the other bank
        EXPECT_EQ(this->sim.board.chip.Peek(other), 0x50) << "the other bank's cell was written";
        EXPECT_EQ(this->prog->MainPanel->StatusBar1->Text(0), "USB not Connect !!!");
      }
  }

  // A writer of one-byte addresses whose job, set up by the test, first selects RAM
  // bank 1 (7Fh := 01), then puts A5h at 90h; 7Fh starts at 00h, 90h at 11h, 190h at
  // 22h. The byte reaches the chip's 190h with 7Fh written once (the program switches
  // nothing of its own), bank 0's 90h keeps its value and the shadow holds the chip's.
  void ExpectEarlierBankWriteDecides(const CellWriter& w) {
    uint8_t* shadow = Cells();
    shadow[0x7F] = 0x00;
    shadow[0x90] = 0x11;
    shadow[0x190] = 0x22;
    this->prog->Mx_UP->RunRefreshChain();
    ChipFromShadow(this->sim.board.chip, shadow);
    this->sim.board.ClearLog();
    w.write(0x90, 0x00);
    const std::vector<std::string> sent = SentTexts();
    const std::vector<std::string> wire = Wire({"W 7F 01", "R 7F 1", "W 90 A5", "R 90 1"}, w.readBack);
    EXPECT_NE(std::ranges::search(sent, wire).begin(), sent.end());
    EXPECT_EQ(BankWrites(sent), 1);
    EXPECT_EQ(this->sim.board.chip.Peek(0x190), 0xA5);
    EXPECT_EQ(this->sim.board.chip.Peek(0x90), 0x11);
    EXPECT_EQ(shadow[0x190], 0xA5);
    EXPECT_EQ(shadow[0x90], 0x11);
    EXPECT_EQ(shadow[0x7F], 0x01);
    EXPECT_EQ(w.compare(shadow, this->sim.board.chip), std::vector<std::string>{});
  }

private:
  static std::vector<std::string> Wire(const std::vector<std::string>& packets, bool readBack) {
    std::vector<std::string> wire;
    for (const std::string& p : packets)
      if (readBack || p[0] != 'R') wire.push_back(p);
    return wire;
  }
  // The writer's state, then 7Fh, both RAM cells and 120h at 50h, register 20h at 33h,
  // the views refreshed and the chip made equal to the shadow. The chip keeps
  // every bit, 7Fh's bit 6 included, so that its put-back shows.
  void Arm(const CellWriter& w, const CellCase& c) {
    this->sim.board.ClearFaults();
    this->sim.board.chip.ImplementEveryBit();
    w.prepare(c.address);
    uint8_t* shadow = Cells();
    shadow[0x7F] = c.r7f;
    shadow[0x85] = shadow[0x185] = shadow[0x120] = 0x50;
    shadow[0x20] = 0x33;
    this->prog->Mx_UP->RunRefreshChain();
    ChipFromShadow(this->sim.board.chip, shadow);
    this->sim.board.ClearLog();
  }
};
