#include "block_panels/wave_memory.h"

#include "link/mx_up.h"
#include "link/register_files.h"

namespace {
bool PutPage(TMx_UP& up, int base, const WaveTable& words, int first) {
  for (int k = 0; k < 64; ++k) {
    const uint16_t w = words[first + k];
    if (!PutRegister(up, base + 2 * k, static_cast<uint8_t>(w >> 8)) ||
        !PutRegister(up, base + 2 * k + 1, static_cast<uint8_t>(w & 0xFF)))
      return false;
  }
  return true;
}
}  // namespace

bool WaveRamWrite(TMx_UP& up, const WaveTable& words, uint8_t runBits, const std::function<void()>& refreshMemoryView) {
  const uint8_t r13 = up.GetReg(GeneratorControlRegister, 0);
  const uint8_t r127 = up.GetReg(BankRegister, 0);
  const bool loaded = (!(r13 & 0x01) || PutRegister(up, GeneratorControlRegister, r13 & 0xFE)) &&
                      PutRegister(up, BankRegister, r127 & 0xFE) && PutPage(up, 0x80, words, 0) &&
                      PutRegister(up, BankRegister, r127 | 0x01) && PutPage(up, 0x180, words, 64) &&
                      PutRegister(up, BankRegister, r127 & 0xFE) &&
                      PutRegister(up, GeneratorControlRegister, up.GetReg(GeneratorControlRegister, 0) | runBits);
  if (refreshMemoryView) refreshMemoryView();
  return loaded;
}
