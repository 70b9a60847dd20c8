#pragma once
// The simulated evaluation board: its firmware answers the command packets and its
// chip model holds the MX7406's registers, RAM banks and converters. It plugs in
// below the platform layer as driver devices and HID devices, records every packet in
// both directions when asked to and can be told to fail (BoardFault) and misbehave
// (FirmwareFault).

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/usb_services.h"
#include "sim/fault_span.h"

class SimChip {
public:
  SimChip();
  // Chip register or RAM byte as the wire address reaches it (7Fh bit 0 picks the RAM bank).
  uint8_t Read(uint8_t wireAddress) const;
  void Write(uint8_t wireAddress, uint8_t value);
  // Direct access by shadow-style address: 0..7Fh registers, 80h..FFh bank 0, 180h..1FFh bank 1.
  uint8_t Peek(int address) const;
  void Poke(int address, uint8_t value);
  // Implemented bits per shadow-style address (FFh everywhere until set).
  void SetMask(int address, uint8_t mask);
  // Every bit of every address implemented (a chip that keeps whatever it is written).
  void ImplementEveryBit();
  uint8_t Mask(int address) const;

  int Bank() const { return regs_[0x7F] & 1; }

private:
  static int Index(int address);  // 0..383, or -1
  uint8_t regs_[384] = {};
  uint8_t masks_[384];
};

// Raw stream words of an ECG-like signal for ADC captures (which halve positive
// words): a flat baseline with a triangular R wave of the given amplitude and
// half-width every R-R interval, the intervals (in samples) taken in turn. Peaks
// stand at stream sample firstPeak, firstPeak + intervals[0], ... (counted from the
// board's first streamed sample).
struct EcgPulseTrain {
  int firstPeak = 150;
  std::vector<int> intervals{240};
  int amplitude = 20000;
  int halfWidth = 8;
  int baseline = 1000;

  std::function<int32_t(uint64_t n)> Source() const;
};

class SimBoard;

// The ways the board fails, each armed by name with SimBoard::Arm. A command that runs
// has its reply readied; whatever becomes of that reply, the chip took the command.
enum class BoardFault {
  FailedTransfer,  // transfers fail, either way (error 31): counted in transfers
  EmptyReply,      // commands run and are answered with an empty packet
  ShortReply,      // commands run and are answered with only FaultSpan::bytes bytes
                   // (AllButLastByte: without the last byte the command answers with)
  Unplugged,       // a command runs and every device is pulled out before its reply is read
  Silent,          // reads of a readied reply time out (error 121): counted in those reads
  LateReply,       // commands run and each reply comes only after its read timed out
};

// The ways the firmware misbehaves, each armed by name with SimBoard::Arm as the
// transport faults are, with where it starts and how long it lasts in the events it
// names. Unarmed, a busy bit reads set for one read and a scan completes at the second
// board-status request.
enum class FirmwareFault {
  IqBusy,     // I/Q conversions: 0Fh bit 2 reads set for FaultSpan::reads reads of 0Fh
  D2Busy,     // writes of board register D2h: its bit 7 reads set for `reads` reads of it
  FetchBusy,  // fetches (A4h bit 3 written): the bit reads set for `reads` reads of A4h
  SlowScan,   // scans: each completes at the board-status request after `reads` more
  BadStatus,  // commands: a reply that carries a status byte carries `status` for FAh
};
// A FaultSpan's `after` and `count` count transfers, reads or commands, as each fault
// says; `reads` UntilCleared is a bit that never clears, a scan that never completes.
// An unplugged board stays out until cleared.

// What the chip's analog inputs are wired to: answers the I/Q demodulator's conversions
// and the ADC's, from the chip's registers as they stand.
class SimAnalog {
public:
  virtual ~SimAnalog() = default;
  // The raw I and Q words of one conversion (24-bit two's complement, twice the value).
  virtual std::pair<uint32_t, uint32_t> IqWords(const SimBoard& board) = 0;
  // One ADC conversion: the 24-bit two's-complement result word.
  virtual int32_t AdcWord(const SimBoard& board) = 0;
};

class SimBoard : public UsbServices {
public:
  enum class Kind { Driver, Hid };

  struct Device {
    Kind kind = Kind::Driver;
    int index = 0;                 // driver name index or HID index
    uint16_t vendor = DriverVendorId;
    uint16_t product = DriverProductA;
    uint16_t version = 0x0100;
    uint16_t boardKindWord = 0xFFFF;  // F9 02 answer
    std::string firmwareId = "Velmoran";
    bool plugged = true;
    uint8_t pipe0Endpoint = 0x81;  // IN
    uint8_t pipe1Endpoint = 0x02;  // OUT
    uint16_t hidInputLen = 65;
    uint16_t hidOutputLen = 65;
  };

