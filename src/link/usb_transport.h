#pragma once
// Finding, verifying and talking to the evaluation board over USB: one command
// packet out, one reply in, through the driver's bulk pipes or as HID reports.
// Every transfer uses the shared 64-byte PacketBuf; any failure closes the device.
// A reply shorter than the bytes its command takes from it counts as a failure.

#include <QString>
#include <cstdint>
#include <functional>

#include "common/channel_records.h"
#include "common/globals.h"

class UsbServices;

class UsbTransport {
public:
  UsbTransport(UsbServices& usb, Globals& g) : usb_(usb), g_(g) {}

  bool OpenDevice(Devc& d);
  // Sends the first `length` bytes of PacketBuf (a whole report on the HID path). True
  // only when all of them went out; a packet that moved in part is a failed transfer.
  bool SendPacket(Devc& d, uint8_t length);
  // Reads a reply of `length` bytes; fewer than `need` bytes (at least one) is a
  // failed transfer, on the driver path and the HID path alike.
  bool ReceivePacket(Devc& d, uint8_t length, uint8_t need = 1);
  void CloseDevice(Devc& d);
  bool CheckFirmwareId(Devc& d);
  bool FirmwareWord(Devc& d, uint8_t sub, uint16_t& w);

  Handle OpenDriverDevice(const QString& name);
  bool GetDeviceInfo(Devc& d);
  bool GetPipeInfo(Devc& d, int k);

  // The initialisation pair sent after a board is accepted: C5 FF 01 00, then C5 FF 00 x.
  void InitialisationPair(Devc& d);

  uint8_t HidMode = 0;
  uint16_t HidInputLen = 0;
  uint16_t HidOutputLen = 0;
  uint16_t HidAttributes[3] = {};
  uint8_t PipeInfoBuf[340] = {};
  uint32_t LastIoError = 0;
  // Bytes the last successful read delivered (a HID report's without its id byte).
  uint32_t Received = 0;

  // Called when a failed transfer has closed a device that was open, so the link
  // state can be shown at once.
  std::function<void()> LinkLost;

  static constexpr int DriverDeviceCount = 32;
  static constexpr int HidDeviceCount = 128;

private:
  void Release(Devc& d);
  bool Fail(Devc& d);
  bool Handshake(Devc& d);

  UsbServices& usb_;
  Globals& g_;
  uint16_t scan_word_ = 0;  // word variable carried by the scan's F9 02 exchange
};
