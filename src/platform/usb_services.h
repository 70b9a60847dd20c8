#pragma once
// The board's USB access as the link layer sees it: the driver's numbered device
// files with their control codes, the HID access library, and the handle services
// both share. A real implementation talks to libusb and hidapi; the simulated
// board implements the same interface.

#include <cstddef>
#include <cstdint>
#include <string>

using Handle = uint32_t;
constexpr Handle InvalidHandle = 0xFFFFFFFFu;

// A handle counts as valid when it is neither -1 nor 0.
inline bool HandleValid(Handle h) { return h != InvalidHandle && h != 0; }

// Control codes of the board's USB driver.
constexpr uint32_t IOCTL_GET_PIPE_INFO = 0x222000;     // out: 340 bytes, 20-byte pipe records
constexpr uint32_t IOCTL_GET_DEVICE_DESCRIPTOR = 0x222004;  // out: vendor, product, version (u16 each)
constexpr uint32_t IOCTL_BULK_WRITE = 0x222051;        // in: u32 pipe; out buffer: bytes to write
constexpr uint32_t IOCTL_BULK_READ = 0x22204E;         // in: u32 pipe; out buffer: bytes read

// Accepted boards.
constexpr uint16_t DriverVendorId = 0x0547;
constexpr uint16_t DriverProductA = 0x1004;
constexpr uint16_t DriverProductB = 0x100A;
constexpr uint16_t HidVendorId = 0x04D8;
constexpr uint16_t HidProductId = 0x2008;
constexpr uint16_t HidVersionId = 0x0727;

// A transfer that does not complete within this time counts as failed.
constexpr int UsbTransferTimeoutMs = 1000;

// The output of IOCTL_GET_DEVICE_DESCRIPTOR: vendor, product, version, low byte first.
// Returns the bytes written (0 when the buffer is too small).
size_t PutDeviceDescriptor(uint8_t* out, size_t outLen, uint16_t vendor, uint16_t product, uint16_t version);
// The output of IOCTL_GET_PIPE_INFO: pipe 0 the bulk IN endpoint, pipe 1 the bulk OUT
// endpoint; a record is the maximum packet size (u16), the endpoint address, the
// transfer type (2, bulk), then zeros. Returns the bytes written.
size_t PutPipeRecords(uint8_t* out, size_t outLen, uint16_t maxIn, uint8_t epIn, uint16_t maxOut, uint8_t epOut);

class UsbServices {
public:
  virtual ~UsbServices() = default;

  // Opens driver device "\\.\" + name ("Mxusb-0" .. "Mxusb-31"); InvalidHandle when absent.
  virtual Handle OpenDriverDevice(const std::string& name) = 0;
  // Driver control code on an open device. `returned` receives the bytes moved.
  virtual bool DeviceIoControl(Handle h, uint32_t code, const uint8_t* in, size_t inLen,
                               uint8_t* out, size_t outLen, uint32_t* returned) = 0;

  // HID library: the device with the given index (0..127), found set when one exists.
  virtual Handle Hid_GetDeviceH(uint8_t& found, uint32_t index) = 0;
  // Report lengths (id byte included) and vendor, product, version of an open HID device.
  virtual bool Hid_Get_att(Handle h, uint16_t& inputLen, uint16_t& outputLen,
                           uint16_t attributes[3], uint8_t buffer[256]) = 0;

  // Report transfers on a HID handle: report id byte followed by the report data. A
  // read puts in `read` the bytes it delivered, the id byte included: a report the
  // board cut short is handed on as it came, with only the bytes it holds.
  virtual bool WriteFile(Handle h, const uint8_t* data, size_t len) = 0;
  virtual bool ReadFile(Handle h, uint8_t* data, size_t len, size_t& read) = 0;

  virtual bool CloseHandle(Handle h) = 0;
  // System error of the last failing call (0 when none).
  virtual uint32_t GetLastError() = 0;
};
