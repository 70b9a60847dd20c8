#include "link/usb_transport.h"

#include <algorithm>
#include <cstring>

#include "platform/usb_services.h"

namespace {
const char kFirmwareId[8] = {'V', 'e', 'l', 'm', 'o', 'r', 'a', 'n'};
}

Handle UsbTransport::OpenDriverDevice(const QString& name) {
  return usb_.OpenDriverDevice(name.toStdString());
}

bool UsbTransport::GetDeviceInfo(Devc& d) {
  uint8_t buf[6] = {};
  uint32_t returned = 0;
  if (!usb_.DeviceIoControl(d.Handle, IOCTL_GET_DEVICE_DESCRIPTOR, buf, sizeof buf, buf, sizeof buf,
                            &returned))
    return false;
  d.VendorId = static_cast<uint16_t>(buf[0] | (buf[1] << 8));
  d.ProductId = static_cast<uint16_t>(buf[2] | (buf[3] << 8));
  d.VersionId = static_cast<uint16_t>(buf[4] | (buf[5] << 8));
  return true;
}

bool UsbTransport::GetPipeInfo(Devc& d, int k) {
  if (k < 0 || k > 3) return false;
  uint32_t returned = 0;
  if (!usb_.DeviceIoControl(d.Handle, IOCTL_GET_PIPE_INFO, nullptr, 0, PipeInfoBuf, sizeof PipeInfoBuf,
                            &returned))
    return false;
  std::memcpy(d.Pipes[k].bytes, PipeInfoBuf + 20 * k, 20);
  return true;
}

// A rejected candidate: its handle is closed and the record reset as by CloseDevice.
void UsbTransport::Release(Devc& d) { CloseDevice(d); }

bool UsbTransport::Handshake(Devc& d) {
  uint16_t w = scan_word_;
  bool ok = FirmwareWord(d, 0x02, w) && w == 0xFFFF;
  scan_word_ = w;
  return ok;
}

bool UsbTransport::OpenDevice(Devc& d) {
  if (HandleValid(d.Handle) && CheckFirmwareId(d)) return true;
  // The device answered, but not with the identification text: the caller closes it.
  if (d.Opened == 1) return false;

  // Driver phase.
  HidMode = 0;
  for (int i = 0; i < DriverDeviceCount; ++i) {
    d.DeviceName = QStringLiteral("Mxusb-%1").arg(i);
    d.Handle = OpenDriverDevice(d.DeviceName);
    if (!HandleValid(d.Handle)) continue;
    bool accepted = GetDeviceInfo(d) && d.VendorId == DriverVendorId &&
                    (d.ProductId == DriverProductA || d.ProductId == DriverProductB) &&
                    GetPipeInfo(d, 0) && GetPipeInfo(d, 1) && Handshake(d);
    if (!accepted) {
      Release(d);
      continue;
    }
    d.Opened = 1;
    uint16_t w = static_cast<uint16_t>(i);
    FirmwareWord(d, 0x01, w);
    FirmwareWord(d, 0x04, w);
    InitialisationPair(d);
    // A failure in these exchanges has closed the board again.
    return d.Opened == 1;
  }

  // HID phase.
  for (int i = 0; i < HidDeviceCount; ++i) {
    uint8_t found = 0;
    d.Handle = usb_.Hid_GetDeviceH(found, static_cast<uint32_t>(i));
    bool accepted = false;
    if (found && HandleValid(d.Handle)) {
      uint8_t scratch[256];
      uint16_t attrs[3] = {};
      if (usb_.Hid_Get_att(d.Handle, HidInputLen, HidOutputLen, attrs, scratch)) {
        std::memcpy(HidAttributes, attrs, sizeof attrs);
        if (attrs[0] == HidVendorId && attrs[1] == HidProductId && attrs[2] == HidVersionId) {
          HidMode = 1;  // the handshake already travels as reports
          accepted = Handshake(d);
        }
      }
    }
    if (!accepted) {
      if (found)
        Release(d);
      else
        d.Handle = InvalidHandle;
      continue;
    }
    d.Opened = 1;
    uint16_t w = static_cast<uint16_t>(i);
    FirmwareWord(d, 0x01, w);
    FirmwareWord(d, 0x04, w);
    FirmwareWord(d, 0x06, w);
    InitialisationPair(d);
    return d.Opened == 1;
  }

  // No board: the record is left closed.
  d.Handle = InvalidHandle;
  d.DeviceName.clear();
  d.VendorId = d.ProductId = d.VersionId = 0;
  d.Opened = 0;
  return false;
}