  struct Packet {
    bool toBoard;                 // true: host -> board
    std::vector<uint8_t> bytes;   // exactly what crossed (HID: report id + data)
    Kind kind;
  };

  SimBoard();

  // Boards attached. By default one driver board "Mxusb-0".
  std::vector<Device> devices;
  Device& AddDriverBoard(int index, uint16_t product = DriverProductA);
  Device& AddHidBoard(int index);
  void RemoveAll() { devices.clear(); }
  void UnplugAll();

  // Firmware texts.
  std::string boardName = "E7403V01";

  // Transport faults. Arming a fault replaces what that fault was armed with before;
  // EmptyReply is a ShortReply of no bytes, so arming either replaces the other. A short
  // reply's driver read and HID read hand on the bytes it kept and report their count
  // (a HID read of an empty report times out, as no report came). A late reply waits
  // for the next read, and the replies after it queue behind it, until an open of a
  // device drains them (as the real layer reads a driver device's IN endpoint empty on
  // opening, and a HID device opened afresh holds no earlier report).
  void Arm(BoardFault fault, FaultSpan span = {});
  void Arm(FirmwareFault fault, FaultSpan span = {});
  // Every fault of both kinds disarmed, no reply waiting and every device plugged in again.
  void ClearFaults();
  uint8_t boardStatus[3] = {0, 0, 0};

  // The inputs' wiring (none: the sources below alone). A source set below overrides
  // it. With the inputs wired, the ADC's result registers 41h..43h take a conversion of
  // them each time a read starts at 41h.
  std::shared_ptr<SimAnalog> analog;

  // The stream's 24-bit samples: from the source function when set, else from the
  // analog inputs when wired, else 0; samples per poll.
  int samplesPerPoll = 21;
  std::function<int32_t(uint64_t n)> streamSource;
  bool streaming = false;
  int streamMode = 0;
  uint64_t streamStarts = 0;  // stream start commands taken

  // The count of each poll reply (poll number from 0), overriding samplesPerPoll.
  std::function<int(uint64_t poll)> pollCount;
  // Stream mode 7 sends ADC and temperature groups alternately within each reply, an
  // even count of them (samplesPerPoll rounded down; pollCount as it says):
  // even groups are stream samples as above, odd groups the 16-bit temperature
  // word (high byte first, third byte 0) of temperatureSource, else temperatureWord.
  uint16_t temperatureWord = 0;
  std::function<uint16_t(uint64_t n)> temperatureSource;

  // Single-value request BAh/BEh: answered with the status byte and the two 24-bit
  // values A and B, low byte first. The source sees the command bytes.
  int32_t singleValueA = 0;
  int32_t singleValueB = 0;
  std::function<std::pair<int32_t, int32_t>(const uint8_t* cmd)> singleValueSource;
  int singleValueRequests = 0;

  // The switched channel test's scan firmware. It takes the register transfers
  // addressed to the board's own bus (C4 00 B0, C4 01 B0) and no others: packet byte
  // 5 01h reaches the scan table, board address 100h + the address byte, 00h the
  // board registers (A4h, D2h and the rest, 74h and 75h among them). The table holds
  // the step length (120h), the round count (122h, low first), the channel count
  // (124h), the fetch offset (170h, 24 bits) and length (173h); A4h bit 4 starts a
  // scan, which completes at the next board-status request but one (FirmwareFault::
  // SlowScan) and then sets scanDoneBits in the first status byte; A4h bit 3 fetches
  // the result bytes into 100h. D2h bit 7 and A4h bit 3 read back set for one read
  // after they were written (FirmwareFault::D2Busy, FetchBusy).
  uint8_t scanTable[0x100] = {};
  uint8_t boardRegA4 = 0;
  uint8_t boardRegD2 = 0;
  uint8_t boardRegs[0x100] = {};  // the other board registers
  uint8_t scanDoneBits = 0x30;
  int scansStarted = 0;
  // Result of sample `sample` of round `round` of the (0-based) channel block
  // `block`, 24 bits; default (block + 1) * 10000h + round * 100h + sample.
  std::function<int32_t(int block, int round, int sample)> scanSource;
  std::vector<uint8_t> scanResults;  // round after round, block after block, 3 bytes a sample

  // Called after every command the board has answered, with its bytes.
  std::function<void(const std::vector<uint8_t>& cmd)> afterCommand;

