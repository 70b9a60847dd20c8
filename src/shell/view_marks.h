#pragma once
// What the register and memory views show of the shadow and how they mark changes:
// each compares the value it shows with RegShown, flags a difference in RegChanged
// and stores the value in RegShown (the memory view leaves the "#REG0"/"#REG1"
// ranges to the register view). No widget here.

#include <QString>
#include <cstdint>

struct Globals;

// Entries first(p) .. end(p) - 1 of RegBitList make bit page p (0..5).
struct BitPageSpan {
  int First = 0;
  int End = 0;
  int Count() const { return End - First; }
};
BitPageSpan BitPageRange(const Globals& g, int page);

// Register view: v := shadow AND mask; RegChanged := (v differs from RegShown);
// RegShown := v. Returns v (0 for an address outside the tables, nothing stored).
uint8_t RefreshRegister(Globals& g, int address);
// Register view, a word register: both bytes as above, but only one change flag:
// the high address when the high byte changed, else the low one when it changed.
uint16_t RefreshWordRegister(Globals& g, int high, int low);

// Memory view: v := shadow AND mask; RegChanged := 0, or when not initial
// (v differs from RegShown); RegShown := v unless the address lies in a declared
// "#REG0"/"#REG1" range. Returns v.
uint8_t RefreshMemoryCell(Globals& g, int address, bool initial);
// The address lies in "#REG0" or "#REG1" (a range whose end is above its start).
bool InRegisterRanges(const Globals& g, int address);

// The memory view's cell text of an address: two hex digits of the masked value,
// or "-" when no bit of it is implemented.
QString MemoryCellText(const Globals& g, int address);
