#include "shell/aux_download.h"

#include "common/globals.h"
#include "link/mx_up.h"

std::array<uint8_t, 256> AuxRamImage(const TMx_UP& up, const Globals& g) {
  std::array<uint8_t, 256> image{};
  for (int k = 0; k < 128; ++k) {
    for (int bank = 0; bank < 2; ++bank) {
      int a = bank * 0x100 + 0x80 + k;
      if (g.RegMask[a]) image[bank * 128 + k] = up.GetReg(a, 0) & g.RegMask[a];
    }
  }
  return image;
}

std::array<uint8_t, 72> AuxRegisterPairs(const TMx_UP& up) {
  std::array<uint8_t, 72> list{};
  for (size_t i = 0; i < AuxRegisterList.size(); ++i) {
    list[2 * i] = AuxRegisterList[i];
    list[2 * i + 1] = up.GetReg(AuxRegisterList[i], 0);
  }
  return list;
}
