#include "link/board_commands.h"

#include <cstring>

#include "platform/clock.h"

bool BoardCommands::LinkUp(int channel) const {
  return channel >= 0 && channel < 3 && g_.Channels[channel].LinkKind == LinkKindUsb;
}

bool BoardCommands::Exchange(Devc& d, int sendLen, int readLen, int need) {
  sent_ = t_.SendPacket(d, static_cast<uint8_t>(sendLen));
  return sent_ && t_.ReceivePacket(d, static_cast<uint8_t>(readLen), static_cast<uint8_t>(need));
}

BoardCommands::Cell BoardCommands::CellAt(int address) {
  if (address >= 0 && address < 0x80) return Cell::Register;
  if (address >= 0x80 && address < 0x100) return Cell::Bank0;
  if (address >= 0x180 && address < 0x200) return Cell::Bank1;
  return Cell::None;
}

BoardCommands::CellWrite BoardCommands::PutCell(int address, uint8_t value, int channel, bool readBack) {
  sent_ = false;
  if (!LinkUp(channel) || address < 0 || address >= RegShadowSize) return CellWrite::NotSent;
  if (CellAt(address) == Cell::None) {
    g_.Channels[channel].RegShadow[address] = value;
    return CellWrite::Done;
  }
  g_.XferBuf[address] = value;
  return WriteCells(address, 1, channel, readBack);
}

int BoardCommands::ChipCellOf(uint8_t address) const {
  const bool bank1 = g_.Channels[0].RegShadow[BankRegister] & 0x01;
  return address >= 0x80 && bank1 ? 0x100 + address : address;
}

BoardCommands::CellWrite BoardCommands::PutChipByte(uint8_t address, uint8_t value, int channel, bool readBack) {
  // The cell is of the bank 7Fh selects, so PutCell sends it without a switch.
  return PutCell(ChipCellOf(address), value, channel, readBack);
}

bool BoardCommands::WriteRegs(int address, int count, int channel) {
  sent_ = false;
  if (!LinkUp(channel) || count < 0 || count > MaxWriteCount || address < 0 || address + count > XferBufSize)
    return false;
  for (int a = address, end = address + count; a < end;) {
    int run = a + 1;
    while (run < end && CellAt(run) == CellAt(a)) ++run;
    if (WriteCells(a, run - a, 0, false) != CellWrite::Done) return false;
    a = run;
  }
  return true;
}

BoardCommands::CellWrite BoardCommands::WriteCells(int address, int count, int channel, bool readBack) {
  uint8_t* shadow = g_.Channels[channel].RegShadow;
  const Cell cell = CellAt(address);
  if (cell == Cell::None) {
    std::memcpy(shadow + address, g_.XferBuf + address, count);
    return CellWrite::Done;
  }
  bool sent = false;
  const auto transfer = [&] {
    bool confirmed = SendRegs(address, count, 0);
    sent = confirmed || sent_;
    if (!sent) return false;
    // XferBuf takes what the chip returns; a read-back that did not come leaves the
    // value written there.
    if (readBack && confirmed) confirmed = ReadRegs(address, count, 0);
    for (int a = address; a < address + count; ++a) {
      const uint8_t mask = g_.RegMask[a];
      shadow[a] = readBack && !confirmed && mask ? g_.XferBuf[a] & mask : g_.XferBuf[a];
    }
    return confirmed;
  };
  const auto ended = [&](bool confirmed) {
    return confirmed ? CellWrite::Done : sent ? CellWrite::Unconfirmed : CellWrite::NotSent;
  };
  // The bank is the chip's as far as the shadow of 7Fh knows it.
  uint8_t& r7f = g_.Channels[0].RegShadow[BankRegister];
  const uint8_t bank = cell == Cell::Bank1 ? 1 : 0;
  if (cell == Cell::Register || (r7f & 0x01) == bank) return ended(transfer());
  // The bank is switched for this write alone: the shadow of 7Fh keeps its value
  // unless the chip is left on the other bank.
  const uint8_t kept = r7f;
  const uint8_t selected = static_cast<uint8_t>((kept & 0xFE) | bank);
  g_.XferBuf[BankRegister] = selected;
  if (!SendRegs(BankRegister, 1, 0)) {
    if (sent_) r7f = selected;
    return CellWrite::NotSent;
  }
  if (!transfer()) {
    r7f = selected;
    return ended(false);
  }
  g_.XferBuf[BankRegister] = kept;
  if (SendRegs(BankRegister, 1, 0)) return CellWrite::Done;
  if (!sent_) r7f = selected;
  return CellWrite::NotPutBack;
}

