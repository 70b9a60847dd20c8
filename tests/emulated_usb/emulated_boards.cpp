#include "emulated_usb/emulated_boards.h"

#include <fcntl.h>
#include <linux/hidraw.h>
#include <linux/input.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "sim/sim_board.h"

namespace {

// Standard USB descriptors of the two boards, as sysfs "descriptors" holds them:
// the device descriptor followed by the configuration with its interface and endpoints.
const uint8_t kDriverDescriptors[] = {
    0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0x47, 0x05, 0x04, 0x10, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01,
    0x09, 0x02, 0x20, 0x00, 0x01, 0x01, 0x00, 0x80, 0x32,  // configuration, 32 bytes in all
    0x09, 0x04, 0x00, 0x00, 0x02, 0xFF, 0x00, 0x00, 0x00,  // interface 0, vendor class, 2 endpoints
    0x07, 0x05, 0x81, 0x02, 0x40, 0x00, 0x00,              // bulk IN 81h, 64 bytes
    0x07, 0x05, 0x02, 0x02, 0x40, 0x00, 0x00,              // bulk OUT 02h, 64 bytes
};

// 64-byte input and output reports without report ids, vendor-defined usage page.
const uint8_t kReportDescriptor[] = {
    0x06, 0x00, 0xFF,  // usage page FF00h
    0x09, 0x01,        // usage 1
    0xA1, 0x01,        // application collection
    0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40,  // 64 bytes of 0..255
    0x09, 0x01, 0x81, 0x02,                                // input
    0x95, 0x40, 0x09, 0x01, 0x91, 0x02,                    // output
    0xC0,
};

const uint8_t kHidDescriptors[] = {
    0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0xD8, 0x04, 0x08, 0x20, 0x27, 0x07, 0x00, 0x00, 0x00, 0x01,
    0x09, 0x02, 0x29, 0x00, 0x01, 0x01, 0x00, 0x80, 0x32,  // configuration, 41 bytes in all
    0x09, 0x04, 0x00, 0x00, 0x02, 0x03, 0x00, 0x00, 0x00,  // interface 0, HID class, 2 endpoints
    0x09, 0x21, 0x11, 0x01, 0x00, 0x01, 0x22, sizeof kReportDescriptor, 0x00,
    0x07, 0x05, 0x81, 0x03, 0x40, 0x00, 0x01,  // interrupt IN 81h, 64 bytes
    0x07, 0x05, 0x01, 0x03, 0x40, 0x00, 0x01,  // interrupt OUT 01h, 64 bytes
};

constexpr size_t kPacketSize = 64;

std::string Format(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

template <size_t N>
std::string Hex(const uint8_t (&bytes)[N]) {
  std::string s;
  for (uint8_t b : bytes) s += Format("%02X", b);
  return s;
}

// The length of the packet the firmware sends back for a command.
size_t FirmwareReplyLength(const std::vector<uint8_t>& c) {
  auto at = [&](size_t i) -> uint8_t { return i < c.size() ? c[i] : 0; };
  switch (at(0)) {
    case 0xF9:
      return 8;
    case 0xB5:
      return 4;  // status byte and the three board status bytes
    case 0xBA:
    case 0xBE:
      return 7;  // status byte and two 24-bit values
    case 0xC4:
      if (at(2) == 0x90 && at(1) == 0x0A) return 33;  // auxiliary read: status and 32 bytes
      if (at(2) == 0x90 && at(1) == 0x00) return 1;   // auxiliary probe and unlock: the status
      return kPacketSize;
    default:
      return kPacketSize;
  }
}

struct Unref {
  void operator()(UMockdevIoctlData* d) const {
    if (d) g_object_unref(d);
  }
};
using DataPtr = std::unique_ptr<UMockdevIoctlData, Unref>;

const char kDriverBoardPath[] = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1";
const char kHidBoardPath[] = "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1";

// A device of a testbed record: its path, then "X: ..." lines (udev properties, sysfs
// attributes, the device node); text attributes end in the newline sysfs gives them.
std::string Paragraph(const std::string& syspath, const std::vector<std::string>& lines) {
  std::string s = "P: " + syspath.substr(std::strlen("/sys")) + "\n";
  for (const std::string& line : lines) s += line + (line.rfind("A: ", 0) == 0 ? "\\n\n" : "\n");
  return s + "\n";
}

// A USB device on bus `bus` with its descriptors; with a node, usbfs opens it there.
std::string UsbDevice(const std::string& syspath, int bus, int devnum, const char* vendor, const char* product,
                      const char* release, const std::string& descriptors, const std::string& node) {
  std::vector<std::string> lines = {"E: SUBSYSTEM=usb", "E: DEVTYPE=usb_device", "E: DRIVER=usb",
                                    Format("E: BUSNUM=%03d", bus), Format("E: DEVNUM=%03d", devnum),
                                    Format("A: busnum=%d", bus), Format("A: devnum=%d", devnum), "A: speed=12",
                                    "A: bConfigurationValue=1", std::string("A: idVendor=") + vendor,
                                    std::string("A: idProduct=") + product, std::string("A: bcdDevice=") + release,
                                    "H: descriptors=" + descriptors};
  if (!node.empty()) {
    lines.push_back("N: " + node.substr(std::strlen("/dev/")));
    lines.push_back("E: DEVNAME=" + node);
  }
  return Paragraph(syspath, lines);
}

}  // namespace

EmulatedBoards::EmulatedBoards(SimBoard& board) : board_(board) {
  // One firmware and chip behind both kinds; the emulation decides what is plugged.
  board_.devices.clear();
  board_.AddDriverBoard(0);
  board_.AddHidBoard(0);
  sim_driver_ = board_.OpenDriverDevice("Mxusb-0");
  uint8_t found = 0;
  sim_hid_ = board_.Hid_GetDeviceH(found, 0);

  testbed_ = umockdev_testbed_new();
  handler_ = umockdev_ioctl_base_new();
  g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(Dispatch<&EmulatedBoards::Ioctl>), this);
  g_signal_connect(handler_, "handle-read", G_CALLBACK(Dispatch<&EmulatedBoards::HidRead>), this);
  g_signal_connect(handler_, "handle-write", G_CALLBACK(Dispatch<&EmulatedBoards::HidWrite>), this);
}

