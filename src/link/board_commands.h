#pragma once
// The command set of the board firmware: register transfers with the chip (bus
// address A0h), the stream commands, the auxiliary chip (90h), the board status
// and name. Builders set only the leading bytes they name; the rest of PacketBuf
// keeps what it held.

#include <QString>
#include <cstdint>
#include <functional>

#include "common/globals.h"
#include "link/usb_transport.h"

class Clock;

class BoardCommands {
public:
  BoardCommands(Globals& g, UsbTransport& t, Clock& clock) : g_(g), t_(t), clock_(clock) {}

  // Sends `count` bytes of XferBuf from `address` in one packet, without read-back
  // or refresh; once the packet went out (its outgoing transfer completed) the chip
  // holds them, so the shadow of channel 0 takes them, even when the reply was lost.
  // A packet that did not go out changes nothing. True when the exchange came through.
  bool WriteRegs(int address, int count, int channel);
  // The same packet with the shadow untouched: for command bits the chip clears by
  // itself (conversion starts).
  bool SendRegs(int address, int count, int channel);
  bool ReadRegs(int address, int count, int channel);
  // Whether the last command's packet went out (its outgoing transfer completed),
  // whether or not its reply came: a write that went out reached the chip.
  bool CommandSent() const { return sent_; }
  // The switched channel test's transfers to the board's own memory (channel 0): the
  // register transfers addressed to bus BoardBus, which no other command uses, with
  // packet byte 5 the high byte of the board address. The chip never sees them.
  bool WriteBoardMem(int address, int count);
  bool ReadBoardMem(int address, int count);
  bool ReadTS();
  bool StartStream(uint8_t mode);
  // One poll of the stream: its sample count. `whilePausing`, when given, takes the
  // count as soon as the reply is in (its samples in PacketBuf) and runs inside the
  // poll's pause, so work between polls does not lengthen them. A failed transfer
  // returns 0 at once without calling it.
  int ReadStream(int channel, const std::function<void(int)>& whilePausing = {});
  bool StopStream();
  bool WriteAuxMem(int address, int count, int channel);
  bool ReadAuxMem(int address, int channel);
  bool ProbeAux(int channel);
  bool UnlockAux(int channel);
  bool ReadBoardName(Devc& d, QString& name);
  bool ReadBoardStatus(Devc& d, uint8_t& s1, uint8_t& s2, uint8_t& s3);

  // Largest counts that fit one 64-byte packet.
  static constexpr int MaxWriteCount = PacketSize - 7;
  static constexpr int MaxReadCount = PacketSize - 1;
  // Bus addresses: the chip under test, the auxiliary chip, the board itself.
  static constexpr uint8_t ChipBus = 0xA0;
  static constexpr uint8_t AuxBus = 0x90;
  static constexpr uint8_t BoardBus = 0xB0;

  Globals& G() { return g_; }
  UsbTransport& Transport() { return t_; }
  Clock& ClockSource() { return clock_; }

protected:
  bool LinkUp(int channel) const;
  // One command out, its reply in; a reply shorter than `need` bytes has failed.
  bool Exchange(Devc& d, int sendLen, int readLen, int need = 1);
  // The register transfers to a bus, bytes 5 and 6 as the buffer holds them.
  bool WriteTo(uint8_t bus, int address, int count);
  bool ReadFrom(uint8_t bus, int address, int count);
  bool Status() const { return g_.PacketBuf[0] == 0xFA; }
  Devc& Dev0() { return g_.Channels[0].Devc; }

  Globals& g_;
  UsbTransport& t_;
  Clock& clock_;
  bool sent_ = false;
};
