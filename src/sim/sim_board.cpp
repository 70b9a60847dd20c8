#include "sim/sim_board.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>

namespace {
constexpr uint32_t ERROR_GEN_FAILURE = 31;
constexpr uint32_t ERROR_SEM_TIMEOUT = 121;
constexpr uint32_t ERROR_DEVICE_NOT_CONNECTED = 1167;
// Bus addresses of the register transfers: the chip, and the board's own memory.
constexpr uint8_t kChipBus = 0xA0;
constexpr uint8_t kBoardBus = 0xB0;
}  // namespace

// ---- chip ----

SimChip::SimChip() { std::fill(std::begin(masks_), std::end(masks_), 0xFF); }

int SimChip::Index(int address) {
  if (address >= 0 && address < 0x100) return address;
  if (address >= 0x180 && address < 0x200) return address - 0x180 + 0x100;
  return -1;
}

uint8_t SimChip::Peek(int address) const {
  int i = Index(address);
  return i < 0 ? 0 : regs_[i];
}

void SimChip::Poke(int address, uint8_t value) {
  int i = Index(address);
  if (i >= 0) regs_[i] = value & masks_[i];
}

void SimChip::SetMask(int address, uint8_t mask) {
  int i = Index(address);
  if (i >= 0) {
    masks_[i] = mask;
    regs_[i] &= mask;
  }
}

void SimChip::ImplementEveryBit() { std::fill(std::begin(masks_), std::end(masks_), 0xFF); }

uint8_t SimChip::Mask(int address) const {
  int i = Index(address);
  return i < 0 ? 0 : masks_[i];
}

static int ShadowAddress(uint8_t wire, int bank) {
  return (wire >= 0x80 && bank == 1) ? wire + 0x100 : wire;
}

uint8_t SimChip::Read(uint8_t wire) const { return Peek(ShadowAddress(wire, Bank())); }
void SimChip::Write(uint8_t wire, uint8_t value) { Poke(ShadowAddress(wire, Bank()), value); }

// ---- board ----

SimBoard::SimBoard() {
  std::fill(std::begin(auxWriteMask), std::end(auxWriteMask), 0xFF);
  AddDriverBoard(0);
}

SimBoard::Device& SimBoard::AddDriverBoard(int index, uint16_t product) {
  Device d;
  d.kind = Kind::Driver;
  d.index = index;
  d.vendor = DriverVendorId;
  d.product = product;
  devices.push_back(d);
  return devices.back();
}

SimBoard::Device& SimBoard::AddHidBoard(int index) {
  Device d;
  d.kind = Kind::Hid;
  d.index = index;
  d.vendor = HidVendorId;
  d.product = HidProductId;
  d.version = HidVersionId;
  devices.push_back(d);
  return devices.back();
}

void SimBoard::UnplugAll() {
  for (auto& d : devices) d.plugged = false;
}

void SimBoard::Record(bool toBoard, const uint8_t* bytes, size_t len, Kind kind) {
  if (recordPackets) log_.push_back({toBoard, std::vector<uint8_t>(bytes, bytes + len), kind});
}

const std::vector<SimBoard::Packet>& SimBoard::Log() const {
  if (!recordPackets) throw std::logic_error("the simulated board records no packets");
  return log_;
}

std::vector<std::vector<uint8_t>> SimBoard::Sent() const {
  std::vector<std::vector<uint8_t>> out;
  for (const auto& p : Log()) {
    if (!p.toBoard) continue;
    if (p.kind == Kind::Hid && !p.bytes.empty())
      out.emplace_back(p.bytes.begin() + 1, p.bytes.end());
    else
      out.push_back(p.bytes);
  }
  return out;
}

SimBoard::Device* SimBoard::DeviceOf(Handle h) {
  auto it = open_.find(h);
  if (it == open_.end() || it->second >= static_cast<int>(devices.size())) return nullptr;
  Device* d = &devices[it->second];
  return d->plugged ? d : nullptr;
}

void SimBoard::Arm(BoardFault fault, FaultSpan span) {
  switch (fault) {
    case BoardFault::EmptyReply:
      span.bytes = 0;
      transport_.Arm(BoardFault::ShortReply, span);
      break;
    case BoardFault::Unplugged:
      span.count = 1;  // once out, the board stays out
      transport_.Arm(fault, span);
      break;
    default:
      transport_.Arm(fault, span);
      break;
  }
}

void SimBoard::Arm(FirmwareFault fault, FaultSpan span) { firmware_.Arm(fault, span); }

void SimBoard::ClearFaults() {
  transport_.Clear();
  firmware_.Clear();
  DrainReplies();
  for (auto& d : devices) d.plugged = true;
}

