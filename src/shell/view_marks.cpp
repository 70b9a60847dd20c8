#include "shell/view_marks.h"

#include "common/globals.h"
#include "common/number_text.h"

namespace {
bool InTables(int address) { return address >= 0 && address < RegModelSize; }
uint8_t Masked(const Globals& g, int address) {
  return InTables(address) ? g.Channels[0].RegShadow[address] & g.RegMask[address] : 0;
}
bool InRange(const RegRange& r, int address) { return r.End > r.Start && address >= r.Start && address <= r.End; }
}  // namespace

BitPageSpan BitPageRange(const Globals& g, int page) {
  BitPageSpan s;
  if (page < 0 || page >= BitPages) return s;
  for (int p = 0; p < page; ++p) s.First += g.BitPageCount[p + 1];
  s.End = s.First + g.BitPageCount[page + 1];
  return s;
}

uint8_t RefreshRegister(Globals& g, int address) {
  if (!InTables(address)) return 0;
  const uint8_t v = Masked(g, address);
  g.RegChanged[address] = v != g.RegShown[address];
  g.RegShown[address] = v;
  return v;
}

uint16_t RefreshWordRegister(Globals& g, int high, int low) {
  const uint8_t vh = Masked(g, high);
  const uint8_t vl = Masked(g, low);
  if (InTables(high) && InTables(low)) {
    g.RegChanged[high] = 0;
    g.RegChanged[low] = 0;
    if (vh != g.RegShown[high]) g.RegChanged[high] = 1;
    else if (vl != g.RegShown[low]) g.RegChanged[low] = 1;
    g.RegShown[high] = vh;
    g.RegShown[low] = vl;
  }
  return static_cast<uint16_t>(vh * 256 + vl);
}

bool InRegisterRanges(const Globals& g, int address) {
  return InRange(g.Reg0Range, address) || InRange(g.Reg1Range, address);
}

uint8_t RefreshMemoryCell(Globals& g, int address, bool initial) {
  if (!InTables(address)) return 0;
  const uint8_t v = Masked(g, address);
  g.RegChanged[address] = initial ? 0 : v != g.RegShown[address];
  if (!InRegisterRanges(g, address)) g.RegShown[address] = v;
  return v;
}

QString MemoryCellText(const Globals& g, int address) {
  if (!InTables(address) || g.RegMask[address] == 0) return QStringLiteral("-");
  return IntToHexW(Masked(g, address), 2);
}
