#include "platform/usb_services.h"

#include <cstring>

size_t PutDeviceDescriptor(uint8_t* out, size_t outLen, uint16_t vendor, uint16_t product, uint16_t version) {
  if (outLen < 6) return 0;
  const uint16_t w[3] = {vendor, product, version};
  for (int i = 0; i < 3; ++i) {
    out[2 * i] = w[i] & 0xFF;
    out[2 * i + 1] = w[i] >> 8;
  }
  return 6;
}

size_t PutPipeRecords(uint8_t* out, size_t outLen, uint16_t maxIn, uint8_t epIn, uint16_t maxOut, uint8_t epOut) {
  std::memset(out, 0, outLen);
  auto put = [&](size_t k, uint16_t maxp, uint8_t ep) {
    if (20 * k + 4 > outLen) return;
    out[20 * k] = maxp & 0xFF;
    out[20 * k + 1] = maxp >> 8;
    out[20 * k + 2] = ep;
    out[20 * k + 3] = 2;
  };
  put(0, maxIn, epIn);
  put(1, maxOut, epOut);
  return outLen;
}