void UsbTransport::InitialisationPair(Devc& d) {
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xC5; p[1] = 0xFF; p[2] = 0x01; p[3] = 0x00;
  // Byte 3 of the second packet is byte 3 of the first reply.
  if (!SendPacket(d, 4) || !ReceivePacket(d, 64, 4)) return;
  p[0] = 0xC5; p[1] = 0xFF; p[2] = 0x00;
  if (!SendPacket(d, 4)) return;
  ReceivePacket(d, 64);
}

bool UsbTransport::SendPacket(Devc& d, uint8_t length) {
  bool ok;
  if (HidMode == 1) {
    uint8_t report[1 + PacketSize];
    report[0] = 0x00;
    std::memcpy(report + 1, g_.PacketBuf, PacketSize);
    size_t n = HidOutputLen;
    if (n > sizeof report) n = sizeof report;
    ok = usb_.WriteFile(d.Handle, report, n);
  } else {
    if (d.Pipes[1].EndpointAddress() & 0x80) return Fail(d);
    if (length > PacketSize) length = PacketSize;
    uint32_t pipe = 1;
    uint32_t returned = 0;
    // The packet went out only when every byte of it moved: a write reported with
    // fewer bytes failed, and the board took no command from it.
    ok = usb_.DeviceIoControl(d.Handle, IOCTL_BULK_WRITE, reinterpret_cast<uint8_t*>(&pipe), 4,
                              g_.PacketBuf, length, &returned) &&
         returned == length;
  }
  if (!ok) return Fail(d);
  g_.IdleTicks = 0;
  return true;
}

bool UsbTransport::ReceivePacket(Devc& d, uint8_t length, uint8_t need) {
  if (length > PacketSize) length = PacketSize;
  // Fewer bytes than the command takes from its reply (an empty reply at least) fail
  // on either path: a cut reply's missing bytes would be read as its answer.
  const uint32_t needed = std::min<uint32_t>(std::max<uint32_t>(need, 1), length);
  bool ok;
  if (HidMode == 1) {
    uint8_t report[1 + PacketSize] = {};
    size_t n = HidInputLen;
    if (n > sizeof report) n = sizeof report;
    size_t got = 0;
    ok = usb_.ReadFile(d.Handle, report, n, got);
    // The report's data without its id byte; only what came reaches PacketBuf.
    Received = ok && got > 1 ? static_cast<uint32_t>(std::min(got, n) - 1) : 0;
    ok = ok && Received >= needed;
    if (ok) std::memcpy(g_.PacketBuf, report + 1, Received);
  } else {
    if (!(d.Pipes[0].EndpointAddress() & 0x80)) return Fail(d);
    uint32_t pipe = 0;
    uint32_t returned = 0;
    // The driver writes only the bytes it received; the rest of PacketBuf stays.
    ok = usb_.DeviceIoControl(d.Handle, IOCTL_BULK_READ, reinterpret_cast<uint8_t*>(&pipe), 4,
                              g_.PacketBuf, length, &returned) &&
         returned >= needed;
    Received = returned;
  }
  if (!ok) {
    LastIoError = usb_.GetLastError();
    return Fail(d);
  }
  g_.IdleTicks = 0;
  return true;
}

bool UsbTransport::Fail(Devc& d) {
  const bool wasOpen = d.Opened == 1;
  CloseDevice(d);
  if (wasOpen && LinkLost) LinkLost();
  return false;
}

void UsbTransport::CloseDevice(Devc& d) {
  LastIoError = usb_.GetLastError();
  if (HandleValid(d.Handle)) usb_.CloseHandle(d.Handle);
  d.Handle = InvalidHandle;
  d.DeviceName.clear();
  d.VendorId = d.ProductId = d.VersionId = 0;
  d.Opened = 0;
}

bool UsbTransport::CheckFirmwareId(Devc& d) {
  if (d.Opened != 1) return false;
  g_.PacketBuf[0] = 0xF9;
  g_.PacketBuf[1] = 0xAC;
  if (!SendPacket(d, 2) || !ReceivePacket(d, 8, 8)) return false;
  return std::memcmp(g_.PacketBuf, kFirmwareId, 8) == 0;
}

bool UsbTransport::FirmwareWord(Devc& d, uint8_t sub, uint16_t& w) {
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xF9;
  p[1] = sub;
  p[2] = w & 0xFF;
  p[3] = w >> 8;
  if (!SendPacket(d, 4) || !ReceivePacket(d, 8, 8)) return false;
  w = static_cast<uint16_t>(p[0] | (p[1] << 8));
  return true;
}