bool BoardCommands::SendRegs(int address, int count, int channel) {
  sent_ = false;
  return LinkUp(channel) && WriteTo(ChipBus, address, count);
}

bool BoardCommands::ReadRegs(int address, int count, int channel) {
  return LinkUp(channel) && ReadFrom(ChipBus, address, count);
}

bool BoardCommands::WriteBoardMem(int address, int count) {
  sent_ = false;
  if (!LinkUp(0)) return false;
  g_.PacketBuf[5] = static_cast<uint8_t>(address >> 8);
  return WriteTo(BoardBus, address, count);
}

bool BoardCommands::ReadBoardMem(int address, int count) {
  if (!LinkUp(0)) return false;
  g_.PacketBuf[5] = static_cast<uint8_t>(address >> 8);
  return ReadFrom(BoardBus, address, count);
}

bool BoardCommands::WriteTo(uint8_t bus, int address, int count) {
  // A packet that would not fit, or a range outside XferBuf, is refused.
  if (count < 0 || count > MaxWriteCount || address < 0 || address + count > XferBufSize) return false;
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xC4;
  p[1] = 0x00;
  p[2] = bus;
  p[3] = address & 0xFF;
  p[4] = count & 0xFF;
  // Bytes 5 and 6 keep what the buffer held.
  std::memcpy(p + 7, g_.XferBuf + address, count);
  return Exchange(Dev0(), count + 7, 64);
}

bool BoardCommands::ReadFrom(uint8_t bus, int address, int count) {
  if (count < 0 || count > MaxReadCount || address < 0 || address + count > XferBufSize) return false;
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xC4;
  p[1] = 0x01;
  p[2] = bus;
  p[3] = address & 0xFF;
  p[4] = count & 0xFF;
  if (!Exchange(Dev0(), count + 5, 64, 1 + count)) return false;
  std::memcpy(g_.XferBuf + address, p + 1, count);
  return true;
}

bool BoardCommands::ReadTS() {
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xC4;
  p[1] = 0x01;
  p[2] = ChipBus;
  p[3] = 0x06;
  p[4] = 0x02;
  return Exchange(Dev0(), 6, 64, 3) && Status();
}

bool BoardCommands::StartStream(uint8_t mode) {
  uint16_t irqen = g_.Fields.IRQEN.Address;
  uint16_t ts = g_.Fields.TS.Address;
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xC4;
  p[1] = 0x02;
  p[2] = mode;
  p[3] = irqen < XferBufSize ? g_.XferBuf[irqen] : 0;
  p[4] = ts < XferBufSize ? g_.XferBuf[ts] : 0;
  if (!Exchange(Dev0(), 5, 64)) return false;
  bool ok = Status();
  // Whatever the status: the IRQEN register gets bits 4 and 2 set, and the shadow
  // takes them once the packet went out. Without an IRQEN field there is no such
  // register, and register 0 is left alone.
  if (g_.Fields.IRQEN.Defined && irqen < XferBufSize) {
    uint8_t v = irqen < RegShadowSize ? g_.Channels[0].RegShadow[irqen] : 0;
    g_.XferBuf[irqen] = v | 0x14;
    WriteRegs(irqen, 1, 0);
  }
  return ok;
}

