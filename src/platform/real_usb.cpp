#include "platform/real_usb.h"

#include <hidapi/hidapi.h>
#include <libusb-1.0/libusb.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace {
constexpr uint32_t ERROR_INVALID_HANDLE = 6;
constexpr uint32_t ERROR_GEN_FAILURE = 31;
constexpr uint32_t ERROR_SEM_TIMEOUT = 121;
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr size_t HidReportLen = 65;  // report id + 64 bytes
// Opening a driver device reads its IN endpoint empty: a reply that came after its
// transfer had timed out would otherwise answer the next command. Each read waits
// this long; a board that keeps sending is read at most this many packets.
constexpr int DrainTimeoutMs = 20;
constexpr int DrainPacketLimit = 64;
}  // namespace

struct RealUsbServices::Device {
  // driver device
  libusb_device_handle* usb = nullptr;
  uint16_t vendor = 0, product = 0, version = 0;
  uint8_t ep_in = 0, ep_out = 0;
  uint16_t max_in = 64, max_out = 64;
  bool claimed = false;
  // HID device
  hid_device* hid = nullptr;
  uint16_t hid_vendor = 0, hid_product = 0, hid_version = 0;
};

RealUsbServices::RealUsbServices(UsbOutCalls out) : out_(std::move(out)) {
  if (!out_.bulk) out_.bulk = libusb_bulk_transfer;
  if (!out_.hidWrite) out_.hidWrite = hid_write;
  if (libusb_init(&ctx_) != 0) ctx_ = nullptr;
}

RealUsbServices::~RealUsbServices() {
  while (!devices_.empty()) CloseHandle(devices_.begin()->first);
  if (ctx_) libusb_exit(ctx_);
  if (hid_ready_) hid_exit();
}

Handle RealUsbServices::Add(std::unique_ptr<Device> d) {
  Handle h = next_++;
  if (next_ == InvalidHandle) next_ = 0x100;
  devices_[h] = std::move(d);
  return h;
}

RealUsbServices::Device* RealUsbServices::Find(Handle h) {
  auto it = devices_.find(h);
  return it == devices_.end() ? nullptr : it->second.get();
}

// "Mxusb-N" is the N-th attached device with the board's vendor and product ids.
Handle RealUsbServices::OpenDriverDevice(const std::string& name) {
  last_error_ = ERROR_FILE_NOT_FOUND;
  if (!ctx_ || name.rfind("Mxusb-", 0) != 0) return InvalidHandle;
  int wanted = std::atoi(name.c_str() + 6);
  libusb_device** list = nullptr;
  ssize_t n = libusb_get_device_list(ctx_, &list);
  if (n < 0) return InvalidHandle;
  Handle result = InvalidHandle;
  int seen = 0;
  for (ssize_t i = 0; i < n && result == InvalidHandle; ++i) {
    libusb_device_descriptor desc{};
    if (libusb_get_device_descriptor(list[i], &desc) != 0) continue;
    if (desc.idVendor != DriverVendorId ||
        (desc.idProduct != DriverProductA && desc.idProduct != DriverProductB))
      continue;
    if (seen++ != wanted) continue;
    auto d = std::make_unique<Device>();
    if (libusb_open(list[i], &d->usb) != 0) break;
    d->vendor = desc.idVendor;
    d->product = desc.idProduct;
    d->version = desc.bcdDevice;
    libusb_config_descriptor* cfg = nullptr;
    if (libusb_get_active_config_descriptor(list[i], &cfg) == 0 && cfg->bNumInterfaces > 0) {
      const libusb_interface_descriptor& alt = cfg->interface[0].altsetting[0];
      for (int e = 0; e < alt.bNumEndpoints; ++e) {
        const libusb_endpoint_descriptor& ep = alt.endpoint[e];
        if ((ep.bmAttributes & 3) != LIBUSB_TRANSFER_TYPE_BULK) continue;
        if ((ep.bEndpointAddress & 0x80) && !d->ep_in) {
          d->ep_in = ep.bEndpointAddress;
          d->max_in = ep.wMaxPacketSize;
        } else if (!(ep.bEndpointAddress & 0x80) && !d->ep_out) {
          d->ep_out = ep.bEndpointAddress;
          d->max_out = ep.wMaxPacketSize;
        }
      }
      libusb_free_config_descriptor(cfg);
    }
    libusb_set_auto_detach_kernel_driver(d->usb, 1);
    d->claimed = libusb_claim_interface(d->usb, 0) == 0;
    if (d->claimed && d->ep_in) Drain(*d);
    last_error_ = 0;
    result = Add(std::move(d));
  }
  libusb_free_device_list(list, 1);
  return result;
}