EmulatedBoards::~EmulatedBoards() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    DropUrbs();
    for (auto& [path, node] : nodes_)
      if (node.slave >= 0) close(node.slave);
  }
  g_object_unref(testbed_);
  g_object_unref(handler_);
  board_.CloseHandle(sim_driver_);
  board_.CloseHandle(sim_hid_);
}

void EmulatedBoards::Plug(Kind kind) {
  if (syspaths_.count(kind)) return;
  ++plugs_;
  const int devnum = 1 + plugs_;
  std::string node, record;
  std::vector<std::string>& paths = syspaths_[kind];
  if (kind == Kind::Driver) {
    node = Format("/dev/bus/usb/001/%03d", devnum);
    paths = {kDriverBoardPath};
    record = UsbDevice(kDriverBoardPath, 1, devnum, "0547", "1004", "0100", Hex(kDriverDescriptors), node);
  } else {
    const std::string interface = std::string(kHidBoardPath) + "/2-1:1.0";
    const std::string hid = interface + Format("/0003:04D8:2008.%04X", plugs_);
    const std::string raw = hid + Format("/hidraw/hidraw%d", plugs_);
    node = Format("/dev/hidraw%d", plugs_);
    paths = {kHidBoardPath, interface, hid, raw};
    record = UsbDevice(kHidBoardPath, 2, devnum, "04d8", "2008", "0727", Hex(kHidDescriptors), "") +
             Paragraph(interface, {"E: SUBSYSTEM=usb", "E: DEVTYPE=usb_interface", "E: DRIVER=usbhid",
                                   "A: bInterfaceNumber=00", "A: bInterfaceClass=03"}) +
             Paragraph(hid, {"E: SUBSYSTEM=hid", "E: DRIVER=hid-generic", "E: HID_ID=0003:000004D8:00002008",
                             "E: HID_NAME=MX7406 evaluation board", "E: HID_UNIQ=",
                             "E: HID_PHYS=usb-0000:00:14.0-1/input0",
                             "H: report_descriptor=" + Hex(kReportDescriptor)}) +
             Paragraph(raw, {"N: " + node.substr(std::strlen("/dev/")), "E: SUBSYSTEM=hidraw", "E: DEVNAME=" + node,
                             Format("A: dev=247:%d", plugs_), "L: device=../../.." + hid.substr(hid.rfind('/'))});
  }
  {
    std::lock_guard<std::mutex> lock(mu_);
    nodes_[node] = Node{kind};
  }
  GError* error = nullptr;
  if (!umockdev_testbed_attach_ioctl(testbed_, node.c_str(), handler_, &error) ||
      !umockdev_testbed_add_from_string(testbed_, record.c_str(), &error)) {
    std::string what = error ? error->message : "cannot emulate " + node;
    g_clear_error(&error);
    throw std::runtime_error(what);
  }
  if (kind == Kind::Hid) {
    // The node is a terminal pair: hidapi waits for it to become readable before it
    // reads, so a waiting report is announced by a byte on the pair.
    std::lock_guard<std::mutex> lock(mu_);
    Node& n = nodes_[node];
    n.master = umockdev_testbed_get_dev_fd(testbed_, node.c_str());
    char* root = umockdev_testbed_get_root_dir(testbed_);
    char target[256] = {};
    ssize_t len = readlink((std::string(root) + node).c_str(), target, sizeof target - 1);
    g_free(root);
    if (len > 0) n.slave = open(target, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (n.master < 0 || n.slave < 0) throw std::runtime_error("no terminal pair behind " + node);
    termios raw{};
    tcgetattr(n.master, &raw);
    cfmakeraw(&raw);
    tcsetattr(n.master, TCSANOW, &raw);
  }
  for (const std::string& p : paths) umockdev_testbed_uevent(testbed_, p.c_str(), "add");
}

void EmulatedBoards::Unplug(Kind kind) {
  auto it = syspaths_.find(kind);
  if (it == syspaths_.end()) return;
  {
    std::lock_guard<std::mutex> lock(mu_);
    for (auto& [path, node] : nodes_)
      if (node.kind == kind) Lose(node);
  }
  const std::vector<std::string>& paths = it->second;
  for (auto p = paths.rbegin(); p != paths.rend(); ++p) {
    umockdev_testbed_uevent(testbed_, p->c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, p->c_str());
  }
  syspaths_.erase(it);
}

// The board loses power: it keeps nothing, and transfers under way end with it.
void EmulatedBoards::Lose(Node& node) {
  if (node.plugged) {
    if (node.kind == Kind::Driver) {
      in_fifo_.clear();
      held_.clear();
      while (!pending_in_.empty()) {
        Reapable(pending_in_.front(), -ESHUTDOWN, 0);
        pending_in_.pop_front();
      }
      for (HeldWrite& w : held_out_) Reapable(w.urb, -ESHUTDOWN, 0);
      held_out_.clear();
    } else {
      hid_reports_.clear();
    }
  }
  node.plugged = false;
  if (node.slave >= 0) close(node.slave);
  node.slave = -1;
  node.master = -1;
}

// Whether the board takes one more OUT packet or has just been pulled out.
bool EmulatedBoards::TakesPacket(Node& node) {
  if (packetsBeforePullOut == 0) {
    packetsBeforePullOut = -1;
    Lose(node);
  } else if (packetsBeforePullOut > 0) {
    --packetsBeforePullOut;
  }
  return node.plugged;
}

size_t EmulatedBoards::WaitingReplies() {
  std::lock_guard<std::mutex> lock(mu_);
  return in_fifo_.size() + held_.size();
}

template <EmulatedBoards::Handler handler>
int EmulatedBoards::Dispatch(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self) {
  auto* e = static_cast<EmulatedBoards*>(self);
  std::lock_guard<std::mutex> lock(e->mu_);
  auto it = e->nodes_.find(umockdev_ioctl_client_get_devnode(client));
  if (it == e->nodes_.end()) return FALSE;
  return (e->*handler)(client, it->second) ? TRUE : FALSE;
}

bool EmulatedBoards::Ioctl(UMockdevIoctlClient* client, Node& node) {
  const unsigned long request = umockdev_ioctl_client_get_request(client);
  if (node.kind == Kind::Driver) return UsbIoctl(client, request, node);
  if (!node.plugged) {
    umockdev_ioctl_client_complete(client, -1, ENODEV);
    return true;
  }
  return HidIoctl(client, request);
}

bool EmulatedBoards::UsbIoctl(UMockdevIoctlClient* client, unsigned long request, Node& node) {
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  const bool reap = request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY;
  if (!node.plugged && !reap) {
    umockdev_ioctl_client_complete(client, -1, ENODEV);
    return true;
  }
  switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
      DataPtr caps(umockdev_ioctl_data_resolve(arg, 0, sizeof(uint32_t), nullptr));
      *reinterpret_cast<uint32_t*>(caps->data) = USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                                                 USBDEVFS_CAP_REAP_AFTER_DISCONNECT | USBDEVFS_CAP_ZERO_PACKET;
      umockdev_ioctl_client_complete(client, 0, 0);
      return true;
    }
    case USBDEVFS_DISCONNECT_CLAIM:
    case USBDEVFS_CLAIMINTERFACE:
    case USBDEVFS_RELEASEINTERFACE:
    case USBDEVFS_CLEAR_HALT:
    case USBDEVFS_RESETEP:
      umockdev_ioctl_client_complete(client, 0, 0);
      return true;
    case USBDEVFS_GETDRIVER:
      umockdev_ioctl_client_complete(client, -1, ENODATA);  // no kernel driver holds it
      return true;
    case USBDEVFS_SUBMITURB:
      SubmitUrb(client, arg, node);
      return true;
    case USBDEVFS_DISCARDURB: {
      const bool found = DiscardUrb(client, *reinterpret_cast<unsigned long*>(arg->data));
      umockdev_ioctl_client_complete(client, found ? 0 : -1, found ? 0 : EINVAL);
      return true;
    }
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY: {
      std::deque<Urb>& done = reapable_[client];
      if (done.empty()) {
        umockdev_ioctl_client_complete(client, -1, node.plugged ? EAGAIN : ENODEV);
        return true;
      }
      Urb u = done.front();
      done.pop_front();
      DataPtr where(umockdev_ioctl_data_resolve(arg, 0, sizeof(void*), nullptr));
      umockdev_ioctl_data_set_ptr(where.get(), 0, u.data);
      g_object_unref(u.data);
      umockdev_ioctl_client_complete(client, 0, 0);
      return true;
    }
    default:
      return false;
  }
}

