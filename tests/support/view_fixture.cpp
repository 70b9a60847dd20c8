#include "support/view_fixture.h"

#include <cstdio>

#include "shell/memory_view.h"
#include "shell/register_view.h"

std::string PacketText(const Bytes& p) {
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

void ViewTest::SetUp() {
  ProgramTest::SetUp();
  StartProgram();
}

void ViewTest::Connect() {
  ASSERT_TRUE(prog->Transport.OpenDevice(G().Channels[0].Devc));
  sim.board.ClearLog();
}

std::vector<std::string> ViewTest::SentText() const {
  std::vector<std::string> out;
  for (const Bytes& p : Sent()) out.push_back(PacketText(p));
  return out;
}

void ViewTest::BitRegister(int page, int address, const QString& name, const QStringList& bits) {
  RegBitItem item;
  item.Name = name;
  item.Address = static_cast<uint16_t>(address);
  uint8_t mask = 0xFF;
  for (int i = 0; i < 8 && i < bits.size(); ++i) {
    item.BitNames[i] = bits[i];
    if (bits[i] == "-") mask &= static_cast<uint8_t>(~(0x80 >> i));
  }
  G().RegIsBit[address] = 1;
  G().RegMask[address] = mask;
  G().RegBitList->Add(item);
  G().BitPageCount[page + 1] += 1;
  prog->Mx_Reg2->ShowPageTab(page);
}

void ViewTest::ByteRegister(int address, const QString& name, uint8_t mask) {
  G().RegMask[address] = mask;
  prog->Mx_Reg2->DeclareByteRegister(G().ByteRegCount++, name);
  G().RegByteList->Add(RegByteItem{static_cast<uint16_t>(address), 0});
}

void ViewTest::WordRegister(int high, int low, const QString& name, uint8_t highMask, uint8_t lowMask) {
  G().RegMask[high] = highMask;
  G().RegMask[low] = lowMask;
  prog->Mx_Reg2->DeclareWordRegister(G().WordRegCount++, name);
  G().RegWordList->Add(RegWordItem{static_cast<uint16_t>(high), static_cast<uint16_t>(low), 0});
}

void ViewTest::RamBank(int bank, int start, int end) {
  G().RamBankRanges[bank] = {static_cast<uint16_t>(start), static_cast<uint16_t>(end)};
  for (int a = start; a <= end; ++a) G().RegMask[a] = 0xFF;
  prog->Mx_RAM->ShowBank(bank);
}

void ViewTest::Declared() { prog->Mx_Reg2->SWSREG(); }
