#pragma once
// Evaluation boards emulated below the real USB code. A umockdev testbed holds a
// driver-path board (a usbfs device node, 0547h:1004h, one interface with a bulk IN
// and a bulk OUT endpoint) and a HID board (a hidraw node with its report
// descriptor, 04D8h:2008h, release 0727h). libusb and hidapi find and open them as
// they would real boards; their OUT packets reach the simulated board's firmware and
// chip, and its replies come back through the emulated endpoints. The test program
// must run under umockdev-wrapper.
//
// The emulation answers on umockdev's worker thread. Tests change the simulated board
// and the knobs below only while no transfer is under way, that is between calls into
// the program.

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/usb_services.h"

class SimBoard;
typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;
typedef struct _UMockdevIoctlData UMockdevIoctlData;

class EmulatedBoards {
public:
  enum class Kind { Driver, Hid };

  // An empty testbed; `board` answers for every board plugged in later.
  explicit EmulatedBoards(SimBoard& board);
  ~EmulatedBoards();
  EmulatedBoards(const EmulatedBoards&) = delete;
  EmulatedBoards& operator=(const EmulatedBoards&) = delete;

  // Plugging adds the board's devices to the testbed and announces them; unplugging
  // announces their removal and takes them away. A board plugged again is a new
  // device (a new device number and node), as after a real replug.
  void Plug(Kind kind);
  void Unplug(Kind kind);

  // Faults of the driver board's IN endpoint. Normally each reply is a packet of the
  // length the firmware gives that command (8 bytes for F9h commands, 33 for an
  // auxiliary read, ...). The firmware has run a command whatever its reply.
  std::atomic<bool> fullPackets{false};    // every reply is a whole 64-byte packet
  std::atomic<int> lateReplies{0};         // the next n replies arrive only after the host gave up waiting
  std::atomic<int> emptyReplies{0};        // the next n replies are zero-length packets,
  std::atomic<int> repliesBeforeEmpty{0};  // after this many more whole ones
  // The board is pulled out after taking this many more OUT packets (never when
  // negative): from then on every request finds no device, until Unplug takes it out
  // of the testbed as well.
  std::atomic<int> packetsBeforePullOut{-1};

  // Faults of the packets to the board. A packet cut short moves all but its last byte
  // and completes (an OUT URB, a hidraw write); one never acknowledged is held until
  // the host gives up on it (driver board only), when it reports `unacknowledgedMoved`
  // bytes moved (every byte when negative). The firmware takes the command of a packet
  // whose every byte moved, and nothing of any other.
  std::atomic<int> shortWrites{0};           // the next n packets are cut short
  std::atomic<int> unacknowledgedWrites{0};  // the next n driver packets are never acknowledged
  std::atomic<int> unacknowledgedMoved{-1};

  // Replies waiting in the driver board's IN endpoint.
  size_t WaitingReplies();

private:
  struct Node {
    Kind kind;
    bool plugged = true;
    int master = -1;  // HID: the node's terminal pair, readable while a report waits
    int slave = -1;
  };
  struct Urb {
    UMockdevIoctlData* data;  // owned reference
    UMockdevIoctlClient* client;
  };
  // An OUT URB the board holds unacknowledged, with its bytes and how many of them moved.
  struct HeldWrite {
    Urb urb;
    std::vector<uint8_t> command;
    int moved;
  };

  // umockdev's signals: the request of a client on one of our nodes goes to a handler.
  using Handler = bool (EmulatedBoards::*)(UMockdevIoctlClient* client, Node& node);
  template <Handler handler>
  static int Dispatch(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self);

  bool Ioctl(UMockdevIoctlClient* client, Node& node);
  bool HidRead(UMockdevIoctlClient* client, Node& node);
  bool HidWrite(UMockdevIoctlClient* client, Node& node);
  bool UsbIoctl(UMockdevIoctlClient* client, unsigned long request, Node& node);
  bool HidIoctl(UMockdevIoctlClient* client, unsigned long request);
  void SubmitUrb(UMockdevIoctlClient* client, UMockdevIoctlData* arg, Node& node);
  bool TakesPacket(Node& node);
  bool CutsShort();
  void BoardCommand(Urb u, const std::vector<uint8_t>& command, int status);
  bool DiscardUrb(UMockdevIoctlClient* client, unsigned long address);
  void Lose(Node& node);
  void BoardReply(const std::vector<uint8_t>& command);
  void ServeInUrbs();
  void Reapable(Urb urb, int status, int length);
  void DropUrbs();

  SimBoard& board_;
  Handle sim_driver_ = InvalidHandle;
  Handle sim_hid_ = InvalidHandle;
  UMockdevTestbed* testbed_ = nullptr;
  UMockdevIoctlBase* handler_ = nullptr;
  int plugs_ = 0;
  std::map<Kind, std::vector<std::string>> syspaths_;  // of the plugged boards, root first

  std::mutex mu_;
  std::map<std::string, Node> nodes_;  // by device node
  std::deque<std::vector<uint8_t>> in_fifo_;  // packets the driver board holds for the host
  std::deque<std::vector<uint8_t>> held_;     // late replies, released when the host gives up
  std::deque<Urb> pending_in_;                // IN URBs waiting for a packet
  std::deque<HeldWrite> held_out_;            // OUT URBs never acknowledged
  std::map<UMockdevIoctlClient*, std::deque<Urb>> reapable_;
  std::deque<std::vector<uint8_t>> hid_reports_;
};