void EmulatedBoards::SubmitUrb(UMockdevIoctlClient* client, UMockdevIoctlData* arg, Node& node) {
  DataPtr data(umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr));
  auto* urb = reinterpret_cast<usbdevfs_urb*>(data->data);
  const bool in = urb->endpoint == 0x81;
  if (urb->type != USBDEVFS_URB_TYPE_BULK || (!in && urb->endpoint != 0x02) || urb->buffer_length < 0) {
    umockdev_ioctl_client_complete(client, -1, ENOENT);
    return;
  }
  if (!in && !TakesPacket(node)) {
    umockdev_ioctl_client_complete(client, -1, ENODEV);
    return;
  }
  // The buffer's local copy goes back to the client when the URB is reaped.
  DataPtr buffer(urb->buffer_length > 0 ? umockdev_ioctl_data_resolve(data.get(), offsetof(usbdevfs_urb, buffer),
                                                                      static_cast<size_t>(urb->buffer_length), nullptr)
                                        : nullptr);
  Urb u{static_cast<UMockdevIoctlData*>(g_object_ref(data.get())), client};
  if (in) {
    pending_in_.push_back(u);
  } else {
    std::vector<uint8_t> command;
    if (buffer) command.assign(buffer->data, buffer->data + urb->buffer_length);
    const int length = urb->buffer_length;
    if (CutsShort()) {
      Reapable(u, 0, std::max(0, length - 1));
    } else if (unacknowledgedWrites > 0) {
      --unacknowledgedWrites;
      const int moved = unacknowledgedMoved < 0 ? length : std::min<int>(unacknowledgedMoved, length);
      held_out_.push_back({u, std::move(command), moved});
    } else {
      BoardCommand(u, command, 0);
    }
  }
  ServeInUrbs();
  umockdev_ioctl_client_complete(client, 0, 0);
}

