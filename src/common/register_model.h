#pragma once
// The register model of the chip definition: which addresses exist and which of
// their bits are implemented, how registers are shown (bit by bit in pages, byte by
// byte, as 16-bit words) and where the register and RAM ranges lie. The tables live
// in Globals; the three register lists are created at start-up and destroyed when
// the main window closes.

#include <QString>
#include <cstdint>
#include <memory>
#include <new>

constexpr int RegModelSize = 1024;   // RegMask, RegShown, RegChanged
constexpr int RegIsBitSize = 1536;
constexpr int BitPages = 6;          // "#REGBIT" .. "#REGBIT5"
constexpr int RamBanks = 5;          // "#RAMBANK0" .. "#RAMBANK4"
constexpr int RegNameMax = 15;       // characters kept of register and bit names

struct RegRange {
  uint16_t Start = 0;
  uint16_t End = 0;
};

struct RegBitItem {
  QString Name;           // at most 15 characters
  uint16_t Address = 0;
  QString BitNames[8];    // bit 7 first, at most 15 characters each
  uint8_t Value = 0;
};

struct RegByteItem {
  uint16_t Address = 0;
  uint8_t Value = 0;
};

struct RegWordItem {
  uint16_t HighAddress = 0;
  uint16_t LowAddress = 0;
  uint16_t Value = 0;
};

// Up to 512 entries in the order added, held in two blocks of 256 that are allocated
// when their first entry is added.
template <typename Item>
class TCRREGList {
public:
  static constexpr int BlockSize = 256;
  static constexpr int Capacity = 2 * BlockSize;
  // Results of Add.
  static constexpr int Added = 0;
  static constexpr int NoMemory = 1;
  static constexpr int Full = 2;

  TCRREGList() = default;
  TCRREGList(const TCRREGList&) = delete;
  TCRREGList& operator=(const TCRREGList&) = delete;

  // Count 0, both blocks released.
  void Clear() {
    count_ = 0;
    blocks_[0].reset();
    blocks_[1].reset();
  }

  // Appends a copy of the entry.
  int Add(const Item& item) {
    if (count_ >= Capacity) return Full;
    const int b = count_ / BlockSize;
    const int p = count_ % BlockSize;
    if (p == 0 || !blocks_[b]) {
      blocks_[b].reset(new (std::nothrow) Item[BlockSize]);
      if (!blocks_[b]) return NoMemory;
    }
    blocks_[b][p] = item;
    ++count_;
    return Added;
  }

  int Count() const { return count_; }

  // Entry i, or null unless 0 <= i < Count().
  Item* Items(int i) { return Valid(i) ? &blocks_[i / BlockSize][i % BlockSize] : nullptr; }
  const Item* Items(int i) const { return Valid(i) ? &blocks_[i / BlockSize][i % BlockSize] : nullptr; }

private:
  bool Valid(int i) const { return i >= 0 && i < Capacity && i < count_; }
  int count_ = 0;
  std::unique_ptr<Item[]> blocks_[2];
};

class TCRREGBitPtr : public TCRREGList<RegBitItem> {};
class TCRREGBytePtr : public TCRREGList<RegByteItem> {};
class TCRREGWordPtr : public TCRREGList<RegWordItem> {
public:
  // High address x 256 + low address of entry i; -1 when there is no entry i.
  int AddrKey(int i) const {
    const RegWordItem* w = Items(i);
    return w ? w->HighAddress * 256 + w->LowAddress : -1;
  }
};