bool SimBoard::Fault() {
  if (!transport_.Hit(BoardFault::FailedTransfer)) return false;
  last_error_ = ERROR_GEN_FAILURE;
  return true;
}

int SimBoard::BusyReads(FirmwareFault fault) {
  const FaultSpan* hit = firmware_.Hit(fault);
  return hit ? hit->reads : 1;
}

void SimBoard::Receive(const Device& dev, const uint8_t* cmd, size_t len) {
  const FaultSpan* cut = transport_.Hit(BoardFault::ShortReply);
  reply_short_ = cut != nullptr;
  short_bytes_ = cut ? cut->bytes : 0;
  reply_late_ = transport_.Hit(BoardFault::LateReply) != nullptr;
  Command(dev, cmd, len);
  if (transport_.Hit(BoardFault::Unplugged)) UnplugAll();
}

size_t SimBoard::ReplyBytes(size_t asked) const {
  const size_t whole = std::min(asked, sizeof reply_);
  if (!reply_short_) return whole;
  const size_t kept = short_bytes_ == FaultSpan::AllButLastByte ? (reply_length_ > 0 ? reply_length_ - 1 : 0)
                                                                : short_bytes_;
  return std::min(whole, kept);
}

void SimBoard::DrainReplies() {
  late_replies_.clear();
  reply_ready_ = false;
}

bool SimBoard::TakeReply(size_t asked, std::vector<uint8_t>& bytes) {
  if (!late_replies_.empty()) {  // the replies wait in order behind a late one
    if (reply_ready_) late_replies_.emplace_back(reply_, reply_ + ReplyBytes(sizeof reply_));
    reply_ready_ = false;
    bytes = std::move(late_replies_.front());
    late_replies_.pop_front();
    bytes.resize(std::min(asked, bytes.size()));
    return true;
  }
  if (!reply_ready_ || transport_.Hit(BoardFault::Silent)) {
    last_error_ = ERROR_SEM_TIMEOUT;
    return false;
  }
  reply_ready_ = false;
  if (reply_late_) {
    late_replies_.emplace_back(reply_, reply_ + ReplyBytes(sizeof reply_));
    last_error_ = ERROR_SEM_TIMEOUT;
    return false;
  }
  bytes.assign(reply_, reply_ + ReplyBytes(asked));
  return true;
}

Handle SimBoard::OpenDriverDevice(const std::string& name) {
  ++opensTried;
  for (size_t i = 0; i < devices.size(); ++i) {
    const Device& d = devices[i];
    if (d.kind == Kind::Driver && d.plugged && name == "Mxusb-" + std::to_string(d.index)) {
      DrainReplies();
      Handle h = next_++;
      open_[h] = static_cast<int>(i);
      return h;
    }
  }
  last_error_ = 2;
  return InvalidHandle;
}

Handle SimBoard::Hid_GetDeviceH(uint8_t& found, uint32_t index) {
  ++opensTried;
  found = 0;
  for (size_t i = 0; i < devices.size(); ++i) {
    const Device& d = devices[i];
    if (d.kind == Kind::Hid && d.plugged && d.index == static_cast<int>(index)) {
      found = 1;
      DrainReplies();
      Handle h = next_++;
      open_[h] = static_cast<int>(i);
      return h;
    }
  }
  return InvalidHandle;
}

bool SimBoard::Hid_Get_att(Handle h, uint16_t& inputLen, uint16_t& outputLen, uint16_t attributes[3],
                           uint8_t buffer[256]) {
  Device* d = DeviceOf(h);
  if (!d || d->kind != Kind::Hid) return false;
  inputLen = d->hidInputLen;
  outputLen = d->hidOutputLen;
  attributes[0] = d->vendor;
  attributes[1] = d->product;
  attributes[2] = d->version;
  std::memset(buffer, 0, 256);
  return true;
}