bool EmulatedBoards::CutsShort() {
  if (shortWrites <= 0) return false;
  --shortWrites;
  return true;
}

// A packet whose every byte moved: the firmware runs its command and puts its answer in
// the IN endpoint, and the URB reports the bytes with `status`.
void EmulatedBoards::BoardCommand(Urb u, const std::vector<uint8_t>& command, int status) {
  uint32_t pipe = 1, moved = 0;
  std::vector<uint8_t> bytes = command;
  if (board_.DeviceIoControl(sim_driver_, IOCTL_BULK_WRITE, reinterpret_cast<uint8_t*>(&pipe), 4, bytes.data(),
                             bytes.size(), &moved)) {
    Reapable(u, status, static_cast<int>(command.size()));
    BoardReply(command);
  } else {
    Reapable(u, -EPIPE, 0);  // the simulated board failed the transfer: the endpoint stalls
  }
}

// The host gives up on a transfer (its time-out ran out). A late reply the board still
// held arrives now, and waits in the endpoint for the next read. A packet never
// acknowledged reports the bytes that moved; the firmware runs it when all of them did.
bool EmulatedBoards::DiscardUrb(UMockdevIoctlClient* client, unsigned long address) {
  auto same = [&](const Urb& u) { return u.client == client && u.data->client_addr == address; };
  auto in = std::find_if(pending_in_.begin(), pending_in_.end(), same);
  if (in != pending_in_.end()) {
    Reapable(*in, -ENOENT, 0);
    pending_in_.erase(in);
    while (!held_.empty()) {
      in_fifo_.push_back(std::move(held_.front()));
      held_.pop_front();
    }
    return true;
  }
  auto out = std::find_if(held_out_.begin(), held_out_.end(), [&](const HeldWrite& w) { return same(w.urb); });
  if (out == held_out_.end()) return false;
  const HeldWrite w = std::move(*out);
  held_out_.erase(out);
  if (w.moved == static_cast<int>(w.command.size()))
    BoardCommand(w.urb, w.command, -ENOENT);
  else
    Reapable(w.urb, -ENOENT, w.moved);
  ServeInUrbs();
  return true;
}

