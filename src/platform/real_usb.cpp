#include "platform/real_usb.h"

#include <hidapi/hidapi.h>
#include <libusb-1.0/libusb.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {
constexpr uint32_t ERROR_INVALID_HANDLE = 6;
constexpr uint32_t ERROR_GEN_FAILURE = 31;
constexpr uint32_t ERROR_SEM_TIMEOUT = 121;
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr size_t HidReportLen = 65;  // report id + 64 bytes
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

RealUsbServices::RealUsbServices() {
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
      uint8_t ep = code == IOCTL_BULK_WRITE ? d->ep_out : d->ep_in;
      int moved = 0;
      int rc = libusb_bulk_transfer(d->usb, ep, out, static_cast<int>(outLen), &moved,
                                    UsbTransferTimeoutMs);
      if (rc != 0) {
        last_error_ = rc == LIBUSB_ERROR_TIMEOUT ? ERROR_SEM_TIMEOUT : ERROR_GEN_FAILURE;
        return false;
      }
      if (returned) *returned = static_cast<uint32_t>(moved);
      return true;
    }
    default:
      last_error_ = ERROR_GEN_FAILURE;
      return false;
  }
}

// Index i is the i-th HID interface with the board's ids.
Handle RealUsbServices::Hid_GetDeviceH(uint8_t& found, uint32_t index) {
  found = 0;
  if (!hid_ready_) hid_ready_ = hid_init() == 0;
  if (!hid_ready_) return InvalidHandle;
  hid_device_info* all = hid_enumerate(HidVendorId, HidProductId);
  uint32_t k = 0;
  Handle result = InvalidHandle;
  for (hid_device_info* p = all; p; p = p->next, ++k) {
    if (k != index) continue;
    hid_device* dev = hid_open_path(p->path);
    if (!dev) break;
    auto d = std::make_unique<Device>();
    d->hid = dev;
    d->hid_vendor = p->vendor_id;
    d->hid_product = p->product_id;
    d->hid_version = p->release_number;
    found = 1;
    result = Add(std::move(d));
    break;
  }
  hid_free_enumeration(all);
  return result;
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
  if (hid_write(d->hid, data, len) < 0) {
    last_error_ = ERROR_GEN_FAILURE;
    return false;
  }
  return true;
}

bool RealUsbServices::ReadFile(Handle h, uint8_t* data, size_t len) {
  Device* d = Find(h);
  if (!d || !d->hid || len == 0) {
    last_error_ = ERROR_INVALID_HANDLE;
    return false;
  }
  // hidraw delivers the report without the id byte of an unnumbered report.
  std::vector<uint8_t> buf(len, 0);
  int n = hid_read_timeout(d->hid, buf.data() + 1, len - 1, UsbTransferTimeoutMs);
  if (n <= 0) {
    last_error_ = n == 0 ? ERROR_SEM_TIMEOUT : ERROR_GEN_FAILURE;
    return false;
  }
  buf[0] = 0;
  std::memcpy(data, buf.data(), len);
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