bool SimBoard::DeviceIoControl(Handle h, uint32_t code, const uint8_t* in, size_t inLen, uint8_t* out,
                               size_t outLen, uint32_t* returned) {
  if (returned) *returned = 0;
  Device* d = DeviceOf(h);
  if (!d || d->kind != Kind::Driver) {
    last_error_ = ERROR_DEVICE_NOT_CONNECTED;
    return false;
  }
  switch (code) {
    case IOCTL_GET_DEVICE_DESCRIPTOR: {
      size_t n = PutDeviceDescriptor(out, outLen, d->vendor, d->product, d->version);
      if (returned) *returned = static_cast<uint32_t>(n);
      return n > 0;
    }
    case IOCTL_GET_PIPE_INFO: {
      size_t n = PutPipeRecords(out, outLen, 64, d->pipe0Endpoint, 64, d->pipe1Endpoint);
      if (returned) *returned = static_cast<uint32_t>(n);
      return true;
    }
    case IOCTL_BULK_WRITE: {
      if (inLen < 4 || !in) return false;
      if (Fault()) return false;
      Record(true, out, outLen, Kind::Driver);
      Receive(*d, out, outLen);
      if (returned) *returned = static_cast<uint32_t>(outLen);
      return true;
    }
    case IOCTL_BULK_READ: {
      if (inLen < 4 || !in) return false;
      if (Fault()) return false;
      std::vector<uint8_t> reply;
      if (!TakeReply(outLen, reply)) return false;
      const size_t n = reply.size();
      if (n > 0) std::memcpy(out, reply.data(), n);
      Record(false, out, n, Kind::Driver);
      if (returned) *returned = static_cast<uint32_t>(n);
      return true;
    }
    default:
      last_error_ = ERROR_GEN_FAILURE;
      return false;
  }
}

bool SimBoard::WriteFile(Handle h, const uint8_t* data, size_t len) {
  Device* d = DeviceOf(h);
  if (!d || d->kind != Kind::Hid || len < 1) {
    last_error_ = ERROR_DEVICE_NOT_CONNECTED;
    return false;
  }
  if (Fault()) return false;
  Record(true, data, len, Kind::Hid);
  Receive(*d, data + 1, len - 1);
  return true;
}

bool SimBoard::ReadFile(Handle h, uint8_t* data, size_t len, size_t& read) {
  read = 0;
  Device* d = DeviceOf(h);
  if (!d || d->kind != Kind::Hid || len < 1) {
    last_error_ = ERROR_DEVICE_NOT_CONNECTED;
    return false;
  }
  if (Fault()) return false;
  std::vector<uint8_t> reply;
  if (!TakeReply(len - 1, reply)) return false;
  // No report came of an empty reply: the read waits for one until it times out.
  if (reply.empty() && len > 1) {
    last_error_ = ERROR_SEM_TIMEOUT;
    return false;
  }
  data[0] = 0;
  if (!reply.empty()) std::memcpy(data + 1, reply.data(), reply.size());
  read = 1 + reply.size();
  Record(false, data, read, Kind::Hid);
  return true;
}

bool SimBoard::CloseHandle(Handle h) {
  return open_.erase(h) > 0;
}

double SimBoard::OscillatorHz() const {
  int sel = (chip.Peek(0x3E) >> 5) & 3;
  double nominal = sel == 0 ? 2e6 : sel == 1 ? 4e6 : 8e6;
  int code = chip.Peek(0x2B);
  return nominal * (1 + oscillatorError) * (1 - trimStepFraction * (code - 0x40));
}

uint16_t SimBoard::ClockCount() const {
  return static_cast<uint16_t>(std::clamp(std::lround(OscillatorHz() / 4096.0), 0L, 65535L));
}

int32_t SimBoard::NextSample() {
  uint64_t n = sample_n_++;
  if (streamSource) return streamSource(n);
  if (analog) return analog->AdcWord(*this);
  return 0;
}

// The demodulator's magnitude (24 bits, saturated) and phase (16-bit two's complement,
// 8000h = -pi) of the I and Q words standing in 06h..0Bh, read as 24-bit two's
// complement numbers.
void SimBoard::MagnitudeAndPhase() {
  if (!analog) return;
  auto signed24 = [this](int at) {
    const uint32_t w = (chip.Peek(at) << 16) | (chip.Peek(at + 1) << 8) | chip.Peek(at + 2);
    return static_cast<double>(static_cast<int32_t>(w << 8) >> 8);
  };
  const double si = signed24(0x06), sq = signed24(0x09);
  const auto magnitude = static_cast<uint32_t>(std::min(std::lround(std::hypot(si, sq)), 0xFFFFFFL));
  const auto phase = static_cast<uint16_t>(std::clamp(std::lround(std::atan2(sq, si) / std::numbers::pi * 32768.0), -32768L, 32767L));
  for (int b = 0; b < 3; ++b) chip.Poke(0x44 + b, static_cast<uint8_t>(magnitude >> (16 - 8 * b)));
  chip.Poke(0x47, static_cast<uint8_t>(phase >> 8));
  chip.Poke(0x48, static_cast<uint8_t>(phase));
}