// The firmware's answer to a command, as the packet it puts into the IN endpoint. A
// board that does not answer puts nothing there.
void EmulatedBoards::BoardReply(const std::vector<uint8_t>& command) {
  uint8_t reply[kPacketSize] = {};
  uint32_t pipe = 0, got = 0;
  if (!board_.DeviceIoControl(sim_driver_, IOCTL_BULK_READ, reinterpret_cast<uint8_t*>(&pipe), 4, reply,
                              sizeof reply, &got))
    return;
  size_t length = fullPackets ? kPacketSize : FirmwareReplyLength(command);
  if (emptyReplies > 0) {
    if (repliesBeforeEmpty > 0) {
      --repliesBeforeEmpty;
    } else {
      --emptyReplies;
      length = 0;
    }
  }
  std::vector<uint8_t> packet(reply, reply + std::min<size_t>(length, got));
  if (lateReplies > 0) {
    --lateReplies;
    held_.push_back(std::move(packet));
  } else {
    in_fifo_.push_back(std::move(packet));
  }
}

// Waiting IN URBs take the packets in the endpoint, one each. A packet larger than the
// URB's buffer overflows it, as the host controller reports babble.
void EmulatedBoards::ServeInUrbs() {
  while (!pending_in_.empty() && !in_fifo_.empty()) {
    Urb u = pending_in_.front();
    pending_in_.pop_front();
    const std::vector<uint8_t> packet = std::move(in_fifo_.front());
    in_fifo_.pop_front();
    auto* urb = reinterpret_cast<usbdevfs_urb*>(u.data->data);
    const int room = urb->buffer_length;
    const int n = std::min(room, static_cast<int>(packet.size()));
    if (n > 0) std::memcpy(urb->buffer, packet.data(), static_cast<size_t>(n));
    Reapable(u, static_cast<int>(packet.size()) > room ? -EOVERFLOW : 0, n);
  }
}

