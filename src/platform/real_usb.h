#pragma once
// The board's USB access on Linux: driver devices through libusb, HID boards
// through hidapi (hidraw). Every transfer has a time-out of UsbTransferTimeoutMs;
// opening a driver device first reads away any reply still waiting in it.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/usb_services.h"

struct libusb_context;

class RealUsbServices : public UsbServices {
public:
  RealUsbServices();
  ~RealUsbServices() override;

  Handle OpenDriverDevice(const std::string& name) override;
  bool DeviceIoControl(Handle h, uint32_t code, const uint8_t* in, size_t inLen, uint8_t* out,
                       size_t outLen, uint32_t* returned) override;
  Handle Hid_GetDeviceH(uint8_t& found, uint32_t index) override;
  bool Hid_Get_att(Handle h, uint16_t& inputLen, uint16_t& outputLen, uint16_t attributes[3],
                   uint8_t buffer[256]) override;
  bool WriteFile(Handle h, const uint8_t* data, size_t len) override;
  bool ReadFile(Handle h, uint8_t* data, size_t len) override;
  bool CloseHandle(Handle h) override;
  uint32_t GetLastError() override { return last_error_; }

private:
  struct Device;
  struct HidEntry {
    std::string path;
    uint16_t vendor, product, version;
  };
  Handle Add(std::unique_ptr<Device> d);
  Device* Find(Handle h);
  static size_t ReadSize(const Device& d, size_t wanted);
  void Drain(Device& d);

  libusb_context* ctx_ = nullptr;
  bool hid_ready_ = false;
  // The board's HID interfaces as the current scan's enumeration found them.
  std::vector<HidEntry> hid_list_;
  bool hid_listed_ = false;
  uint32_t hid_last_index_ = 0;
  std::map<Handle, std::unique_ptr<Device>> devices_;
  Handle next_ = 0x100;
  uint32_t last_error_ = 0;
};