bool RealUsbServices::DeviceIoControl(Handle h, uint32_t code, const uint8_t* in, size_t inLen,
                                      uint8_t* out, size_t outLen, uint32_t* returned) {
  if (returned) *returned = 0;
  Device* d = Find(h);
  if (!d || !d->usb) {
    last_error_ = ERROR_INVALID_HANDLE;
    return false;
  }
  switch (code) {
    case IOCTL_GET_DEVICE_DESCRIPTOR: {
      size_t n = PutDeviceDescriptor(out, outLen, d->vendor, d->product, d->version);
      if (returned) *returned = static_cast<uint32_t>(n);
      return n > 0;
    }
    case IOCTL_GET_PIPE_INFO: {
      size_t n = PutPipeRecords(out, outLen, d->max_in, d->ep_in, d->max_out, d->ep_out);
      if (returned) *returned = static_cast<uint32_t>(n);
      return true;
    }
    case IOCTL_BULK_WRITE:
    case IOCTL_BULK_READ: {
      if (inLen < 4 || !in || !d->claimed) {
        last_error_ = ERROR_GEN_FAILURE;
        return false;
      }
      if (code == IOCTL_BULK_WRITE) return BulkWrite(*d, out, outLen, returned);
      // The board may send more than the caller wants (a whole packet to an 8-byte
      // read): read whole packets and hand on what fits.
      std::vector<uint8_t> scratch(ReadSize(*d, outLen));
      int moved = 0;
      const int rc = libusb_bulk_transfer(d->usb, d->ep_in, scratch.data(), static_cast<int>(scratch.size()),
                                          &moved, UsbTransferTimeoutMs);
      if (rc != 0) {
        last_error_ = rc == LIBUSB_ERROR_TIMEOUT ? ERROR_SEM_TIMEOUT : ERROR_GEN_FAILURE;
        return false;
      }
      moved = std::clamp(moved, 0, static_cast<int>(outLen));
      std::memcpy(out, scratch.data(), static_cast<size_t>(moved));
      if (returned) *returned = static_cast<uint32_t>(moved);
      return true;
    }
    default:
      last_error_ = ERROR_GEN_FAILURE;
      return false;
  }
}

// The packet went out when every byte moved: the transfer completed, or timed out
// after its last byte (the board has it; only the acknowledgement came late). Fewer
// bytes is a failed transfer, whatever the return code. `returned` gets the bytes
// moved either way.
bool RealUsbServices::BulkWrite(Device& d, uint8_t* data, size_t len, uint32_t* returned) {
  if (len > static_cast<size_t>(std::numeric_limits<int>::max())) {
    last_error_ = ERROR_GEN_FAILURE;
    return false;
  }
  const int asked = static_cast<int>(len);
  int moved = 0;
  const int rc = out_.bulk(d.usb, d.ep_out, data, asked, &moved, UsbTransferTimeoutMs);
  moved = std::clamp(moved, 0, asked);
  if (returned) *returned = static_cast<uint32_t>(moved);
  if ((rc == 0 || rc == LIBUSB_ERROR_TIMEOUT) && moved == asked) return true;
  last_error_ = rc == LIBUSB_ERROR_TIMEOUT ? ERROR_SEM_TIMEOUT : ERROR_GEN_FAILURE;
  return false;
}

// A whole number of the IN endpoint's packets that holds `wanted` bytes.
size_t RealUsbServices::ReadSize(const Device& d, size_t wanted) {
  size_t packet = d.max_in & 0x7FF;
  if (packet == 0) packet = 64;
  size_t packets = std::max<size_t>(1, (wanted + packet - 1) / packet);
  return packets * packet;
}