  // I/Q demodulator: writing register 0Fh with bit 2 set starts a conversion; 0Fh then
  // reads with bit 2 set for one read (FirmwareFault::IqBusy), after which
  // the raw words of conversion n stand in 06h..08h (I) and 09h..0Bh (Q), high first.
  // With the inputs wired, a read starting at 44h finds their magnitude and phase in
  // 44h..46h and 47h..48h (MagnitudeAndPhase).
  // The words come from iqSource, else from the analog inputs, else both are 0.
  std::function<std::pair<uint32_t, uint32_t>(uint64_t n)> iqSource;
  uint64_t iqConversions = 0;

  // The chip's oscillator as the board's counter sees it: nominal 2, 4 or 8 MHz by
  // register 3Eh bits 6:5, off by `oscillatorError`, and lowered by each trim code
  // step above 40h in register 2Bh.
  double oscillatorError = -0.02;
  double trimStepFraction = 0.0033;
  double OscillatorHz() const;
  uint16_t ClockCount() const;

  SimChip chip;
  uint8_t auxMem[0x200] = {};
  // Bits of each auxiliary byte that a write can change (FFh: all).
  uint8_t auxWriteMask[0x200];

  // The packets both ways, kept only while recordPackets is set. The tests' harness
  // sets it to read them back; the program on the simulated board leaves it clear, as
  // nothing reads them there and every capture would add its polls for good. Reading
  // them from a board that records nothing is refused (std::logic_error), so a check
  // that nothing was sent cannot pass on a board that kept nothing.
  bool recordPackets = false;
  const std::vector<Packet>& Log() const;
  void ClearLog() { log_.clear(); }
  // Host -> board packets only, as the firmware decoded them (HID id byte removed,
  // driver writes as sent).
  std::vector<std::vector<uint8_t>> Sent() const;
  int openHandles() const { return static_cast<int>(open_.size()); }
  int opensTried = 0;

  // UsbServices
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
  void Record(bool toBoard, const uint8_t* bytes, size_t len, Kind kind);
  Device* DeviceOf(Handle h);
  bool Fault();
  // The reads a busy bit of `fault` stays set for the event just begun.
  int BusyReads(FirmwareFault fault);
  // A command arrived: runs it and readies the reply.
  void Receive(const Device& dev, const uint8_t* cmd, size_t len);
  // The bytes of the reply about to be read: all of it, or a short reply's.
  size_t ReplyBytes(size_t asked) const;
  // A read of at most `asked` bytes: a late reply waiting goes first, then the ready
  // reply. False (last_error_ set) when none comes.
  bool TakeReply(size_t asked, std::vector<uint8_t>& bytes);
  // Opening a device: no reply waiting, late or not, reaches it.
  void DrainReplies();
  void Command(const Device& dev, const uint8_t* cmd, size_t len);  // runs one command, fills reply_
  int32_t NextSample();
  void ConvertAdcResult();
  void MagnitudeAndPhase();
  void StartIqConversion();
  void ReadingIqControl();
  void SingleValue(const uint8_t* cmd, uint8_t* reply);
  // Scan firmware: a byte of the board's own memory.
  void BoardWrite(int page, uint8_t wire, uint8_t value);
  uint8_t BoardRead(int page, uint8_t wire);
  void ScanStatusPoll();
  void StartScan();
  void FetchResults();

  std::vector<Packet> log_;
  std::map<Handle, int> open_;  // handle -> position in devices
  Handle next_ = 0x40;
  uint32_t last_error_ = 0;
  uint8_t reply_[64] = {};
  size_t reply_length_ = 0;  // the bytes of reply_ the command answered with
  bool reply_ready_ = false;
  bool reply_short_ = false;
  bool reply_late_ = false;
  ArmedFaults<BoardFault> transport_;  // EmptyReply is armed as a ShortReply of no bytes
  ArmedFaults<FirmwareFault> firmware_;
  size_t short_bytes_ = 0;  // of the reply being readied, when it is short
  uint8_t status_ = 0xFA;   // the status byte of the reply being readied
  std::deque<std::vector<uint8_t>> late_replies_;  // came after their reads timed out
  uint64_t sample_n_ = 0;
  int iq_busy_ = 0;  // reads of 0Fh left before the running conversion ends
  uint64_t temperature_n_ = 0;
  uint64_t poll_n_ = 0;
  bool scan_running_ = false;
  int scan_polls_left_ = 0;
  int d2_busy_ = 0;
  int fetch_busy_ = 0;
};
