#include "shell/read_chip.h"

#include "common/globals.h"
#include "link/mx_up.h"
#include "link/register_files.h"

namespace {

// The register blocks read by both reads, each its own transfer, in this order.
struct Block {
  int address;
  int count;
};
constexpr Block RegisterBlocks[] = {{0x00, 6}, {0x06, 3}, {0x09, 3}, {0x0C, 32},
                                    {0x3D, 1}, {0x3E, 1}, {0x7F, 1}};

// Reads count registers from address and stores them in the shadow.
bool ReadAndStore(TMx_UP& up, int address, int count) {
  if (!up.ReadRegs(address, count, 0)) return false;
  for (int i = 0; i < count; ++i) up.SetRegShadow(address + i, up.G().XferBuf[address + i], 0);
  return true;
}

bool ReadRegisterBlocks(TMx_UP& up) {
  for (const Block& b : RegisterBlocks)
    if (!ReadAndStore(up, b.address, b.count)) return false;
  return true;
}

// Eight pages of 16 bytes from `first` (the wire carries only the low byte).
bool ReadRamBank(TMx_UP& up, int first) {
  for (int p = 0; p < 8; ++p)
    if (!ReadAndStore(up, first + 16 * p, 16)) return false;
  return true;
}

}  // namespace

bool ReadChipIntoShadow(TMx_UP& up) {
  Globals& g = up.G();
  if (!up.ReadRegs(BankRegister, 1, 0)) return false;
  const uint8_t r7f = g.XferBuf[BankRegister];
  if (!PutRegister(up, BankRegister, r7f & 0xFE)) return false;
  if (!ReadRegisterBlocks(up)) return false;
  if (!up.ReadRegs(GeneratorControlRegister, 1, 0)) return false;
  const uint8_t r0d = g.XferBuf[GeneratorControlRegister];
  if (!PutRegister(up, GeneratorControlRegister, r0d & 0xFE)) return false;
  if (!ReadRamBank(up, 0x80)) return false;
  const RegRange& bank1 = g.RamBankRanges[1];
  if (bank1.End > bank1.Start) {
    if (!PutRegister(up, BankRegister, r7f | 0x01)) return false;
    if (!ReadRamBank(up, 0x180)) return false;
  }
  if (!PutRegister(up, GeneratorControlRegister, r0d)) return false;
  return PutRegister(up, BankRegister, r7f);
}

bool ReadRegistersIntoShadow(TMx_UP& up) {
  const uint8_t v = up.GetReg(BankRegister, 0) & 0xFE;
  if (!PutRegister(up, BankRegister, v)) return false;
  if (!ReadRegisterBlocks(up)) return false;
  return PutRegister(up, BankRegister, v);
}