void EmulatedBoards::Reapable(Urb u, int status, int length) {
  auto* urb = reinterpret_cast<usbdevfs_urb*>(u.data->data);
  urb->status = status;
  urb->actual_length = length;
  reapable_[u.client].push_back(u);
}

void EmulatedBoards::DropUrbs() {
  for (Urb& u : pending_in_) g_object_unref(u.data);
  pending_in_.clear();
  for (HeldWrite& w : held_out_) g_object_unref(w.urb.data);
  held_out_.clear();
  for (auto& [client, urbs] : reapable_)
    for (Urb& u : urbs) g_object_unref(u.data);
  reapable_.clear();
}

bool EmulatedBoards::HidIoctl(UMockdevIoctlClient* client, unsigned long request) {
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  switch (request) {
    case HIDIOCGRDESCSIZE: {
      DataPtr size(umockdev_ioctl_data_resolve(arg, 0, sizeof(int), nullptr));
      *reinterpret_cast<int*>(size->data) = sizeof kReportDescriptor;
      umockdev_ioctl_client_complete(client, 0, 0);
      return true;
    }
    case HIDIOCGRDESC: {
      DataPtr desc(umockdev_ioctl_data_resolve(arg, 0, sizeof(hidraw_report_descriptor), nullptr));
      auto* d = reinterpret_cast<hidraw_report_descriptor*>(desc->data);
      d->size = sizeof kReportDescriptor;
      std::memcpy(d->value, kReportDescriptor, sizeof kReportDescriptor);
      umockdev_ioctl_client_complete(client, 0, 0);
      return true;
    }
    case HIDIOCGRAWINFO: {
      DataPtr info(umockdev_ioctl_data_resolve(arg, 0, sizeof(hidraw_devinfo), nullptr));
      auto* i = reinterpret_cast<hidraw_devinfo*>(info->data);
      i->bustype = BUS_USB;
      i->vendor = static_cast<int16_t>(HidVendorId);
      i->product = static_cast<int16_t>(HidProductId);
      umockdev_ioctl_client_complete(client, 0, 0);
      return true;
    }
    default:
      return false;
  }
}

// A report written to the HID board: the firmware answers with an input report.
bool EmulatedBoards::HidWrite(UMockdevIoctlClient* client, Node& node) {
  if (node.kind != Kind::Hid) return false;
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  if (!node.plugged || !TakesPacket(node)) {
    umockdev_ioctl_client_complete(client, -1, ENODEV);
    return true;
  }
  if (CutsShort()) {
    umockdev_ioctl_client_complete(client, std::max(0, arg->data_len - 1), 0);
    return true;
  }
  std::vector<uint8_t> report(arg->data, arg->data + arg->data_len);
  if (!board_.WriteFile(sim_hid_, report.data(), report.size())) {
    umockdev_ioctl_client_complete(client, -1, EPIPE);
    return true;
  }
  // The input report holds the bytes the firmware's reply kept: a cut one comes short.
  uint8_t in[1 + kPacketSize] = {};
  size_t got = 0;
  if (board_.ReadFile(sim_hid_, in, sizeof in, got)) {
    hid_reports_.emplace_back(in + 1, in + got);
    if (write(node.master, "r", 1) != 1) std::perror("announcing a HID report");
  }
  umockdev_ioctl_client_complete(client, arg->data_len, 0);
  return true;
}

// A read of the HID board's next input report; without one it would block.
bool EmulatedBoards::HidRead(UMockdevIoctlClient* client, Node& node) {
  if (node.kind != Kind::Hid) return false;
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  if (!node.plugged || hid_reports_.empty()) {
    umockdev_ioctl_client_complete(client, -1, node.plugged ? EAGAIN : ENODEV);
    return true;
  }
  const std::vector<uint8_t> report = std::move(hid_reports_.front());
  hid_reports_.pop_front();
  char bell;
  if (read(node.slave, &bell, 1) != 1) std::perror("taking a HID report");
  const int n = std::min(arg->data_len, static_cast<int>(report.size()));
  std::memcpy(arg->data, report.data(), static_cast<size_t>(n));
  umockdev_ioctl_client_complete(client, n, 0);
  return true;
}