void SimBoard::ConvertAdcResult() {
  if (!analog || streamSource) return;
  const uint32_t w = static_cast<uint32_t>(analog->AdcWord(*this));
  for (int b = 0; b < 3; ++b) chip.Poke(0x41 + b, static_cast<uint8_t>(w >> (16 - 8 * b)));
}

void SimBoard::StartIqConversion() {
  iq_busy_ = BusyReads(FirmwareFault::IqBusy);
  if (iq_busy_ == 0) ReadingIqControl();
}

// One read of 0Fh during a conversion; the last one ends it.
void SimBoard::ReadingIqControl() {
  if (iq_busy_ < 0 || !(chip.Peek(0x0F) & 0x04)) return;
  if (iq_busy_ > 0 && --iq_busy_ > 0) return;
  auto [i, q] = iqSource ? iqSource(iqConversions)
                 : analog ? analog->IqWords(*this)
                          : std::pair<uint32_t, uint32_t>{0, 0};
  ++iqConversions;
  for (int b = 0; b < 3; ++b) {
    chip.Poke(0x06 + b, static_cast<uint8_t>(i >> (16 - 8 * b)));
    chip.Poke(0x09 + b, static_cast<uint8_t>(q >> (16 - 8 * b)));
  }
  chip.Poke(0x0F, chip.Peek(0x0F) & ~0x04);
}

std::function<int32_t(uint64_t)> EcgPulseTrain::Source() const {
  EcgPulseTrain t = *this;
  if (t.intervals.empty()) t.intervals = {240};
  // Pulses do not overlap.
  int64_t cycle = 0;
  for (int& iv : t.intervals) cycle += (iv = std::max(iv, 2 * t.halfWidth + 1));
  return [t, cycle](uint64_t n) {
    int64_t value = t.baseline;
    // Offset within the cycle of intervals, counted from halfWidth before a peak.
    int64_t rel = static_cast<int64_t>(n) - t.firstPeak + t.halfWidth;
    if (rel >= 0) {
      int64_t within = rel % cycle, peak = 0;
      for (int iv : t.intervals) {
        if (peak + iv > within) break;
        peak += iv;
      }
      int64_t dist = std::llabs(within - t.halfWidth - peak);
      if (dist <= t.halfWidth) value += t.amplitude * (t.halfWidth + 1 - dist) / (t.halfWidth + 1);
    }
    return static_cast<int32_t>(2 * value);
  };
}