int BoardCommands::ReadStream(int channel, const std::function<void(int)>& whilePausing) {
  if (channel < 0 || channel > 2) channel = 0;
  Devc& d = g_.Channels[channel].Devc;
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xC4;
  p[1] = 0x04;
  // More than 10 ms pass from the poll's start before it returns; the transfer's own
  // time counts towards them.
  const int64_t start = clock_.SteadyUs();
  if (!Exchange(d, 2, 64)) return 0;
  if (p[0] > 21) p[0] = 0;
  // Samples beyond the bytes that arrived are not taken.
  if (p[0] > (t_.Received - 1) / 3) p[0] = static_cast<uint8_t>((t_.Received - 1) / 3);
  // The count is kept: work done in the pause may use the packet buffer.
  const int count = p[0];
  if (whilePausing) whilePausing(count);
  clock_.SleepUntilUs(start + 10'001);
  return count;
}

bool BoardCommands::StopStream() {
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xC4;
  p[1] = 0x03;
  p[2] = 0x01;
  return Exchange(Dev0(), 6, 64) && Status();
}

bool BoardCommands::WriteAuxMem(int address, int count, int channel) {
  if (!LinkUp(channel)) return false;
  if (count < 0 || count > MaxWriteCount || count > XferBufSize) return false;
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xC4;
  p[1] = 0x09;
  p[2] = AuxBus;
  p[3] = 0x01;
  p[4] = count & 0xFF;
  p[5] = (address >> 8) & 0xFF;
  p[6] = address & 0xFF;
  std::memcpy(p + 7, g_.XferBuf, count);
  return Exchange(Dev0(), count + 7, 64) && Status();
}

bool BoardCommands::ReadAuxMem(int address, int channel) {
  if (!LinkUp(channel)) return false;
  if (address < 0 || address + 32 > XferBufSize) return false;
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xC4;
  p[1] = 0x0A;
  p[2] = AuxBus;
  p[3] = 0x02;
  p[4] = 0x20;
  p[5] = (address >> 8) & 0xFF;
  p[6] = address & 0xFF;
  // The reply carries the status and 32 data bytes: 33 bytes are read, so the last
  // data byte is the board's and not what the buffer held before.
  if (!Exchange(Dev0(), 7, 33, 33) || !Status()) return false;
  std::memcpy(g_.XferBuf + address, p + 1, 32);
  return true;
}

bool BoardCommands::ProbeAux(int channel) {
  if (!LinkUp(channel)) return false;
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xC4;
  p[1] = 0x00;
  p[2] = AuxBus;
  p[3] = 0x00;
  p[4] = 0x00;
  return Exchange(Dev0(), 5, 1) && Status();
}

bool BoardCommands::UnlockAux(int channel) {
  if (!LinkUp(channel)) return false;
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xC4;
  p[1] = 0x00;
  p[2] = AuxBus;
  p[3] = 0x5A;
  p[4] = 0x01;
  p[7] = 0xA5;
  return Exchange(Dev0(), 8, 1) && Status();
}

bool BoardCommands::BoardNameExchange(Devc& d, int sendLen, QString& name) {
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xF9;
  p[1] = 0x05;
  if (sendLen > 2) std::memset(p + 2, 0, sendLen - 2);
  if (!Exchange(d, sendLen, 8, 8)) return false;
  name.clear();
  for (int i = 0; i < 8; ++i) name.append(QChar(p[i]));
  return true;
}

bool BoardCommands::ReadBoardName(Devc& d, QString& name) { return BoardNameExchange(d, 8, name); }

bool BoardCommands::ReadFirmwareName(Devc& d, QString& name) { return BoardNameExchange(d, 2, name); }

bool BoardCommands::ReadBoardStatus(Devc& d, uint8_t& s1, uint8_t& s2, uint8_t& s3) {
  uint8_t* p = g_.PacketBuf;
  p[0] = 0xB5;
  p[1] = 0x07;
  if (!Exchange(d, 3, 4, 4)) return false;
  s1 = p[1];
  s2 = p[2];
  s3 = p[3];
  return true;
}