void RealUsbServices::Drain(Device& d) {
  std::vector<uint8_t> scratch(ReadSize(d, 1));
  for (int i = 0; i < DrainPacketLimit; ++i) {
    int moved = 0;
    if (libusb_bulk_transfer(d.usb, d.ep_in, scratch.data(), static_cast<int>(scratch.size()), &moved,
                             DrainTimeoutMs) != 0)
      break;
  }
}

// Index i is the i-th HID interface with the board's ids. A scan asks for the indexes
// in rising order: the system is enumerated when it starts again from a lower index,
// and the rest of the scan uses that list.
Handle RealUsbServices::Hid_GetDeviceH(uint8_t& found, uint32_t index) {
  found = 0;
  if (!hid_ready_) hid_ready_ = hid_init() == 0;
  if (!hid_ready_) return InvalidHandle;
  if (!hid_listed_ || index <= hid_last_index_) {
    hid_list_.clear();
    hid_device_info* all = hid_enumerate(HidVendorId, HidProductId);
    for (hid_device_info* p = all; p; p = p->next)
      hid_list_.push_back({p->path ? p->path : "", p->vendor_id, p->product_id, p->release_number});
    hid_free_enumeration(all);
    hid_listed_ = true;
  }
  hid_last_index_ = index;
  if (index >= hid_list_.size()) return InvalidHandle;
  const HidEntry& e = hid_list_[index];
  hid_device* dev = hid_open_path(e.path.c_str());
  if (!dev) return InvalidHandle;
  auto d = std::make_unique<Device>();
  d->hid = dev;
  d->hid_vendor = e.vendor;
  d->hid_product = e.product;
  d->hid_version = e.version;
  found = 1;
  return Add(std::move(d));
}

bool RealUsbServices::Hid_Get_att(Handle h, uint16_t& inputLen, uint16_t& outputLen,
                                  uint16_t attributes[3], uint8_t buffer[256]) {
  Device* d = Find(h);
  if (!d || !d->hid) return false;
  inputLen = HidReportLen;
  outputLen = HidReportLen;
  attributes[0] = d->hid_vendor;
  attributes[1] = d->hid_product;
  attributes[2] = d->hid_version;
  std::memset(buffer, 0, 256);
  return true;
}

bool RealUsbServices::WriteFile(Handle h, const uint8_t* data, size_t len) {
  Device* d = Find(h);
  if (!d || !d->hid) {
    last_error_ = ERROR_INVALID_HANDLE;
    return false;
  }
  // The report went out only when all of it was written.
  const int n = out_.hidWrite(d->hid, data, len);
  if (n < 0 || static_cast<size_t>(n) != len) {
    last_error_ = ERROR_GEN_FAILURE;
    return false;
  }
  return true;
}

bool RealUsbServices::ReadFile(Handle h, uint8_t* data, size_t len, size_t& read) {
  read = 0;
  Device* d = Find(h);
  if (!d || !d->hid || len == 0) {
    last_error_ = ERROR_INVALID_HANDLE;
    return false;
  }
  // hidraw delivers the report without the id byte of an unnumbered report, and only
  // the bytes the board sent: a report cut short comes with its own count.
  const int n = hid_read_timeout(d->hid, data + 1, len - 1, UsbTransferTimeoutMs);
  if (n <= 0) {
    last_error_ = n == 0 ? ERROR_SEM_TIMEOUT : ERROR_GEN_FAILURE;
    return false;
  }
  data[0] = 0;
  read = 1 + std::min(static_cast<size_t>(n), len - 1);
  return true;
}

bool RealUsbServices::CloseHandle(Handle h) {
  auto it = devices_.find(h);
  if (it == devices_.end()) {
    last_error_ = ERROR_INVALID_HANDLE;
    return false;
  }
  Device* d = it->second.get();
  if (d->usb) {
    if (d->claimed) libusb_release_interface(d->usb, 0);
    libusb_close(d->usb);
  }
  if (d->hid) hid_close(d->hid);
  devices_.erase(it);
  return true;
}