// One command, decoded from its defined leading bytes only; the reply goes to reply_.
void SimBoard::Command(const Device& dev, const uint8_t* c, size_t len) {
  std::memset(reply_, 0, sizeof reply_);
  reply_ready_ = true;
  reply_length_ = 1;  // the status byte, unless the command answers with more
  const FaultSpan* bad = firmware_.Hit(FirmwareFault::BadStatus);
  status_ = bad ? bad->status : 0xFA;
  auto at = [&](size_t i) -> uint8_t { return i < len ? c[i] : 0; };
  uint8_t* r = reply_;
  switch (at(0)) {
    case 0xF9: {
      reply_length_ = 8;
      uint8_t sub = at(1);
      switch (sub) {
        case 0x02:
          r[0] = dev.boardKindWord & 0xFF;
          r[1] = dev.boardKindWord >> 8;
          break;
        case 0xAC: {
          const std::string& id = dev.firmwareId;
          for (size_t i = 0; i < 8 && i < id.size(); ++i) r[i] = static_cast<uint8_t>(id[i]);
          break;
        }
        case 0x11: {
          uint16_t n = ClockCount();
          r[1] = n & 0xFF;
          r[2] = n >> 8;
          break;
        }
        case 0x05:
          for (size_t i = 0; i < 8 && i < boardName.size(); ++i) r[i] = static_cast<uint8_t>(boardName[i]);
          break;
        default:  // 01, 04, 06: the word comes back
          r[0] = at(2);
          r[1] = at(3);
          break;
      }
      break;
    }
    case 0xC4: {
      uint8_t op = at(1);
      if (op == 0x00 && at(2) == kChipBus) {  // register write
        uint8_t a = at(3), n = at(4);
        for (int i = 0; i < n; ++i) {
          uint8_t reg = static_cast<uint8_t>(a + i);
          chip.Write(reg, at(7 + i));
          if (reg == 0x0F && (at(7 + i) & 0x04)) StartIqConversion();
        }
        r[0] = status_;
      } else if (op == 0x01 && at(2) == kChipBus) {  // register read
        uint8_t a = at(3), n = at(4);
        r[0] = status_;
        if (a == 0x41) ConvertAdcResult();
        if (a == 0x44) MagnitudeAndPhase();
        reply_length_ = 1 + std::min<size_t>(n, 63);
        for (int i = 0; i < n && i < 63; ++i) {
          uint8_t reg = static_cast<uint8_t>(a + i);
          r[1 + i] = chip.Read(reg);
          if (reg == 0x0F) ReadingIqControl();
        }
      } else if (op == 0x00 && at(2) == kBoardBus) {  // the board's own memory
        const uint8_t a = at(3), n = at(4);
        for (int i = 0; i < n; ++i) BoardWrite(at(5), static_cast<uint8_t>(a + i), at(7 + i));
        r[0] = status_;
      } else if (op == 0x01 && at(2) == kBoardBus) {
        const uint8_t a = at(3), n = at(4);
        r[0] = status_;
        reply_length_ = 1 + std::min<size_t>(n, 63);
        for (int i = 0; i < n && i < 63; ++i) r[1 + i] = BoardRead(at(5), static_cast<uint8_t>(a + i));
      } else if (op == 0x02) {  // stream start
        streaming = true;
        streamMode = at(2);
        ++streamStarts;
        r[0] = status_;
      } else if (op == 0x04) {  // stream poll
        const uint64_t poll = poll_n_++;
        int n = pollCount ? pollCount(poll) : streamMode == 7 ? samplesPerPoll & ~1 : samplesPerPoll;
        n = streaming ? std::clamp(n, 0, 21) : 0;
        r[0] = static_cast<uint8_t>(n);
        reply_length_ = 1 + 3 * static_cast<size_t>(n);
        for (int i = 0; i < n; ++i) {
          if (streamMode == 7 && i % 2 == 1) {
            uint64_t t = temperature_n_++;
            uint16_t w = temperatureSource ? temperatureSource(t) : temperatureWord;
            r[1 + 3 * i] = w >> 8;
            r[2 + 3 * i] = w & 0xFF;
            continue;
          }
          int32_t v = NextSample();
          uint32_t u = static_cast<uint32_t>(v);
          if (streamMode == 2) {
            r[1 + 3 * i] = (u >> 8) & 0xFF;
            r[2 + 3 * i] = u & 0xFF;
          } else {
            r[1 + 3 * i] = (u >> 16) & 0xFF;
            r[2 + 3 * i] = (u >> 8) & 0xFF;
            r[3 + 3 * i] = u & 0xFF;
          }
        }
      } else if (op == 0x03) {  // stream stop
        streaming = false;
        r[0] = status_;
      } else if (op == 0x09 && at(2) == 0x90) {  // aux write
        int n = at(4);
        int a = (at(5) << 8) | at(6);
        for (int i = 0; i < n; ++i)
          if (a + i < static_cast<int>(sizeof auxMem))
            auxMem[a + i] = (auxMem[a + i] & ~auxWriteMask[a + i]) | (at(7 + i) & auxWriteMask[a + i]);
        r[0] = status_;
      } else if (op == 0x0A && at(2) == 0x90) {  // aux read
        int a = (at(5) << 8) | at(6);
        r[0] = status_;
        reply_length_ = 33;
        for (int i = 0; i < 32; ++i)
          r[1 + i] = a + i < static_cast<int>(sizeof auxMem) ? auxMem[a + i] : 0xFF;
      } else {  // aux probe and unlock, anything else
        r[0] = status_;
      }
      break;
    }
    case 0xC5:
      r[0] = 0xFA;
      r[3] = 0x01;
      reply_length_ = 4;
      break;
    case 0xB5:
      ScanStatusPoll();
      reply_length_ = 4;
      r[0] = 0xFA;
      r[1] = boardStatus[0];
      r[2] = boardStatus[1];
      r[3] = boardStatus[2];
      break;
    case 0xBA:
    case 0xBE: {
      uint8_t cmd[64] = {};
      std::memcpy(cmd, c, std::min(len, sizeof cmd));
      SingleValue(cmd, r);
      reply_length_ = 7;
      break;
    }
    default:
      r[0] = status_;
      break;
  }
  if (afterCommand) afterCommand(std::vector<uint8_t>(c, c + len));
}

void SimBoard::SingleValue(const uint8_t* cmd, uint8_t* r) {
  ++singleValueRequests;
  auto [a, b] = singleValueSource ? singleValueSource(cmd) : std::pair<int32_t, int32_t>{singleValueA, singleValueB};
  r[0] = status_;
  for (int i = 0; i < 3; ++i) {
    r[1 + i] = static_cast<uint8_t>(static_cast<uint32_t>(a) >> (8 * i));
    r[4 + i] = static_cast<uint8_t>(static_cast<uint32_t>(b) >> (8 * i));
  }
}
