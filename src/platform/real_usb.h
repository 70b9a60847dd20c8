#pragma once
// The board's USB access on Linux: driver devices through libusb, HID boards
// through hidapi (hidraw). Every transfer has a time-out of UsbTransferTimeoutMs;
// opening a driver device first reads away any reply still waiting in it.
//
// A packet to the board went out only when every byte of it moved, as the library
// reports the count: a bulk OUT transfer that completed, or timed out after its last
// byte moved; a HID report that hid_write wrote whole. A transfer that moved fewer
// bytes did not go out: the firmware takes no command from a part of a packet, so the
// write fails and the caller treats the chip as not written.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/usb_services.h"

struct libusb_context;
struct libusb_device_handle;
struct hid_device_;

// The library calls that move a packet to the board. Empty members are the libraries'
// own; a test sets them to give the return codes and byte counts hardware reports.
struct UsbOutCalls {
  // As libusb_bulk_transfer on the OUT endpoint: 0 or a libusb error code, and the
  // bytes moved in *transferred (on a time-out too).
  std::function<int(libusb_device_handle*, unsigned char endpoint, unsigned char* data, int length,
                    int* transferred, unsigned int timeoutMs)>
      bulk;
  // As hid_write: the bytes written (the report id included), or -1.
  std::function<int(hid_device_*, const unsigned char* data, size_t length)> hidWrite;
};

class RealUsbServices : public UsbServices {
public:
  explicit RealUsbServices(UsbOutCalls out = {});
  ~RealUsbServices() override;

  Handle OpenDriverDevice(const std::string& name) override;
  bool DeviceIoControl(Handle h, uint32_t code, const uint8_t* in, size_t inLen, uint8_t* out,
                       size_t outLen, uint32_t* returned) override;
  Handle Hid_GetDeviceH(uint8_t& found, uint32_t index) override;
  bool Hid_Get_att(Handle h, uint16_t& inputLen, uint16_t& outputLen, uint16_t attributes[3],
                   uint8_t buffer[256]) override;
  bool WriteFile(Handle h, const uint8_t* data, size_t len) override;
  bool ReadFile(Handle h, uint8_t* data, size_t len, size_t& read) override;
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
  bool BulkWrite(Device& d, uint8_t* data, size_t len, uint32_t* returned);
  static size_t ReadSize(const Device& d, size_t wanted);
  void Drain(Device& d);

  UsbOutCalls out_;
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
